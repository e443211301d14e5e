#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTimer>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "config/command_line.h"
#include "config/data_folder.h"
#include "config/languages.h"
#include "config/mqtt_settings.h"
#include "config/single_instance.h"
#include "config/station_settings.h"
#include "config/string_ids.h"
#include "config/upload_settings.h"
#include "desktop/gui_error_sink.h"
#include "desktop/gui_view_events.h"
#include "desktop/main_frame.h"
#include "desktop/number_locale.h"
#include "desktop/share_folder.h"
#include "report/history_export.h"
#include "report/import_command.h"
#include "session/headless_logger.h"
#include "session/in_process_station.h"
#include "session/station_dump.h"
#include "session/station_session.h"
#include "station_link/exported_link.h"
#include "store/error_sink.h"
#include "views/about_dialog.h"
#include "views/alarm_dialog.h"
#include "views/fixed_host_upload_dialog.h"
#include "views/graph_screenshot.h"
#include "views/history_dialog.h"
#include "views/language_dialog.h"
#include "views/location_dialog.h"
#include "views/max_min_dialog.h"
#include "views/mqtt_dialog.h"
#include "views/nimbra_view.h"
#include "views/service_upload_dialog.h"
#include "views/setting_dialog.h"
#include "views/upload_dialog.h"
#include "web/web_settings.h"

using namespace nimbra;

