#include "repair/command_line.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace nimbra::repair {
namespace {

using Action = CommandLine::Action;

struct CommandLineCase {
    const char* name;
    std::vector<std::string_view> arguments;
    std::map<std::string, std::string> environment;
    Action action;
    std::string sysfsRoot;
    std::string program;
    std::vector<std::string> programArguments = {};
};

void PrintTo(const CommandLineCase& c, std::ostream* out) {
    *out << c.name;
}

class ParseCommandLine : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(ParseCommandLine, ReadsOptionsAndEnvironment) {
    const CommandLineCase& c = GetParam();
    const CommandLine result = parseCommandLine(c.arguments, [&](const char* name) -> const char* {
        const auto found = c.environment.find(name);
        return found == c.environment.end() ? nullptr : found->second.c_str();
    });
    ASSERT_EQ(result.action, c.action) << result.problem;
    if (c.action == Action::reject) {
        EXPECT_FALSE(result.problem.empty());
    }
    if (c.action != Action::repair) {
        return;
    }
    EXPECT_EQ(result.settings.sysfsRoot, c.sysfsRoot);
    EXPECT_EQ(result.settings.program, c.program);
    EXPECT_EQ(result.settings.programArguments, c.programArguments);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseCommandLine,
    ::testing::Values(
        CommandLineCase{"NothingGiven", {}, {}, Action::repair, "/sys", ""},
        CommandLineCase{"Environment",
                        {},
                        {{"FIXORA_SYSFS_ROOT", "/fake"}, {"FIXORA_PROGRAM", "/bin/p"}},
                        Action::repair,
                        "/fake",
                        "/bin/p"},
        CommandLineCase{"EmptyEnvironmentIgnored",
                        {},
                        {{"FIXORA_SYSFS_ROOT", ""}, {"FIXORA_PROGRAM", ""}},
                        Action::repair,
                        "/sys",
                        ""},
        CommandLineCase{"SeparateValues",
                        {"--sysfs-root", "/fake", "--program", "/bin/p"},
                        {},
                        Action::repair,
                        "/fake",
                        "/bin/p"},
        CommandLineCase{"OptionBeatsEnvironment",
                        {"--sysfs-root=/option", "--program=/bin/o"},
                        {{"FIXORA_SYSFS_ROOT", "/env"}, {"FIXORA_PROGRAM", "/bin/e"}},
                        Action::repair,
                        "/option",
                        "/bin/o"},
        CommandLineCase{"ProgramOptionsAfterDashes",
                        {"--program", "/bin/p", "--", "--help", "--data-dir", "a b", "--"},
                        {},
                        Action::repair,
                        "/sys",
                        "/bin/p",
                        {"--help", "--data-dir", "a b", "--"}},
        CommandLineCase{"Help", {"--sysfs-root=/x", "--help"}, {}, Action::showHelp, "", ""},
        CommandLineCase{"ShortHelp", {"-h"}, {}, Action::showHelp, "", ""},
        CommandLineCase{"Unknown", {"--reset"}, {}, Action::reject, "", ""},
        CommandLineCase{"LookalikePrefix", {"--programs=/x"}, {}, Action::reject, "", ""},
        CommandLineCase{"MissingValue", {"--program"}, {}, Action::reject, "", ""},
        CommandLineCase{"EmptyValue", {"--sysfs-root="}, {}, Action::reject, "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HelpText, NamesEveryOverride) {
    const std::string help = helpText();
    for (const char* word : {"--sysfs-root", "--program", kSysfsRootVariable, kProgramVariable}) {
        EXPECT_NE(help.find(word), std::string::npos) << word;
    }
}

}  // namespace
}  // namespace nimbra::repair
