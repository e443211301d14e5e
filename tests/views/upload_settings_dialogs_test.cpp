#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <cstdlib>
#include <functional>
#include <memory>

#include "config/upload_settings.h"
#include "tests/support/qt_application.h"
#include "tests/views/upload_dialog_support.h"
#include "views/fixed_host_upload_dialog.h"
#include "views/upload_dialog.h"

namespace nimbra {
namespace {

using testing::control;
using testing::Script;
using testing::TempMainIni;

constexpr const char* kFilled =
    "[Up]\nType=1\n"
    "[Upload]\nStationID=KXX1\nPassword=wu\nAutosend=1\n"
    "[WeatherObservationsWebsite]\nServer=elsewhere\nServerPort=8080\nNum=42\n"
    "StationID=W1\nPassword=wow key\nAutosend=1\n"
    "[weathercloud]\nStationID=WC\nPassword=cloud key\nAutosend=0\n";

QString text(const QWidget& d, int id) {
    return control<QLineEdit>(d, id)->text();
}

struct Kind {
    const char* name;
    UploadService service;
    int stationIdEdit;
    std::function<std::unique_ptr<QDialog>(Script&, ProfileFile&, UploadConfigStore&)> open;
};

template <typename Dialog>
Kind kind(const char* name, UploadService service, int stationIdEdit) {
    return {name, service, stationIdEdit,
            [](Script& script, ProfileFile& config, UploadConfigStore& store) {
                return std::make_unique<testing::Scripted<Dialog>>(script, config, store);
            }};
}

const Kind kKinds[] = {
    kind<UploadInt>("Weather Underground", UploadService::WeatherUnderground, 1247),
    kind<UploadInt1>("WOW", UploadService::Wow, 1253),
    kind<UploadInt2>("Weathercloud", UploadService::Weathercloud, 1253),
};

class UploadSettingsDialogsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testing::qtApplication(); }
};

TEST_F(UploadSettingsDialogsTest, ShowsTheFixedHostAndTheSectionsValues) {
    TempMainIni ini(kFilled);
    ProfileFile config(ini.path());
    UploadConfigStore store;
    Script script;

    testing::Scripted<UploadInt1> wow(script, config, store);
    EXPECT_EQ(wow.windowTitle(), "WeatherObservationsWebsite");
    EXPECT_EQ(text(wow, 1252), "wow.metoffice.gov.uk");
    EXPECT_TRUE(control<QLineEdit>(wow, 1252)->isReadOnly());
    EXPECT_EQ(text(wow, 1253), "W1");
    EXPECT_EQ(text(wow, 1254), "wow key");
    EXPECT_EQ(text(wow, 1255), "42");
    EXPECT_TRUE(control<QLineEdit>(wow, 1255)->isHidden());
    EXPECT_TRUE(control<QCheckBox>(wow, 1250)->isChecked());

    testing::Scripted<UploadInt2> cloud(script, config, store);
    EXPECT_EQ(cloud.windowTitle(), "weathercloud");
    EXPECT_EQ(text(cloud, 1252), "api.weathercloud.net");
    EXPECT_EQ(text(cloud, 1253), "WC");
    EXPECT_EQ(text(cloud, 1254), "cloud key");
    EXPECT_EQ(cloud.findChild<QLineEdit*>(QStringLiteral("1255")), nullptr);
    EXPECT_FALSE(control<QCheckBox>(cloud, 1250)->isChecked());
}

TEST_F(UploadSettingsDialogsTest, SaveWritesTheSectionAndPublishesTheSettings) {
    struct Case {
        const char* ini;
        Kind kind;
        std::string expectedFile;
        const char* port;
    };
    const Case cases[] = {
        {kFilled, kKinds[1],
         "[Up]\nType=1\n"
         "[Upload]\nStationID=KXX1\nPassword=wu\nAutosend=1\n"
         "[WeatherObservationsWebsite]\nServer=wow.metoffice.gov.uk\nServerPort=8080\nNum=42\n"
         "StationID=ID 2\nPassword= a=b c \nAutosend=0\n"
         "[weathercloud]\nStationID=WC\nPassword=cloud key\nAutosend=0\n",
         "443"},
        // No port in the file: it stays missing there, yet uploads keep the fixed port.
        {"", kKinds[2],
         "[weathercloud]\nServer=api.weathercloud.net\nServerPort=\nStationID=ID 2\n"
         "Password= a=b c \nAutosend=0\n",
         "80"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind.name);
        TempMainIni ini(c.ini);
        ProfileFile config(ini.path());
        UploadConfigStore store;
        Script script;
        auto d = c.kind.open(script, config, store);
        control<QLineEdit>(*d, 1253)->setText(QStringLiteral("ID 2"));
        control<QLineEdit>(*d, 1254)->setText(QStringLiteral(" a=b c "));
        control<QCheckBox>(*d, 1250)->setChecked(false);
        testing::clickButton(*d, 1);

        EXPECT_EQ(script.questions, 1);
        EXPECT_EQ(d->result(), QDialog::Accepted);
        EXPECT_EQ(ini.content(), c.expectedFile);
        UploadConfigStore restarted;
        LoadUploadConfiguration(config, restarted);
        EXPECT_EQ(store.get(c.kind.service), restarted.get(c.kind.service));
        EXPECT_EQ(store.get(c.kind.service).m_ServerPort, c.port);
        EXPECT_EQ(store.get(c.kind.service).m_Password, " a=b c ");
    }
}

