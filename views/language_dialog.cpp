#include "views/language_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "config/languages.h"
#include "config/string_ids.h"

namespace nimbra {

namespace {
constexpr const char* kSection = "Language";
constexpr const char* kKey = "Language";
}  // namespace

Language::Language(ProfileFile& config, const StringLookup& strings, QWidget* parent)
    : QDialog(parent), m_config(config) {
    setObjectName(QStringLiteral("328"));
    setWindowTitle(strings(kTextLanguage));

    auto* label = new QLabel(strings(kTextLanguage) + QLatin1Char(':'));
    label->setObjectName(QStringLiteral("1233"));
    m_list = new QComboBox;
    m_list->setObjectName(QStringLiteral("1222"));
    m_list->setMinimumWidth(160);
    for (const auto& language : kLanguages) {
        m_list->addItem(QString::fromUtf8(language.storedName.data(),
                                          static_cast<qsizetype>(language.storedName.size())));
    }
    const auto stored = findLanguageByStoredName(m_config.readString(kSection, kKey));
    m_list->setCurrentIndex(stored ? stored->listPosition : -1);

    auto* buttons = new QDialogButtonBox;
    auto* save = buttons->addButton(strings(kTextSave), QDialogButtonBox::AcceptRole);
    save->setObjectName(QStringLiteral("1"));
    save->setDefault(true);
    auto* exit = buttons->addButton(strings(kTextExit), QDialogButtonBox::RejectRole);
    exit->setObjectName(QStringLiteral("2"));
    connect(buttons, &QDialogButtonBox::accepted, this, &Language::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &Language::reject);

    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(m_list, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
}

void Language::accept() {
    const std::string chosen = m_list->currentText().toStdString();
    if (findLanguageByStoredName(chosen)) {
        m_config.writeString(kSection, kKey, chosen);
    }
    QDialog::accept();
}

}  // namespace nimbra
