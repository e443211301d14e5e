#include "store/import/stored_times.h"

#include <algorithm>
#include <cmath>

namespace nimbra {

namespace {
// Far beyond any calendar date, near enough that the seconds fit in 64 bits.
constexpr double kFarDays = 1.0e7;
}  // namespace

std::int64_t StoredTimes::secondOf(double time) {
    return std::llround(std::clamp(time, -kFarDays, kFarDays) * kSecondsPerDay);
}

bool StoredTimes::load(CWeatherDb& db, double first, double last) {
    // One second of margin on each side: the range is half-open and rows hold their
    // times as doubles that may lie a hair either side of the second they stand for.
    const double margin = 1.0 / kSecondsPerDay;
    RecordCursor rows;
    if (db.FillHistoryList(OleDate(first - margin), OleDate(last + margin), rows) != 0) {
        return false;
    }
    HistoryRecord record;
    while (!rows.atEnd()) {
        if (rows.ExchangeRecord(record, ExchangeDirection::read) != 0 || rows.moveNext() != 0) {
            return false;
        }
        add(record.Time);
    }
    return true;
}

}  // namespace nimbra
