#include "views/fixed_host_upload_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QVBoxLayout>

#include "config/string_ids.h"
#include "views/password_field.h"

namespace nimbra {

namespace {

const FixedHostService kWow{
    .service = UploadService::Wow,
    .dialogId = 333,
    .serverLabelId = 1256,
    .section = "WeatherObservationsWebsite",
    .host = kWowUploadHost,
    .port = kWowUploadPort,
    .passwordLabel = "Password:",
    .masksPassword = true,
    .keepsNum = true,
};

// Weathercloud calls it a key and shows it in the clear on its own pages.
const FixedHostService kWeathercloud{
    .service = UploadService::Weathercloud,
    .dialogId = 334,
    .serverLabelId = 1257,
    .section = "weathercloud",
    .host = kWeathercloudUploadHost,
    .port = kWeathercloudUploadPort,
    .passwordLabel = "key:",
    .masksPassword = false,
    .keepsNum = false,
};

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

FixedHostUploadDialog::FixedHostUploadDialog(const FixedHostService& service, ProfileFile& config,
                                             UploadConfigStore& store, const StringLookup& strings,
                                             QWidget* parent)
    : UploadSettingsDialog(service.service, config, store, strings, parent), m_service(service) {
    setObjectName(QString::number(service.dialogId));
    setWindowTitle(QString::fromLatin1(service.section));
    buildControls();

    const auto read = [this](const char* key) {
        return fromUtf8(m_config.readString(m_service.section, key));
    };
    m_serverPort = m_config.readString(m_service.section, "ServerPort");
    m_host->setText(fromUtf8(m_service.host));
    m_stationId->setText(read("StationID"));
    m_password->setText(read("Password"));
    if (m_service.keepsNum) {
        m_num->setText(read("Num"));
    }
    m_autosend->setChecked(read("Autosend") == QLatin1String("1"));
}

void FixedHostUploadDialog::buildControls() {
    m_host = makeTextEdit(1252);
    m_host->setReadOnly(true);
    // Looks fixed and is skipped by Tab, yet the host can still be selected and copied.
    m_host->setFocusPolicy(Qt::ClickFocus);
    QPalette fixed = m_host->palette();
    fixed.setColor(QPalette::Base, fixed.color(QPalette::Window));
    m_host->setPalette(fixed);
    m_stationId = makeCredentialEdit(1253);
    m_password = makeCredentialEdit(1254);
    if (m_service.masksPassword) {
        makeRevealablePassword(m_password);
    }
    m_autosend = new QCheckBox(m_strings(kTextAutoUpload));
    m_autosend->setObjectName(QStringLiteral("1250"));

    auto* grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    grid->addWidget(makeLabel(m_service.serverLabelId, m_strings(kTextServer) + QLatin1Char(':')),
                    0, 0);
    grid->addWidget(m_host, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("ID:")), 1, 0);
    grid->addWidget(m_stationId, 1, 1);
    grid->addWidget(new QLabel(QString::fromLatin1(m_service.passwordLabel)), 2, 0);
    grid->addWidget(m_password, 2, 1);
    if (m_service.keepsNum) {
        // Kept in the file for the service's station number; never shown.
        m_num = makeTextEdit(1255);
        auto* numLabel = new QLabel(QStringLiteral("StationNum:"));
        grid->addWidget(numLabel, 3, 0);
        grid->addWidget(m_num, 3, 1);
        numLabel->hide();
        m_num->hide();
    }
    grid->addWidget(m_autosend, 4, 1);
    m_host->setMinimumWidth(m_host->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 34);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(6);
    addButtons(layout);
}

UploadSettingsChange FixedHostUploadDialog::collect() const {
    const char* section = m_service.section;
    // The service keeps uploading where it does now: its fixed host and port, or the
    // server a test or trial named at start, which the file never learns about.
    const UploadServiceConfig live = liveSettings();
    UploadServiceConfig c;
    c.m_Server = live.m_Server;
    c.m_ServerPort = live.m_ServerPort;
    if (c.m_Server.empty()) {
        c.m_Server = m_service.host;
        c.m_ServerPort = m_service.port;
    }
    c.m_StationID = m_stationId->text().toStdString();
    c.m_Password = m_password->text().toStdString();
    c.m_Autosend = m_autosend->isChecked() ? "1" : "0";

    UploadSettingsChange change;
    change.entries.push_back({section, "Server", std::string(m_service.host)});
    change.entries.push_back({section, "ServerPort", m_serverPort});
    if (m_service.keepsNum) {
        c.m_ReadOnly = m_num->text().toStdString();
        change.entries.push_back({section, "Num", c.m_ReadOnly});
    }
    change.entries.push_back({section, "StationID", c.m_StationID});
    change.entries.push_back({section, "Password", c.m_Password});
    change.entries.push_back({section, "Autosend", c.m_Autosend});
    change.live = std::move(c);
    return change;
}

UploadInt1::UploadInt1(ProfileFile& config, UploadConfigStore& store, const StringLookup& strings,
                       QWidget* parent)
    : FixedHostUploadDialog(kWow, config, store, strings, parent) {}

UploadInt2::UploadInt2(ProfileFile& config, UploadConfigStore& store, const StringLookup& strings,
                       QWidget* parent)
    : FixedHostUploadDialog(kWeathercloud, config, store, strings, parent) {}

}  // namespace nimbra
