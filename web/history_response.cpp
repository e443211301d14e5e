#include "web/history_response.h"

#include "web/json_text.h"
#include "web/peak_decimator.h"

namespace nimbra {

namespace {

void appendRow(std::string& out, bool& first, double time, const PeakDecimator::Values& values) {
    out += first ? "[" : ",[";
    first = false;
    appendJsonDate(out, time);
    for (const auto& value : values) {
        out += ',';
        if (value) {
            appendJsonNumber(out, *value);
        } else {
            out += "null";
        }
    }
    out += ']';
}

}  // namespace

std::optional<std::string> historyJson(CWeatherDb& db, const HistoryRequest& request,
                                       const ParamBlock& units) {
    std::int64_t rows = 0;
    RecordCursor cursor;
    if (db.OpenCount(request.from, request.to, RecordColumn::Time, rows) != 0 ||
        db.FillHistoryList(request.from, request.to, cursor) != 0) {
        return std::nullopt;
    }
    const bool thinned = rows > request.points;

    std::string out = "{\"from\":";
    appendJsonDate(out, request.from.value());
    out += ",\"to\":";
    appendJsonDate(out, request.to.value());
    out += ",\"rows\":" + std::to_string(rows);
    out += ",\"decimated\":";
    out += thinned ? "true" : "false";
    out += ",\"fields\":[\"Time\"";
    for (const Quantity* q : request.fields) {
        out += ',';
        appendJsonString(out, q->name);
    }
    out += "],\"units\":{";
    for (std::size_t i = 0; i < request.fields.size(); ++i) {
        out += i == 0 ? "" : ",";
        appendJsonString(out, request.fields[i]->name);
        out += ':';
        appendJsonString(out, unitText(*request.fields[i], units));
    }
    out += "},\"data\":[";

    bool first = true;
    const auto emit = [&](double time, const PeakDecimator::Values& values) {
        appendRow(out, first, time, values);
    };
    PeakDecimator decimator(request.fields.size(), request.from.value(), request.to.value(),
                            request.points / 2, emit);
    HistoryRecord record;
    PeakDecimator::Values values(request.fields.size());
    while (!cursor.atEnd()) {
        if (cursor.ExchangeRecord(record, ExchangeDirection::read) != 0) {
            return std::nullopt;
        }
        for (std::size_t i = 0; i < request.fields.size(); ++i) {
            const Quantity& q = *request.fields[i];
            const auto value = quantityValue(q, record);
            values[i] = value ? std::optional(displayValue(q, *value, units)) : std::nullopt;
        }
        if (thinned) {
            decimator.add(record.Time, values);
        } else {
            emit(record.Time, values);
        }
        if (cursor.moveNext() != 0) {
            return std::nullopt;
        }
    }
    decimator.finish();
    out += "]}";
    return out;
}

HistoryCsvStream::HistoryCsvStream(const std::filesystem::path& database,
                                   const HistoryRequest& request, const ParamBlock& units,
                                   const TextLookup& text)
    : m_table(units, text, HistoryTimeText::iso()) {
    std::int64_t rows = 0;
    m_ok = m_db.Connect(database, ConnectMode::readOnly) == 0 &&
           m_db.OpenCount(request.from, request.to, RecordColumn::Time, rows) == 0 &&
           m_db.FillHistoryList(request.from, request.to, m_cursor) == 0;
    m_rows = std::make_unique<CursorRows>(m_cursor, m_table, rows);
}

HistoryCsvStream::~HistoryCsvStream() = default;

std::string HistoryCsvStream::next(std::size_t size) {
    std::string out;
    if (!m_headed) {
        appendCsvLine(out, m_table.headers());
        m_headed = true;
    }
    HistoryCells cells;
    while (out.size() < size && m_rows->next(cells)) {
        appendCsvLine(out, cells);
    }
    return out;
}

bool HistoryCsvStream::failed() const {
    return m_rows->failed();
}

void appendCsvLine(std::string& out, const HistoryCells& cells) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
        out += i == 0 ? "" : ",";
        const std::string& cell = cells[i];
        if (cell.find_first_of(",\"\r\n") == std::string::npos) {
            out += cell;
            continue;
        }
        out += '"';
        for (const char c : cell) {
            out += c;
            if (c == '"') {
                out += '"';
            }
        }
        out += '"';
    }
    out += "\r\n";
}

}  // namespace nimbra
