#pragma once

#include <filesystem>
#include <string>

#include "config/string_table.h"
#include "core/ole_date.h"
#include "report/export_result.h"
#include "report/history_rows.h"

namespace nimbra {

// Whether `file` is written as CSV: its extension, after the name's last dot, is exactly
// "csv". Everything else ("CSV" included) is written as PDF.
bool isCsvFileName(const std::filesystem::path& file);

// Writes the rows as CSV or PDF, chosen by the file name.
ExportResult exportHistory(const std::filesystem::path& file, const HistoryTable& table,
                           HistoryRowSource& rows, bool chinese,
                           const ExportProgress& progress = {});

// Whether the PDF table uses the Chinese face: the Language of Main.ini is exactly
// "Chinese". A missing or unreadable file means no.
bool usesChineseFace(const std::filesystem::path& mainIni);

// A search range: rows later than `start` and not later than `end`.
struct HistoryRange {
    OleDate start;
    OleDate end;
};

// The range the history window opens with: the last hour up to `now`.
HistoryRange defaultHistoryRange(const OleDate& now);

// Exports the stored history of (from, to] from `database` to `file` exactly as the
// history window's Export does, in the unit codes of the Param row and the texts of
// `strings`. Returns 0 when the file was written; otherwise 1 with `error` saying why
// (an unreadable database, a start after the end, a range without rows for a PDF, a
// file that cannot be written).
int runHistoryExport(const std::filesystem::path& database, const std::string& file, OleDate from,
                     OleDate to, const StringTable& strings, bool chinese, std::string& error);

}  // namespace nimbra
