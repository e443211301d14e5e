#include "report/history_pdf.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "report/pdf_fonts.h"
#include "tests/support/history_fixture.h"

namespace nimbra {
namespace {

// One word as pdftotext places it: x from the left, y down from the top of the page.
struct Word {
    int page;
    double xMin, yMin, xMax, yMax;
    std::string text;
};

// The value of attribute `name` in the element starting at `from`.
double attribute(const std::string& html, std::size_t from, const char* name) {
    const std::size_t at = html.find(std::string(name) + "=\"", from);
    return std::stod(html.substr(at + std::strlen(name) + 2));
}

std::vector<Word> wordsOf(const std::filesystem::path& pdf) {
    const std::string html = testing::commandOutput("pdftotext -bbox '" + pdf.string() + "' -");
    std::vector<Word> words;
    int page = 0;
    std::size_t position = 0;
    while (true) {
        const std::size_t nextPage = html.find("<page ", position);
        const std::size_t nextWord = html.find("<word ", position);
        if (nextWord == std::string::npos) {
            break;
        }
        if (nextPage < nextWord) {
            ++page;
            position = nextPage + 1;
            continue;
        }
        const std::size_t textStart = html.find('>', nextWord) + 1;
        const std::size_t textEnd = html.find("</word>", textStart);
        words.push_back({page, attribute(html, nextWord, "xMin"), attribute(html, nextWord, "yMin"),
                         attribute(html, nextWord, "xMax"), attribute(html, nextWord, "yMax"),
                         html.substr(textStart, textEnd - textStart)});
        position = textEnd;
    }
    return words;
}

// The text after "`key`:" and its padding, to the line's end, in pdfinfo's report.
std::string infoValue(const std::string& info, const std::string& key) {
    const std::size_t at = info.find("\n" + key + ":");
    if (at == std::string::npos && !info.starts_with(key + ":")) {
        return {};
    }
    const std::size_t start =
        info.find_first_not_of(' ', (at == std::string::npos ? 0 : at + 1) + key.size() + 1);
    return info.substr(start, info.find('\n', start) - start);
}

const Word* findWord(const std::vector<Word>& words, int page, const std::string& text, double x) {
    for (const Word& w : words) {
        if (w.page == page && w.text == text && std::abs(w.xMin - x) < 1.0) {
            return &w;
        }
    }
    return nullptr;
}

int pageCount(const std::filesystem::path& pdf) {
    const std::string pages =
        infoValue(testing::commandOutput("pdfinfo '" + pdf.string() + "'"), "Pages");
    return pages.empty() ? -1 : std::stoi(pages);
}

class HistoryPdfTest : public ::testing::Test {
protected:
    // The first `count` rows of the five-minute sample, through a real store and cursor.
    ExportResult write(int count, const char* name, const TextLookup& texts, bool chinese) {
        const auto database = m_folder.path() / "Nimbra7420.db";
        std::filesystem::remove(database);
        testing::storeRecords(database, testing::fiveMinuteRecords(count));
        CWeatherDb db;
        RecordCursor cursor;
        EXPECT_EQ(db.Connect(database), 0);
        EXPECT_EQ(db.FillHistoryList(OleDate(0.0), OleDate(1e6), cursor), 0);
        const HistoryTable table(ParamBlock{}, texts, HistoryTimeText::iso());
        CursorRows rows(cursor, table, count);
        return writeHistoryPdf(path(name), table, rows, chinese);
    }
    std::filesystem::path path(const char* name) const { return m_folder.path() / name; }

