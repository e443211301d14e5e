#pragma once

#include <string>

#include "views/upload_settings_dialog.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace nimbra {

// Upload settings of service 0, in one of two modes. Weather Underground mode fixes
// the update host, port 80, the php path and the Weather Underground field names, and
// saves to [Upload]; custom mode edits all of them for a server speaking the same
// protocol and saves to [Custom]. [Up] Type records the mode for the next start.
// Choosing the other website re-reads that mode's section, dropping unsaved edits.
class UploadInt : public UploadSettingsDialog {
    Q_OBJECT

public:
    UploadInt(ProfileFile& config, UploadConfigStore& store, const StringLookup& strings,
              QWidget* parent = nullptr);

    bool weatherUndergroundMode() const { return m_weatherUndergroundMode; }

protected:
    bool inputsAcceptable() override;
    UploadSettingsChange collect() const override;

private:
    void buildControls();
    void enterWeatherUndergroundMode();
    void enterCustomMode();
    void enableServerControls(bool enabled);
    void websiteChosen(int entry);

    bool m_weatherUndergroundMode = false;
    std::string m_readOnly;  // kept for the file, as read from the mode's section

    QComboBox* m_website = nullptr;        // Weather Underground mode: a fixed list
    QComboBox* m_customWebsite = nullptr;  // custom mode: the same list, text typed freely
    QLineEdit* m_server = nullptr;
    QLineEdit* m_port = nullptr;
    QComboBox* m_serverType = nullptr;
    QComboBox* m_uploadType = nullptr;
    QLineEdit* m_stationId = nullptr;
    QLineEdit* m_password = nullptr;
    QCheckBox* m_autosend = nullptr;
};

}  // namespace nimbra
