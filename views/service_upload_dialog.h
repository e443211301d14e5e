#pragma once

#include <QString>
#include <atomic>
#include <functional>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "upload/upload_target.h"
#include "upload/upload_worker.h"
#include "views/upload_settings_dialog.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace nimbra {

// One stored text of a service's section, edited in one line.
struct ServiceField {
    const char* key;  // in Main.ini
    int labelId;      // string id of its label
    std::string UploadServiceConfig::*member;
    bool secret = false;   // masked, with a toggle that shows it
    const char* fallback;  // what an empty key means, shown as a placeholder
    int maxLength = static_cast<int>(kTargetTextLimit);
};

// How the CWOP, Windy and OpenWeatherMap dialogs differ.
struct ServiceForm {
    UploadService service;
    const char* dialogId;  // object name
    const char* section;   // also the window title
    std::vector<ServiceField> fields;
    bool editsServer = false;  // CWOP: Server and Port are fields of their own
    bool registers = false;    // OpenWeatherMap: Register fills in the station id
};

// Tries one upload with settings not yet saved: the Test button's work.
using UploadTester =
    std::function<UploadAttempt(UploadService, const UploadServiceConfig&, std::stop_token)>;
// Registers a station with the key and settings given; the id or, empty, a failure with
// its reason in `whyNot`.
using StationRegistrar =
    std::function<std::string(const UploadServiceConfig&, UploadFailure& whyNot)>;

// Settings of a service with Enable, its fields, Save, Cancel and Test (and Register):
// Test sends the current reading with the settings as entered and says how it went,
// without saving them. Server overrides of the environment are kept for this run and
// never written to Main.ini.
class ServiceUploadDialog : public UploadSettingsDialog {
    Q_OBJECT

public:
    ~ServiceUploadDialog() override;

    void setTester(UploadTester tester);
    void setRegistrar(StationRegistrar registrar);
    // What the last Test or Register said; empty before.
    QString resultText() const;
    // Whether a Test or Register is running.
    bool busy() const { return m_worker.joinable() && !m_done; }

protected:
    ServiceUploadDialog(const ServiceForm& form, ProfileFile& config, UploadConfigStore& store,
                        const StringLookup& strings, QWidget* parent);

    bool inputsAcceptable() override;
    UploadSettingsChange collect() const override;

private:
    void buildControls();
    void runInBackground(std::function<QString(std::stop_token)> work);
    void test();
    void registerStation();
    QString attemptText(const UploadAttempt& attempt) const;
    // Why an upload or registration failed, in the user's language.
    QString failureText(const UploadFailure& why) const;

    const ServiceForm& m_form;
    UploadTester m_tester;
    StationRegistrar m_registrar;
    bool m_serverOverridden = false;  // the live server came from the environment

    QCheckBox* m_enable = nullptr;
    std::vector<QLineEdit*> m_edits;  // in the order of the form's fields
    QLineEdit* m_server = nullptr;
    QLineEdit* m_port = nullptr;
    QPushButton* m_test = nullptr;
    QPushButton* m_register = nullptr;
    QLabel* m_result = nullptr;
    std::atomic<bool> m_done{true};
    std::jthread m_worker;  // last: stopped and joined first
};

// CWOP over APRS-IS.
class CwopDialog : public ServiceUploadDialog {
    Q_OBJECT

public:
    CwopDialog(ProfileFile& config, UploadConfigStore& store, const StringLookup& strings,
               QWidget* parent = nullptr);
};

// Windy's stations API.
class WindyDialog : public ServiceUploadDialog {
    Q_OBJECT

public:
    WindyDialog(ProfileFile& config, UploadConfigStore& store, const StringLookup& strings,
                QWidget* parent = nullptr);
};

// OpenWeatherMap's stations API.
class OpenWeatherMapDialog : public ServiceUploadDialog {
    Q_OBJECT

public:
    OpenWeatherMapDialog(ProfileFile& config, UploadConfigStore& store, const StringLookup& strings,
                         QWidget* parent = nullptr);
};

}  // namespace nimbra
