// Every window as the user meets it: small enough for a laptop screen in every language,
// and showing no text of our own that bypasses the string tables.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <functional>
#include <memory>
#include <set>

#include "config/languages.h"
#include "config/string_table.h"
#include "tests/support/qt_application.h"
#include "tests/support/temp_folder.h"
#include "upload/upload_config_store.h"
#include "views/about_dialog.h"
#include "views/alarm_dialog.h"
#include "views/fixed_host_upload_dialog.h"
#include "views/import_dialog.h"
#include "views/language_dialog.h"
#include "views/max_min_dialog.h"
#include "views/mqtt_dialog.h"
#include "views/setting_dialog.h"
#include "views/upload_dialog.h"

namespace nimbra {
namespace {

// A laptop's 1366 x 768 less a panel.
constexpr QSize kScreen(1366, 740);

struct Window {
    const char* name;
    std::function<std::unique_ptr<QDialog>(const StringLookup&)> open;
};

class WindowTextsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testing::qtApplication(); }

    std::vector<Window> windows() {
        CStationData station;
        station.m_Interval = 5;
        const auto noSave = [](const CStationData&) {};
        return {
            {"maxmin", [=](auto& s) { return std::make_unique<CMaxMin>(station, s); }},
            {"settings",
             [=](auto& s) {
                 return std::make_unique<CSetting>(station, s, StationAccess::ready, noSave);
             }},
            {"alarm",
             [=](auto& s) {
                 return std::make_unique<CAlarm>(station, s, StationAccess::ready, noSave);
             }},
            {"language", [this](auto& s) { return std::make_unique<Language>(m_config, s); }},
            {"upload",
             [this](auto& s) { return std::make_unique<UploadInt>(m_config, m_store, s); }},
            {"wow", [this](auto& s) { return std::make_unique<UploadInt1>(m_config, m_store, s); }},
            {"weathercloud",
             [this](auto& s) { return std::make_unique<UploadInt2>(m_config, m_store, s); }},
            {"mqtt",
             [this](auto& s) {
                 return std::make_unique<MqttDialog>(m_config, MqttDialog::Apply{}, s);
             }},
            {"about", [this](auto& s) { return std::make_unique<AboutDialog>(m_config, s); }},
            {"import",
             [this](auto& s) {
                 return std::make_unique<Cimportd>(m_folder.path() / "Nimbra7420.db", s);
             }},
        };
    }

    testing::TempFolder m_folder;
    ProfileFile m_config{m_folder.path() / "Main.ini"};
    UploadConfigStore m_store;
};

TEST_F(WindowTextsTest, EveryWindowFitsALaptopScreenInEveryLanguage) {
    for (const UiLanguage& language : kLanguages) {
        std::string error;
        const auto table = StringTable::load(stringTablePath(NIMBRA_STRINGS_DIR, language), error);
        ASSERT_TRUE(table) << error;
        const StringLookup strings = [&table](int id) {
            return QString::fromStdString(table->text(id));
        };
        for (const Window& window : windows()) {
            const auto dialog = window.open(strings);
            dialog->adjustSize();
            const QSize size = dialog->size().expandedTo(dialog->minimumSize());
            EXPECT_LE(size.width(), kScreen.width()) << language.storedName << " " << window.name;
            EXPECT_LE(size.height(), kScreen.height()) << language.storedName << " " << window.name;
        }
    }
}

// Every text a window shows is made of string-table texts (here each marked by its id),
// numbers, and what stays as it is in every language: units, formats, compass points,
// the names of the languages and services, the upload dialogs' few template labels, web
// addresses, and Qt's own buttons (translated by Qt).
TEST_F(WindowTextsTest, EveryVisibleTextComesFromTheStringTables) {
    const StringLookup marked = [](int id) { return QStringLiteral("<%1>").arg(id); };
    std::set<QString> fixedWords = {"hpa",
                                    "inhg",
                                    "mmhg",
                                    "inHg",
                                    "mmHg",
                                    "m/s",
                                    "km/h",
                                    "knot",
                                    "mph",
                                    "bft",
                                    "BFT",
                                    "mm",
                                    "inch",
                                    "fc",
                                    "lux",
                                    "w/m2",
                                    "W/M2",
                                    "\u00B0C",
                                    "\u00B0F",
                                    "dd-mm-yy",
                                    "mm-dd-yy",
                                    "asp",
                                    "jsp",
                                    "php",
                                    "Default",
                                    "Customize",
                                    "ID",
                                    "PassWord",
                                    "Password",
                                    "key",
                                    "StationNum",
                                    "NimbraPlus",
                                    "MQTT",
                                    "WeatherObservationsWebsite",
                                    "weathercloud",
                                    "OK",
                                    "N",
                                    "NNE",
                                    "NE",
                                    "ENE",
                                    "E",
                                    "ESE",
                                    "SE",
                                    "SSE",
                                    "S",
                                    "SSW",
                                    "SW",
                                    "WSW",
                                    "W",
                                    "WNW",
                                    "NW",
                                    "NNW",
                                    "AM",
                                    "PM"};
    for (const UiLanguage& language : kLanguages) {
        fixedWords.insert(QString::fromUtf8(language.storedName.data(),
                                            static_cast<qsizetype>(language.storedName.size())));
    }
    const QRegularExpression markers(QStringLiteral("<\\d+>"));
    const QRegularExpression separators(QStringLiteral("[\\s()]+"));
    const QRegularExpression letter(QStringLiteral("\\p{L}"));
    const auto check = [&](const char* window, const QString& text) {
        QString rest = text;
        rest.remove(markers);
        for (QString word : rest.split(separators, Qt::SkipEmptyParts)) {
            while (!word.isEmpty() && QStringLiteral(":.,;").contains(word.back())) {
                word.chop(1);
            }
            if (word.contains(letter) && !fixedWords.contains(word) &&
                !word.startsWith(QStringLiteral("http"))) {
                ADD_FAILURE() << window << ": \"" << text.toStdString() << "\" holds \""
                              << word.toStdString() << "\" of its own";
            }
        }
    };
    for (const Window& window : windows()) {
        const auto dialog = window.open(marked);
        check(window.name, dialog->windowTitle());
        for (const QWidget* widget : dialog->findChildren<QWidget*>()) {
            check(window.name, widget->toolTip());
            if (const auto* label = qobject_cast<const QLabel*>(widget)) {
                check(window.name, label->text().remove(QRegularExpression("<a [^>]*>|</a>")));
            } else if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
                check(window.name, button->text());
            } else if (const auto* group = qobject_cast<const QGroupBox*>(widget)) {
                check(window.name, group->title());
            } else if (const auto* list = qobject_cast<const QComboBox*>(widget)) {
                for (int i = 0; i < list->count(); ++i) {
                    check(window.name, list->itemText(i));
                }
            } else if (const auto* edit = qobject_cast<const QLineEdit*>(widget)) {
                check(window.name, edit->placeholderText());
            }
        }
    }
}

}  // namespace
}  // namespace nimbra
