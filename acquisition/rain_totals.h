#pragma once

#include <functional>

#include "core/station_data.h"
#include "store/weather_db.h"

namespace nimbra {

// Fills Rain1..Rain5 (hour, day, week, month, all time) of the `storedCount` records
// stored last: the rain of the records in each calendar window up to one second after the
// record. All updates go into one transaction. `recordDone` runs after each record.
// Returns 0, or 1 after a reported database failure (nothing is then changed).
int ComputeStoredRainTotals(CWeatherDb& db, int storedCount,
                            const std::function<void()>& recordDone);

// The same inside a transaction the caller has open, so that the records and their
// totals are committed together; a failure leaves the transaction to be rolled back.
int FillStoredRainTotals(CWeatherDb& db, int storedCount, const std::function<void()>& recordDone);

// The running totals of the current reading, for the hour, today, this week, this
// month, all time and this year as of `now`, plus rain the counter has seen that no
// stored record holds yet. With no records at all every total is 0.
int ComputeCurrentRainTotals(CWeatherDb& db, const OleDate& now, CStationData& data);

}  // namespace nimbra
