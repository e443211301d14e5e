#include "views/import_dialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>

#include "config/string_ids.h"
#include "report/import_texts.h"
#include "store/import/record_import.h"
#include "views/app_icon.h"

namespace nimbra {

namespace {

constexpr int kProgressSteps = 1000;

QString countsText(const ImportResult& result, const StringLookup& strings) {
    return QString::fromStdString(
        importCountsText(result, [&strings](int id) { return strings(id).toStdString(); }));
}

void showMessage(QWidget* parent, QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, QApplication::applicationDisplayName(), text, QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace

Cimportd::Cimportd(std::filesystem::path database, const StringLookup& strings, QWidget* parent)
    : QDialog(parent), m_database(std::move(database)), m_strings(strings) {
    setObjectName(QStringLiteral("329"));
    setWindowTitle(strings(kTextImport));
    setWindowIcon(appIcon());

    auto* label = new QLabel(strings(kTextPath) + QLatin1Char(':'));
    label->setObjectName(QStringLiteral("1255"));
    m_pathEdit = new QLineEdit;
    m_pathEdit->setObjectName(QStringLiteral("1252"));
    m_pathEdit->setReadOnly(true);
    m_pathEdit->setMinimumWidth(380);
    auto* browseButton = new QPushButton(QStringLiteral("..."));
    browseButton->setObjectName(QStringLiteral("1229"));
    browseButton->setAutoDefault(false);
    connect(browseButton, &QPushButton::clicked, this, &Cimportd::browse);

    auto* importButton = new QPushButton(strings(kTextImport));
    importButton->setObjectName(QStringLiteral("1"));
    importButton->setDefault(true);
    connect(importButton, &QPushButton::clicked, this, &Cimportd::accept);
    auto* exitButton = new QPushButton(strings(kTextExit));
    exitButton->setObjectName(QStringLiteral("2"));
    exitButton->setAutoDefault(false);
    connect(exitButton, &QPushButton::clicked, this, &Cimportd::reject);

    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(label);
    pathRow->addWidget(m_pathEdit, 1);
    pathRow->addWidget(browseButton);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(importButton);
    buttonRow->addWidget(exitButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(pathRow);
    layout->addLayout(buttonRow);
}

void Cimportd::setSourcePath(const QString& path) {
    m_path = path;
    m_pathEdit->setText(path);
    m_pathEdit->setCursorPosition(0);
}

void Cimportd::browse() {
    const QString chosen = QFileDialog::getOpenFileName(
        this, QString(), QString(), QStringLiteral("(*.db *.mdb *.dat *.DB *.MDB *.DAT)"), nullptr,
        QFileDialog::ReadOnly);
    if (!chosen.isEmpty()) {
        setSourcePath(chosen);
    }
}

std::optional<std::pair<OleDate, OleDate>> Cimportd::importedRange() const {
    if (!m_result || !m_result->first) {
        return std::nullopt;
    }
    return std::pair{*m_result->first, *m_result->last};
}

bool Cimportd::reportProgress(QProgressDialog& dialog, ImportStage stage, std::uint64_t done,
                              std::uint64_t total) {
    dialog.setLabelText(QString::fromStdString(importStageText(
        stage, m_path.toStdString(), [this](int id) { return m_strings(id).toStdString(); })));
    const double share = total > 0 ? std::min(1.0, static_cast<double>(done) / total) : 0.0;
    // Reading is the first half of the bar, storing the second.
    const double half = stage == ImportStage::reading ? 0.0 : 0.5;
    dialog.setValue(static_cast<int>((half + share / 2) * kProgressSteps));
    return !dialog.wasCanceled();
}

void Cimportd::accept() {
    // Without a file the dialog closes with nothing imported.
    if (!m_path.isEmpty()) {
        QProgressDialog progress(m_strings(kTextImport), m_strings(kTextCancel), 0, kProgressSteps,
                                 this);
        progress.setWindowTitle(m_strings(kTextImport));
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(300);
        ImportOptions options;
        options.progress = [&](ImportStage stage, std::uint64_t done, std::uint64_t total) {
            return reportProgress(progress, stage, done, total);
        };
        m_result = importRecords(m_database, m_path.toStdString(), options);
        progress.reset();
        showOutcome(*m_result);
    }
    QDialog::accept();
}

void Cimportd::showOutcome(const ImportResult& result) {
    const QString counts = countsText(result, m_strings);
    const QString detail = QString::fromStdString(result.error);
    switch (result.status) {
        case ImportStatus::done:
            showMessage(this, QMessageBox::Information, m_strings(kTextSuccess) + "\n\n" + counts);
            break;
        case ImportStatus::cancelled:
            showMessage(this, QMessageBox::Information,
                        m_strings(kTextImportCancelled) + "\n\n" + counts);
            break;
        case ImportStatus::targetUnavailable:
            showMessage(this, QMessageBox::Critical,
                        m_strings(kTextCannotOpenDatabase) + "\n\n" + detail);
            break;
        case ImportStatus::sourceUnreadable:
            // A database source that cannot be read is one that cannot be opened.
            if (result.read == 0 &&
                importSourceOf(m_path.toStdString()) != ImportSource::textExport) {
                showMessage(this, QMessageBox::Critical,
                            m_strings(kTextCannotOpenDatabase) + "\n\n" + detail);
                break;
            }
            [[fallthrough]];
        case ImportStatus::notImportable:
            showMessage(this, QMessageBox::Critical, detail);
            break;
        case ImportStatus::storeFailed:
            showMessage(this, QMessageBox::Critical,
                        detail + "\n\n" + counts + "\n" + m_strings(kTextImportStoredStay));
            break;
    }
}

std::optional<std::pair<OleDate, OleDate>> runImportDialog(QWidget* parent,
                                                           const std::filesystem::path& database,
                                                           const StringLookup& strings) {
    Cimportd dialog(database, strings, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.importedRange();
}

}  // namespace nimbra
