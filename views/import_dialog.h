#pragma once

#include <QDialog>
#include <QString>
#include <filesystem>
#include <optional>
#include <utility>

#include "core/ole_date.h"
#include "store/import/import_result.h"
#include "views/string_lookup.h"

class QLineEdit;
class QProgressDialog;

namespace nimbra {

// The import dialog: the user picks a database (.db, .mdb) or a text export (.dat) and
// Import copies its records into the program's database, with a progress bar and Cancel,
// then reports what was stored and skipped. The dialog closes after every import.
class Cimportd : public QDialog {
    Q_OBJECT

public:
    Cimportd(std::filesystem::path database, const StringLookup& strings,
             QWidget* parent = nullptr);

    // The source to import, as the browse button sets it.
    void setSourcePath(const QString& path);
    QString sourcePath() const { return m_path; }

    // Earliest and latest time of the source's records now in the database; empty until
    // an import has brought any.
    std::optional<std::pair<OleDate, OleDate>> importedRange() const;
    const std::optional<ImportResult>& lastResult() const { return m_result; }

    // Import: runs the import of the chosen file, if any, and closes the dialog.
    void accept() override;

private:
    void browse();
    bool reportProgress(QProgressDialog& dialog, ImportStage stage, std::uint64_t done,
                        std::uint64_t total);
    void showOutcome(const ImportResult& result);

    std::filesystem::path m_database;
    StringLookup m_strings;
    QString m_path;
    QLineEdit* m_pathEdit = nullptr;
    std::optional<ImportResult> m_result;
};

// Runs the import dialog modally over the database at `database`. Gives the earliest and
// latest time of the imported records for the history list to show, or nothing when the
// dialog was left or brought no records.
std::optional<std::pair<OleDate, OleDate>> runImportDialog(QWidget* parent,
                                                           const std::filesystem::path& database,
                                                           const StringLookup& strings);

}  // namespace nimbra
