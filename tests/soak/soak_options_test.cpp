#include "soak/soak_options.h"

#include <gtest/gtest.h>

#include <vector>

namespace nimbra::soak {
namespace {

ParsedSoakOptions parse(std::vector<std::string_view> arguments) {
    SoakOptions defaults;
    defaults.program = "/bin/nimbraplus";
    return parseSoakOptions(arguments, defaults);
}

TEST(SoakOptions, TakesEachOptionAndKeepsTheDefaultsOfTheRest) {
    const auto parsed = parse({"--kills", "5", "--seed", "4294967295", "--work-dir", "/tmp/w"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_EQ(parsed.options->kills, 5);
    EXPECT_EQ(parsed.options->seed, 4294967295u);
    EXPECT_EQ(parsed.options->workDir, "/tmp/w");
    EXPECT_EQ(parsed.options->program, "/bin/nimbraplus");
    EXPECT_EQ(parsed.options->records, 3100);
    EXPECT_TRUE(parse({"--help"}).help);
}

TEST(SoakOptions, RefusesWhatCannotBeRun) {
    for (const auto& arguments : std::vector<std::vector<std::string_view>>{{"--kills", "0"},
                                                                            {"--kills", "5x"},
                                                                            {"--seed", "-1"},
                                                                            {"--speed", "0"},
                                                                            {"--speed", "nan"},
                                                                            {"--records", "-3"},
                                                                            {"--program", ""},
                                                                            {"--kills"},
                                                                            {"--unknown", "1"}}) {
        const auto parsed = parse(arguments);
        EXPECT_FALSE(parsed.options) << arguments.front();
        EXPECT_FALSE(parsed.error.empty());
    }
}

}  // namespace
}  // namespace nimbra::soak
