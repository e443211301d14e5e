// Checks the shipped string tables against the English one, which every
// translation follows id for id.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <regex>
#include <set>

#include "config/languages.h"
#include "config/string_table.h"

namespace nimbra {

void PrintTo(const UiLanguage& language, std::ostream* out) {
    *out << language.storedName;
}

namespace {

StringTable loadShipped(const UiLanguage& language) {
    std::string error;
    auto table = StringTable::load(stringTablePath(NIMBRA_STRINGS_DIR, language), error);
    EXPECT_TRUE(table) << error;
    return table ? *table : StringTable{};
}

std::set<int> idsOf(const StringTable& table) {
    std::set<int> ids;
    for (const auto& [id, text] : table.texts()) {
        ids.insert(id);
    }
    return ids;
}

class LanguageFile : public ::testing::TestWithParam<UiLanguage> {
protected:
    void SetUp() override {
        m_english = loadShipped(kEnglish);
        m_table = loadShipped(GetParam());
    }
    StringTable m_english;
    StringTable m_table;
};

TEST_P(LanguageFile, HasTheEnglishIdsExceptItsKnownGaps) {
    auto expected = idsOf(m_english);
    const std::set<std::string_view> withoutReset = {"Czech",     "Danish", "Deutsch", "French",
                                                     "Hungarian", "Polish", "Spanish"};
    if (withoutReset.contains(GetParam().storedName)) {
        expected.erase(3047);
    }
    if (GetParam().storedName == "French") {
        expected.insert(3096);
        EXPECT_EQ(m_table.text(3096), "Custom");
    }
    const auto actual = idsOf(m_table);
    std::vector<int> missing;
    std::vector<int> extra;
    std::ranges::set_difference(expected, actual, std::back_inserter(missing));
    std::ranges::set_difference(actual, expected, std::back_inserter(extra));
    EXPECT_THAT(missing, ::testing::IsEmpty());
    EXPECT_THAT(extra, ::testing::IsEmpty());
}

TEST_P(LanguageFile, HasEveryMenuCaptionAndTheUploadServicesUntranslated) {
    for (const auto key : kMenuKeys) {
        EXPECT_FALSE(m_table.menuText(key).empty()) << key;
    }
    EXPECT_EQ(m_table.menuText("menu.upload.wunderground"), "WeatherUnderground");
    EXPECT_EQ(m_table.menuText("menu.upload.wow"), "WeatherObservationsWebsite");
    EXPECT_EQ(m_table.menuText("menu.upload.weathercloud"), "Weathercloud");
    EXPECT_EQ(m_table.menuText("menu.upload.mqtt"), "MQTT");
    const auto& about = m_table.menuText("menu.help.about");
    EXPECT_NE(about.find("NimbraPlus"), std::string::npos);
    EXPECT_NE(about.find("(&A)"), std::string::npos);
}

TEST_P(LanguageFile, KeepsSpacingAmpersandsAndArgumentMarkers) {
    for (const int id : {3057, 3091, 3105}) {
        EXPECT_TRUE(m_table.text(id).ends_with(' ')) << id;
    }
    for (const int id : {3002, 3003}) {
        EXPECT_NE(m_table.text(id).find(" && "), std::string::npos) << id;
    }
    // The range text follows a quantity's name directly, so it keeps its lead.
    EXPECT_TRUE(m_table.text(3071).starts_with("  "));
    const std::regex marker("%.");
    const auto markers = [&](const std::string& text) {
        return std::vector<std::string>(
            std::sregex_token_iterator(text.begin(), text.end(), marker),
            std::sregex_token_iterator());
    };
    for (const auto& [id, text] : m_english.texts()) {
        EXPECT_EQ(markers(m_table.text(id)), markers(text)) << id;
    }
    EXPECT_NE(m_table.text(3079).find("NimbraPlus"), std::string::npos);
}

// Only the texts above carry spaces at their ends, and "&" is always doubled:
// a single one would turn the next letter into a keyboard shortcut.
TEST_P(LanguageFile, HasNoStraySpacesOrSingleAmpersands) {
    const std::set<int> trailing = {3057, 3091, 3105};
    for (const auto& [id, text] : m_table.texts()) {
        if (text.empty()) {
            ADD_FAILURE() << id << " is empty";
            continue;
        }
        EXPECT_EQ(text.front() == ' ', id == 3071) << id << " \"" << text << '"';
        EXPECT_EQ(text.back() == ' ', trailing.contains(id)) << id << " \"" << text << '"';
        EXPECT_EQ(std::regex_replace(text, std::regex("&&"), "").find('&'), std::string::npos)
            << id;
    }
}

INSTANTIATE_TEST_SUITE_P(Shipped, LanguageFile, ::testing::ValuesIn(kLanguages),
                         [](const auto& info) { return std::string(info.param.fileCode); });

TEST(EnglishFile, HoldsTheReferenceTexts) {
    const auto english = loadShipped(kEnglish);
    // 3001-3105 without 3096, 3120-3129, 3150-3155, 3160-3161, 3180, 3200-3227,
    // 3260-3272, 3280-3290
    EXPECT_EQ(english.texts().size(), 175u);
    EXPECT_EQ(english.text(3002), "Indoor && Outdoor");
    EXPECT_EQ(english.text(3047), "Reset");
    EXPECT_EQ(english.text(3071), "  Range of values: %s to %s");
    EXPECT_EQ(english.menuText("menu.help.about"), "About NimbraPlus(&A)...");
}

TEST(TranslatedFiles, AreTranslationsNotCopies) {
    const auto english = loadShipped(kEnglish);
    for (const auto& language : kLanguages) {
        if (language.storedName == kEnglish.storedName) {
            continue;
        }
        const auto table = loadShipped(language);
        for (const int id : {3049, 3058, 3061, 3062, 3063, 3069, 3089}) {
            EXPECT_NE(table.text(id), english.text(id)) << language.storedName << ' ' << id;
        }
    }
}

}  // namespace
}  // namespace nimbra
