#include "core/ole_date.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace nimbra {
namespace {

// Runs a test body in a fixed time zone and restores the previous one.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) {
            m_old = old;
            m_hadOld = true;
        }
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone() {
        if (m_hadOld) {
            setenv("TZ", m_old.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

private:
    std::string m_old;
    bool m_hadOld = false;
};

TEST(OleDate, KnownValues) {
    EXPECT_EQ(OleDate::fromCivil(1899, 12, 30).value(), 0.0);
    EXPECT_EQ(OleDate::fromCivil(1900, 1, 1).value(), 2.0);
    EXPECT_EQ(OleDate::fromCivil(2000, 1, 1, 12).value(), 36526.5);
    EXPECT_EQ(OleDate::fromCivil(1899, 12, 29, 6).value(), -1.25);
    EXPECT_EQ(OleDate::fromCivil(1899, 12, 30, 6).value(), 0.25);
}

TEST(OleDate, CivilRoundTripAcrossMonthYearAndLeapBoundaries) {
    const CivilTime times[] = {
        {2023, 12, 31, 23, 59, 59}, {2024, 1, 1, 0, 0, 0},    {2024, 2, 28, 23, 59, 59},
        {2024, 2, 29, 12, 30, 1},   {2024, 3, 1, 0, 0, 0},    {2100, 2, 28, 7, 5, 0},
        {1899, 12, 29, 18, 0, 0},   {1800, 6, 15, 1, 2, 3},   {100, 1, 1, 0, 0, 0},
        {9999, 12, 31, 23, 59, 59}, {2024, 10, 27, 2, 30, 0}, {2024, 3, 31, 2, 30, 0},
    };
    for (const auto& t : times) {
        const OleDate date = OleDate::fromCivil(t);
        ASSERT_TRUE(date.isValid());
        EXPECT_EQ(date.toCivil(), t) << date.toQueryText();
    }
}

TEST(OleDate, InvalidFieldsGiveAnInvalidDate) {
    EXPECT_FALSE(OleDate::fromCivil(2023, 2, 29).isValid());
    EXPECT_FALSE(OleDate::fromCivil(2024, 13, 1).isValid());
    EXPECT_FALSE(OleDate::fromCivil(2024, 1, 1, 24).isValid());
    EXPECT_FALSE(OleDate::fromCivil(99, 1, 1).isValid());
    EXPECT_FALSE(OleDate(40000.0, OleDate::invalid).toCivil().has_value());
    EXPECT_FALSE(OleDate(1e300).toCivil().has_value());
}

TEST(OleDate, DecompositionRoundsToTheNearestSecond) {
    const double oneSecond = 1.0 / kSecondsPerDay;
    const OleDate almostMidnight(45000.0 - 0.4 * oneSecond);
    EXPECT_EQ(almostMidnight.toCivil(), OleDate::fromCivil(2023, 3, 15).toCivil());
    EXPECT_EQ(OleDate(45000.0 + 0.6 * oneSecond).toCivil()->second, 1);
}

TEST(OleDate, QueryTextAndParsing) {
    const OleDate date = OleDate::fromCivil(2024, 3, 5, 7, 5, 0);
    EXPECT_EQ(date.toQueryText(), "2024-03-05 7:05:00");
    EXPECT_EQ(OleDate::fromText("2024-03-05 7:05:00"), date);
    EXPECT_EQ(OleDate::fromText("2024-3-5 07:5:0"), date);
    EXPECT_EQ(OleDate::fromText("2024-03-05"), OleDate::fromCivil(2024, 3, 5));
    EXPECT_FALSE(OleDate::fromText("2024-02-30 1:00:00").isValid());
    EXPECT_FALSE(OleDate::fromText("yesterday").isValid());
    EXPECT_FALSE(OleDate::fromText("2024-03-05 7:05").isValid());
    EXPECT_FALSE(OleDate::fromText("2024-03-05 7:05:00 x").isValid());
}

TEST(OleDate, SystemClockRoundTripAcrossDaylightSavingChanges) {
    ScopedTimeZone zone("Europe/Berlin");
    // 2024-03-31 01:00 UTC: clocks jump 02:00 -> 03:00; 2024-10-27 01:00 UTC: 03:00 -> 02:00.
    const std::time_t springUtc = 1711846800;
    const std::time_t autumnUtc = 1729990800;
    for (std::time_t base : {springUtc, autumnUtc}) {
        for (std::time_t offset = -7200; offset <= 7200; offset += 900) {
            const std::time_t instant = base + offset;
            const OleDate local = OleDate::fromTimeT(instant);
            ASSERT_TRUE(local.isValid());
            const auto back = local.toTimeT();
            ASSERT_TRUE(back.has_value());
            // In the repeated autumn hour the local time names two instants an hour apart.
            EXPECT_TRUE(*back == instant || *back == instant - 3600 || *back == instant + 3600)
                << local.toQueryText();
            EXPECT_EQ(OleDate::fromTimeT(*back), local);
        }
    }
    EXPECT_EQ(OleDate::fromTimeT(springUtc).toQueryText(), "2024-03-31 3:00:00");
    EXPECT_EQ(OleDate::fromTimeT(springUtc - 1).toQueryText(), "2024-03-31 1:59:59");
}

TEST(OleDate, WholeMinutesRoundHalfASecondAwayFromZero) {
    const OleDate base = OleDate::fromCivil(2024, 6, 1, 12, 0, 0);
    const std::pair<double, std::int64_t> cases[] = {
        {0.0, 0},    {29.0, 0},     {29.45, 0},      {29.55, 1},   {30.0, 1},
        {89.45, 1},  {89.55, 2},    {-29.45, 0},     {-29.55, -1}, {-30.0, -1},
        {600.0, 10}, {-600.0, -10}, {86400.0, 1440},
    };
    for (const auto& [seconds, minutes] : cases) {
        EXPECT_EQ(WholeMinutesBetween(base, base.addSeconds(seconds)), minutes) << seconds;
    }
}

TEST(OleDate, ArithmeticAcrossTheEpoch) {
    const OleDate before = OleDate::fromCivil(1899, 12, 29, 23, 0, 0);
    const OleDate after = before.addSeconds(7200);
    EXPECT_EQ(after.toCivil(), (CivilTime{1899, 12, 30, 1, 0, 0}));
    EXPECT_EQ(WholeMinutesBetween(before, after), 120);
    EXPECT_EQ(after.addSeconds(-7200).toCivil(), before.toCivil());
}

}  // namespace
}  // namespace nimbra

