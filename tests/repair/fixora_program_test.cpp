// The fixora program as the main program starts it, against a fake sysfs tree and a
// stand-in for the main program that writes down how it was started.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace nimbra::repair {
namespace {

namespace fs = std::filesystem;
using testing::FakeSysfs;
using testing::ProgramRun;
using testing::TemporaryFolder;

class FixoraProgram : public ::testing::Test {
protected:
    FixoraProgram() {
        fs::create_directories(binFolder);
        fs::create_directories(reportFolder);
        // The stand-in may run as an unprivileged user and must still be able to report.
        fs::permissions(reportFolder, fs::perms::all);
        fixora = testing::installCopy(FIXORA_BINARY, binFolder, "fixora");
        standin = testing::installCopy(STANDIN_BINARY, binFolder, "nimbraplus");
    }

    ProgramRun run(std::vector<std::string> arguments, std::vector<std::string> environment = {},
                   testing::RunOptions options = {}) {
        arguments.insert(arguments.begin(), fixora.string());
        environment.push_back("STANDIN_REPORT=" + report.string());
        return testing::runProgram(arguments, environment, options);
    }

    TemporaryFolder folder;
    FakeSysfs sysfs{folder.path() / "sys"};
    fs::path binFolder = folder.path() / "bin";
    fs::path reportFolder = folder.path() / "reports";
    fs::path report = reportFolder / "started";
    fs::path fixora;
    fs::path standin;
};

TEST_F(FixoraProgram, StartsTheProgramBesideItselfDetached) {
    const ProgramRun result = run({}, {"FIXORA_SYSFS_ROOT=" + sysfs.root().string()});
    EXPECT_EQ(result.exitCode, 0) << result.standardError;
    const auto started = testing::awaitStandinReport(report);
    EXPECT_EQ(started.at("arguments"), "0");
    EXPECT_EQ(started.at("fd0"), "/dev/null");
    EXPECT_EQ(started.at("fd1"), "/dev/null");
    EXPECT_EQ(started.at("fd2"), "/dev/null");
    EXPECT_EQ(started.at("session_leader"), "yes");
    EXPECT_EQ(started.at("other_fds"), "0");
}

// The main program passes its own options after "--": the restart gets them back as they
// were, so a run on another data folder or the emulator comes back the same.
TEST_F(FixoraProgram, GivesTheProgramBackTheOptionsAfterTheDashes) {
    const ProgramRun result = run({"--sysfs-root=" + sysfs.root().string(), "--", "--emulator",
                                   "--data-dir", "/tmp/a folder"});
    EXPECT_EQ(result.exitCode, 0) << result.standardError;
    const auto started = testing::awaitStandinReport(report);
    EXPECT_EQ(started.at("arguments"), "3");
    EXPECT_EQ(started.at("argument1"), "--emulator");
    EXPECT_EQ(started.at("argument3"), "/tmp/a folder");
}

TEST_F(FixoraProgram, WithoutStationStartsTheProgramAndTouchesNothing) {
    sysfs.add({.name = "1-4", .product = "8022"});
    const ProgramRun result = run({"--sysfs-root", sysfs.root().string()});
    EXPECT_EQ(result.exitCode, 0) << result.standardError;
    EXPECT_FALSE(testing::awaitStandinReport(report).empty());
    EXPECT_FALSE(sysfs.authorizedWritten("1-4"));
}

TEST_F(FixoraProgram, CyclesTheStationBeforeStartingTheProgram) {
    sysfs.add({.name = "1-1"});
    const ProgramRun result = run({"--sysfs-root=" + sysfs.root().string()},
                                  {"STANDIN_WATCH=" + sysfs.authorizedFile("1-1").string()});
    EXPECT_EQ(result.exitCode, 0) << result.standardError;
    // The program saw the station enabled again, so it started after both toggles.
    EXPECT_EQ(testing::awaitStandinReport(report).at("watched"), "1");
    const std::string& log = result.standardError;
    const auto disabled = log.find("1-1: station disabled");
    const auto enabled = log.find("1-1: station enabled");
    ASSERT_NE(disabled, std::string::npos) << log;
    ASSERT_NE(enabled, std::string::npos) << log;
    EXPECT_LT(disabled, enabled);
}

TEST_F(FixoraProgram, RefusedToggleFallsBackAndStillStartsTheProgram) {
    sysfs.add({.name = "1-1", .bus = 250, .address = 127});
    testing::makeReadOnly(sysfs.authorizedFile("1-1"));
    const ProgramRun result =
        run({"--sysfs-root=" + sysfs.root().string()}, {}, {.unprivileged = true});
    EXPECT_FALSE(testing::awaitStandinReport(report).empty());
    EXPECT_NE(result.standardError.find("1-1: resetting its USB port instead"), std::string::npos)
        << result.standardError;
    // No such port on this machine: the reset fails and the exit status says so.
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(sysfs.authorized("1-1"), "1");
}

TEST_F(FixoraProgram, ClosedStandardErrorDoesNotStopTheRestart) {
    sysfs.add({.name = "1-1"});
    const ProgramRun result =
        run({"--sysfs-root=" + sysfs.root().string()}, {}, {.brokenStandardError = true});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_FALSE(testing::awaitStandinReport(report).empty());
    EXPECT_EQ(sysfs.authorized("1-1"), "1");
}

TEST_F(FixoraProgram, ProgramThatCannotStartIsAFailure) {
    const ProgramRun result = run(
        {"--sysfs-root=" + sysfs.root().string(), "--program=" + (binFolder / "absent").string()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.standardError.find("FAILED"), std::string::npos);
}

TEST_F(FixoraProgram, BadArgumentsStopBeforeAnyChange) {
    sysfs.add({.name = "1-1"});
    const ProgramRun result = run({"--sysfs-root=" + sysfs.root().string(), "--now"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_FALSE(sysfs.authorizedWritten("1-1"));
    EXPECT_FALSE(fs::exists(report));
}

}  // namespace
}  // namespace nimbra::repair
