#include "acquisition/rain_totals.h"

#include <algorithm>
#include <array>
#include <tuple>
#include <vector>

#include "core/absent.h"
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

// Rain up to any time from `from` on, from one read of the rows since then.
class RainRunningSum {
public:
    bool load(CWeatherDb& db, const OleDate& from, const OleDate& to) {
        RecordCursor cursor;
        if (db.FillHistoryList(from, to, cursor) != 0) {
            return false;
        }
        double sum = 0.0;
        for (; !cursor.atEnd(); cursor.moveNext()) {
            HistoryRecord row;
            if (cursor.ExchangeRecord(row, ExchangeDirection::read) != 0) {
                return false;
            }
            if (!isAbsent(row.Rain)) {
                sum += row.Rain;
            }
            m_times.push_back(row.Time);
            m_sums.push_back(sum);
        }
        // The total up to the newest row comes from the connection's running total, which
        // only ever moves forward; what lies before `from` is that total less these rows.
        double total = 0.0;
        if (db.OpenRainSumUpTo(to, total) != 0) {
            return false;
        }
        m_base = total - sum;
        for (double& running : m_sums) {
            running += m_base;
        }
        return true;
    }

    // All rain at or before `t`, which lies within the loaded span.
    double upTo(const OleDate& t) const {
        const auto after = std::upper_bound(m_times.begin(), m_times.end(), t.value());
        return after == m_times.begin()
                   ? m_base
                   : m_sums[static_cast<std::size_t>(after - m_times.begin() - 1)];
    }

    // Rain in (start, end].
    double between(const OleDate& start, const OleDate& end) const {
        return upTo(end) - upTo(start);
    }

private:
    double m_base = 0.0;
    std::vector<double> m_times;
    std::vector<double> m_sums;
};

}  // namespace

int ComputeStoredRainTotals(CWeatherDb& db, int storedCount,
                            const std::function<void()>& recordDone) {
    if (storedCount <= 0) {
        return 0;
    }
    Transaction transaction(db);
    if (!transaction.isOpen() || FillStoredRainTotals(db, storedCount, recordDone) != 0) {
        return 1;
    }
    return transaction.commit();
}

int FillStoredRainTotals(CWeatherDb& db, int storedCount, const std::function<void()>& recordDone) {
    if (storedCount <= 0) {
        return 0;
    }
    // The new records, oldest first: the rows stored last. They need not be the newest
    // rows by time (records stamped in an hour repeated when the clocks go back).
    std::vector<HistoryRecord> records;
    RecordCursor latest;
    if (db.OpenLastStored(storedCount, latest) != 0) {
        return 1;
    }
    for (; !latest.atEnd(); latest.moveNext()) {
        if (latest.ExchangeRecord(records.emplace_back(), ExchangeDirection::read) != 0) {
            return 1;
        }
    }
    latest.close();
    if (records.empty()) {
        return 0;
    }

    // One pass over every row whose rain can fall into a window of the new records,
    // instead of five sums per record.
    const OleDate firstEnd = OleDate(records.front().Time).addSeconds(1.0);
    const OleDate lastEnd = OleDate(records.back().Time).addSeconds(1.0);
    const OleDate from =
        std::min(startOfMonth(firstEnd), startOfWeek(firstEnd),
                 [](const OleDate& a, const OleDate& b) { return WholeMinutesBetween(a, b) > 0; });
    RainRunningSum running;
    if (!running.load(db, from, lastEnd)) {
        return 1;
    }

    RecordCursor cursor;
    if (db.OpenLastStored(storedCount, cursor) != 0) {
        return 1;
    }
    for (HistoryRecord& record : records) {
        if (cursor.atEnd()) {
            break;
        }
        // One second past the record: its own rain counts, while the windows start just
        // after their boundary, so a record stamped on the hour opens the next hour.
        const OleDate t = OleDate(record.Time).addSeconds(1.0);
        record.Rain1 = static_cast<float>(running.between(startOfHour(t), t));
        record.Rain2 = static_cast<float>(running.between(startOfDay(t), t));
        record.Rain3 = static_cast<float>(running.between(startOfWeek(t), t));
        record.Rain4 = static_cast<float>(running.between(startOfMonth(t), t));
        record.Rain5 = static_cast<float>(running.upTo(t));
        if (cursor.ExchangeRecord(record, ExchangeDirection::write) != 0) {
            return 1;
        }
        cursor.moveNext();
        if (recordDone) {
            recordDone();
        }
    }
    cursor.close();
    return 0;
}

int ComputeCurrentRainTotals(CWeatherDb& db, const OleDate& now, CStationData& data) {
    HistoryRecord& current = data.m_Current;
    // Only whether anything is stored: counting a ten-year store would cost every pass.
    RecordCursor newest;
    if (db.OpenLatest(1, newest) != 0) {
        return 1;
    }
    if (newest.atEnd()) {
        current.Rain1 = current.Rain2 = current.Rain3 = current.Rain4 = current.Rain5 =
            current.RainYear = 0.0f;
        return 0;
    }
    const OleDate hour = startOfHour(now);
    const OleDate endOfToday = endOfDay(now);
    WindowSums sums;
    double total = 0.0;
    double year = 0.0;
    // All rain to the end of today: the running total up to now (moving forward, as the
    // next download's totals will) and whatever lies after now.
    double laterToday = 0.0;
    if (windowSums(db, now, hour.addSeconds(kOneHour), endOfToday, sums) != 0 ||
        db.OpenRainSumUpTo(now, total) != 0 || db.OpenRainSum(now, endOfToday, laterToday) != 0 ||
        db.OpenRainSum(startOfYear(now), endOfToday, year) != 0) {
        return 1;
    }
    // Rain the counter has seen since the newest stored record.
    const double pending = UncountedRain(current.Rcount, data.RainCounter, data.m_RainPerCount);
    current.Rain1 = static_cast<float>(sums.hour + pending);
    current.Rain2 = static_cast<float>(sums.day + pending);
    current.Rain3 = static_cast<float>(sums.week + pending);
    current.Rain4 = static_cast<float>(sums.month + pending);
    current.Rain5 = static_cast<float>(total + laterToday + pending);
    current.RainYear = static_cast<float>(year + pending);
    return 0;
}

}  // namespace nimbra
