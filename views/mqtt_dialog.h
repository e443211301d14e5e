#pragma once

#include <QDialog>
#include <functional>

#include "config/profile_file.h"
#include "mqtt/mqtt_settings.h"
#include "views/string_lookup.h"

class QCheckBox;
class QLineEdit;

namespace nimbra {

// Settings of the MQTT publishing, beside the upload services' dialogs: the [MQTT]
// section of Main.ini. Save writes the section and hands the settings on, so the
// publisher reconnects with them at once.
class MqttDialog : public QDialog {
    Q_OBJECT

public:
    using Apply = std::function<void(const MqttSettings&)>;

    MqttDialog(ProfileFile& config, Apply apply, const StringLookup& strings,
               QWidget* parent = nullptr);

    // Checks the inputs, asks for confirmation, writes the section and applies it. The
    // dialog stays open when any step declines.
    void accept() override;

protected:
    // Asks whether to save; a test answers it without a message box.
    virtual bool confirmSave();
    // Tells the user why nothing was saved; a test records it instead.
    virtual void showProblem(const QString& message);

private:
    void buildControls();
    // The settings as entered, or nothing after telling the user what is wrong.
    std::optional<MqttSettings> collect();

    ProfileFile& m_config;
    Apply m_apply;
    const StringLookup m_strings;

    QCheckBox* m_enable = nullptr;
    QLineEdit* m_server = nullptr;
    QLineEdit* m_port = nullptr;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_password = nullptr;
    QLineEdit* m_topic = nullptr;
    QCheckBox* m_discovery = nullptr;
};

}  // namespace nimbra
