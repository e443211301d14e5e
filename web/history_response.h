#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/station_data.h"
#include "report/history_rows.h"
#include "report/history_table.h"
#include "store/weather_db.h"
#include "web/history_request.h"

namespace nimbra {

// The rows of the request's range as JSON: the range, how many rows it holds, whether
// they were thinned (PeakDecimator), the fields with their unit texts, and "data", one
// array per row: the time, then each field's value in the unit the station's unit codes
// select, null where absent. Nothing when the store cannot be read.
std::optional<std::string> historyJson(CWeatherDb& db, const HistoryRequest& request,
                                       const ParamBlock& units);

// The rows of a range as comma-separated UTF-8 text, the history list's columns with its
// headings on the first line, handed out in pieces so a long range never sits in memory.
class HistoryCsvStream {
public:
    // Opens its own connection to the database; check ok().
    HistoryCsvStream(const std::filesystem::path& database, const HistoryRequest& request,
                     const ParamBlock& units, const TextLookup& text);
    ~HistoryCsvStream();
    HistoryCsvStream(const HistoryCsvStream&) = delete;
    HistoryCsvStream& operator=(const HistoryCsvStream&) = delete;

    bool ok() const { return m_ok; }
    // The next piece of about `size` bytes; empty after the last row.
    std::string next(std::size_t size);
    // Whether the rows ended because the store could not be read.
    bool failed() const;

private:
    CWeatherDb m_db;
    RecordCursor m_cursor;
    HistoryTable m_table;
    std::unique_ptr<CursorRows> m_rows;
    bool m_ok = false;
    bool m_headed = false;
};

// One CSV line of `cells`, quoted where a cell holds a comma, a quote or a line break.
void appendCsvLine(std::string& out, const HistoryCells& cells);

}  // namespace nimbra
