#include "report/history_pager.h"

#include <gtest/gtest.h>

#include <random>

#include "store/import/record_import.h"
#include "tests/support/history_fixture.h"

namespace nimbra {
namespace {

// Rows with bursts of equal times (an import of overlapping records), a gap of months
// and uneven steps: whatever order the rows are asked in, each must be the row a plain
// walk of the search meets at that place.
std::vector<HistoryRecord> unevenRecords() {
    std::vector<HistoryRecord> records;
    double time = OleDate::fromCivil(2020, 1, 1).value();
    for (int i = 0; i < 12000; ++i) {
        if (i % 700 == 0) {
            // a burst of 300 rows at one time, straddling page boundaries
            for (int k = 0; k < 300; ++k, ++i) {
                HistoryRecord r = testing::sampleRecord(time);
                r.InHumi = i;
                records.push_back(r);
            }
        }
        time += i == 6000 ? 120.0 : (i % 3 + 1) / 1440.0;
        HistoryRecord r = testing::sampleRecord(time);
        r.InHumi = i;
        records.push_back(r);
    }
    return records;
}

class HistoryPagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::storeRecords(m_database, unevenRecords());
        ASSERT_EQ(m_db.Connect(m_database), 0);
        m_db.setErrorSink(m_errors.sink());
    }

    // The rows of (start, end] in a plain walk.
    std::vector<std::int32_t> walk(OleDate start, OleDate end) {
        RecordCursor cursor;
        EXPECT_EQ(m_db.FillHistoryList(start, end, cursor), 0);
        std::vector<std::int32_t> rows;
        HistoryRecord r;
        for (; !cursor.atEnd(); cursor.moveNext()) {
            cursor.ExchangeRecord(r, ExchangeDirection::read);
            rows.push_back(r.InHumi);
        }
        return rows;
    }

    testing::TempFolder m_folder;
    std::filesystem::path m_database = m_folder.path() / "Nimbra7420.db";
    CWeatherDb m_db;
    testing::CapturedErrors m_errors;
};

TEST_F(HistoryPagerTest, EveryRowIsTheWalksRowInAnyOrderOfAsking) {
    const struct {
        OleDate start, end;
    } ranges[] = {
        {OleDate(0.0), OleDate(1e6)},
        {OleDate::fromCivil(2020, 1, 3), OleDate::fromCivil(2020, 7, 1)},
        // starting exactly on a burst's time leaves that burst out
        {OleDate(unevenRecords()[0].Time), OleDate(1e6)},
    };
    for (const auto& range : ranges) {
        const std::vector<std::int32_t> expected = walk(range.start, range.end);
        std::int64_t count = 0;
        RecordSearch search;
        ASSERT_EQ(m_db.BeginSearch(range.start, range.end, search, count), 0);
        ASSERT_EQ(count, static_cast<std::int64_t>(expected.size()));
        HistoryPager pager(m_db, search, count);

        std::vector<std::int64_t> order;
        for (std::int64_t row = count - 1; row >= 0; row -= 97) {
            order.push_back(row);  // backwards, across every page
        }
        std::mt19937 random(7420);
        for (int i = 0; i < 400; ++i) {
            order.push_back(std::uniform_int_distribution<std::int64_t>(0, count - 1)(random));
        }
        for (std::int64_t row = 0; row < count; ++row) {
            order.push_back(row);  // then straight through
        }
        for (const std::int64_t row : order) {
            const HistoryRecord* record = pager.record(row);
            ASSERT_NE(record, nullptr) << row;
            ASSERT_EQ(record->InHumi, expected[static_cast<std::size_t>(row)]) << row;
        }
        EXPECT_EQ(pager.record(count), nullptr);
        EXPECT_EQ(pager.record(-1), nullptr);
    }
    EXPECT_TRUE(m_errors.messages().empty());
}

TEST_F(HistoryPagerTest, AFarJumpCountsInsteadOfWalking) {
    std::int64_t count = 0;
    RecordSearch search;
    ASSERT_EQ(m_db.BeginSearch(OleDate(0.0), OleDate(1e6), search, count), 0);
    HistoryPager pager(m_db, search, count);
    ASSERT_NE(pager.record(count - 1), nullptr);
    EXPECT_GT(pager.countsRun(), 0);
    const int counts = pager.countsRun();
    // Rows of the pages read so far, and reading on from a row, count nothing more.
    ASSERT_NE(pager.record(count - 1), nullptr);
    const std::int64_t middle = count / 2;
    ASSERT_NE(pager.record(middle), nullptr);
    const int afterMiddle = pager.countsRun();
    for (std::int64_t row = middle; row < middle + 3 * HistoryPager::kPageRows; ++row) {
        ASSERT_NE(pager.record(row), nullptr);
    }
    EXPECT_EQ(pager.countsRun(), afterMiddle);
    EXPECT_GT(afterMiddle, counts);
}

TEST_F(HistoryPagerTest, RowsThatVanishedReadAsNothing) {
    std::int64_t count = 0;
    RecordSearch search;
    ASSERT_EQ(m_db.BeginSearch(OleDate(0.0), OleDate(1e6), search, count), 0);
    HistoryPager pager(m_db, search, count);
    ASSERT_EQ(m_db.DeleteAll(), 0);  // Clear Data served while the list is open
    EXPECT_EQ(pager.record(5), nullptr);
    EXPECT_EQ(pager.record(count - 1), nullptr);
}

// A list left open on a page must not keep the store from folding its log back: an
// import (or a download) then grows the log without end.
TEST_F(HistoryPagerTest, AnOpenListLetsTheLogStayBoundedWhileAnImportRuns) {
    std::vector<HistoryRecord> source;
    for (int i = 0; i < 100000; ++i) {
        HistoryRecord r =
            testing::sampleRecord(OleDate::fromCivil(2025, 1, 1).value() + i / 1440.0);
        r.Interval = 1;
        source.push_back(r);
    }
    const auto other = m_folder.path() / "other.db";
    testing::storeRecords(other, source);

    std::int64_t count = 0;
    RecordSearch search;
    ASSERT_EQ(m_db.BeginSearch(OleDate(0.0), OleDate(1e6), search, count), 0);
    HistoryPager pager(m_db, search, count);
    ASSERT_NE(pager.record(300), nullptr);  // the list shows its first screen
    std::uintmax_t largestLog = 0;
    ImportOptions options;
    options.batchSize = 1000;
    std::int64_t row = 0;
    options.progress = [&](ImportStage stage, std::uint64_t, std::uint64_t) {
        if (stage == ImportStage::storing) {
            row = (row + 3 * HistoryPager::kPageRows) % count;  // the user scrolls on
            EXPECT_NE(pager.record(row), nullptr);
            std::error_code ignored;
            largestLog = std::max(
                largestLog, std::filesystem::file_size(m_database.string() + "-wal", ignored));
        }
        return true;
    };
    const ImportResult result = importRecords(m_database, other, options);
    ASSERT_EQ(result.stored, source.size()) << result.error;
    // Some 20 MB of log for the whole import; one checkpoint's worth when it folds back.
    EXPECT_LT(largestLog, 8u << 20);
    EXPECT_GT(largestLog, 0u);
    EXPECT_EQ(pager.size(), count);  // the records stored since stay out of the list
    EXPECT_TRUE(m_errors.messages().empty());
}

}  // namespace
}  // namespace nimbra
