#include "views/upload_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <functional>

#include "config/upload_settings.h"
#include "tests/support/qt_application.h"
#include "tests/views/upload_dialog_support.h"

namespace nimbra {
namespace {

using testing::control;
using testing::Script;
using testing::TempMainIni;
using Dialog = testing::Scripted<UploadInt>;

constexpr const char* kBothSections =
    "[Up]\nType=0\n"
    "[Upload]\nServer=elsewhere\nServerPort=8080\nServerType=0\nUploadType=0\nReadOnly=r\n"
    "StationID=KXX1\nPassword=wu pw\nAutosend=1\n"
    "[Custom]\nWeb=http://my.example/\nServer=my.example\nServerPort=8080\nServerType=0\n"
    "UploadType=0\nStationID=C1\nPassword=a=b c\nAutosend=1\n";

QString text(const QWidget& d, int id) {
    return control<QLineEdit>(d, id)->text();
}

// What the user does when picking an entry of a website list.
void choose(const QWidget& d, int listId, int entry) {
    auto* list = control<QComboBox>(d, listId);
    list->setCurrentIndex(entry);
    emit list->activated(entry);
}

class UploadDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testing::qtApplication(); }
};

TEST_F(UploadDialogTest, OpensInTheModeTheFileRecords) {
    struct Case {
        const char* ini;
        bool weatherUnderground;
        const char* website;  // text of the list shown
        const char* customEntry;
        const char* serverType;
        const char* uploadType;
        const char* server;
        const char* port;
        const char* stationId;
        const char* password;
        bool autosend;
    };
    const Case cases[] = {
        {"", false, "", "(Custom)", "php", "Customize", "", "", "", "", false},
        // Weather Underground mode ignores what [Upload] says about the server.
        {"[Up]\nType=1\n[Upload]\nServer=elsewhere\nServerPort=8080\nServerType=0\n"
         "UploadType=0\nStationID=KXX1\nPassword=pw\nAutosend=1\n[Custom]\nWeb=http://my/\n",
         true, "https://www.wunderground.com/", "http://my/", "php", "Customize",
         "weatherstation.wunderground.com", "443", "KXX1", "pw", true},
        // The mode's value is compared exactly.
        {"[Up]\nType=1 \n[Custom]\nWeb=http://my/\nServer=my.example\nServerPort=8080\n"
         "ServerType=0\nUploadType=0\nStationID=C1\nPassword=a=b c\nAutosend=1\n",
         false, "http://my/", "http://my/", "asp", "Default", "my.example", "8080", "C1", "a=b c",
         true},
        {"[Custom]\nServerType=1\nUploadType=7\nAutosend=yes\n", false, "", "(Custom)", "jsp",
         "Customize", "", "", "", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        TempMainIni ini(c.ini);
        ProfileFile config(ini.path());
        UploadConfigStore store;
        Script script;
        Dialog d(script, config, store);

        EXPECT_EQ(d.weatherUndergroundMode(), c.weatherUnderground);
        const int shown = c.weatherUnderground ? 1249 : 1254;
        const int hidden = c.weatherUnderground ? 1254 : 1249;
        EXPECT_FALSE(control<QComboBox>(d, shown)->isHidden());
        EXPECT_TRUE(control<QComboBox>(d, hidden)->isHidden());
        EXPECT_EQ(control<QComboBox>(d, shown)->currentText(), c.website);
        EXPECT_EQ(control<QComboBox>(d, shown)->itemText(1), c.customEntry);
        EXPECT_EQ(control<QComboBox>(d, 1222)->currentText(), c.serverType);
        EXPECT_EQ(control<QComboBox>(d, 1223)->currentText(), c.uploadType);
        EXPECT_EQ(text(d, 1245), c.server);
        EXPECT_EQ(text(d, 1246), c.port);
        EXPECT_EQ(text(d, 1247), c.stationId);
        EXPECT_EQ(text(d, 1248), c.password);
        EXPECT_EQ(control<QCheckBox>(d, 1250)->isChecked(), c.autosend);
        for (int id : {1245, 1246, 1222, 1223}) {
            EXPECT_EQ(control<QWidget>(d, id)->isEnabled(), !c.weatherUnderground) << id;
        }
    }
}

TEST_F(UploadDialogTest, SaveWritesTheModesSectionAndTheModeAndPublishesTheSettings) {
    struct Case {
        const char* name;
        const char* ini;
        std::function<void(const QWidget&)> edit;
        std::string expectedFile;
    };
    const Case cases[] = {
        {"custom server into an empty file", "",
         [](const QWidget& d) {
             control<QComboBox>(d, 1254)->setEditText(QStringLiteral("http://my.example/"));
             control<QLineEdit>(d, 1245)->setText(QStringLiteral("my.example"));
             control<QLineEdit>(d, 1246)->setText(QStringLiteral("8080"));
             control<QComboBox>(d, 1222)->setCurrentIndex(1);
             control<QComboBox>(d, 1223)->setCurrentIndex(0);
             control<QLineEdit>(d, 1247)->setText(QStringLiteral("C1"));
             control<QLineEdit>(d, 1248)->setText(QStringLiteral(" p=ss word "));
             control<QCheckBox>(d, 1250)->setChecked(true);
         },
         "[Custom]\nWeb=http://my.example/\nServer=my.example\nServerType=1\nServerPort=8080\n"
         "UploadType=0\nReadOnly=\nStationID=C1\nPassword= p=ss word \nAutosend=1\n"
         "[Up]\nType=0\n"},
        {"switched to Weather Underground", kBothSections,
         [](const QWidget& d) {
             choose(d, 1254, 0);
             control<QLineEdit>(d, 1247)->setText(QStringLiteral("KXX2"));
             control<QLineEdit>(d, 1248)->setText(QStringLiteral("a=b=c d"));
             control<QCheckBox>(d, 1250)->setChecked(false);
         },
         "[Up]\nType=1\n"
         "[Upload]\nServer=weatherstation.wunderground.com\nServerPort=443\nServerType=2\n"
         "UploadType=1\nReadOnly=r\nStationID=KXX2\nPassword=a=b=c d\nAutosend=0\n"
         "Web=https://www.wunderground.com/\n" +
             std::string(kBothSections).substr(std::string(kBothSections).find("[Custom]"))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempMainIni ini(c.ini);
        ProfileFile config(ini.path());
        UploadConfigStore store;
        Script script;
        Dialog d(script, config, store);
        c.edit(d);
        testing::clickButton(d, 1);

        EXPECT_EQ(script.questions, 1);
        EXPECT_EQ(d.result(), QDialog::Accepted);
        EXPECT_EQ(ini.content(), c.expectedFile);
        // The running uploads now use exactly what the next start would read.
        UploadConfigStore restarted;
        LoadUploadConfiguration(config, restarted);
        EXPECT_EQ(store.get(UploadService::WeatherUnderground),
                  restarted.get(UploadService::WeatherUnderground));
        EXPECT_EQ(store.get(UploadService::WeatherUnderground).m_Password,
                  text(d, 1248).toStdString());
    }
}

TEST_F(UploadDialogTest, ChoosingAWebsiteRereadsThatModesSection) {
    TempMainIni ini(kBothSections);
    ProfileFile config(ini.path());
    UploadConfigStore store;
    Script script;
    Dialog d(script, config, store);
    control<QLineEdit>(d, 1245)->setText(QStringLiteral("typed.example"));

    choose(d, 1254, 0);
    EXPECT_TRUE(d.weatherUndergroundMode());
    EXPECT_TRUE(control<QComboBox>(d, 1254)->isHidden());
    EXPECT_EQ(text(d, 1245), "weatherstation.wunderground.com");
    EXPECT_EQ(text(d, 1247), "KXX1");

    choose(d, 1249, 1);
    EXPECT_FALSE(d.weatherUndergroundMode());
    EXPECT_TRUE(control<QComboBox>(d, 1249)->isHidden());
    EXPECT_EQ(control<QComboBox>(d, 1254)->currentText(), "http://my.example/");
    EXPECT_EQ(text(d, 1245), "my.example");  // the unsaved edit is dropped
    EXPECT_TRUE(control<QLineEdit>(d, 1245)->isEnabled());
    EXPECT_EQ(control<QComboBox>(d, 1222)->currentText(), "asp");
}

// A server name is never cut by an upload, so one longer than an upload sends is
// refused here; station id and password take no more than is sent.
TEST_F(UploadDialogTest, OverLongServerIsRefusedAndCredentialsStopAtFortyNine) {
    const std::pair<QString, bool> cases[] = {
        {QString(49, QLatin1Char('h')), true},
        {QString(39, QLatin1Char('a')) + QStringLiteral(".localhost.example.org"), false},
    };
    for (const auto& [server, accepted] : cases) {
        SCOPED_TRACE(server.toStdString());
        TempMainIni ini("");
        ProfileFile config(ini.path());
        UploadConfigStore store;
        Script script;
        Dialog d(script, config, store);
        EXPECT_EQ(control<QLineEdit>(d, 1247)->maxLength(), 49);
        EXPECT_EQ(control<QLineEdit>(d, 1248)->maxLength(), 49);
        control<QLineEdit>(d, 1245)->setText(server);
        control<QLineEdit>(d, 1246)->setText(QStringLiteral("80"));
        testing::clickButton(d, 1);

        EXPECT_EQ(d.result(), accepted ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(ini.content().empty(), !accepted);
        EXPECT_EQ(store.get(UploadService::WeatherUnderground).m_Server,
                  accepted ? server.toStdString() : "");
        if (!accepted) {
            EXPECT_EQ(script.problems, QStringList{"Server: Input Errors"});
        }
    }
}

TEST_F(UploadDialogTest, CustomPortMustBeUsable) {
    const std::pair<const char*, bool> cases[] = {
        {"", false},    {"0", false}, {"65536", false}, {"8O", false},
        {"-80", false}, {"1", true},  {"65535", true},  {" 8080 ", true},
    };
    for (const auto& [port, accepted] : cases) {
        SCOPED_TRACE(port);
        TempMainIni ini("");
        ProfileFile config(ini.path());
        UploadConfigStore store;
        Script script;
        Dialog d(script, config, store);
        control<QLineEdit>(d, 1246)->setText(QString::fromLatin1(port));
        testing::clickButton(d, 1);

        EXPECT_EQ(script.questions, accepted ? 1 : 0);
        EXPECT_EQ(d.result(), accepted ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(ini.content().empty(), !accepted);
        if (!accepted) {
            EXPECT_EQ(script.problems, QStringList{"Port  Range of values: 1 to 65535"});
        } else {
            EXPECT_EQ(config.readString("Custom", "ServerPort"), port);
        }
    }
}

}  // namespace
}  // namespace nimbra
