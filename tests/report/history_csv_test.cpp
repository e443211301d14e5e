#include "report/history_csv.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <fstream>
#include <vector>

#include "report/history_export.h"
#include "tests/support/history_fixture.h"

namespace nimbra {
namespace {

// Rows from memory, for writers that must not care where their rows come from.
class ListRows : public HistoryRowSource {
public:
    explicit ListRows(std::vector<HistoryCells> rows) : m_rows(std::move(rows)) {}
    std::int64_t size() const override { return static_cast<std::int64_t>(m_rows.size()); }
    bool next(HistoryCells& cells) override {
        if (m_next >= m_rows.size()) {
            return false;
        }
        cells = m_rows[m_next++];
        return true;
    }
    bool failed() const override { return false; }

private:
    std::vector<HistoryCells> m_rows;
    std::size_t m_next = 0;
};

// ASCII text as UTF-16LE bytes.
std::string wide(std::string_view ascii) {
    std::string out;
    for (const char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

const std::string kBom("\xFF\xFE", 2);
const std::string kEnglishHeading =
    "NO.\tTime\tInterval\tIndoor Temperature(\xB0"
    "C)\tIndoor Humidity(%)\t"
    "Outdoor Temperature(\xB0"
    "C)\tOutdoor Humidity(%)\tRelative Pressure(hpa)\t"
    "Absolute Pressure(hpa)\tWind Speed(m/s)\tGust(m/s)\tWind Direction\tDewPoint(\xB0"
    "C)\tWindChill(\xB0"
    "C)\tHour Rainfall(mm)\t24 Hour Rainfall(mm)\tWeek Rainfall(mm)\t"
    "Month Rainfall(mm)\tTotal Rainfall(mm)\tLight(fc)\tUVI\r\n";

class HistoryCsvTest : public ::testing::Test {
protected:
    std::filesystem::path path(const char* name) const { return m_folder.path() / name; }

    testing::TempFolder m_folder;
    HistoryTable m_table = testing::englishTable();
};

TEST_F(HistoryCsvTest, EmptyListGivesTheHeadingLineOnly) {
    ListRows rows({});
    const ExportResult result = writeHistoryCsv(path("empty.csv"), m_table, rows);
    EXPECT_EQ(result.outcome, ExportOutcome::written);
    // "°" (U+00B0) is one UTF-16 unit B0 00.
    EXPECT_EQ(testing::readFile(path("empty.csv")), kBom + wide(kEnglishHeading));
}

TEST_F(HistoryCsvTest, EveryDataFieldHasALeadingBlank) {
    HistoryCells absent;
    m_table.cells(testing::absentRecord(OleDate::fromCivil(2024, 3, 5, 12).value()), 1, absent);
    HistoryCells second;
    m_table.cells(testing::sampleRecord(OleDate::fromCivil(2024, 3, 5).value()), 2, second);
    ListRows rows({absent, second});
    ASSERT_EQ(writeHistoryCsv(path("rows.csv"), m_table, rows).outcome, ExportOutcome::written);
    const std::string expected =
        kBom + wide(kEnglishHeading) +
        wide(
            " 1\t 2024-03-05 12:00:00\t 30\t --.-\t --\t --.-\t --\t --.-\t --.-\t --.-\t --.-\t"
            " ---\t --.-\t --.-\t --.-\t --.-\t --.-\t --.-\t --.-\t --.-\t --\r\n") +
        wide(
            " 2\t 2024-03-05\t 5\t 21.3\t 45\t -7.9\t 88\t 1013.2\t 990.7\t 3.4\t 6.8\t WSW\t"
            " -9.1\t -12.6\t 1.20\t 3.40\t 5.60\t 7.80\t 901.20\t 504.7\t 4\r\n");
    EXPECT_EQ(testing::readFile(path("rows.csv")), expected);
}

TEST_F(HistoryCsvTest, TextBeyondAsciiIsWrittenAsUtf16) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"\u00B0", std::string("\xB0\x00", 2)},
        {"\u65F6\u95F4", std::string("\xF6\x65\xF4\x95", 4)},
        {"\U0001F327", std::string("\x3C\xD8\x27\xDF", 4)},  // a surrogate pair
        {"a\xFF"
         "b",
         std::string("a\0\xFD\xFF"
                     "b\0",
                     6)},                                  // a stray byte
        {"\xE6\x97", std::string("\xFD\xFF\xFD\xFF", 4)},  // a cut-off sequence
        {"\xC0\xAF", std::string("\xFD\xFF\xFD\xFF", 4)},  // an overlong "/"
    };
    for (const auto& [text, bytes] : cases) {
        std::string out;
        appendUtf16Le(text, out);
        EXPECT_EQ(out, bytes) << text;
    }
}

TEST_F(HistoryCsvTest, AFileThatCannotBeCreatedIsAFailureWithItsReason) {
    ListRows rows({});
    const ExportResult result = writeHistoryCsv(path("missing-folder") / "list.csv", m_table, rows);
    EXPECT_EQ(result.outcome, ExportOutcome::failed);
    EXPECT_NE(result.error.find("missing-folder/list.csv"), std::string::npos) << result.error;
    EXPECT_NE(result.error.find("No such file"), std::string::npos) << result.error;
}

TEST_F(HistoryCsvTest, CancellingRemovesThePartFile) {
    std::vector<HistoryCells> many(3000);
    ListRows rows(many);
    const ExportResult result = writeHistoryCsv(path("cancelled.csv"), m_table, rows,
                                                [](std::int64_t, std::int64_t) { return false; });
    EXPECT_EQ(result.outcome, ExportOutcome::cancelled);
    EXPECT_FALSE(std::filesystem::exists(path("cancelled.csv")));
}

// An export over an existing file that fails on a full disk or is cancelled leaves that
// file as it was, and nothing beside it.
TEST_F(HistoryCsvTest, AFailedOrCancelledExportLeavesTheOldFileAsItWas) {
    std::vector<HistoryCells> many(3000);
    for (HistoryCells& cells : many) {
        cells.fill("12.5");
    }
    const std::string old = "the export of last week\n";
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const struct {
        const char* name;
        bool diskFull;
    } cases[] = {{"full.csv", true}, {"full.pdf", true}, {"cancelled.csv", false}};
    for (const auto& c : cases) {
        std::ofstream(path(c.name), std::ios::binary) << old;
        ListRows rows(many);
        ExportResult result;
        if (c.diskFull) {
            // The disk is full 16 KiB into the file: writes beyond fail with EFBIG.
            const auto previous = std::signal(SIGXFSZ, SIG_IGN);
            rlimit small = saved;
            small.rlim_cur = 16 * 1024;
            ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
            result = exportHistory(path(c.name), m_table, rows, false);
            ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
            std::signal(SIGXFSZ, previous);
            EXPECT_EQ(result.outcome, ExportOutcome::failed) << c.name;
            EXPECT_NE(result.error.find(c.name), std::string::npos) << result.error;
        } else {
            result = exportHistory(path(c.name), m_table, rows, false,
                                   [](std::int64_t done, std::int64_t) { return done < 1000; });
            EXPECT_EQ(result.outcome, ExportOutcome::cancelled);
        }
        EXPECT_EQ(testing::readFile(path(c.name)), old) << c.name;
    }
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator(m_folder.path())) {
        ++files;
    }
    EXPECT_EQ(files, std::size(cases));
}

TEST_F(HistoryCsvTest, OnlyALowerCaseCsvExtensionWritesText) {
    const std::pair<const char*, bool> cases[] = {
        {"list.csv", true},     {"list.CSV", false},   {"list.Csv", false},
        {"list.pdf", false},    {"list", false},       {"list.csv.pdf", false},
        {"list.pdf.csv", true}, {"a.csv/list", false}, {".csv", true},
    };
    for (const auto& [name, csv] : cases) {
        EXPECT_EQ(isCsvFileName(name), csv) << name;
    }
    HistoryCells cells;
    m_table.cells(testing::sampleRecord(45000.5), 1, cells);
    ListRows rows({cells});
    ASSERT_EQ(exportHistory(path("capitals.CSV"), m_table, rows, false).outcome,
              ExportOutcome::written);
    EXPECT_TRUE(testing::readFile(path("capitals.CSV")).starts_with("%PDF-1.4"));
}

}  // namespace
}  // namespace nimbra
