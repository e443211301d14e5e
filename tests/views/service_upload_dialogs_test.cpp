#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <chrono>
#include <cstdlib>
#include <map>
#include <thread>

#include "config/location_settings.h"
#include "config/upload_settings.h"
#include "tests/support/aprs_is_stand_in.h"
#include "tests/support/qt_application.h"
#include "tests/support/recording_view_events.h"
#include "tests/support/sample_records.h"
#include "tests/support/test_http_server.h"
#include "tests/views/upload_dialog_support.h"
#include "views/location_dialog.h"
#include "views/service_upload_dialog.h"

namespace nimbra {
namespace {

using testing::Script;
using testing::Scripted;
using testing::TempMainIni;

constexpr const char* kFile =
    "[CWOP]\nEnable=1\nStation=CW0042\nPasscode=\nInterval=15\n"
    "[Windy]\nEnable=0\nStationID=w9\nPassword=secret\n"
    "[OpenWeatherMap]\nEnable=1\nApiKey=k1\nStationId=\n";

QLineEdit* edit(const QWidget& dialog, const char* name) {
    auto* widget = dialog.findChild<QLineEdit*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

QPushButton* button(const QWidget& dialog, const char* name) {
    return dialog.findChild<QPushButton*>(QString::fromLatin1(name));
}

class ServiceUploadDialogs : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testing::qtApplication(); }
};

// Each dialog shows its section, and Save writes every key at once and hands the settings
// to the uploads exactly as the next start would read them, except for a server the
// environment named, which keeps taking the uploads and never reaches the file.
TEST_F(ServiceUploadDialogs, SaveWritesTheSectionAndKeepsTheOverride) {
    const struct {
        const char* name;
        UploadService service;
        const char* variable;
        std::function<std::unique_ptr<ServiceUploadDialog>(Script&, ProfileFile&,
                                                           UploadConfigStore&)>
            open;
        std::map<const char*, const char*> shown;
        const char* edited;   // the field changed
        const char* written;  // the line it then has in the file
    } cases[] = {
        {"CWOP",
         UploadService::Cwop,
         "NIMBRA_CWOP_SERVER",
         [](Script& s, ProfileFile& c, UploadConfigStore& u) {
             return std::make_unique<Scripted<CwopDialog>>(s, c, u);
         },
         {{"Station", "CW0042"}, {"Passcode", ""}, {"Interval", "15"}, {"Server", ""}},
         "Station",
         "Station=ew1234"},
        {"Windy",
         UploadService::Windy,
         "NIMBRA_WINDY_SERVER",
         [](Script& s, ProfileFile& c, UploadConfigStore& u) {
             return std::make_unique<Scripted<WindyDialog>>(s, c, u);
         },
         {{"StationID", "w9"}, {"Password", "secret"}},
         "StationID",
         "StationID=ew1234"},
        {"OpenWeatherMap",
         UploadService::OpenWeatherMap,
         "NIMBRA_OPENWEATHERMAP_SERVER",
         [](Script& s, ProfileFile& c, UploadConfigStore& u) {
             return std::make_unique<Scripted<OpenWeatherMapDialog>>(s, c, u);
         },
         {{"ApiKey", "k1"}, {"StationId", ""}},
         "StationId",
         "StationId=ew1234"},
    };
    for (const auto& c : cases) {
        for (const bool overridden : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (overridden ? " overridden" : ""));
            TempMainIni ini(kFile);
            ProfileFile config(ini.path());
            UploadConfigStore store;
            if (overridden) {
                ::setenv(c.variable, "127.0.0.1:8081", 1);
            }
            LoadUploadConfiguration(config, store);
            ::unsetenv(c.variable);
            Script script;
            auto dialog = c.open(script, config, store);
            for (const auto& [name, value] : c.shown) {
                EXPECT_EQ(edit(*dialog, name)->text().toStdString(), value) << name;
            }
            edit(*dialog, c.edited)->setText(QStringLiteral("ew1234"));
            dialog->findChild<QCheckBox*>(QStringLiteral("enable"))->setChecked(true);
            testing::clickButton(*dialog, 1);

            ASSERT_EQ(dialog->result(), QDialog::Accepted)
                << script.problems.join(' ').toStdString();
            EXPECT_NE(ini.content().find(c.written), std::string::npos) << ini.content();
            EXPECT_EQ(ini.content().find("127.0.0.1"), std::string::npos) << ini.content();
            UploadConfigStore restarted;
            LoadUploadConfiguration(config, restarted);
            UploadServiceConfig expected = restarted.get(c.service);
            if (c.service == UploadService::Cwop) {
                expected.m_StationID = "EW1234";  // as APRS-IS spells it
            }
            if (overridden) {
                expected.m_Server = "127.0.0.1";
                expected.m_ServerPort = "8081";
            }
            EXPECT_EQ(store.get(c.service), expected);
            EXPECT_EQ(store.get(c.service).m_Autosend, "1");
        }
    }
}

