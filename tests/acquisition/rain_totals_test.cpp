#include "acquisition/rain_totals.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "store/stored_records.h"
#include "tests/support/temp_folder.h"

namespace nimbra {
namespace {

class StoreBackedTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(m_db.Connect(m_path), 0); }
    void TearDown() override { m_db.Connect("/nonexistent/none.db"); }

    void insert(const OleDate& time, float rain) {
        HistoryRecord record;
        record.Time = time.value();
        record.Interval = 30;
        record.Rain = rain;
        ASSERT_EQ(m_db.InsertRecord(record), 0);
    }

    std::vector<HistoryRecord> rows() {
        std::vector<HistoryRecord> all;
        RecordCursor cursor;
        m_db.OpenLatest(1000, cursor);
        for (; !cursor.atEnd(); cursor.moveNext()) {
            HistoryRecord record;
            cursor.ExchangeRecord(record, ExchangeDirection::read);
            all.push_back(record);
        }
        return all;
    }

    testing::TempFolder m_folder{"rain-totals"};
    const std::filesystem::path m_path = m_folder.path() / "Nimbra7420.db";
    CWeatherDb m_db;
};

// Records stored after others but stamped earlier (an hour repeated when the clocks go
// back) get their own totals; the rows stored before them are left as they were.
TEST_F(StoreBackedTest, TotalsGoToTheRowsStoredLastWhateverTheirTimes) {
    insert(OleDate::fromCivil(2024, 10, 27, 2, 30), 1.0f);
    insert(OleDate::fromCivil(2024, 10, 27, 3, 0), 2.0f);
    ASSERT_EQ(ComputeStoredRainTotals(m_db, 2, {}), 0);
    insert(OleDate::fromCivil(2024, 10, 27, 2, 0), 4.0f);
    insert(OleDate::fromCivil(2024, 10, 27, 2, 15), 8.0f);
    ASSERT_EQ(ComputeStoredRainTotals(m_db, 2, {}), 0);
    const auto r = rows();  // in time order: 2:00, 2:15, 2:30, 3:00
    ASSERT_EQ(r.size(), 4u);
    EXPECT_FLOAT_EQ(r[0].Rain5, 4.0f);
    EXPECT_FLOAT_EQ(r[1].Rain5, 12.0f);
    EXPECT_FLOAT_EQ(r[1].Rain1, 8.0f);  // the hour starts just after 2:00
    EXPECT_FLOAT_EQ(r[2].Rain5, 1.0f);  // worked out before the earlier records came
    EXPECT_FLOAT_EQ(r[3].Rain5, 3.0f);
}

TEST_F(StoreBackedTest, RollingTotalsStartJustAfterEachBoundary) {
    // Saturday 2024-03-30 23:30, then Sunday midnight, then 00:30 and 01:00.
    insert(OleDate::fromCivil(2024, 3, 30, 23, 30), 1.0f);
    insert(OleDate::fromCivil(2024, 3, 31, 0, 0), 2.0f);
    insert(OleDate::fromCivil(2024, 3, 31, 0, 30), 4.0f);
    insert(OleDate::fromCivil(2024, 4, 1, 1, 0), 8.0f);
    int done = 0;
    ASSERT_EQ(ComputeStoredRainTotals(m_db, 4, [&done] { ++done; }), 0);
    EXPECT_EQ(done, 4);
    const auto r = rows();
    ASSERT_EQ(r.size(), 4u);
    struct Totals {
        float hour, day, week, month, total;
    };
    const Totals expected[] = {
        {1, 1, 1, 1, 1},
        // On the stroke of midnight: a new hour, day and week, whose windows start just
        // after the boundary, so this record's own rain is in none of them.
        {0, 0, 0, 3, 3},
        {4, 4, 4, 7, 7},
        // On the hour on the first of a month, a Monday: the week runs from Sunday midnight.
        {0, 8, 12, 8, 15},
    };
    for (std::size_t i = 0; i < r.size(); ++i) {
        EXPECT_FLOAT_EQ(r[i].Rain1, expected[i].hour) << i;
        EXPECT_FLOAT_EQ(r[i].Rain2, expected[i].day) << i;
        EXPECT_FLOAT_EQ(r[i].Rain3, expected[i].week) << i;
        EXPECT_FLOAT_EQ(r[i].Rain4, expected[i].month) << i;
        EXPECT_FLOAT_EQ(r[i].Rain5, expected[i].total) << i;
    }
}

