#include <QApplication>
#include <QMessageBox>
#include <cstdio>

#include "app/command_line.h"
#include "app/data_folder.h"
#include "app/languages.h"
#include "app/main_frame.h"
#include "app/share_folder.h"
#include "app/single_instance.h"
#include "views/language_dialog.h"
#include "views/nimbra_view.h"

using namespace nimbra;

namespace {

constexpr const char* kVersion = "NimbraPlus 2.9";

// The language to run in: --language, else Main.ini; on the very first start the user
// is asked (English stays if the question is cancelled).
UiLanguage chooseLanguage(const CommandLine& options, ProfileFile& config,
                          const StringTable& english) {
    if (options.language) {
        if (auto chosen = findLanguageByStoredName(*options.language)) {
            return *chosen;
        }
    }
    std::string stored = config.readString("Language", "Language");
    if (stored.empty() && !options.headless) {
        config.writeString("Language", "Language", "English");
        Language dialog(config,
                        [&english](int id) { return QString::fromStdString(english.text(id)); });
        dialog.exec();
        stored = config.readString("Language", "Language");
    }
    return findLanguageByStoredName(stored).value_or(kEnglish);
}

std::optional<StringTable> loadStrings(const std::filesystem::path& share,
                                       const UiLanguage& language) {
    std::string error;
    auto table = StringTable::load(stringTablePath(share / "strings", language), error);
    if (!table) {
        std::fprintf(stderr, "nimbraplus: %s\n", error.c_str());
    }
    return table;
}

}  // namespace

int main(int argc, char** argv) {
    const CommandLineResult parsed =
        parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
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

    SingleInstance instance(SingleInstance::defaultLockPath(dataFolder));
    if (!instance.acquired()) {
        return 0;  // another instance runs: end quietly
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("NimbraPlus"));
    QApplication::setDesktopFileName(QStringLiteral("nimbraplus"));

    ProfileFile config(dataFolder / kConfigFileName);
    const auto english = loadStrings(*share, kEnglish);
    if (!english) {
        return 1;
    }
    const UiLanguage language = chooseLanguage(options, config, *english);
    auto strings = loadStrings(*share, language);
    if (!strings) {
        strings = english;
    }

    LiveStation live;
    CMainFrame frame(FrameContext{config, *strings, live, options.emulator});
    if (options.show && options.screenshot) {
        const bool saved = options.show == "main" &&
                           frame.grab().save(QString::fromStdString(*options.screenshot));
        return saved ? 0 : 1;
    }
    frame.show();
    return QApplication::exec();
}
