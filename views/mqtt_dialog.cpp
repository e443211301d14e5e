#include "views/mqtt_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "config/mqtt_settings.h"
#include "config/string_ids.h"
#include "views/app_icon.h"
#include "views/dialog_messages.h"
#include "views/password_field.h"

namespace nimbra {

namespace {

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Topics are split at "/", and "+" and "#" are wildcards a publisher may not use.
bool usableTopic(const QString& topic) {
    return !topic.isEmpty() && !topic.startsWith(QLatin1Char('/')) &&
           !topic.endsWith(QLatin1Char('/')) && !topic.contains(QLatin1Char('+')) &&
           !topic.contains(QLatin1Char('#'));
}

}  // namespace

MqttDialog::MqttDialog(ProfileFile& config, Apply apply, const StringLookup& strings,
                       QWidget* parent)
    : QDialog(parent), m_config(config), m_apply(std::move(apply)), m_strings(strings) {
    setObjectName(QStringLiteral("mqtt"));
    setWindowTitle(QStringLiteral("MQTT"));
    setWindowIcon(appIcon());
    buildControls();

    const MqttSettings settings = loadMqttSettings(m_config);
    m_enable->setChecked(settings.enable);
    m_server->setText(fromUtf8(settings.server));
    m_port->setText(QString::number(settings.port));
    m_user->setText(fromUtf8(settings.user));
    m_password->setText(fromUtf8(settings.password));
    m_topic->setText(fromUtf8(settings.topic));
    m_discovery->setChecked(settings.discovery);
}

void MqttDialog::buildControls() {
    const auto edit = [](const char* name) {
        auto* line = new QLineEdit;
        line->setObjectName(QLatin1String(name));
        line->setMaxLength(static_cast<int>(ProfileFile::kMaxValueLength));
        return line;
    };
    m_enable = new QCheckBox(m_strings(kTextMqttPublish));
    m_enable->setObjectName(QStringLiteral("enable"));
    m_server = edit("server");
    m_port = edit("port");
    m_port->setMaxLength(5);
    m_user = edit("user");
    m_password = edit("password");
    makeRevealablePassword(m_password);
    m_topic = edit("topic");
    m_discovery = new QCheckBox(m_strings(kTextMqttDiscovery));
    m_discovery->setObjectName(QStringLiteral("discovery"));
    auto* tlsHint = new QLabel(m_strings(kTextMqttTlsPortNote));
    tlsHint->setWordWrap(true);

    auto* grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    int row = 0;
    grid->addWidget(m_enable, row++, 0, 1, 2);
    for (const auto& [id, field] :
         {std::pair{kTextServer, m_server}, std::pair{kTextMqttPort, m_port},
          std::pair{kTextMqttUserName, m_user}, std::pair{kTextMqttPassword, m_password},
          std::pair{kTextMqttBaseTopic, m_topic}}) {
        grid->addWidget(new QLabel(m_strings(id) + QLatin1Char(':')), row, 0);
        grid->addWidget(field, row++, 1);
    }
    grid->addWidget(m_discovery, row++, 0, 1, 2);
    grid->addWidget(tlsHint, row++, 0, 1, 2);
    m_server->setMinimumWidth(m_server->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 34);

    auto* buttons = new QDialogButtonBox;
    auto* save = buttons->addButton(m_strings(kTextSave), QDialogButtonBox::AcceptRole);
    save->setObjectName(QStringLiteral("1"));
    save->setDefault(true);
    auto* cancel = buttons->addButton(m_strings(kTextCancel), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("2"));
    connect(buttons, &QDialogButtonBox::accepted, this, &MqttDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &MqttDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(6);
    layout->addWidget(buttons);
}

std::optional<MqttSettings> MqttDialog::collect() {
    MqttSettings settings;
    settings.enable = m_enable->isChecked();
    settings.server = m_server->text().trimmed().toStdString();
    settings.user = m_user->text().toStdString();
    settings.password = m_password->text().toStdString();
    settings.topic = m_topic->text().trimmed().toStdString();
    settings.discovery = m_discovery->isChecked();
    const auto port = parseMqttPort(m_port->text().trimmed().toStdString());
    if (settings.enable && settings.server.empty()) {
        showProblem(m_strings(kTextMqttHostMissing));
        return std::nullopt;
    }
    if (!port) {
        showProblem(m_strings(kTextMqttPortInvalid));
        return std::nullopt;
    }
    if (!usableTopic(m_topic->text().trimmed())) {
        showProblem(m_strings(kTextMqttTopicInvalid));
        return std::nullopt;
    }
    settings.port = *port;
    settings.tls = settings.port == kMqttTlsPort;
    return settings;
}

void MqttDialog::accept() {
    const auto settings = collect();
    if (!settings || !confirmSave()) {
        return;
    }
    // The publisher keeps its settings when the file did not take the new ones:
    // otherwise the next start would quietly bring the old ones back.
    if (!saveMqttSettings(m_config, *settings)) {
        showProblem(m_strings(kTextUploadFailure) + QStringLiteral(": ") +
                    QString::fromStdString(m_config.path().string()));
        return;
    }
    if (m_apply) {
        m_apply(*settings);
    }
    QDialog::accept();
}

bool MqttDialog::confirmSave() {
    return askOkCancel(this, m_strings(kTextSaveQuestion));
}

void MqttDialog::showProblem(const QString& message) {
    showInputProblem(this, message);
}

}  // namespace nimbra
