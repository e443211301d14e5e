#include "soak/child_process.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>

namespace nimbra::soak {
namespace {

using std::chrono::milliseconds;

ChildProcess shell(const std::string& script, std::vector<std::string> environment = {}) {
    std::string error;
    auto child = ChildProcess::start("/bin/sh", {"-c", script}, environment, error);
    EXPECT_TRUE(child.has_value()) << error;
    return std::move(*child);
}

TEST(ChildProcess, ReadsTheOutputLineByLineWithTheGivenEnvironment) {
    ChildProcess child =
        shell("echo first; printf 'second\\nthird'; echo \" $SOAK_VALUE\"", {"SOAK_VALUE=given"});
    EXPECT_EQ(child.readLine(milliseconds(5000)), "first");
    EXPECT_EQ(child.readLine(milliseconds(5000)), "second");
    EXPECT_EQ(child.readLine(milliseconds(5000)), "third given");
    EXPECT_EQ(child.readLine(milliseconds(5000)), std::nullopt);
    EXPECT_TRUE(child.outputEnded());
    ASSERT_TRUE(child.wait(milliseconds(5000)));
    EXPECT_EQ(child.status()->text(), "exit code 0");
}

TEST(ChildProcess, AKilledChildIsReapedAndOneLeftRunningIsKilledWithItsOwner) {
    ChildProcess killed = shell("exec sleep 30");
    EXPECT_EQ(killed.readLine(milliseconds(50)), std::nullopt);
    EXPECT_FALSE(killed.poll());
    killed.signal(SIGKILL);
    ASSERT_TRUE(killed.wait(milliseconds(5000)));
    EXPECT_TRUE(killed.status()->signalled);
    EXPECT_EQ(killed.status()->code, SIGKILL);

    pid_t abandoned = 0;
    {
        ChildProcess child = shell("exec sleep 30");
        abandoned = child.pid();
    }
    EXPECT_FALSE(std::filesystem::exists("/proc/" + std::to_string(abandoned)));

    std::string error;
    EXPECT_FALSE(ChildProcess::start("/nonexistent/program", {}, {}, error).has_value());
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace nimbra::soak
