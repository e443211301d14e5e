#include "report/history_csv.h"

#include <cstdint>

#include "report/output_file.h"
#include "report/utf8_text.h"

namespace nimbra {

namespace {

constexpr std::size_t kFlushSize = 1 << 16;
constexpr std::int64_t kProgressStep = 1024;

void appendUnit(std::uint16_t unit, std::string& out) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
}

void appendCodePoint(char32_t c, std::string& out) {
    if (c < 0x10000) {
        appendUnit(static_cast<std::uint16_t>(c), out);
    } else {
        c -= 0x10000;
        appendUnit(static_cast<std::uint16_t>(0xD800 + (c >> 10)), out);
        appendUnit(static_cast<std::uint16_t>(0xDC00 + (c & 0x3FF)), out);
    }
}

void appendLine(const HistoryCells& fields, bool leadingBlank, std::string& out) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (leadingBlank) {
            appendUnit(' ', out);
        }
        appendUtf16Le(fields[i], out);
        if (i + 1 < fields.size()) {
            appendUnit('\t', out);
        }
    }
    appendUnit('\r', out);
    appendUnit('\n', out);
}

}  // namespace

void appendUtf16Le(std::string_view text, std::string& out) {
    forEachCodePoint(text, [&out](char32_t c) { appendCodePoint(c, out); });
}

ExportResult writeHistoryCsv(const std::filesystem::path& file, const HistoryTable& table,
                             HistoryRowSource& rows, const ExportProgress& progress) {
    std::string error;
    OutputFile out(file, error);
    if (!out.isOpen()) {
        return {ExportOutcome::failed, error};
    }
    std::string buffer("\xFF\xFE", 2);
    appendLine(table.headers(), false, buffer);
    HistoryCells cells;
    std::int64_t written = 0;
    const std::int64_t total = rows.size();
    while (rows.next(cells)) {
        appendLine(cells, true, buffer);
        ++written;
        if (buffer.size() >= kFlushSize) {
            if (!out.write(buffer.data(), buffer.size())) {
                return {ExportOutcome::failed, out.error()};
            }
            buffer.clear();
        }
        if (progress && written % kProgressStep == 0 && !progress(written, total)) {
            return {ExportOutcome::cancelled, {}};
        }
    }
    if (rows.failed()) {
        return {ExportOutcome::failed, "The history could not be read to its end."};
    }
    if (!out.write(buffer.data(), buffer.size()) || !out.keep()) {
        return {ExportOutcome::failed, out.error()};
    }
    return {};
}

}  // namespace nimbra
