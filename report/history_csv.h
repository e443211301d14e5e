#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "report/export_result.h"
#include "report/history_rows.h"

namespace nimbra {

// Writes the history as tab-separated UTF-16LE text: the byte order mark FF FE, the
// headings, then one line per row with a blank before every cell; CR LF after every
// line. An existing file is replaced. With no rows the file holds the headings only.
ExportResult writeHistoryCsv(const std::filesystem::path& file, const HistoryTable& table,
                             HistoryRowSource& rows, const ExportProgress& progress = {});

// Appends UTF-8 `text` to `out` as UTF-16LE bytes; a malformed sequence becomes U+FFFD.
void appendUtf16Le(std::string_view text, std::string& out);

}  // namespace nimbra