    testing::TempFolder m_folder;
};

TEST_F(HistoryPdfTest, NinetyOneRowsFillOnePage) {
    ASSERT_EQ(write(91, "one.pdf", testing::textsOf("en"), false).outcome, ExportOutcome::written);
    EXPECT_EQ(pageCount(path("one.pdf")), 1);
    const auto words = wordsOf(path("one.pdf"));
    const Word* last = findWord(words, 1, "91", 55);
    ASSERT_NE(last, nullptr);
    // Row 91's baseline is 53 units above the page's foot.
    EXPECT_NEAR(last->yMax, 1500 - 53, 3.0);
}

TEST_F(HistoryPdfTest, TheNinetySecondRowStartsASecondPageWithItsOwnHeadings) {
    ASSERT_EQ(write(92, "two.pdf", testing::textsOf("en"), false).outcome, ExportOutcome::written);
    EXPECT_EQ(pageCount(path("two.pdf")), 2);
    const auto words = wordsOf(path("two.pdf"));
    for (const int page : {1, 2}) {
        SCOPED_TRACE(page);
        // Heading words at their columns' text positions, line 1 above line 2.
        const Word* number = findWord(words, page, "NO.", 55);
        const Word* indoor = findWord(words, page, "Indoor", 255);
        const Word* temperature = findWord(words, page, "Temperature(\u00B0C)", 255);
        const Word* uvi = findWord(words, page, "UVI", 1745);
        ASSERT_TRUE(number && indoor && temperature && uvi);
        EXPECT_NEAR(number->yMax, 1500 - 1433, 3.0);
        EXPECT_NEAR(temperature->yMax, 1500 - 1418, 3.0);
    }
    const Word* continued = findWord(words, 2, "92", 55);
    ASSERT_NE(continued, nullptr);
    EXPECT_NEAR(continued->yMax, 1500 - 1403, 3.0);  // the page's first row
    EXPECT_EQ(findWord(words, 2, "91", 55), nullptr);
    // The cells of a row at their columns: time, humidity and direction.
    EXPECT_NE(findWord(words, 2, "2024-03-05", 95), nullptr);
    EXPECT_NE(findWord(words, 2, "91", 340), nullptr);  // InHumi holds the row's index
    EXPECT_NE(findWord(words, 2, "WSW", 975), nullptr);
}

TEST_F(HistoryPdfTest, DocumentInformationAndFace) {
    ASSERT_EQ(write(3, "info.pdf", testing::textsOf("en"), false).outcome, ExportOutcome::written);
    const std::string info = testing::commandOutput("pdfinfo '" + path("info.pdf").string() + "'");
    for (const char* entry : {"Title", "Subject", "Keywords", "Author", "Creator"}) {
        EXPECT_EQ(infoValue(info, entry), "x") << entry;
    }
    EXPECT_NE(info.find("1850 x 1500 pts"), std::string::npos);
    const std::string fonts =
        testing::commandOutput("pdffonts '" + path("info.pdf").string() + "'");
    EXPECT_NE(fonts.find("LiberationSerif"), std::string::npos) << fonts;
}

TEST_F(HistoryPdfTest, ChineseHeadingsAreReadable) {
    ASSERT_EQ(write(2, "zh.pdf", testing::textsOf("zh_CN"), true).outcome, ExportOutcome::written);
    const std::string text =
        testing::commandOutput("pdftotext -layout '" + path("zh.pdf").string() + "' -");
    for (const char* heading : {"\u65F6\u95F4", "\u6E29\u5EA6(\u00B0C)", "\u5C0F\u65F6",
                                "24\u5C0F\u65F6", "\u603B\u8BA1"}) {
        EXPECT_NE(text.find(heading), std::string::npos) << heading;
    }
    const std::string fonts = testing::commandOutput("pdffonts '" + path("zh.pdf").string() + "'");
    EXPECT_EQ(fonts.find("LiberationSerif"), std::string::npos) << fonts;
}

TEST_F(HistoryPdfTest, CharactersTheFaceLacksComeFromAnotherFace) {
    // Chinese texts while Main.ini names another language: the serif face has no Han.
    ASSERT_EQ(write(2, "mixed.pdf", testing::textsOf("zh_CN"), false).outcome,
              ExportOutcome::written);
    const std::string text =
        testing::commandOutput("pdftotext -layout '" + path("mixed.pdf").string() + "' -");
    EXPECT_NE(text.find("\u65F6\u95F4"), std::string::npos);
    const std::string fonts =
        testing::commandOutput("pdffonts '" + path("mixed.pdf").string() + "'");
    EXPECT_NE(fonts.find("LiberationSerif"), std::string::npos) << fonts;
}

TEST_F(HistoryPdfTest, NoRowsWritesNothing) {
    EXPECT_EQ(write(0, "none.pdf", testing::textsOf("en"), false).outcome, ExportOutcome::noRows);
    EXPECT_FALSE(std::filesystem::exists(path("none.pdf")));
}

TEST_F(HistoryPdfTest, AnUncreatableFileIsAFailure) {
    const auto database = m_folder.path() / "Nimbra7420.db";
    testing::storeRecords(database, testing::fiveMinuteRecords(1));
    CWeatherDb db;
    RecordCursor cursor;
    ASSERT_EQ(db.Connect(database), 0);
    ASSERT_EQ(db.FillHistoryList(OleDate(0.0), OleDate(1e6), cursor), 0);
    const HistoryTable table = testing::englishTable();
    CursorRows rows(cursor, table, 1);
    const ExportResult result =
        writeHistoryPdf(m_folder.path() / "no" / "such.pdf", table, rows, false);
    EXPECT_EQ(result.outcome, ExportOutcome::failed);
    EXPECT_NE(result.error.find("such.pdf"), std::string::npos) << result.error;
}

TEST(PdfFontsTest, EveryLanguageRendersInItsOwnFace) {
    for (const char* code : {"cs", "da", "de", "en", "es", "fr", "hu", "pl", "sv", "zh_CN"}) {
        SCOPED_TRACE(code);
        const bool chinese = std::string(code) == "zh_CN";
        std::string error;
        const auto fonts = PdfFonts::load(chinese, 8, error);
        ASSERT_TRUE(fonts) << error;
        EXPECT_EQ(fonts->primaryFamily(), chinese ? "WenQuanYi Zen Hei" : "Liberation Serif");
        for (const auto& [id, text] : testing::stringTable(code).texts()) {
            EXPECT_TRUE(fonts->primaryCovers(text)) << id << " " << text;
        }
        EXPECT_TRUE(fonts->primaryCovers("\u00B0 --.- 0123456789 NO. UVI W/M2 inHg"));
    }
}

}  // namespace
}  // namespace nimbra
