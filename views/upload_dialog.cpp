#include "views/upload_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <array>

#include "config/string_ids.h"
#include "config/string_table.h"
#include "upload/upload_target.h"
#include "views/password_field.h"

namespace nimbra {

namespace {

constexpr const char* kModeSection = "Up";
constexpr const char* kModeKey = "Type";
constexpr const char* kWeatherUndergroundSection = "Upload";
constexpr const char* kCustomSection = "Custom";

// The service's keys in the order they are read at start and written on Save.
constexpr std::array<const char*, 9> kKeys{"Web",        "Server",     "ServerType",
                                           "ServerPort", "UploadType", "ReadOnly",
                                           "StationID",  "Password",   "Autosend"};

constexpr int kPhpPosition = 2;
constexpr int kDefaultFieldsPosition = 0;
constexpr int kWeatherUndergroundFieldsPosition = 1;
constexpr int kWeatherUndergroundEntry = 0;
constexpr int kCustomEntry = 1;
constexpr int kLowestPort = 1;
constexpr int kHighestPort = 65535;

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QComboBox* makeList(int id, const QStringList& entries) {
    auto* list = new QComboBox;
    list->setObjectName(QString::number(id));
    list->addItems(entries);
    return list;
}

}  // namespace

UploadInt::UploadInt(ProfileFile& config, UploadConfigStore& store, const StringLookup& strings,
                     QWidget* parent)
    : UploadSettingsDialog(UploadService::WeatherUnderground, config, store, strings, parent) {
    setObjectName(QStringLiteral("330"));
    setWindowTitle(m_strings(kTextUpload));
    buildControls();
    if (m_config.readString(kModeSection, kModeKey) == "1") {
        enterWeatherUndergroundMode();
    } else {
        enterCustomMode();
    }
}

void UploadInt::buildControls() {
    const auto& s = m_strings;
    const QString customWeb = fromUtf8(m_config.readString(kCustomSection, "Web"));
    const QStringList websites{
        fromUtf8(kWundergroundWebsite),
        customWeb.isEmpty() ? QStringLiteral("(%1)").arg(s(kTextCustom)) : customWeb};

    m_website = makeList(1249, websites);
    m_customWebsite = makeList(1254, websites);
    m_customWebsite->setEditable(true);
    // A typed address is the custom website itself, not a third entry of the list.
    m_customWebsite->setInsertPolicy(QComboBox::NoInsert);
    m_customWebsite->lineEdit()->setMaxLength(static_cast<int>(ProfileFile::kMaxValueLength));
    for (QComboBox* list : {m_website, m_customWebsite}) {
        list->setMinimumContentsLength(28);
        connect(list, &QComboBox::activated, this, &UploadInt::websiteChosen);
    }
    m_server = makeTextEdit(1245);
    m_port = makeTextEdit(1246);
    m_serverType =
        makeList(1222, {QStringLiteral("asp"), QStringLiteral("jsp"), QStringLiteral("php")});
    m_uploadType = makeList(1223, {QStringLiteral("Default"), QStringLiteral("Customize")});
    m_stationId = makeCredentialEdit(1247);
    m_password = makeCredentialEdit(1248);
    makeRevealablePassword(m_password);
    m_autosend = new QCheckBox(s(kTextAutoUpload));
    m_autosend->setObjectName(QStringLiteral("1250"));

    const auto label = [&s](int id, int textId) {
        return makeLabel(id, s(textId) + QLatin1Char(':'));
    };
    auto* grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    grid->addWidget(label(1237, kTextWebsite), 0, 0);
    grid->addWidget(m_website, 0, 1, 1, 3);
    grid->addWidget(m_customWebsite, 0, 1, 1, 3);
    grid->addWidget(label(1238, kTextServer), 1, 0);
    grid->addWidget(m_server, 1, 1, 1, 3);
    grid->addWidget(label(1239, kTextType), 2, 0);
    grid->addWidget(m_serverType, 2, 1);
    grid->addWidget(label(1240, kTextPort), 2, 2, Qt::AlignRight);
    grid->addWidget(m_port, 2, 3);
    grid->addWidget(label(1241, kTextUploadType), 3, 0);
    grid->addWidget(m_uploadType, 3, 1);
    grid->addWidget(new QLabel(QStringLiteral("ID:")), 4, 0);
    grid->addWidget(m_stationId, 4, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("PassWord:")), 5, 0);
    grid->addWidget(m_password, 5, 1, 1, 3);
    grid->addWidget(m_autosend, 6, 1, 1, 3);
    m_port->setMaximumWidth(m_port->fontMetrics().horizontalAdvance(QStringLiteral("0000000")));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(6);
    addButtons(layout);
}

