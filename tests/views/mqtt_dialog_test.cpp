#include "views/mqtt_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <optional>

#include "config/mqtt_settings.h"
#include "tests/support/english_strings.h"
#include "tests/support/qt_application.h"
#include "tests/views/upload_dialog_support.h"

namespace nimbra {
namespace {

using testing::Script;
using testing::TempMainIni;

class ScriptedMqttDialog : public MqttDialog {
public:
    ScriptedMqttDialog(Script& script, ProfileFile& config, std::optional<MqttSettings>& applied)
        : MqttDialog(
              config, [&applied](const MqttSettings& settings) { applied = settings; },
              testing::englishStrings(), nullptr),
          m_script(script) {}

protected:
    bool confirmSave() override {
        ++m_script.questions;
        return m_script.answer;
    }
    void showProblem(const QString& message) override { m_script.problems << message; }

private:
    Script& m_script;
};

QLineEdit* edit(const QDialog& dialog, const char* name) {
    return dialog.findChild<QLineEdit*>(QLatin1String(name));
}

constexpr const char* kSaved =
    "[MQTT]\nEnable=1\nServer=broker.lan\nPort=1883\nUser=ws\nPassword=pw\nTopic=home/ws\n"
    "Discovery=1\n";

TEST(MqttDialogTest, SavesAndAppliesOnlyUsableSettings) {
    testing::qtApplication();
    struct Case {
        const char* server;
        const char* port;
        const char* topic;
        const char* problem;  // nullptr: saved
    };
    for (const Case& c : {Case{"", "1883", "home/ws", "Enter the broker's host name."},
                          Case{"broker.lan", "0", "home/ws", "The port must be"},
                          Case{"broker.lan", "65536", "home/ws", "The port must be"},
                          Case{"broker.lan", "1883", "home/#", "The base topic must not"},
                          Case{"broker.lan", "1883", "home/ws/", "The base topic must not"},
                          Case{" tls.lan ", "8883", "garden", nullptr}}) {
        TempMainIni ini(kSaved);
        ProfileFile config(ini.path());
        Script script;
        std::optional<MqttSettings> applied;
        ScriptedMqttDialog dialog(script, config, applied);
        EXPECT_EQ(edit(dialog, "server")->text(), "broker.lan");
        EXPECT_EQ(edit(dialog, "password")->text(), "pw");
        EXPECT_TRUE(dialog.findChild<QCheckBox*>(QStringLiteral("discovery"))->isChecked());
        edit(dialog, "server")->setText(QString::fromUtf8(c.server));
        edit(dialog, "port")->setText(QString::fromUtf8(c.port));
        edit(dialog, "topic")->setText(QString::fromUtf8(c.topic));
        dialog.accept();
        if (c.problem != nullptr) {
            ASSERT_EQ(script.problems.size(), 1) << c.port << c.topic;
            EXPECT_TRUE(script.problems[0].startsWith(QString::fromUtf8(c.problem)))
                << script.problems[0].toStdString();
            EXPECT_FALSE(applied);
            EXPECT_EQ(ini.content(), kSaved);
            continue;
        }
        EXPECT_EQ(script.questions, 1);
        const MqttSettings expected{true, "tls.lan", 8883, true, "ws", "pw", "garden", true};
        EXPECT_EQ(applied, expected);
        EXPECT_EQ(loadMqttSettings(config), expected);
    }
}

}  // namespace
}  // namespace nimbra
