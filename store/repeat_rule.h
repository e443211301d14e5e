#pragma once

#include <array>

#include "core/history_record.h"
#include "store/record_columns.h"

namespace nimbra {

// When a record counts as one already stored: a stored record holds the same readings
// and lies within half an interval of its time. So a second download of the same station
// memory, or an import of history that overlaps the store, stores nothing twice even when
// its times were anchored to a clock whose seconds differ; while two records that share a
// local time but not their readings (the hour repeated when daylight saving ends) are
// both kept, and so are equal readings an interval apart.

// The readings compared, as columns of the Records table.
inline constexpr std::array kRepeatReadings{
    RecordColumn::Interval, RecordColumn::InTemp,  RecordColumn::OutTemp,
    RecordColumn::InHumi,   RecordColumn::OutHumi, RecordColumn::AbsPressure,
    RecordColumn::Wind,     RecordColumn::Gust,    RecordColumn::WindDirection,
};

bool SameReadings(const HistoryRecord& a, const HistoryRecord& b);

// How far from `record`'s time a stored record with the same readings is taken for it:
// half its interval, and never less than 30 seconds.
//
// `readAgain`: the record repeats one known to be stored, in a batch put back on the
// stored times. Each re-anchoring to the clock put the newest record wherever the console
// stood in the interval being filled, so the stored times run in stretches up to just
// under an interval apart, and a copy may lie that far from the time the batch now gives
// it.
double RepeatToleranceSeconds(const HistoryRecord& record, bool readAgain = false);

// The longest interval a station records: no tolerance reaches past half of it.
inline constexpr double kLongestIntervalSeconds = 240.0 * 60.0;

}  // namespace nimbra
