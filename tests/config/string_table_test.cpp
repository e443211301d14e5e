#include "config/string_table.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/temp_folder.h"

namespace nimbra {
namespace {

StringTable parsed(std::string_view content) {
    std::string error;
    auto table = StringTable::parse(content, error);
    EXPECT_TRUE(table) << error;
    return table ? *table : StringTable{};
}

TEST(StringTable, TextIsEverythingAfterTheFirstEquals) {
    const auto table = parsed(
        "# comment line\n"
        "\n"
        "   \t\n"
        "  # indented comment\n"
        "3001=Pressure\n"
        "3057=Export \n"
        "3071=  Range of values: %s to %s\n"
        "3002=a=b==c\n"
        "3047=\n"
        " 3003 =DewPoint && WindChill\n"
        "menu.help.about=About(&A)...\n");
    EXPECT_EQ(table.text(3001), "Pressure");
    EXPECT_EQ(table.text(3057), "Export ");
    EXPECT_EQ(table.text(3071), "  Range of values: %s to %s");
    EXPECT_EQ(table.text(3002), "a=b==c");
    EXPECT_EQ(table.text(3003), "DewPoint && WindChill");
    EXPECT_EQ(table.menuText("menu.help.about"), "About(&A)...");
    EXPECT_TRUE(table.texts().contains(3047));
    EXPECT_EQ(table.texts().size(), 6u);
}

TEST(StringTable, MissingEntriesAreEmpty) {
    const auto table = parsed("3001=Pressure\n");
    EXPECT_EQ(table.text(3047), "");
    EXPECT_EQ(table.text(0), "");
    EXPECT_EQ(table.menuText("menu.system"), "");
    EXPECT_EQ(table.menuText("nonsense"), "");
}

TEST(StringTable, AcceptsCrLfByteOrderMarkAndNoFinalNewline) {
    const auto table = parsed(
        "\xEF\xBB\xBF"
        "3001=Druck\r\n\r\n3105=Gesamt \r\n3104=Monat");
    EXPECT_EQ(table.text(3001), "Druck");
    EXPECT_EQ(table.text(3105), "Gesamt ");
    EXPECT_EQ(table.text(3104), "Monat");
}

TEST(StringTable, ReportsTheFirstMalformedLine) {
    const struct {
        const char* content;
        const char* error;
    } cases[] = {
        {"3001=a\n3002 Pressure\n", "line 2: no \"=\" between id and text"},
        {"\n\n3001\n", "line 3: no \"=\""},
        {"Pressure=3001\n", "line 1: \"Pressure\" is neither a number nor a menu key"},
        {"=text\n", "line 1: \"\" is neither"},
        {"30O1=typo\n", "line 1: \"30O1\" is neither"},
        {"3001x=a\n", "line 1: \"3001x\" is neither"},
        {"99999999999=a\n", "line 1: \"99999999999\" is neither"},
        {"3000=a\n", "line 1: id 3000 is outside 3001-3399"},
        {"3400=a\n", "line 1: id 3400 is outside"},
        {"-3001=a\n", "line 1: id -3001 is outside"},
        {"3001=a\r\n3001=b\r\n", "line 2: id 3001 given twice"},
        {"menu.help=a\nmenu.help=b\n", "line 2: menu key \"menu.help\" given twice"},
        {"menu.sytem=System\n", "line 1: unknown menu key \"menu.sytem\""},
        {"3001=Druck\xFC\n", "line 1: text is not valid UTF-8"},
        {"3001=\xC0\xAF\n", "line 1: text is not valid UTF-8"},          // overlong "/"
        {"3001=\xED\xA0\x80\n", "line 1: text is not valid UTF-8"},      // surrogate
        {"3001=\xF4\x90\x80\x80\n", "line 1: text is not valid UTF-8"},  // above U+10FFFF
        {"3001=\xE6\xB8\n", "line 1: text is not valid UTF-8"},          // cut short
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(StringTable::parse(c.content, error)) << c.content;
        EXPECT_TRUE(error.starts_with(c.error)) << c.content << " gave: " << error;
    }
}

TEST(StringTable, AcceptsWellFormedMultibyteText) {
    const auto table = parsed("3001=气压 Ł ö \xF0\x9F\x8C\xA7\n");
    EXPECT_EQ(table.text(3001), "气压 Ł ö \xF0\x9F\x8C\xA7");
}

class StringTableFile : public ::testing::Test {
protected:
    void write(std::string_view content) { std::ofstream(m_path, std::ios::binary) << content; }
    testing::TempFolder m_folder{"string_table_test"};
    const std::filesystem::path m_path = m_folder.path() / "en.txt";
};

TEST_F(StringTableFile, LoadsAFile) {
    write("3001=Tlak\n");
    std::string error;
    const auto table = StringTable::load(m_path, error);
    ASSERT_TRUE(table) << error;
    EXPECT_EQ(table->text(3001), "Tlak");
}

TEST_F(StringTableFile, NamesTheFileAndLineOfAFault) {
    write("3001=Tlak\nmenu\n");
    std::string error;
    EXPECT_FALSE(StringTable::load(m_path, error));
    EXPECT_EQ(error, m_path.string() + ": line 2: no \"=\" between id and text");
}

TEST_F(StringTableFile, ReportsAMissingFile) {
    std::string error;
    EXPECT_FALSE(StringTable::load(m_path, error));
    EXPECT_EQ(error, "cannot open " + m_path.string());
}

TEST_F(StringTableFile, ReportsAFolderInsteadOfAFile) {
    std::string error;
    EXPECT_FALSE(StringTable::load(m_path.parent_path(), error));
    EXPECT_FALSE(error.empty());
}

TEST_F(StringTableFile, RefusesAFileFarTooLargeToBeATable) {
    write(std::string(2 << 20, '#'));
    std::string error;
    EXPECT_FALSE(StringTable::load(m_path, error));
    EXPECT_NE(error.find("is not a string table"), std::string::npos) << error;
}

TEST(FillTextArguments, ReplacesMarkersInOrderAndNeverReadsPastTheArguments) {
    EXPECT_EQ(fillTextArguments("  Range of values: %s to %s", {"-40", "60"}),
              "  Range of values: -40 to 60");
    EXPECT_EQ(fillTextArguments("%s-%s", {"a"}), "a-");
    EXPECT_EQ(fillTextArguments("%s", {"a", "b"}), "a");
    EXPECT_EQ(fillTextArguments("100% %d %n %s", {"%s"}), "100% %d %n %s");
    EXPECT_EQ(fillTextArguments("no markers", {}), "no markers");
    EXPECT_EQ(fillTextArguments("%s%s", {"x", "y"}), "xy");
}

}  // namespace
}  // namespace nimbra
