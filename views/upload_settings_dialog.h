#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "config/profile_file.h"
#include "upload/upload_config_store.h"
#include "views/string_lookup.h"

class QBoxLayout;
class QLabel;
class QLineEdit;

namespace nimbra {

// What Save hands on: the keys in the order they are written, and the nine texts the
// service uploads with from then on.
struct UploadSettingsChange {
    std::vector<ProfileEntry> entries;
    UploadServiceConfig live;
};

// What the three upload settings dialogs share: the Save and Cancel buttons and the
// way a confirmed Save reaches Main.ini and then the live configuration, so that the
// next upload uses the new settings without a restart.
class UploadSettingsDialog : public QDialog {
    Q_OBJECT

public:
    // Save: checks the inputs, asks for confirmation, writes the keys and publishes
    // the new settings. The dialog stays open when any step declines.
    void accept() override;

protected:
    UploadSettingsDialog(UploadService service, ProfileFile& config, UploadConfigStore& store,
                         const StringLookup& strings, QWidget* parent);

    // False, after telling the user, when an input cannot be saved.
    virtual bool inputsAcceptable() { return true; }
    virtual UploadSettingsChange collect() const = 0;

    // Asks whether to save; a test answers it without a message box.
    virtual bool confirmSave();
    // Tells the user why nothing was saved; a test records it instead.
    virtual void showProblem(const QString& message);

    // Save and Cancel, Save being the default button.
    void addButtons(QBoxLayout* layout);
    // A single-line edit for one stored text, never longer than Main.ini keeps, or than
    // `maxLength` characters.
    static QLineEdit* makeTextEdit(int id, int maxLength = ProfileFile::kMaxValueLength);
    // An edit for a station id or password: no longer than an upload sends.
    static QLineEdit* makeCredentialEdit(int id);
    static QLabel* makeLabel(int id, const QString& text);

    // The settings the service uploads with now, and the station's location.
    UploadServiceConfig liveSettings() const;
    StationLocation liveLocation() const;

    ProfileFile& m_config;
    const StringLookup m_strings;

private:
    UploadService m_service;
    UploadConfigStore& m_store;
};

}  // namespace nimbra
