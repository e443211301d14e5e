#include "station/rain_totals.h"

#include <array>
#include <tuple>

#include "station/download_plan.h"

namespace nimbra {

namespace {

constexpr double kOneHour = 3600.0;

struct WindowSums {
    double hour = 0.0;
    double day = 0.0;
    double week = 0.0;
    double month = 0.0;
};

// Rain in the hour, day, week and month of `t`: each window runs from just after its
// calendar boundary to `end`, the hour to `hourEnd`.
int windowSums(CWeatherDb& db, const OleDate& t, const OleDate& hourEnd, const OleDate& end,
               WindowSums& sums) {
    const std::array<std::tuple<OleDate, OleDate, double*>, 4> windows = {{
        {startOfHour(t), hourEnd, &sums.hour},
        {startOfDay(t), end, &sums.day},
        {startOfWeek(t), end, &sums.week},
        {startOfMonth(t), end, &sums.month},
    }};
    for (const auto& [start, stop, sum] : windows) {
        if (db.OpenRainSum(start, stop, *sum) != 0) {
            return 1;
        }
    }
    return 0;
}

}  // namespace

int ComputeStoredRainTotals(CWeatherDb& db, int storedCount,
                            const std::function<void()>& recordDone) {
    if (storedCount <= 0) {
        return 0;
    }
    Transaction transaction(db);
    if (!transaction.isOpen()) {
        return 1;
    }
    RecordCursor cursor;
    if (db.OpenLatest(storedCount, cursor) != 0) {
        return 1;
    }
    for (; !cursor.atEnd(); cursor.moveNext()) {
        HistoryRecord record;
        if (cursor.ExchangeRecord(record, ExchangeDirection::read) != 0) {
            return 1;
        }
        // One second past the record: its own rain counts, while the windows start just
        // after their boundary, so a record stamped on the hour opens the next hour.
        const OleDate t = OleDate(record.Time).addSeconds(1.0);
        WindowSums sums;
        double total = 0.0;
        if (windowSums(db, t, t, t, sums) != 0 || db.OpenRainSumUpTo(t, total) != 0) {
            return 1;
        }
        record.Rain1 = static_cast<float>(sums.hour);
        record.Rain2 = static_cast<float>(sums.day);
        record.Rain3 = static_cast<float>(sums.week);
        record.Rain4 = static_cast<float>(sums.month);
        record.Rain5 = static_cast<float>(total);
        if (cursor.ExchangeRecord(record, ExchangeDirection::write) != 0) {
            return 1;
        }
        if (recordDone) {
            recordDone();
        }
    }
    cursor.close();
    return transaction.commit();
}

int ComputeCurrentRainTotals(CWeatherDb& db, const OleDate& now, CStationData& data) {
    HistoryRecord& current = data.m_Current;
    std::int64_t count = 0;
    if (db.CountAll(count) != 0) {
        return 1;
    }
    if (count == 0) {
        current.Rain1 = current.Rain2 = current.Rain3 = current.Rain4 = current.Rain5 =
            current.RainYear = 0.0f;
        return 0;
    }
    const OleDate hour = startOfHour(now);
    const OleDate endOfToday = endOfDay(now);
    WindowSums sums;
    double total = 0.0;
    double year = 0.0;
    if (windowSums(db, now, hour.addSeconds(kOneHour), endOfToday, sums) != 0 ||
        db.OpenRainSumUpTo(endOfToday, total) != 0 ||
        db.OpenRainSum(startOfYear(now), endOfToday, year) != 0) {
        return 1;
    }
    // Rain the counter has seen since the newest stored record.
    const double pending = UncountedRain(current.Rcount, data.RainCounter, data.m_RainPerCount);
    current.Rain1 = static_cast<float>(sums.hour + pending);
    current.Rain2 = static_cast<float>(sums.day + pending);
    current.Rain3 = static_cast<float>(sums.week + pending);
    current.Rain4 = static_cast<float>(sums.month + pending);
    current.Rain5 = static_cast<float>(total + pending);
    current.RainYear = static_cast<float>(year + pending);
    return 0;
}

}  // namespace nimbra
