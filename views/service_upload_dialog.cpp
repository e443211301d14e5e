#include "views/service_upload_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "config/mqtt_settings.h"
#include "config/status_texts.h"
#include "config/string_ids.h"
#include "upload/cwop_packet.h"
#include "upload/cwop_schedule.h"
#include "views/password_field.h"

namespace nimbra {

namespace {

using Config = UploadServiceConfig;

const ServiceForm kCwop{
    .service = UploadService::Cwop,
    .dialogId = "cwop",
    .section = "CWOP",
    .fields =
        {
            {"Station", kTextCwopStation, &Config::m_StationID, false, "", 9},
            {"Passcode", kTextCwopPasscode, &Config::m_Password, true, "-1", 5},
            {"Interval", kTextCwopInterval, &Config::m_Interval, false, "10", 2},
        },
    .editsServer = true,
};

const ServiceForm kWindy{
    .service = UploadService::Windy,
    .dialogId = "windy",
    .section = "Windy",
    .fields =
        {
            {"StationID", kTextStationId, &Config::m_StationID, false, ""},
            {"Password", kTextServicePassword, &Config::m_Password, true, ""},
        },
};

const ServiceForm kOpenWeatherMap{
    .service = UploadService::OpenWeatherMap,
    .dialogId = "openweathermap",
    .section = "OpenWeatherMap",
    .fields =
        {
            {"ApiKey", kTextApiKey, &Config::m_Password, true, ""},
            {"StationId", kTextStationId, &Config::m_StationID, false, ""},
        },
    .registers = true,
};

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

ServiceUploadDialog::ServiceUploadDialog(const ServiceForm& form, ProfileFile& config,
                                         UploadConfigStore& store, const StringLookup& strings,
                                         QWidget* parent)
    : UploadSettingsDialog(form.service, config, store, strings, parent), m_form(form) {
    setObjectName(QString::fromLatin1(form.dialogId));
    setWindowTitle(QString::fromLatin1(form.section));
    buildControls();

    const auto read = [this](const char* key) { return m_config.readString(m_form.section, key); };
    m_enable->setChecked(read("Enable") == "1");
    for (std::size_t i = 0; i < m_form.fields.size(); ++i) {
        m_edits[i]->setText(fromUtf8(read(m_form.fields[i].key)));
    }
    if (m_form.editsServer) {
        const std::string server = read("Server");
        const std::string port = read("Port");
        m_server->setText(fromUtf8(server));
        m_port->setText(fromUtf8(port));
        const UploadServiceConfig live = liveSettings();
        m_serverOverridden =
            live.m_Server != (server.empty() ? std::string(kCwopServer) : server) ||
            live.m_ServerPort != (port.empty() ? std::string(kCwopPort) : port);
    }
}

ServiceUploadDialog::~ServiceUploadDialog() {
    m_worker.request_stop();
}

void ServiceUploadDialog::buildControls() {
    m_enable = new QCheckBox(m_strings(kTextEnableUploads));
    m_enable->setObjectName(QStringLiteral("enable"));
    auto* grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    int row = 0;
    grid->addWidget(m_enable, row++, 0, 1, 2);
    const auto addRow = [&](const QString& label, QLineEdit* edit, QWidget* beside = nullptr) {
        auto* text = new QLabel(label + QLatin1Char(':'));
        text->setBuddy(edit);
        grid->addWidget(text, row, 0);
        if (beside == nullptr) {
            grid->addWidget(edit, row++, 1);
            return;
        }
        auto* line = new QHBoxLayout;
        line->addWidget(edit, 1);
        line->addWidget(beside);
        grid->addLayout(line, row++, 1);
    };
    for (const ServiceField& field : m_form.fields) {
        QLineEdit* edit = makeTextEdit(0, field.maxLength);
        edit->setObjectName(QString::fromLatin1(field.key));
        edit->setPlaceholderText(QString::fromLatin1(field.fallback));
        if (field.secret) {
            makeRevealablePassword(edit);
        }
        m_edits.push_back(edit);
        if (m_form.registers && field.member == &Config::m_StationID) {
            m_register = new QPushButton(m_strings(kTextRegister));
            m_register->setObjectName(QStringLiteral("register"));
            connect(m_register, &QPushButton::clicked, this, &ServiceUploadDialog::registerStation);
            // A station is registered once: with an id there is nothing to register.
            connect(edit, &QLineEdit::textChanged, m_register,
                    [this](const QString& id) { m_register->setEnabled(id.isEmpty() && !busy()); });
            addRow(m_strings(field.labelId), edit, m_register);
        } else {
            addRow(m_strings(field.labelId), edit);
        }
    }
    if (m_form.editsServer) {
        m_server = makeTextEdit(0, static_cast<int>(kTargetTextLimit));
        m_server->setObjectName(QStringLiteral("Server"));
        m_server->setPlaceholderText(QString::fromUtf8(kCwopServer.data(), kCwopServer.size()));
        m_port = makeTextEdit(0, 5);
        m_port->setObjectName(QStringLiteral("Port"));
        m_port->setPlaceholderText(QString::fromUtf8(kCwopPort.data(), kCwopPort.size()));
        addRow(m_strings(kTextServer), m_server);
        addRow(m_strings(kTextPort), m_port);
    }
    m_edits.front()->setMinimumWidth(m_edits.front()->fontMetrics().horizontalAdvance('x') * 34);

    m_result = new QLabel;
    m_result->setObjectName(QStringLiteral("result"));
    m_result->setWordWrap(true);
    m_test = new QPushButton(m_strings(kTextTest));
    m_test->setObjectName(QStringLiteral("test"));
    connect(m_test, &QPushButton::clicked, this, &ServiceUploadDialog::test);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_result);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_test);
    auto* saveCancel = new QVBoxLayout;
    addButtons(saveCancel);
    buttons->addLayout(saveCancel, 1);
    layout->addLayout(buttons);
}

