#include "config/command_line.h"

#include <gtest/gtest.h>

namespace nimbra {
namespace {

TEST(CommandLine, UnderstandsEveryOptionForm) {
    const auto r = parseCommandLine(
        {"--headless", "--once", "--emulator", "--data-dir", "/d", "--emulator-records=3264",
         "--emulator-speed", "600.5", "--emulator-seed", "9", "--language=Deutsch", "--show",
         "graph", "--screenshot", "g.png", "--graph", "3", "--web", "8074"});
    ASSERT_EQ(r.error, "");
    const CommandLine& o = r.options;
    EXPECT_TRUE(o.headless && o.once && o.emulator);
    EXPECT_EQ(o.dataDir, "/d");
    EXPECT_EQ(o.emulatorRecords, 3264);
    EXPECT_DOUBLE_EQ(o.emulatorSpeed, 600.5);
    EXPECT_EQ(o.emulatorSeed, 9u);
    EXPECT_EQ(o.language, "Deutsch");
    EXPECT_EQ(o.show, "graph");
    EXPECT_EQ(o.screenshot, "g.png");
    EXPECT_EQ(o.graph, 3);
    EXPECT_EQ(o.webPort, 8074);
}

// The language restart keeps every option but the language, in both of its forms, and
// never takes another option's value for the language.
TEST(CommandLine, RestartAfterALanguageChangeDropsOnlyTheLanguage) {
    using Arguments = std::vector<std::string>;
    EXPECT_EQ(withoutLanguageOption({"--emulator", "--language", "French", "--data-dir", "d"}),
              (Arguments{"--emulator", "--data-dir", "d"}));
    EXPECT_EQ(withoutLanguageOption({"--language=Polish", "--emulator-seed", "3"}),
              (Arguments{"--emulator-seed", "3"}));
    EXPECT_EQ(withoutLanguageOption({"--data-dir", "--language", "--emulator"}),
              (Arguments{"--data-dir", "--language", "--emulator"}));
}

TEST(CommandLine, RefusesWhatItCannotUse) {
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"--bogus"}, "unknown option: --bogus"},
        {{"--data-dir"}, "--data-dir needs a value"},
        {{"--emulator-records", "many"}, "--emulator-records needs a number, not \"many\""},
        {{"--emulator-speed", "0"}, "--emulator-speed needs a number, not \"0\""},
        {{"--graph", "-1"}, "--graph needs a number, not \"-1\""},
        {{"--web", "65536"}, "--web needs a number, not \"65536\""},
        {{"--once"}, "--once works with --headless only"},
        {{"--screenshot", "x.png"}, "--screenshot needs --show WINDOW"},
        {{"--headless=yes"}, "unknown option: --headless=yes"},
        {{"--export", "a.csv", "--from", "2024-01-01 0:00:00"}, "--export needs --from and --to"},
    };
    for (const auto& [arguments, error] : cases) {
        EXPECT_EQ(parseCommandLine(arguments).error, error);
    }
}

}  // namespace
}  // namespace nimbra