TEST_F(ServiceUploadDialogs, CwopInputsThatCannotWorkAreRefused) {
    const struct {
        const char* field;
        const char* value;
    } cases[] = {
        {"Station", "CW 42"}, {"Station", "CW_42"}, {"Passcode", "12a"},
        {"Interval", "3"},    {"Interval", "7.5"},  {"Port", "70000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.field) + "=" + c.value);
        TempMainIni ini(kFile);
        ProfileFile config(ini.path());
        UploadConfigStore store;
        Script script;
        Scripted<CwopDialog> dialog(script, config, store);
        edit(dialog, c.field)->setText(QString::fromLatin1(c.value));
        testing::clickButton(dialog, 1);
        EXPECT_NE(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(script.problems.size(), 1);
        EXPECT_EQ(script.questions, 0);
        EXPECT_EQ(ini.content(), kFile);
    }
}

// Test sends with what is typed, before it is saved, and says how it went.
TEST_F(ServiceUploadDialogs, TestSendsTheTypedSettingsWithoutSavingThem) {
    testing::AprsIsStandIn server;
    TempMainIni ini(kFile);
    ProfileFile config(ini.path());
    UploadConfigStore store;
    LoadUploadConfiguration(config, store);
    store.setLocation({51.5, -0.1, 20.0});
    testing::RecordingViewEvents events;
    UploadContext context(
        store, [] { return testing::sampleReading(); }, events);
    Script script;
    Scripted<CwopDialog> dialog(script, config, store);
    dialog.setTester([&context](UploadService service, const UploadServiceConfig& settings,
                                std::stop_token stop) {
        return attemptUpload(context, service, settings, stop);
    });
    const auto runTest = [&dialog] {
        button(dialog, "test")->click();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while ((dialog.busy() || dialog.resultText() == "Testing…") &&
               std::chrono::steady_clock::now() < deadline) {
            QCoreApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        QCoreApplication::processEvents();
        return dialog.resultText().toStdString();
    };
    edit(dialog, "Server")->setText(QStringLiteral("127.0.0.1"));
    edit(dialog, "Port")->setText(QString::number(server.port()));
    EXPECT_EQ(runTest(), "The test upload was accepted.");
    ASSERT_EQ(server.waitForSessions(1).size(), 1u);
    EXPECT_EQ(server.sessions()[0].login.rfind("user CW0042 pass -1 ", 0), 0u);

    const std::uint16_t closed = testing::closedPort();
    edit(dialog, "Port")->setText(QString::number(closed));
    const std::string refused = runTest();
    EXPECT_EQ(
        refused.rfind(
            "The test upload failed: Cannot connect to 127.0.0.1:" + std::to_string(closed), 0),
        0u)
        << refused;
    EXPECT_EQ(ini.content(), kFile);
    EXPECT_TRUE(events.events().empty()) << "a test is not news for the status bar";
}

// Register asks for a station id once key and location are there, and fills it in.
TEST_F(ServiceUploadDialogs, RegisterFillsInTheStationId) {
    TempMainIni ini(kFile);
    ProfileFile config(ini.path());
    UploadConfigStore store;
    LoadUploadConfiguration(config, store);
    Script script;
    Scripted<OpenWeatherMapDialog> dialog(script, config, store);
    std::string keyUsed;
    dialog.setRegistrar([&keyUsed](const UploadServiceConfig& settings, UploadFailure&) {
        keyUsed = settings.m_Password;
        return std::string("5ed2118acc");
    });
    QPushButton* reg = button(dialog, "register");
    ASSERT_NE(reg, nullptr);
    reg->click();
    EXPECT_EQ(dialog.resultText(), "Set the station location first.");
    store.setLocation({51.5, -0.1, 20.0});
    reg->click();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while ((edit(dialog, "StationId")->text().isEmpty() || dialog.busy()) &&
           std::chrono::steady_clock::now() < deadline) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(edit(dialog, "StationId")->text(), "5ed2118acc");
    EXPECT_EQ(keyUsed, "k1");
    EXPECT_FALSE(reg->isEnabled()) << "registered once";
    EXPECT_EQ(ini.content(), kFile) << "kept only when saved";
}

TEST_F(ServiceUploadDialogs, LocationIsCheckedThenSavedForTheUploads) {
    const struct {
        const char* latitude;
        const char* longitude;
        const char* altitude;
        bool saved;
    } cases[] = {
        {"-33.8675", "151,207", "39", true},
        {"", "", "", true},  // cleared: the services that need it say so
        {"91", "0", "0", false},
        {"45", "east", "0", false},
        {"45", "7", "12000", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.latitude);
        TempMainIni ini("[Location]\nLatitude=1\nLongitude=2\nAltitude=3\n");
        ProfileFile config(ini.path());
        UploadConfigStore store;
        store.setLocation(loadStationLocation(config));
        Script script;
        Scripted<LocationDialog> dialog(script, config, store);
        EXPECT_EQ(edit(dialog, "Latitude")->text(), "1");
        edit(dialog, "Latitude")->setText(QString::fromLatin1(c.latitude));
        edit(dialog, "Longitude")->setText(QString::fromLatin1(c.longitude));
        edit(dialog, "Altitude")->setText(QString::fromLatin1(c.altitude));
        testing::clickButton(dialog, 1);
        EXPECT_EQ(dialog.result() == QDialog::Accepted, c.saved);
        const StationLocation unchanged{1.0, 2.0, 3.0};
        EXPECT_EQ(store.location(), c.saved ? loadStationLocation(config) : unchanged);
        if (c.saved && *c.latitude != '\0') {
            EXPECT_EQ(store.location(), (StationLocation{-33.8675, 151.207, 39.0}));
        }
    }
}

}  // namespace
}  // namespace nimbra
