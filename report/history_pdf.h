#pragma once

#include <filesystem>

#include "report/export_result.h"
#include "report/history_rows.h"

namespace nimbra {

// The geometry of the PDF table, in PDF units from the page's lower left corner.
namespace pdf_table {
inline constexpr double kPageWidth = 1850;
inline constexpr double kPageHeight = 1500;
inline constexpr double kFontSize = 8;
inline constexpr double kLineWidth = 0.5;
inline constexpr int kRowsPerPage = 91;
inline constexpr double kHeaderLine1 = 1433;
inline constexpr double kHeaderLine2 = 1418;
inline constexpr double kRowPitch = 15;
inline constexpr double kRules[] = {50,   90,   210,  250,  335,  425,  515,  610,
                                    710,  810,  910,  970,  1030, 1085, 1170, 1260,
                                    1370, 1490, 1600, 1690, 1740, 1800};
// Baseline of data row `k` of a page, k from 1.
constexpr double rowBaseline(int k) {
    return kHeaderLine2 - kRowPitch * k;
}
}  // namespace pdf_table

// Draws the history as a ruled table on 1850 by 1500 pages, 91 rows a page, the two
// heading lines on every page. With no rows nothing is written and the outcome is
// noRows. `chinese` selects the Hei face instead of Times New Roman.
ExportResult writeHistoryPdf(const std::filesystem::path& file, const HistoryTable& table,
                             HistoryRowSource& rows, bool chinese,
                             const ExportProgress& progress = {});

}  // namespace nimbra
