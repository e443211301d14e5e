#include "config/languages.h"

#include <gtest/gtest.h>

#include <set>

namespace nimbra {
namespace {

TEST(Languages, EveryStoredNameFindsItsOwnEntry) {
    std::set<int> localeIds;
    std::set<std::string_view> fileCodes;
    for (std::size_t i = 0; i < kLanguages.size(); ++i) {
        const auto found = findLanguageByStoredName(kLanguages[i].storedName);
        ASSERT_TRUE(found) << kLanguages[i].storedName;
        EXPECT_EQ(found->listPosition, static_cast<int>(i));
        localeIds.insert(found->localeId);
        fileCodes.insert(found->fileCode);
    }
    EXPECT_EQ(localeIds.size(), kLanguages.size());
    EXPECT_EQ(fileCodes.size(), kLanguages.size());
}

TEST(Languages, StoredNamesMatchExactly) {
    for (const char* name : {"english", "ENGLISH", " English", "English ", "German", "", "1033"}) {
        EXPECT_FALSE(findLanguageByStoredName(name)) << '"' << name << '"';
    }
    EXPECT_EQ(findLanguageByStoredName("Deutsch")->localeId, 1031);
    EXPECT_EQ(findLanguageByStoredName("Spanish")->localeId, 14346);
}

TEST(Languages, PosixLocales) {
    const struct {
        const char* locale;
        const char* storedName;  // nullptr: no language of ours
    } cases[] = {
        {"de_DE.UTF-8", "Deutsch"}, {"de_AT", "Deutsch"},       {"sv_SE.utf8@euro", "Svenska"},
        {"es", "Spanish"},          {"zh_CN.UTF-8", "Chinese"}, {"zh_SG", "Chinese"},
        {"zh", "Chinese"},          {"zh_TW.UTF-8", nullptr},   {"C", nullptr},
        {"POSIX", nullptr},         {"C.UTF-8", nullptr},       {"", nullptr},
        {"nl_NL.UTF-8", nullptr},
    };
    for (const auto& c : cases) {
        const auto found = findLanguageByPosixLocale(c.locale);
        if (c.storedName == nullptr) {
            EXPECT_FALSE(found) << c.locale;
        } else {
            ASSERT_TRUE(found) << c.locale;
            EXPECT_EQ(found->storedName, c.storedName) << c.locale;
        }
    }
}

// A stored name that is no language (such as "english") gives way to the system's.
TEST(Languages, SystemLanguageFollowsThePosixVariablesInTheirOrder) {
    const struct {
        const char* lcAll;
        const char* lcMessages;
        const char* lang;
        const char* expected;
    } cases[] = {
        {nullptr, nullptr, "fr_FR.UTF-8", "French"},
        {"", "pl_PL.UTF-8", "fr_FR.UTF-8", "Polish"},
        {"hu_HU.UTF-8", "pl_PL.UTF-8", "fr_FR.UTF-8", "Hungarian"},
        {"C.UTF-8", nullptr, "fr_FR.UTF-8", "English"},  // LC_ALL set: LANG does not count
        {nullptr, nullptr, nullptr, "English"},
    };
    for (const auto& c : cases) {
        const auto environment = [&c](const char* name) -> const char* {
            const std::string_view variable(name);
            return variable == "LC_ALL"        ? c.lcAll
                   : variable == "LC_MESSAGES" ? c.lcMessages
                                               : c.lang;
        };
        EXPECT_EQ(systemLanguage(environment).storedName, c.expected) << c.expected;
    }
}

}  // namespace
}  // namespace nimbra
