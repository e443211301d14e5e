#include "acquisition/stored_records.h"

#include <algorithm>
#include <cmath>

namespace nimbra {

namespace {

// The longest interval a station records, and the least tolerance on a record's time.
constexpr double kLongestIntervalSeconds = 240.0 * 60.0;
constexpr double kLeastToleranceSeconds = 30.0;

double toleranceSeconds(const HistoryRecord& record, bool readAgain) {
    const double interval = record.Interval * 60.0;
    return std::max(kLeastToleranceSeconds,
                    readAgain ? interval - kLeastToleranceSeconds : interval / 2.0);
}

}  // namespace

bool SameReadings(const HistoryRecord& a, const HistoryRecord& b) {
    return StoredRecords::readingsOf(a) == StoredRecords::readingsOf(b);
}

bool StoredRecords::load(CWeatherDb& db, const OleDate& first, const OleDate& last) {
    RecordCursor cursor;
    if (db.FillHistoryList(first.addSeconds(-kLongestIntervalSeconds / 2.0),
                           last.addSeconds(kLongestIntervalSeconds / 2.0), cursor) != 0) {
        return false;
    }
    for (; !cursor.atEnd(); cursor.moveNext()) {
        HistoryRecord record;
        if (cursor.ExchangeRecord(record, ExchangeDirection::read) != 0) {
            return false;
        }
        m_times.emplace(readingsOf(record), record.Time);
    }
    return true;
}

bool StoredRecords::contains(const HistoryRecord& record, bool readAgain) const {
    const auto [begin, end] = m_times.equal_range(readingsOf(record));
    const double tolerance = toleranceSeconds(record, readAgain) / kSecondsPerDay;
    return std::any_of(begin, end, [&](const auto& stored) {
        return std::fabs(stored.second - record.Time) < tolerance;
    });
}

StoredRecords::Readings StoredRecords::readingsOf(const HistoryRecord& r) {
    return {r.Interval,    r.InTemp, r.OutTemp, r.InHumi,       r.OutHumi,
            r.AbsPressure, r.Wind,   r.Gust,    r.WindDirection};
}

}  // namespace nimbra