void ServiceUploadDialog::setTester(UploadTester tester) {
    m_tester = std::move(tester);
}

void ServiceUploadDialog::setRegistrar(StationRegistrar registrar) {
    m_registrar = std::move(registrar);
}

QString ServiceUploadDialog::resultText() const {
    return m_result->text();
}

bool ServiceUploadDialog::inputsAcceptable() {
    if (m_form.service != UploadService::Cwop) {
        return true;
    }
    const std::string station = m_edits[0]->text().toStdString();
    const std::string passcode = m_edits[1]->text().toStdString();
    const std::string interval = m_edits[2]->text().toStdString();
    const int minutes = interval.empty() ? kCwopDefaultInterval : parseConfigInt(interval);
    if (!station.empty() && !aprsStationName(station)) {
        showProblem(m_strings(kTextCwopStationInvalid));
    } else if (!passcode.empty() && !aprsPasscode(passcode)) {
        showProblem(m_strings(kTextCwopPasscodeInvalid));
    } else if (minutes < kCwopShortestInterval || minutes > 60 ||
               interval.find_first_not_of("0123456789") != std::string::npos) {
        showProblem(m_strings(kTextCwopIntervalInvalid));
    } else if (!m_port->text().isEmpty() && !parseMqttPort(m_port->text().toStdString())) {
        showProblem(m_strings(kTextMqttPortInvalid));
    } else {
        return true;
    }
    return false;
}

UploadSettingsChange ServiceUploadDialog::collect() const {
    const char* section = m_form.section;
    UploadSettingsChange change;
    // Uploads keep going where they go now unless the user names another server: to the
    // service's own host, or to the one the environment named for this run.
    UploadServiceConfig live = liveSettings();
    live.m_Autosend = m_enable->isChecked() ? "1" : "0";
    change.entries.push_back({section, "Enable", live.m_Autosend});
    for (std::size_t i = 0; i < m_form.fields.size(); ++i) {
        const ServiceField& field = m_form.fields[i];
        const std::string value = m_edits[i]->text().toStdString();
        live.*field.member = value.empty() ? std::string(field.fallback) : value;
        change.entries.push_back({section, field.key, value});
    }
    if (m_form.service == UploadService::Cwop) {
        live.m_StationID = aprsStationName(live.m_StationID).value_or(live.m_StationID);
    }
    if (m_form.editsServer) {
        const std::string server = m_server->text().toStdString();
        const std::string port = m_port->text().toStdString();
        change.entries.push_back({section, "Server", server});
        change.entries.push_back({section, "Port", port});
        if (!m_serverOverridden) {
            live.m_Server = server.empty() ? std::string(kCwopServer) : server;
            live.m_ServerPort = port.empty() ? std::string(kCwopPort) : port;
        }
    }
    change.live = std::move(live);
    return change;
}