void UploadInt::enterWeatherUndergroundMode() {
    m_weatherUndergroundMode = true;
    const auto read = [this](const char* key) {
        return m_config.readString(kWeatherUndergroundSection, key);
    };
    const bool moveFocus = m_customWebsite->hasFocus();
    m_website->setCurrentIndex(kWeatherUndergroundEntry);
    m_customWebsite->hide();
    m_website->show();
    if (moveFocus) {
        m_website->setFocus();
    }
    m_serverType->setCurrentIndex(kPhpPosition);
    m_uploadType->setCurrentIndex(kWeatherUndergroundFieldsPosition);
    m_server->setText(fromUtf8(kWundergroundUpdateHost));
    m_port->setText(fromUtf8(kWundergroundUpdatePort));
    enableServerControls(false);
    m_stationId->setText(fromUtf8(read("StationID")));
    m_password->setText(fromUtf8(read("Password")));
    m_autosend->setChecked(read("Autosend") == "1");
    m_readOnly = read("ReadOnly");
}

void UploadInt::enterCustomMode() {
    m_weatherUndergroundMode = false;
    const auto read = [this](const char* key) { return m_config.readString(kCustomSection, key); };
    const bool moveFocus = m_website->hasFocus();
    m_customWebsite->setCurrentIndex(kCustomEntry);
    m_customWebsite->setEditText(fromUtf8(read("Web")));
    m_website->hide();
    m_customWebsite->show();
    if (moveFocus) {
        m_customWebsite->setFocus();
    }
    const std::string serverType = read("ServerType");
    m_serverType->setCurrentIndex(serverType == "0" ? 0 : serverType == "1" ? 1 : kPhpPosition);
    m_uploadType->setCurrentIndex(read("UploadType") == "0" ? kDefaultFieldsPosition
                                                            : kWeatherUndergroundFieldsPosition);
    m_autosend->setChecked(read("Autosend") == "1");
    m_server->setText(fromUtf8(read("Server")));
    m_port->setText(fromUtf8(read("ServerPort")));
    m_stationId->setText(fromUtf8(read("StationID")));
    m_password->setText(fromUtf8(read("Password")));
    enableServerControls(true);
    m_readOnly = read("ReadOnly");
}

void UploadInt::enableServerControls(bool enabled) {
    m_server->setEnabled(enabled);
    m_port->setEnabled(enabled);
    m_serverType->setEnabled(enabled);
    m_uploadType->setEnabled(enabled);
}

void UploadInt::websiteChosen(int entry) {
    if (entry == kWeatherUndergroundEntry) {
        enterWeatherUndergroundMode();
    } else {
        enterCustomMode();
    }
}

bool UploadInt::inputsAcceptable() {
    if (m_weatherUndergroundMode) {
        return true;
    }
    // Uploads never cut a server name, which could name someone else's host: one longer
    // than they send is refused here rather than failing every upload later.
    if (!fitsTargetText(m_server->text().toStdString())) {
        showProblem(m_strings(kTextServer) + QStringLiteral(": ") + m_strings(kTextInputErrors));
        m_server->setFocus();
        m_server->selectAll();
        return false;
    }
    // A port the sender cannot use would only show up later as failed uploads.
    bool number = false;
    const int port = m_port->text().trimmed().toInt(&number);
    if (number && port >= kLowestPort && port <= kHighestPort) {
        return true;
    }
    const std::string range =
        fillTextArguments(m_strings(kTextRangeOfValues).toStdString(),
                          {std::to_string(kLowestPort), std::to_string(kHighestPort)});
    showProblem(m_strings(kTextPort) + QString::fromStdString(range));
    m_port->setFocus();
    m_port->selectAll();
    return false;
}

UploadSettingsChange UploadInt::collect() const {
    UploadServiceConfig c;
    const QComboBox* website = m_weatherUndergroundMode ? m_website : m_customWebsite;
    c.m_Web = website->currentText().toStdString();
    c.m_Server = m_server->text().toStdString();
    c.m_ServerType = std::to_string(m_serverType->currentIndex());
    c.m_ServerPort = m_port->text().toStdString();
    c.m_UploadType = m_uploadType->currentIndex() == kDefaultFieldsPosition ? "0" : "1";
    c.m_ReadOnly = m_readOnly;
    c.m_StationID = m_stationId->text().toStdString();
    c.m_Password = m_password->text().toStdString();
    c.m_Autosend = m_autosend->isChecked() ? "1" : "0";

    const char* section = m_weatherUndergroundMode ? kWeatherUndergroundSection : kCustomSection;
    const std::array<const std::string*, kKeys.size()> values{
        &c.m_Web,      &c.m_Server,    &c.m_ServerType, &c.m_ServerPort, &c.m_UploadType,
        &c.m_ReadOnly, &c.m_StationID, &c.m_Password,   &c.m_Autosend};
    UploadSettingsChange change;
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        change.entries.push_back({section, kKeys[i], *values[i]});
    }
    change.entries.push_back({kModeSection, kModeKey, m_weatherUndergroundMode ? "1" : "0"});
    change.live = std::move(c);
    return change;
}

}  // namespace nimbra
