#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "core/absent.h"
#include "store/record_queries.h"
#include "tests/support/store_fixture.h"

namespace nimbra {
namespace {

using testing::CapturedErrors;
using testing::executeRaw;
using testing::queryPlan;
using testing::queryRaw;
using testing::sampleRecord;
using testing::StoreTest;
using testing::TempFolder;

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::SizeIs;

TEST_F(StoreTest, FreshFileGetsBothTablesAndTheTimeIndex) {
    EXPECT_EQ(queryRaw(file(), "SELECT name || ' ' || type FROM pragma_table_info('Records')"),
              "Time REAL;Interval INTEGER;InTemp REAL;InHumi INTEGER;OutTemp REAL;"
              "OutHumi INTEGER;RelPressure REAL;AbsPressure REAL;Wind REAL;Gust REAL;"
              "WindDirection INTEGER;DewPoint REAL;WindChill REAL;Rain REAL;Rcount INTEGER;"
              "Rain1 REAL;Rain2 REAL;Rain3 REAL;Rain4 REAL;Rain5 REAL;Light REAL;UV INTEGER");
    EXPECT_EQ(queryRaw(file(), "SELECT name || ' ' || type FROM pragma_table_info('Param')"),
              "RecordTime REAL;RainCounter INTEGER;Rain1Interval INTEGER;Rain2Interval INTEGER;"
              "Rain3Interval INTEGER;Rain4Interval INTEGER;Rain1Count INTEGER;"
              "Rain2Count INTEGER;Rain3Count INTEGER;Rain4Count INTEGER;LastCount INTEGER;"
              "LastPoint INTEGER;InTempUnit INTEGER;OutTempUnit INTEGER;PressureUnit INTEGER;"
              "RainUnit INTEGER;WindUnit INTEGER;LightUnit INTEGER");
    EXPECT_EQ(queryRaw(file(),
                       "SELECT name FROM pragma_index_info('RecordsByTime') "
                       "WHERE seqno = 0"),
              "Time");
    EXPECT_EQ(queryRaw(file(), "PRAGMA journal_mode"), "wal");
}

TEST_F(StoreTest, ReconnectingKeepsTheDataAndTheSchema) {
    insertAt({45000.0});
    CWeatherDb other;
    ASSERT_EQ(other.Connect(file()), 0);
    std::int64_t count = 0;
    ASSERT_EQ(other.CountAll(count), 0);
    EXPECT_EQ(count, 1);
}

TEST_F(StoreTest, RangeQueriesUseTheTimeIndex) {
    for (const std::string& sql :
         {detail::rangeQuery(RecordColumn::OutTemp), detail::maxMinQuery(RecordColumn::Wind),
          detail::countQuery(RecordColumn::UV), detail::rainSumQuery(), detail::historyQuery(),
          detail::latestQuery()}) {
        const std::string plan = queryPlan(file(), sql);
        EXPECT_NE(plan.find("INDEX RecordsByTime"), std::string::npos) << sql << "\n" << plan;
        EXPECT_EQ(plan.find("SCAN Records\n"), std::string::npos) << sql << "\n" << plan;
    }
}

TEST_F(StoreTest, EmptyParamLeavesTheBlockAloneAndTheFirstWriteAddsTheOnlyRow) {
    ParamBlock block;
    block.LastPoint = 4321;
    const ParamBlock before = block;
    ASSERT_EQ(m_db.ReadParam(block, kParamAll), 0);
    EXPECT_EQ(block, before);
    EXPECT_EQ(block.m_ParamLoaded, 0);

    ASSERT_EQ(m_db.WriteParam(block), 0);
    block.LastPoint = 999;
    ASSERT_EQ(m_db.WriteParam(block), 0);
    EXPECT_EQ(queryRaw(file(), "SELECT count(*) FROM Param"), "1");

    ParamBlock read;
    ASSERT_EQ(m_db.ReadParam(read, kParamAll), 0);
    EXPECT_EQ(read.LastPoint, 999);
    EXPECT_EQ(read.m_ParamLoaded, 1);
}

TEST_F(StoreTest, ParamRoundTripsEveryColumnByGroup) {
    ParamBlock written;
    written.RecordTime = OleDate(45123.5);
    written.RainCounter = 1;
    written.Rain1Interval = 2;
    written.Rain2Interval = 3;
    written.Rain3Interval = 4;
    written.Rain4Interval = 5;
    written.Rain1Count = 6;
    written.Rain2Count = 7;
    written.Rain3Count = 8;
    written.Rain4Count = 9;
    written.LastCount = 10;
    written.LastPoint = 11;
    written.InTempUnit = 1;
    written.OutTempUnit = 1;
    written.PressureUnit = 2;
    written.RainUnit = 1;
    written.WindUnit = 4;
    written.LightUnit = 2;
    ASSERT_EQ(m_db.WriteParam(written), 0);

    ParamBlock all;
    ASSERT_EQ(m_db.ReadParam(all, kParamAll), 0);
    written.m_ParamLoaded = 1;
    EXPECT_EQ(all, written);

    ParamBlock unitsOnly;
    ASSERT_EQ(m_db.ReadParam(unitsOnly, kParamUnits), 0);
    EXPECT_EQ(unitsOnly.LastPoint, kNothingDownloaded);
    EXPECT_EQ(unitsOnly.WindUnit, 4);

    ParamBlock rainOnly;
    ASSERT_EQ(m_db.ReadParam(rainOnly, kParamRainState), 0);
    EXPECT_EQ(rainOnly.LastPoint, 11);
    EXPECT_EQ(rainOnly.WindUnit, 0);
}

TEST_F(StoreTest, WritingOneGroupKeepsTheOther) {
    ParamBlock block;
    block.LastPoint = 2256;
    block.WindUnit = 3;
    ASSERT_EQ(m_db.WriteParam(block), 0);
    block.LastPoint = 256;
    block.WindUnit = 1;
    ASSERT_EQ(m_db.ExchangeParam(block, kParamUnits, ExchangeDirection::write), 0);

    ParamBlock read;
    ASSERT_EQ(m_db.ReadParam(read, kParamAll), 0);
    EXPECT_EQ(read.LastPoint, 2256);
    EXPECT_EQ(read.WindUnit, 1);
}

TEST_F(StoreTest, NullParamColumnsReadAsZero) {
    executeRaw(file(), "INSERT INTO Param (LastPoint) VALUES (NULL)");
    ParamBlock block;
    block.LastPoint = 77;
    block.RecordTime = OleDate(45000.0);
    ASSERT_EQ(m_db.ReadParam(block, kParamAll), 0);
    EXPECT_EQ(block.LastPoint, 0);
    EXPECT_EQ(block.RecordTime, OleDate(0.0));
}

TEST_F(StoreTest, RecordRoundTripsExactlyButRcountIsNeverReadBack) {
    const HistoryRecord written = sampleRecord(45000.123456789);
    ASSERT_EQ(m_db.InsertRecord(written), 0);
    EXPECT_EQ(queryRaw(file(), "SELECT Rcount FROM Records"), "123");

    RecordCursor cursor;
    ASSERT_EQ(m_db.OpenAllRecords(cursor), 0);
    ASSERT_FALSE(cursor.atEnd());
    HistoryRecord read;
    read.Rcount = 777;
    read.RainYear = 5.5f;
    ASSERT_EQ(cursor.ExchangeRecord(read, ExchangeDirection::read), 0);
    HistoryRecord expected = written;
    expected.Rcount = 777;
    expected.RainYear = 5.5f;
    EXPECT_EQ(read, expected);
}

TEST_F(StoreTest, NullColumnsReadAsZeroAndNullDirectionAsNoDirection) {
    executeRaw(file(), "INSERT INTO Records (Interval) VALUES (NULL)");
    RecordCursor cursor;
    ASSERT_EQ(m_db.OpenAllRecords(cursor), 0);
    HistoryRecord read = sampleRecord(45000.0);
    read.Rcount = 0;
    ASSERT_EQ(cursor.ExchangeRecord(read, ExchangeDirection::read), 0);
    HistoryRecord expected;
    expected.WindDirection = 16;
    EXPECT_EQ(read, expected);
}

// Every query that filters on a column drops rows holding the absent marker in it, while
// the marker itself is stored and read back like any value.
struct AbsentCase {
    RecordColumn column;
    void (*markAbsent)(HistoryRecord&);
};

void PrintTo(const AbsentCase& c, std::ostream* out) {
    *out << columnName(c.column);
}

class AbsentValues : public StoreTest, public ::testing::WithParamInterface<AbsentCase> {};

TEST_P(AbsentValues, AreStoredAndExcludedByEveryFilteredQuery) {
    const AbsentCase& c = GetParam();
    HistoryRecord absent = sampleRecord(45000.1);
    c.markAbsent(absent);
    ASSERT_EQ(m_db.InsertRecord(sampleRecord(45000.2)), 0);
    ASSERT_EQ(m_db.InsertRecord(absent), 0);

    RecordCursor all;
    ASSERT_EQ(m_db.FillHistoryList(OleDate(45000.0), OleDate(45000.15), all), 0);
    HistoryRecord read;
    ASSERT_EQ(all.ExchangeRecord(read, ExchangeDirection::read), 0);
    read.Rcount = absent.Rcount;
    EXPECT_EQ(read, absent);

    const OleDate start(45000.0), end(45001.0);
    RecordCursor range;
    ASSERT_EQ(m_db.OpenRange(start, end, c.column, range), 0);
    EXPECT_THAT(timesOf(range), ElementsAre(45000.2));
    std::int64_t count = 0;
    ASSERT_EQ(m_db.OpenCount(start, end, c.column, count), 0);
    EXPECT_EQ(count, 1);
    MaxMin maxMin;
    ASSERT_EQ(m_db.OpenMaxMin(start, end, c.column, maxMin), 0);
    EXPECT_NE(maxMin.Max1, std::optional<double>(65535.0));

    MaxMin none{1.0, 2.0};
    ASSERT_EQ(m_db.OpenMaxMin(OleDate(45000.0), OleDate(45000.15), c.column, none), 0);
    EXPECT_EQ(none.Max1, std::nullopt);
    EXPECT_EQ(none.Min1, std::nullopt);
    EXPECT_THAT(m_errors.messages(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Columns, AbsentValues,
    ::testing::Values(
        AbsentCase{RecordColumn::OutTemp, [](HistoryRecord& r) { r.OutTemp = kAbsent; }},
        AbsentCase{RecordColumn::OutHumi, [](HistoryRecord& r) { r.OutHumi = kAbsentInt; }},
        AbsentCase{RecordColumn::UV, [](HistoryRecord& r) { r.UV = kAbsentInt; }},
        AbsentCase{RecordColumn::Light, [](HistoryRecord& r) { r.Light = kAbsent; }}));

TEST_F(StoreTest, AbsentRainStaysOutOfTheRainSums) {
    HistoryRecord absent = sampleRecord(45000.1);
    absent.Rain = kAbsent;
    ASSERT_EQ(m_db.InsertRecord(absent), 0);
    insertAt({45000.2});
    double sum = -1;
    ASSERT_EQ(m_db.OpenRainSum(OleDate(45000.0), OleDate(45001.0), sum), 0);
    EXPECT_FLOAT_EQ(sum, 0.3);
    ASSERT_EQ(m_db.OpenRainSumUpTo(OleDate(45001.0), sum), 0);
    EXPECT_FLOAT_EQ(sum, 0.3);
}

// Rows at 10, 20 and 30 (days after an arbitrary origin); a range holds rows later than
// its start and not later than its end.
struct BoundsCase {
    double start;
    double end;
    std::vector<double> expected;
};

void PrintTo(const BoundsCase& c, std::ostream* out) {
    *out << "(" << c.start << ", " << c.end << "]";
}

class HalfOpenRanges : public StoreTest, public ::testing::WithParamInterface<BoundsCase> {};

TEST_P(HalfOpenRanges, HoldRowsAfterTheStartUpToTheEnd) {
    insertAt({45010.0, 45020.0, 45030.0});
    const BoundsCase& c = GetParam();
    const OleDate start(c.start), end(c.end);

    RecordCursor range;
    ASSERT_EQ(m_db.OpenRange(start, end, RecordColumn::OutTemp, range), 0);
    EXPECT_EQ(timesOf(range), c.expected);
    RecordCursor history;
    ASSERT_EQ(m_db.FillHistoryList(start, end, history), 0);
    EXPECT_EQ(timesOf(history), c.expected);

    std::int64_t count = -1;
    ASSERT_EQ(m_db.OpenCount(start, end, RecordColumn::OutTemp, count), 0);
    EXPECT_EQ(count, static_cast<std::int64_t>(c.expected.size()));
    double sum = -1;
    ASSERT_EQ(m_db.OpenRainSum(start, end, sum), 0);
    EXPECT_NEAR(sum, 0.3 * static_cast<double>(c.expected.size()), 1e-6);
    MaxMin maxMin;
    ASSERT_EQ(m_db.OpenMaxMin(start, end, RecordColumn::Time, maxMin), 0);
    if (c.expected.empty()) {
        EXPECT_EQ(maxMin.Max1, std::nullopt);
    } else {
        EXPECT_EQ(maxMin.Max1, c.expected.back());
        EXPECT_EQ(maxMin.Min1, c.expected.front());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Bounds, HalfOpenRanges,
    ::testing::Values(BoundsCase{45020.0, 45020.0, {}}, BoundsCase{45010.0, 45020.0, {45020.0}},
                      BoundsCase{45009.0, 45030.0, {45010.0, 45020.0, 45030.0}},
                      BoundsCase{45030.0, 45040.0, {}}, BoundsCase{45025.0, 45015.0, {}}));

TEST_F(StoreTest, RainSumUpToIncludesItsEndAndIsZeroOverNoRows) {
    double sum = -1;
    ASSERT_EQ(m_db.OpenRainSumUpTo(OleDate(45020.0), sum), 0);
    EXPECT_EQ(sum, 0.0);
    insertAt({45010.0, 45020.0, 45030.0});
    ASSERT_EQ(m_db.OpenRainSumUpTo(OleDate(45020.0), sum), 0);
    EXPECT_NEAR(sum, 0.6, 1e-6);
}

// The total up to a time is carried forward between calls; whatever happens to the table
// in between, it must equal what a fresh connection sums from scratch.
TEST_F(StoreTest, RainTotalsUpToATimeStayRightThroughEveryKindOfWrite) {
    insertAt({45010.0, 45020.0, 45030.0});
    constexpr double kPrimed = 45025.0;
    const auto expectFreshTotals = [&](const char* after) {
        CWeatherDb fresh;
        ASSERT_EQ(fresh.Connect(file()), 0);
        // Forward and back again, onto a row's own time too.
        for (const double end : {kPrimed, 45035.0, 45050.0, 45012.0, 45030.0}) {
            double carried = -1;
            double summed = -2;
            ASSERT_EQ(m_db.OpenRainSumUpTo(OleDate(end), carried), 0);
            ASSERT_EQ(fresh.OpenRainSumUpTo(OleDate(end), summed), 0);
            EXPECT_NEAR(carried, summed, 1e-9) << "after " << after << ", up to " << end;
        }
        // Leaves a total up to kPrimed for the next write to keep right or drop.
        double primed = 0;
        ASSERT_EQ(m_db.OpenRainSumUpTo(OleDate(kPrimed), primed), 0);
    };
    const auto rewriteFirstRow = [&](auto change) {
        RecordCursor cursor;
        ASSERT_EQ(m_db.OpenAllRecords(cursor), 0);
        HistoryRecord record;
        ASSERT_EQ(cursor.ExchangeRecord(record, ExchangeDirection::read), 0);
        change(record);
        ASSERT_EQ(cursor.ExchangeRecord(record, ExchangeDirection::write), 0);
    };
    expectFreshTotals("the first rows");

    insertAt({45015.0, 45045.0});
    expectFreshTotals("inserts before and after the last end");

    HistoryRecord absent = sampleRecord(45016.0);
    absent.Rain = kAbsent;
    ASSERT_EQ(m_db.InsertRecord(absent), 0);
    expectFreshTotals("an insert without rain");

    rewriteFirstRow([](HistoryRecord& r) { r.Rain5 = 99.0f; });
    expectFreshTotals("a rewrite that keeps Time and Rain");
    rewriteFirstRow([](HistoryRecord& r) { r.Rain = 2.4f; });
    expectFreshTotals("a rewrite of Rain");
    rewriteFirstRow([](HistoryRecord& r) { r.Time = 45040.0; });
    expectFreshTotals("a rewrite of Time");

    {
        CWeatherDb other;
        ASSERT_EQ(other.Connect(file()), 0);
        ASSERT_EQ(other.InsertRecord(sampleRecord(45011.0)), 0);
    }
    expectFreshTotals("another connection's insert");

    {
        Transaction transaction(m_db);
        insertAt({45012.0});
        double inside = 0;
        ASSERT_EQ(m_db.OpenRainSumUpTo(OleDate(kPrimed), inside), 0);
    }
    expectFreshTotals("a rolled-back insert");

    ASSERT_EQ(m_db.DeleteAll(), 0);
    expectFreshTotals("clearing");
}

TEST_F(StoreTest, LatestRowsComeOldestFirst) {
    insertAt({45030.0, 45010.0, 45040.0, 45020.0});
    const struct {
        int count;
        std::vector<double> expected;
    } cases[] = {
        {2, {45030.0, 45040.0}},
        {10, {45010.0, 45020.0, 45030.0, 45040.0}},
        {0, {}},
        {-1, {}},
    };
    for (const auto& c : cases) {
        RecordCursor cursor;
        ASSERT_EQ(m_db.OpenLatest(c.count, cursor), 0);
        EXPECT_EQ(timesOf(cursor), c.expected) << "N = " << c.count;
    }
}

TEST_F(StoreTest, TheRowsStoredLastComeInTheOrderTheyWereStored) {
    insertAt({45020.0, 45030.0, 45010.0, 45015.0});
    RecordCursor last;
    ASSERT_EQ(m_db.OpenLastStored(3, last), 0);
    EXPECT_THAT(timesOf(last), ElementsAre(45030.0, 45010.0, 45015.0));
    ASSERT_EQ(m_db.OpenLastStored(10, last), 0);
    EXPECT_EQ(timesOf(last).size(), 4u);
}

TEST_F(StoreTest, ACursorUpdatesTheRowItStandsOn) {
    insertAt({45010.0, 45020.0});
    RecordCursor latest;
    ASSERT_EQ(m_db.OpenLatest(2, latest), 0);
    HistoryRecord record;
    ASSERT_EQ(latest.moveNext(), 0);
    ASSERT_EQ(latest.ExchangeRecord(record, ExchangeDirection::read), 0);
    record.Rain5 = 42.5f;
    ASSERT_EQ(latest.ExchangeRecord(record, ExchangeDirection::write), 0);
    latest.close();

    EXPECT_EQ(queryRaw(file(), "SELECT Rain5 FROM Records ORDER BY Time"), "901.200012207031;42.5");
}

// The counter is never read back, so what a read-change-write cycle hands back is not
// the row's: the row keeps the counter it was stored with.
TEST_F(StoreTest, ACursorWriteKeepsTheStoredRainCounter) {
    ASSERT_EQ(m_db.InsertRecord(sampleRecord(45000.5)), 0);
    RecordCursor cursor;
    ASSERT_EQ(m_db.OpenAllRecords(cursor), 0);
    HistoryRecord record;
    ASSERT_EQ(cursor.ExchangeRecord(record, ExchangeDirection::read), 0);
    record.Rain1 = 1.5f;
    ASSERT_EQ(cursor.ExchangeRecord(record, ExchangeDirection::write), 0);
    cursor.close();
    EXPECT_EQ(queryRaw(file(), "SELECT Rcount || ' ' || Rain1 FROM Records"), "123 1.5");
}

TEST_F(StoreTest, TheIntervalAndRainLookIsReadOnly) {
    insertAt({45010.0});
    RecordCursor cursor;
    ASSERT_EQ(m_db.OpenIntervalRain(cursor), 0);
    HistoryRecord record;
    ASSERT_EQ(cursor.ExchangeRecord(record, ExchangeDirection::read), 0);
    EXPECT_EQ(record.Interval, 5);
    EXPECT_FLOAT_EQ(record.Rain, 0.3f);
    EXPECT_EQ(record.Time, 0.0);
    EXPECT_EQ(cursor.ExchangeRecord(record, ExchangeDirection::write), 1);
    EXPECT_THAT(m_errors.messages(), SizeIs(1));
}

TEST_F(StoreTest, DeleteAllEmptiesBothTables) {
    insertAt({45010.0, 45020.0});
    ASSERT_EQ(m_db.WriteParam(ParamBlock{}), 0);
    ASSERT_EQ(m_db.DeleteAll(), 0);
    EXPECT_EQ(queryRaw(file(), "SELECT count(*) FROM Records"), "0");
    EXPECT_EQ(queryRaw(file(), "SELECT count(*) FROM Param"), "0");
}

TEST_F(StoreTest, ConnectingToASecondFileLeavesOnlyTheSecond) {
    insertAt({45010.0});
    TempFolder other;
    const auto second = other.path() / "Nimbra7420.db";
    ASSERT_EQ(m_db.Connect(second), 0);
    insertAt({45020.0, 45030.0});
    EXPECT_EQ(queryRaw(file(), "SELECT count(*) FROM Records"), "1");
    EXPECT_EQ(queryRaw(second, "SELECT count(*) FROM Records"), "2");
}

TEST_F(StoreTest, ACursorOutlivesAReconnectButNoLongerWrites) {
    insertAt({45010.0, 45020.0});
    RecordCursor cursor;
    ASSERT_EQ(m_db.OpenAllRecords(cursor), 0);
    TempFolder other;
    ASSERT_EQ(m_db.Connect(other.path() / "Nimbra7420.db"), 0);
    HistoryRecord record;
    EXPECT_EQ(cursor.ExchangeRecord(record, ExchangeDirection::write), 1);
    EXPECT_EQ(timesOf(cursor), (std::vector<double>{45010.0, 45020.0}));
}

TEST_F(StoreTest, InvalidTimeBoundsAreReported) {
    RecordCursor cursor;
    const OleDate invalid(45000.0, OleDate::invalid);
    EXPECT_EQ(m_db.OpenRange(invalid, OleDate(45001.0), RecordColumn::Wind, cursor), 1);
    double sum = 0;
    EXPECT_EQ(m_db.OpenRainSumUpTo(invalid, sum), 1);
    EXPECT_THAT(m_errors.messages(), SizeIs(2));
}

TEST(StoreConnect, FailuresAreReportedAndLeaveTheObjectUnconnected) {
    TempFolder folder;
    const auto garbage = folder.path() / "garbage.db";
    std::ofstream(garbage) << std::string(4096, 'x');
    const struct {
        std::filesystem::path path;
        ConnectMode mode;
    } cases[] = {
        {garbage, ConnectMode::createIfMissing},
        {garbage, ConnectMode::readOnly},
        {folder.path(), ConnectMode::createIfMissing},
        {folder.path() / "missing" / "Nimbra7420.db", ConnectMode::createIfMissing},
        {folder.path() / "absent.db", ConnectMode::readOnly},
    };
    for (const auto& c : cases) {
        CapturedErrors errors;
        CWeatherDb db;
        db.setErrorSink(errors.sink());
        EXPECT_EQ(db.Connect(c.path, c.mode), -1) << c.path;
        EXPECT_FALSE(db.isConnected());
        EXPECT_THAT(errors.messages(), SizeIs(1)) << c.path;
        std::int64_t count = 0;
        EXPECT_EQ(db.CountAll(count), 1);
        EXPECT_EQ(db.InsertRecord(HistoryRecord{}), 1);
        EXPECT_THAT(errors.messages(), SizeIs(3));
    }
    EXPECT_EQ(std::filesystem::file_size(garbage), 4096u);
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "absent.db"));
}

TEST(StoreConnect, ReadOnlyOpensAnExistingDatabaseWithoutWritingIt) {
    TempFolder folder;
    const auto file = folder.path() / "Nimbra7420.db";
    {
        CWeatherDb writer;
        ASSERT_EQ(writer.Connect(file), 0);
        ASSERT_EQ(writer.InsertRecord(sampleRecord(45000.0)), 0);
    }
    CapturedErrors errors;
    CWeatherDb reader;
    reader.setErrorSink(errors.sink());
    ASSERT_EQ(reader.Connect(file, ConnectMode::readOnly), 0);
    std::int64_t count = 0;
    ASSERT_EQ(reader.CountAll(count), 0);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(reader.InsertRecord(sampleRecord(45001.0)), 1);
    EXPECT_THAT(errors.messages(), SizeIs(1));
}

TEST(RecordColumns, NamesMatchWithoutRegardToCase) {
    for (const RecordField& field : recordFields()) {
        EXPECT_EQ(recordColumnFromName(field.name), field.column);
        EXPECT_EQ(columnName(field.column), field.name);
    }
    EXPECT_EQ(recordColumnFromName("outtemp"), RecordColumn::OutTemp);
    EXPECT_EQ(recordColumnFromName("RainYear"), std::nullopt);
    EXPECT_EQ(recordColumnFromName("Time; DROP TABLE Records"), std::nullopt);
}

}  // namespace
}  // namespace nimbra
