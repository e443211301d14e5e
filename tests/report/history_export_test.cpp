#include "report/history_export.h"

#include <gtest/gtest.h>

#include "report/history_csv.h"
#include "tests/support/history_fixture.h"

namespace nimbra {
namespace {

class RunHistoryExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_units.PressureUnit = 1;
        m_units.WindUnit = 3;
        testing::storeRecords(m_database, testing::fiveMinuteRecords(300), m_units);
    }
    std::filesystem::path path(const char* name) const { return m_folder.path() / name; }
    int run(const char* file, OleDate from, OleDate to, std::string& error) {
        return runHistoryExport(m_database, path(file).string(), from, to,
                                testing::stringTable("en"), false, error);
    }

    testing::TempFolder m_folder;
    std::filesystem::path m_database = m_folder.path() / "Nimbra7420.db";
    ParamBlock m_units;
    const OleDate m_from = OleDate::fromCivil(2024, 3, 5, 1, 0);
    const OleDate m_to = OleDate::fromCivil(2024, 3, 5, 2, 0);
};

TEST_F(RunHistoryExportTest, WritesWhatTheListShowsInTheStoredUnits) {
    ::setenv("LC_ALL", "C", 1);
    std::string error;
    ASSERT_EQ(run("range.csv", m_from, m_to, error), 0) << error;
    ::unsetenv("LC_ALL");
    // The same rows through the writer directly, in the Param row's units.
    CWeatherDb db;
    RecordCursor cursor;
    ASSERT_EQ(db.Connect(m_database), 0);
    ASSERT_EQ(db.FillHistoryList(m_from, m_to, cursor), 0);
    const HistoryTable table = testing::englishTable(m_units);
    CursorRows rows(cursor, table, 12);
    ASSERT_EQ(writeHistoryCsv(path("direct.csv"), table, rows).outcome, ExportOutcome::written);
    const std::string written = testing::readFile(path("range.csv"));
    EXPECT_EQ(written, testing::readFile(path("direct.csv")));
    // 01:05 .. 02:00: twelve rows, the start excluded and the end included.
    std::string heading;
    appendUtf16Le("Wind Speed(mph)", heading);
    EXPECT_NE(written.find(heading), std::string::npos);
    std::string lastRow;
    appendUtf16Le(" 12\t 2024-03-05 02:00:00\t", lastRow);
    EXPECT_NE(written.find(lastRow), std::string::npos);
}

TEST_F(RunHistoryExportTest, FailuresSayWhy) {
    const struct {
        const char* name;
        const char* file;
        OleDate from, to;
        const char* message;
    } cases[] = {
        {"start after end", "a.csv", m_to, m_from.addSeconds(3599), "Time Error"},
        {"no rows for a PDF", "a.pdf", m_to, m_to, "nothing was written"},
        {"invalid bound", "a.csv", OleDate(0.0, OleDate::invalid), m_to, "valid start"},
        {"unwritable file", "no/a.csv", m_from, m_to, "no/a.csv"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_EQ(run(c.file, c.from, c.to, error), 1) << c.name;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.name << ": " << error;
    }
    std::string error;
    EXPECT_EQ(runHistoryExport(m_folder.path() / "absent.db", path("b.csv").string(), m_from, m_to,
                               testing::stringTable("en"), false, error),
              1);
    EXPECT_NE(error.find("absent.db"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(m_folder.path() / "absent.db"));
}

TEST_F(RunHistoryExportTest, AnEmptyRangeStillGivesACsvHeading) {
    std::string error;
    ASSERT_EQ(run("empty.csv", m_to, m_to, error), 0) << error;
    EXPECT_EQ(testing::readFile(path("empty.csv")).size() % 2, 0u);
    EXPECT_TRUE(
        testing::readFile(path("empty.csv")).starts_with(std::string("\xFF\xFEN\0O\0.\0", 8)));
}

TEST(HistoryRangeTest, TheWindowOpensOnTheLastHour) {
    const OleDate now = OleDate::fromCivil(2024, 3, 5, 0, 30);
    const HistoryRange range = defaultHistoryRange(now);
    EXPECT_EQ(range.start.toQueryText(), "2024-03-04 23:30:00");
    EXPECT_EQ(range.end, now);
}

}  // namespace
}  // namespace nimbra
