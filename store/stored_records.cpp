#include "store/stored_records.h"

#include <algorithm>

namespace nimbra {

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
        m_records.push_back(record);
    }
    return true;
}

bool StoredRecords::contains(const HistoryRecord& record, bool readAgain) const {
    const double tolerance = RepeatToleranceSeconds(record, readAgain) / kSecondsPerDay;
    auto stored = std::ranges::upper_bound(m_records, record.Time - tolerance, std::less<>(),
                                           &HistoryRecord::Time);
    for (; stored != m_records.end() && stored->Time < record.Time + tolerance; ++stored) {
        if (SameReadings(*stored, record)) {
            return true;
        }
    }
    return false;
}

}  // namespace nimbra