// A server named for a trial run keeps taking the uploads after a Save, and the file
// never learns about it.
TEST_F(UploadSettingsDialogsTest, ServerOverrideSurvivesASaveAndIsNeverStored) {
    const std::pair<Kind, const char*> cases[] = {{kKinds[1], "NIMBRA_WOW_SERVER"},
                                                  {kKinds[2], "NIMBRA_WEATHERCLOUD_SERVER"}};
    for (const auto& [k, variable] : cases) {
        SCOPED_TRACE(k.name);
        TempMainIni ini(kFilled);
        ProfileFile config(ini.path());
        UploadConfigStore store;
        ::setenv(variable, "127.0.0.1:8081", 1);
        LoadUploadConfiguration(config, store);
        ::unsetenv(variable);
        Script script;
        auto d = k.open(script, config, store);
        EXPECT_EQ(text(*d, 1253).size(), 2);  // the file's id, not the trial server
        EXPECT_EQ(control<QLineEdit>(*d, 1253)->maxLength(), 49);
        EXPECT_EQ(control<QLineEdit>(*d, 1254)->maxLength(), 49);
        control<QLineEdit>(*d, 1253)->setText(QStringLiteral("ID 2"));
        testing::clickButton(*d, 1);

        ASSERT_EQ(d->result(), QDialog::Accepted);
        EXPECT_EQ(store.get(k.service).m_Server, "127.0.0.1");
        EXPECT_EQ(store.get(k.service).m_ServerPort, "8081");
        EXPECT_EQ(store.get(k.service).m_StationID, "ID 2");
        EXPECT_EQ(ini.content().find("127.0.0.1"), std::string::npos) << ini.content();
        EXPECT_EQ(ini.content().find("8081"), std::string::npos) << ini.content();
    }
}

TEST_F(UploadSettingsDialogsTest, NothingIsWrittenOrPublishedUnlessSaveIsConfirmed) {
    for (const Kind& k : kKinds) {
        SCOPED_TRACE(k.name);
        TempMainIni ini(kFilled);
        ProfileFile config(ini.path());
        UploadConfigStore store;
        Script script;
        script.answer = false;
        auto d = k.open(script, config, store);
        control<QLineEdit>(*d, k.stationIdEdit)->setText(QStringLiteral("edited"));

        testing::clickButton(*d, 1);
        EXPECT_EQ(script.questions, 1);
        EXPECT_NE(d->result(), QDialog::Accepted);
        EXPECT_EQ(text(*d, k.stationIdEdit), "edited");

        testing::clickButton(*d, 2);
        EXPECT_EQ(d->result(), QDialog::Rejected);
        EXPECT_EQ(ini.content(), kFilled);
        EXPECT_EQ(store.get(k.service), UploadServiceConfig{});
    }
}

TEST_F(UploadSettingsDialogsTest, AFileThatCannotBeWrittenIsReportedAndNothingIsPublished) {
    for (const Kind& k : kKinds) {
        SCOPED_TRACE(k.name);
        ProfileFile config("/nonexistent-folder/Main.ini");
        UploadConfigStore store;
        Script script;
        auto d = k.open(script, config, store);
        if (k.service == UploadService::WeatherUnderground) {
            control<QLineEdit>(*d, 1246)->setText(QStringLiteral("80"));
        }
        testing::clickButton(*d, 1);

        EXPECT_EQ(script.problems, QStringList{"Failure: /nonexistent-folder/Main.ini"});
        EXPECT_NE(d->result(), QDialog::Accepted);
        EXPECT_EQ(store.get(k.service), UploadServiceConfig{});
    }
}

TEST_F(UploadSettingsDialogsTest, PasswordsAreMaskedWithAWayToShowThem) {
    const std::pair<const Kind*, int> masked[] = {{&kKinds[0], 1248}, {&kKinds[1], 1254}};
    for (const auto& [k, id] : masked) {
        SCOPED_TRACE(k->name);
        TempMainIni ini("");
        ProfileFile config(ini.path());
        UploadConfigStore store;
        Script script;
        auto d = k->open(script, config, store);
        auto* password = control<QLineEdit>(*d, id);
        EXPECT_EQ(password->echoMode(), QLineEdit::Password);
        auto* reveal = password->findChild<QAction*>(QStringLiteral("reveal"));
        ASSERT_NE(reveal, nullptr);
        reveal->trigger();
        EXPECT_EQ(password->echoMode(), QLineEdit::Normal);
        reveal->trigger();
        EXPECT_EQ(password->echoMode(), QLineEdit::Password);
    }
    // Weathercloud's key is shown in the clear, as on the service's own pages.
    TempMainIni ini("");
    ProfileFile config(ini.path());
    UploadConfigStore store;
    Script script;
    auto cloud = kKinds[2].open(script, config, store);
    EXPECT_EQ(control<QLineEdit>(*cloud, 1254)->echoMode(), QLineEdit::Normal);
}

}  // namespace
}  // namespace nimbra
