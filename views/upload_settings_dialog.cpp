#include "views/upload_settings_dialog.h"

#include <QBoxLayout>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "config/string_ids.h"
#include "upload/upload_target.h"
#include "views/app_icon.h"
#include "views/dialog_messages.h"

namespace nimbra {

UploadSettingsDialog::UploadSettingsDialog(UploadService service, ProfileFile& config,
                                           UploadConfigStore& store, const StringLookup& strings,
                                           QWidget* parent)
    : QDialog(parent), m_config(config), m_strings(strings), m_service(service), m_store(store) {
    setWindowIcon(appIcon());
}

void UploadSettingsDialog::accept() {
    if (!inputsAcceptable()) {
        return;
    }
    const UploadSettingsChange change = collect();
    // Without a station id the service takes nothing: say so now rather than leave Auto
    // Upload switched on to send nothing.
    if (change.live.m_Autosend == "1" && change.live.m_StationID.empty()) {
        showProblem(m_strings(kTextUploadNoStationId));
        return;
    }
    if (!confirmSave()) {
        return;
    }
    // All keys in one replacement of the file, so that a failure leaves it as it was.
    // Uploads then keep the settings they had: otherwise the next start would quietly
    // bring the old settings back.
    if (!m_config.writeStrings(change.entries)) {
        showProblem(m_strings(kTextUploadFailure) + QStringLiteral(": ") +
                    QString::fromStdString(m_config.path().string()));
        return;
    }
    m_store.set(m_service, change.live);
    QDialog::accept();
}

bool UploadSettingsDialog::confirmSave() {
    return askOkCancel(this, m_strings(kTextSaveQuestion));
}

void UploadSettingsDialog::showProblem(const QString& message) {
    showInputProblem(this, message);
}

void UploadSettingsDialog::addButtons(QBoxLayout* layout) {
    auto* buttons = new QDialogButtonBox;
    auto* save = buttons->addButton(m_strings(kTextSave), QDialogButtonBox::AcceptRole);
    save->setObjectName(QStringLiteral("1"));
    save->setDefault(true);
    auto* cancel = buttons->addButton(m_strings(kTextCancel), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("2"));
    connect(buttons, &QDialogButtonBox::accepted, this, &UploadSettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &UploadSettingsDialog::reject);
    layout->addWidget(buttons);
}

UploadServiceConfig UploadSettingsDialog::liveSettings() const {
    return m_store.get(m_service);
}

StationLocation UploadSettingsDialog::liveLocation() const {
    return m_store.location();
}

QLineEdit* UploadSettingsDialog::makeTextEdit(int id, int maxLength) {
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::number(id));
    edit->setMaxLength(maxLength);
    return edit;
}

QLineEdit* UploadSettingsDialog::makeCredentialEdit(int id) {
    return makeTextEdit(id, static_cast<int>(kTargetTextLimit));
}

QLabel* UploadSettingsDialog::makeLabel(int id, const QString& text) {
    auto* label = new QLabel(text);
    label->setObjectName(QString::number(id));
    return label;
}

}  // namespace nimbra