namespace nimbra {
namespace {

TEST(OleDateCalendar, BoundariesOfHourDayWeekMonthYear) {
    // Wednesday 2024-03-06 14:35:20.
    const OleDate t = OleDate::fromCivil(2024, 3, 6, 14, 35, 20);
    EXPECT_EQ(startOfHour(t).toQueryText(), "2024-03-06 14:00:00");
    EXPECT_EQ(startOfDay(t).toQueryText(), "2024-03-06 0:00:00");
    EXPECT_EQ(startOfWeek(t).toQueryText(), "2024-03-03 0:00:00");
    EXPECT_EQ(startOfMonth(t).toQueryText(), "2024-03-01 0:00:00");
    EXPECT_EQ(startOfYear(t).toQueryText(), "2024-01-01 0:00:00");
    EXPECT_EQ(endOfDay(t).toQueryText(), "2024-03-06 23:59:59");
}

TEST(OleDateCalendar, WeeksStartOnSundayAcrossMonthsAndYears) {
    const std::pair<CivilTime, const char*> cases[] = {
        {{2024, 3, 3, 0, 0, 0}, "2024-03-03 0:00:00"},     // a Sunday is its own start
        {{2024, 3, 2, 23, 59, 59}, "2024-02-25 0:00:00"},  // Saturday, back into February
        {{2025, 1, 1, 12, 0, 0}, "2024-12-29 0:00:00"},    // across the new year
        {{1899, 12, 30, 6, 0, 0}, "1899-12-24 0:00:00"},   // the epoch itself was a Saturday
        {{1899, 12, 26, 6, 0, 0}, "1899-12-24 0:00:00"},   // before the epoch
    };
    for (const auto& [civil, expected] : cases) {
        EXPECT_EQ(startOfWeek(OleDate::fromCivil(civil)).toQueryText(), expected);
    }
}

}  // namespace
}  // namespace nimbra
