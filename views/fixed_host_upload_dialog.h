#pragma once

#include <string>
#include <string_view>

#include "views/upload_settings_dialog.h"

class QCheckBox;
class QLineEdit;

namespace nimbra {

// How the WOW and Weathercloud settings dialogs differ.
struct FixedHostService {
    UploadService service;
    int dialogId;
    int serverLabelId;
    const char* section;  // also the window title
    std::string_view host;
    std::string_view port;
    const char* passwordLabel;
    bool masksPassword;
    bool keepsNum;  // WOW's hidden station number
};

// Settings of a service that always uploads to its own host and port: the user
// enters the station id and key and switches uploads on or off.
class FixedHostUploadDialog : public UploadSettingsDialog {
    Q_OBJECT

protected:
    FixedHostUploadDialog(const FixedHostService& service, ProfileFile& config,
                          UploadConfigStore& store, const StringLookup& strings, QWidget* parent);

    UploadSettingsChange collect() const override;

private:
    void buildControls();

    const FixedHostService& m_service;
    std::string m_serverPort;  // written back as read: only the fixed port is used

    QLineEdit* m_host = nullptr;
    QLineEdit* m_stationId = nullptr;
    QLineEdit* m_password = nullptr;
    QLineEdit* m_num = nullptr;
    QCheckBox* m_autosend = nullptr;
};

// Met Office Weather Observations Website.
class UploadInt1 : public FixedHostUploadDialog {
    Q_OBJECT

public:
    UploadInt1(ProfileFile& config, UploadConfigStore& store, const StringLookup& strings,
               QWidget* parent = nullptr);
};

// Weathercloud.
class UploadInt2 : public FixedHostUploadDialog {
    Q_OBJECT

public:
    UploadInt2(ProfileFile& config, UploadConfigStore& store, const StringLookup& strings,
               QWidget* parent = nullptr);
};

}  // namespace nimbra
