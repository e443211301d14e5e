#include "emulator/emulator_options.h"

#include <gtest/gtest.h>

#include <vector>

namespace nimbra::emulator {
namespace {

using emulator::parseEmulatorCommandLine;

emulator::ParsedCommandLine parse(std::vector<std::string_view> arguments) {
    return parseEmulatorCommandLine(arguments);
}

TEST(EmulatorOptions, EveryOptionReachesItsField) {
    const auto parsed = parse({"--socket",
                               "/tmp/x.sock",
                               "--records",
                               "500",
                               "--interval=5",
                               "--speed",
                               "60",
                               "--seed",
                               "42",
                               "--wrapped",
                               "--model",
                               "16",
                               "--image",
                               "in.bin",
                               "--save-image",
                               "out.bin",
                               "--unplugged",
                               "--silent-after",
                               "7",
                               "--bad-ack",
                               "--flaky-reads",
                               "--corrupt-records",
                               "--pointer-back",
                               "--record-write",
                               "1500",
                               "--commit-delay=50",
                               "--report-latency",
                               "10",
                               "--report-pointer=1001",
                               "--report-count",
                               "65535"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    const auto& o = *parsed.options;
    EXPECT_EQ(o.socketPath, "/tmp/x.sock");
    EXPECT_EQ(o.records, 500u);
    EXPECT_EQ(o.interval, 5u);
    EXPECT_EQ(o.speed, 60.0);
    EXPECT_EQ(o.seed, 42u);
    EXPECT_TRUE(o.wrapped);
    EXPECT_EQ(o.kind, StationKind::records16);
    EXPECT_EQ(o.image, "in.bin");
    EXPECT_EQ(o.saveImage, "out.bin");
    EXPECT_TRUE(o.linkFaults.unplugged);
    EXPECT_EQ(o.linkFaults.silentAfter, 7u);
    EXPECT_TRUE(o.linkFaults.badAck);
    EXPECT_TRUE(o.linkFaults.flakyReads);
    EXPECT_TRUE(o.corruptRecords);
    EXPECT_TRUE(o.pointerBack);
    EXPECT_TRUE(o.tornWrites);  // implied by --record-write
    EXPECT_EQ(o.recordWrite, std::chrono::milliseconds(1500));
    EXPECT_EQ(o.commitDelay, std::chrono::milliseconds(50));
    EXPECT_EQ(o.reportLatency, std::chrono::milliseconds(10));
    EXPECT_EQ(o.reportedPointer, 1001u);
    EXPECT_EQ(o.reportedCount, 65535u);
}

TEST(EmulatorOptions, DefaultsLeaveTheModelAloneAndNoFaults) {
    const auto parsed = parse({});
    ASSERT_TRUE(parsed.options);
    EXPECT_EQ(parsed.options->socketPath, emulator::defaultSocketPath());
    EXPECT_FALSE(parsed.options->records);
    EXPECT_EQ(parsed.options->kind, StationKind::records20);
    EXPECT_FALSE(parsed.options->linkFaults.unplugged);
    EXPECT_FALSE(parsed.options->linkFaults.silentAfter);
}

TEST(EmulatorOptions, BadCommandLinesAreRefusedWithAReason) {
    const std::vector<std::vector<std::string_view>> bad = {
        {"--records"},
        {"--records", "-1"},
        {"--records", "12x"},
        {"--interval", "0"},
        {"--speed", "-1"},
        {"--speed", "fast"},
        {"--socket", ""},
        {"--silent-after=a"},
        {"--no-such-option"},
        {"--seed", "4294967296"},
        {"--report-latency", "-5"},
        {"--model", "18"},
    };
    for (const auto& arguments : bad) {
        SCOPED_TRACE(arguments.front());
        const auto parsed = parse(arguments);
        EXPECT_FALSE(parsed.options);
        EXPECT_FALSE(parsed.error.empty());
    }
    EXPECT_TRUE(parse({"--records", "1", "--help"}).helpRequested);
}

}  // namespace
}  // namespace nimbra::emulator