TEST_F(StoreBackedTest, CurrentTotalsAddTheRainNoRecordHoldsYet) {
    CStationData data;
    ASSERT_EQ(ComputeCurrentRainTotals(m_db, OleDate::fromCivil(2024, 6, 10, 12), data), 0);
    EXPECT_EQ(data.m_Current.Rain5, 0.0f);  // no records: all totals 0

    insert(OleDate::fromCivil(2023, 12, 31, 23, 0), 5.0f);
    insert(OleDate::fromCivil(2024, 6, 10, 11, 30), 1.5f);
    data.RainCounter = 100;
    data.m_Current.Rcount = 102;  // two counts since the newest record
    ASSERT_EQ(ComputeCurrentRainTotals(m_db, OleDate::fromCivil(2024, 6, 10, 12, 15), data), 0);
    EXPECT_NEAR(data.m_Current.Rain1, 0.6f, 1e-5f);
    EXPECT_NEAR(data.m_Current.Rain2, 2.1f, 1e-5f);
    EXPECT_NEAR(data.m_Current.RainYear, 2.1f, 1e-5f);
    EXPECT_NEAR(data.m_Current.Rain5, 7.1f, 1e-5f);
}

TEST_F(StoreBackedTest, StoredRecordsRecogniseRepeatsButKeepDifferentReadingsAtOneTime) {
    HistoryRecord first;
    first.Time = OleDate::fromCivil(2024, 10, 27, 2, 30).value();
    first.InTemp = 12.5f;
    ASSERT_EQ(m_db.InsertRecord(first), 0);
    StoredRecords stored;
    ASSERT_TRUE(stored.load(m_db, OleDate(first.Time), OleDate(first.Time)));
    EXPECT_TRUE(stored.contains(first));
    HistoryRecord repeatedHour = first;  // the same local time an hour later
    repeatedHour.InTemp = 11.9f;
    EXPECT_FALSE(stored.contains(repeatedHour));
    HistoryRecord restamped = first;  // the same record, its seconds from another clock
    restamped.Time = OleDate(first.Time).addSeconds(5.0).value();
    EXPECT_TRUE(stored.contains(restamped));
    HistoryRecord stillNight = first;  // the same readings one interval later
    stillNight.Interval = 5;
    stillNight.Time = OleDate(first.Time).addSeconds(300.0).value();
    EXPECT_FALSE(stored.contains(stillNight));
}

TEST_F(StoreBackedTest, RecordsReadAgainAreRecognisedUpToJustUnderAnInterval) {
    HistoryRecord stored;
    stored.Time = OleDate::fromCivil(2024, 10, 27, 4, 0).value();
    stored.Interval = 5;
    stored.InTemp = 9.5f;
    ASSERT_EQ(m_db.InsertRecord(stored), 0);
    StoredRecords records;
    ASSERT_TRUE(records.load(m_db, OleDate(stored.Time), OleDate(stored.Time)));
    // Its copy in a batch put back on the stored times, from a stretch of them anchored
    // four minutes further into the interval being filled.
    HistoryRecord copy = stored;
    copy.Time = OleDate(stored.Time).addSeconds(-240.0).value();
    EXPECT_FALSE(records.contains(copy));
    EXPECT_TRUE(records.contains(copy, true));
    HistoryRecord next = stored;  // the same readings a whole interval later
    next.Time = OleDate(stored.Time).addSeconds(300.0).value();
    EXPECT_FALSE(records.contains(next, true));
}

}  // namespace
}  // namespace nimbra