namespace {

constexpr const char* kVersion = "NimbraPlus " NIMBRA_VERSION;

std::optional<StringTable> loadStrings(const std::filesystem::path& share,
                                       const UiLanguage& language) {
    std::string error;
    auto table = StringTable::load(stringTablePath(share / "strings", language), error);
    if (!table) {
        std::fprintf(stderr, "nimbraplus: %s\n", error.c_str());
    }
    return table;
}

// --language, else Main.ini; a name that is no language gives none, and the caller then
// takes the system's language. On the very first start of the desktop program the user is
// asked (English stays if the question is cancelled); the logger never asks.
std::optional<UiLanguage> storedOrChosenLanguage(const CommandLine& options, ProfileFile& config) {
    if (options.language) {
        return findLanguageByStoredName(*options.language);
    }
    return findLanguageByStoredName(config.readString("Language", "Language"));
}

// The language of a command without a window (--export, --import) and its texts.
struct CommandLanguage {
    UiLanguage language;
    std::optional<StringTable> strings;
};
CommandLanguage commandLanguage(const CommandLine& options, const std::filesystem::path& dataFolder,
                                const std::filesystem::path& share) {
    ProfileFile config(dataFolder / kConfigFileName);
    const UiLanguage language =
        storedOrChosenLanguage(options, config).value_or(systemLanguage(std::getenv));
    return {language, loadStrings(share, language)};
}

// --export: the history of --from..--to written as the History window's Export writes it.
int exportHistoryCommand(const CommandLine& options, const std::filesystem::path& dataFolder,
                         const std::filesystem::path& share) {
    const OleDate from = OleDate::fromText(*options.from);
    const OleDate to = OleDate::fromText(*options.to);
    if (!from.isValid() || !to.isValid()) {
        std::fprintf(stderr, "nimbraplus: --from and --to take times as YYYY-MM-DD hh:mm:ss\n");
        return 2;
    }
    const auto [language, strings] = commandLanguage(options, dataFolder, share);
    if (!strings) {
        return 1;
    }
    std::string error;
    if (runHistoryExport(dataFolder / kDatabaseFileName, *options.exportFile, from, to, *strings,
                         language.storedName == "Chinese", error) != 0) {
        std::fprintf(stderr, "nimbraplus: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

// --import: the import of the History window without the window, told in the user's language.
int importCommand(const CommandLine& options, const std::filesystem::path& dataFolder,
                  const std::filesystem::path& share) {
    const auto strings = commandLanguage(options, dataFolder, share).strings;
    if (!strings) {
        return 1;
    }
    std::string error;
    const int status = runImportCommand(
        dataFolder / kDatabaseFileName, *options.importFile, stdout,
        [&strings](int id) { return strings->text(id); }, error);
    if (status != 0) {
        std::fprintf(stderr, "nimbraplus: %s\n", error.c_str());
    }
    return status;
}

void askLanguageOnFirstStart(ProfileFile& config, const StringTable& english) {
    if (!config.readString("Language", "Language").empty()) {
        return;
    }
    config.writeString("Language", "Language", "English");
    Language dialog(config,
                    [&english](int id) { return QString::fromStdString(english.text(id)); });
    dialog.exec();
}

// Qt's own texts (standard buttons) in the program's language, when installed.
void installQtTranslation(QApplication& app, const UiLanguage& language) {
    auto* translator = new QTranslator(&app);
    const QString code = QString::fromUtf8(language.fileCode.data(),
                                           static_cast<qsizetype>(language.fileCode.size()));
    if (translator->load(QStringLiteral("qtbase_") + code,
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(translator);
    }
}

// The picture of an upload or location dialog, which all take the same arguments.
template <class Dialog>
QPixmap grabUploadDialog(ProfileFile& config, StationSession& session, const StringLookup& strings,
                         QWidget* parent) {
    Dialog dialog(config, session.uploadConfigs(), strings, parent);
    dialog.adjustSize();
    return dialog.grab();
}

// The picture of one window by its --show name; empty for an unknown name.
QPixmap grabWindow(const std::string& name, CMainFrame& frame, ProfileFile& config,
                   StationSession& session, const CommandLine& options,
                   const StringLookup& strings) {
    const auto bound = [](const std::optional<std::string>& text) -> std::optional<OleDate> {
        return text ? std::optional(OleDate::fromText(*text)) : std::nullopt;
    };
    const auto grabDialog = [](QDialog& dialog) {
        dialog.adjustSize();
        return dialog.grab();
    };
    const CStationData station = session.live().snapshot();
    const auto noSave = [](const CStationData&) {};
    if (name == "main") {
        return frame.grab();
    }
    if (name == "maxmin") {
        CMaxMin dialog(station, strings, &frame);
        return grabDialog(dialog);
    }
    if (name == "settings") {
        CSetting dialog(station, strings, StationAccess::ready, noSave, &frame);
        return grabDialog(dialog);
    }
    if (name == "alarm") {
        CAlarm dialog(station, strings, StationAccess::ready, noSave, &frame);
        return grabDialog(dialog);
    }
    if (name == "language") {
        Language dialog(config, strings, &frame);
        return grabDialog(dialog);
    }
    using UploadDialogGrab =
        QPixmap (*)(ProfileFile&, StationSession&, const StringLookup&, QWidget*);
    static const std::map<std::string, UploadDialogGrab, std::less<>> uploadDialogs{
        {"upload", grabUploadDialog<UploadInt>},
        {"wow", grabUploadDialog<UploadInt1>},
        {"weathercloud", grabUploadDialog<UploadInt2>},
        {"cwop", grabUploadDialog<CwopDialog>},
        {"windy", grabUploadDialog<WindyDialog>},
        {"openweathermap", grabUploadDialog<OpenWeatherMapDialog>},
        {"location", grabUploadDialog<LocationDialog>},
    };
    if (const auto upload = uploadDialogs.find(name); upload != uploadDialogs.end()) {
        return upload->second(config, session, strings, &frame);
    }
    if (name == "mqtt") {
        MqttDialog dialog(config, {}, strings, &frame);
        return grabDialog(dialog);
    }
    if (name == "history") {
        const bool saved =
            saveHistoryScreenshot(station, frame.historyContext(), bound(options.from),
                                  bound(options.to), QString::fromStdString(*options.screenshot));
        return saved ? QPixmap(QString::fromStdString(*options.screenshot)) : QPixmap();
    }
    if (name == "graph") {
        return QPixmap::fromImage(graphScreenshot(station, session.databasePath(), strings,
                                                  bound(options.from), bound(options.to),
                                                  options.graph.value_or(0)));
    }
    if (name == "about") {
        AboutDialog dialog(config, strings, &frame);
        return grabDialog(dialog);
    }
    return {};
}

// Renders one window after the first download and saves it: for documentation.
int saveScreenshot(CMainFrame& frame, ProfileFile& config, StationSession& session,
                   const CommandLine& options, const StringLookup& strings) {
    std::atomic<bool> ready{false};
    session.onPassCompleted([&ready] { ready = true; });
    session.start();
    QTimer poll;
    int elapsed = 0;
    int result = 1;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        elapsed += 100;
        if (!ready && elapsed < 30000) {
            return;
        }
        const QPixmap picture = grabWindow(*options.show, frame, config, session, options, strings);
        result =
            !picture.isNull() && picture.save(QString::fromStdString(*options.screenshot)) ? 0 : 1;
        if (picture.isNull()) {
            std::fprintf(stderr, "nimbraplus: no window called \"%s\"\n", options.show->c_str());
        }
        poll.stop();
        frame.close();  // through the monitor's hand-shake, like any close
    });
    poll.start(100);
    frame.show();
    QApplication::exec();
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const CommandLineResult parsed = parseCommandLine(arguments);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "nimbraplus: %s\nTry 'nimbraplus --help'.\n", parsed.error.c_str());
        return 2;
    }
    const CommandLine& options = parsed.options;
    if (options.help) {
        std::fputs(commandLineHelp().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("%s\n", kVersion);
        return 0;
    }

    const auto share = findShareFolder();
    if (!share) {
        std::fprintf(stderr, "nimbraplus: cannot find the share folder beside the program\n");
        return 1;
    }
    const std::filesystem::path dataFolder =
        options.dataDir ? std::filesystem::path(*options.dataDir) : defaultDataFolder();
    prepareDataFolder(dataFolder, share);

    if (options.exportFile) {
        return exportHistoryCommand(options, dataFolder, *share);
    }
    if (options.importFile) {
        return importCommand(options, dataFolder, *share);
    }

    const std::filesystem::path lockPath = SingleInstance::defaultLockPath();
    SingleInstance instance(lockPath);
    if (!instance.acquired()) {
        if (instance.openError() != 0) {
            // Not another instance: the lock file cannot be made, or is not ours.
            std::fprintf(stderr, "nimbraplus: cannot create the lock file %s: %s\n",
                         lockPath.c_str(), std::strerror(instance.openError()));
            return 1;
        }
        return 0;  // another instance runs: end quietly
    }

    ProfileFile config(dataFolder / kConfigFileName);
    const auto english = loadStrings(*share, kEnglish);
    if (!english) {
        return 1;
    }

    // The emulator must be listening before the station link first looks for a station.
    std::unique_ptr<InProcessStation> emulatedStation;
    if (options.emulator) {
        std::string error;
        // The station is kept in the data folder, as a console keeps its memory unplugged.
        emulatedStation =
            InProcessStation::start({options.emulatorRecords, options.emulatorSpeed,
                                     options.emulatorSeed, options.emulatorImage},
                                    error, (dataFolder / kEmulatedStationFileName).string());
        if (!emulatedStation) {
            std::fprintf(stderr, "nimbraplus: emulator: %s\n", error.c_str());
            return 1;
        }
        if (!emulatedStation->warning().empty()) {
            std::fprintf(stderr, "nimbraplus: emulator: %s\n", emulatedStation->warning().c_str());
        }
    }
    if (options.dumpStation) {
        link::ExportedLink stationLink;
        return dumpStation(stationLink, stdout);
    }

    if (options.headless) {
        const UiLanguage language =
            storedOrChosenLanguage(options, config).value_or(systemLanguage(std::getenv));
        const auto strings = loadStrings(*share, language);
        return runHeadlessLogger(options, dataFolder, config, strings ? *strings : *english);
    }

    QApplication app(argc, argv);
    keepNumbersInThePointForm();
    QApplication::setApplicationName(QStringLiteral("NimbraPlus"));
    QApplication::setDesktopFileName(QStringLiteral("nimbraplus"));
    if (!options.language) {
        askLanguageOnFirstStart(config, *english);
    }
    const UiLanguage language =
        storedOrChosenLanguage(options, config).value_or(systemLanguage(std::getenv));
    auto strings = loadStrings(*share, language);
    if (!strings) {
        strings = english;
    }
    installQtTranslation(app, language);

    GuiViewEvents events;
    // Why the database cannot be opened, for the one box that says so.
    std::string openFailure;
    setDefaultErrorSink([&openFailure](const std::string& message) {
        if (openFailure.empty()) {
            openFailure = message;
        }
    });
    link::ExportedLink stationLink;
    StationSession session(stationLink, dataFolder, events, [&events] { events.invalidate(); });
    setDefaultErrorSink({});
    if (!session.ok()) {
        QMessageBox::critical(nullptr, QStringLiteral("NimbraPlus"),
                              QString::fromStdString(strings->text(kTextCannotOpenDatabase)) +
                                  QStringLiteral("\n\n%1\n%2")
                                      .arg(QString::fromStdString(session.databasePath().string()),
                                           QString::fromStdString(openFailure)));
        return 1;
    }
    const GuiErrorSink storeFailures;
    LoadUploadConfiguration(config, session.uploadConfigs());
    session.mqtt().configure(loadMqttSettings(config));
    session.monitor().setStationModel(loadStationModel(config));

    int result = 0;
    {
        CMainFrame frame(FrameContext{config,
                                      *strings,
                                      session,
                                      options.emulator,
                                      [&instance, &emulatedStation] {
                                          // The next instance must find the station saved.
                                          if (emulatedStation) {
                                              emulatedStation->keepNow();
                                          }
                                          instance.release();
                                      },
                                      arguments,
                                      {}});
        events.attach(&frame);
        if (options.show && options.screenshot) {
            result = saveScreenshot(frame, config, session, options, frame.strings());
        } else {
            session.start();
            session.startWeb(readWebSettings(config, options),
                             [&strings](int id) { return strings->text(id); });
            frame.show();
            result = QApplication::exec();
        }
        events.shutDown();
        session.stop();
    }
    return result;
}