void ServiceUploadDialog::runInBackground(std::function<QString(std::stop_token)> work) {
    if (busy()) {
        return;
    }
    if (m_worker.joinable()) {
        m_worker.join();  // finished already
    }
    m_test->setEnabled(false);
    if (m_register != nullptr) {
        m_register->setEnabled(false);
    }
    m_result->setText(m_strings(kTextTesting));
    m_done = false;
    m_worker = std::jthread([this, work = std::move(work)](std::stop_token stop) {
        const QString text = work(stop);
        m_done = true;
        if (stop.stop_requested()) {
            return;  // the dialog is going
        }
        QMetaObject::invokeMethod(
            this,
            [this, text] {
                m_result->setText(text);
                m_test->setEnabled(true);
                if (m_register != nullptr) {
                    m_register->setEnabled(m_edits[1]->text().isEmpty());
                }
            },
            Qt::QueuedConnection);
    });
}

QString ServiceUploadDialog::attemptText(const UploadAttempt& attempt) const {
    switch (attempt.outcome) {
        case UploadOutcome::success:
            return m_strings(kTextTestAccepted);
        case UploadOutcome::off:
            return m_strings(kTextTestNothingSent);
        case UploadOutcome::paused:
            return m_strings(kTextTestPaused);
        default:
            return m_strings(kTextTestFailed) + QLatin1Char(' ') + failureText(attempt.why);
    }
}

QString ServiceUploadDialog::failureText(const UploadFailure& why) const {
    return QString::fromStdString(
        uploadFailureText(why, [this](int id) { return m_strings(id).toStdString(); }));
}

void ServiceUploadDialog::test() {
    if (!m_tester || !inputsAcceptable()) {
        return;
    }
    UploadServiceConfig settings = collect().live;
    settings.m_Autosend = "1";  // a test sends even before uploads are switched on
    runInBackground([this, settings, service = m_form.service](std::stop_token stop) {
        return attemptText(m_tester(service, settings, stop));
    });
}

void ServiceUploadDialog::registerStation() {
    const UploadServiceConfig settings = collect().live;
    if (settings.m_Password.empty()) {
        m_result->setText(m_strings(kTextApiKeyMissing));
        return;
    }
    if (!liveLocation().complete()) {
        m_result->setText(m_strings(kTextLocationMissing));
        return;
    }
    if (!m_registrar) {
        return;
    }
    QLineEdit* stationId = m_edits[1];
    runInBackground([this, settings, stationId](std::stop_token) {
        UploadFailure whyNot;
        const std::string id = m_registrar(settings, whyNot);
        if (id.empty()) {
            return m_strings(kTextRegistrationFailed) + QLatin1Char(' ') + failureText(whyNot);
        }
        QMetaObject::invokeMethod(
            stationId, [stationId, id] { stationId->setText(QString::fromStdString(id)); },
            Qt::QueuedConnection);
        return m_strings(kTextRegistered);
    });
}

CwopDialog::CwopDialog(ProfileFile& config, UploadConfigStore& store, const StringLookup& strings,
                       QWidget* parent)
    : ServiceUploadDialog(kCwop, config, store, strings, parent) {}

WindyDialog::WindyDialog(ProfileFile& config, UploadConfigStore& store, const StringLookup& strings,
                         QWidget* parent)
    : ServiceUploadDialog(kWindy, config, store, strings, parent) {}

OpenWeatherMapDialog::OpenWeatherMapDialog(ProfileFile& config, UploadConfigStore& store,
                                           const StringLookup& strings, QWidget* parent)
    : ServiceUploadDialog(kOpenWeatherMap, config, store, strings, parent) {}

}  // namespace nimbra
