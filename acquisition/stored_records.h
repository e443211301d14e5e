#pragma once

#include <map>
#include <tuple>

#include "core/history_record.h"
#include "store/weather_db.h"

namespace nimbra {

// The records already in the database around a downloaded batch. A record counts as
// stored when one with the same readings lies within half an interval of its time:
// a second download of the same station memory stores nothing twice, even when its
// times were anchored to a clock whose seconds differ, while two records that share a
// local time but not their readings (the hour repeated when daylight saving ends) are
// both kept, and so are equal readings an interval apart.
// Whether two records hold the same readings, as far as recognising a repeat goes.
bool SameReadings(const HistoryRecord& a, const HistoryRecord& b);

class StoredRecords {
public:
    // Reads the stored records from a little before `first` to a little after `last`.
    // False after a reported database failure.
    bool load(CWeatherDb& db, const OleDate& first, const OleDate& last);

    // `readAgain`: the record repeats one known to be stored, in a batch put back on the
    // stored times. Each re-anchoring to the clock put the newest record wherever the
    // console stood in the interval being filled, so the stored times run in stretches
    // up to just under an interval apart, and a copy may lie that far from the time the
    // batch now gives it.
    bool contains(const HistoryRecord& record, bool readAgain = false) const;

private:
    friend bool SameReadings(const HistoryRecord& a, const HistoryRecord& b);
    using Readings = std::tuple<int, float, float, int, int, float, float, float, int>;
    static Readings readingsOf(const HistoryRecord& record);

    std::multimap<Readings, double> m_times;
};

}  // namespace nimbra
