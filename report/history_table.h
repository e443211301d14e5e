#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "core/history_record.h"
#include "core/station_data.h"
#include "report/history_time_text.h"

namespace nimbra {

inline constexpr int kHistoryColumns = 21;
using HistoryCells = std::array<std::string, kHistoryColumns>;

// A string-table text by id, UTF-8.
using TextLookup = std::function<std::string(int id)>;

// The six unit texts of the column headings, from the unit codes in force.
struct HistoryUnitTexts {
    std::string inTemp;
    std::string outTemp;
    std::string pressure;
    std::string wind;
    std::string rain;
    std::string light;

    static HistoryUnitTexts from(const ParamBlock& units);
};

// How history rows read: the list's column headings, the two heading lines of the PDF
// table, and the text of every cell in the user's units. Built once from the unit codes
// and the texts of the user's language; the dialog, the exports and the command line
// all format through it.
class HistoryTable {
public:
    HistoryTable(const ParamBlock& units, const TextLookup& text, HistoryTimeText timeText);

    const HistoryCells& headers() const { return m_headers; }
    const HistoryCells& pdfLine1() const { return m_pdfLine1; }
    const HistoryCells& pdfLine2() const { return m_pdfLine2; }
    const HistoryUnitTexts& units() const { return m_unitTexts; }

    // Column `column` of the row numbered `number` (from 1) holding `record`.
    std::string cell(const HistoryRecord& record, std::int64_t number, int column) const;
    void cells(const HistoryRecord& record, std::int64_t number, HistoryCells& out) const;

private:
    ParamBlock m_units;
    HistoryUnitTexts m_unitTexts;
    HistoryTimeText m_timeText;
    HistoryCells m_headers;
    HistoryCells m_pdfLine1;
    HistoryCells m_pdfLine2;
};

}  // namespace nimbra
