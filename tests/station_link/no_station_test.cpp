// With no station every export fails at once: nothing to wait for, nothing sent.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <array>
#include <chrono>
#include <functional>

#include "station_link/hidlink.h"

namespace nimbra::testing {
namespace {

using Clock = std::chrono::steady_clock;

// One receive timeout: the least a call would take if it waited for a station.
constexpr auto kReceiveTimeout = std::chrono::milliseconds(1200);

void expectEveryCallFailsAtOnce() {
    std::array<unsigned char, 32> buffer{};
    const auto start = Clock::now();
    EXPECT_EQ(ReadData(0x0100, buffer.data()), 0);
    EXPECT_EQ(WriteData(0x0100, buffer.data()), 0);
    EXPECT_EQ(WriteByte(0x0100, 1), 0);
    EXPECT_EQ(V_ReadData(0x0100, buffer.data(), 10), 1u);
    EXPECT_EQ(V_WriteData(0x0100, buffer.data(), 10), 1u);
    EXPECT_EQ(V_WriteByte(0x0100, 1, 10), 1u);
    // Together they take less than one receive timeout, or than one retry pause times
    // the retries asked for: none of them waited for an answer.
    EXPECT_LT(Clock::now() - start, kReceiveTimeout);
}

TEST(NoStation, SocketPathWithNothingListeningFindsNoStation) {
    ::setenv("NIMBRA_STATION_SOCKET", "/nonexistent/nimbra-station.sock", 1);
    EXPECT_EQ(CheckHandle(), 0);
    expectEveryCallFailsAtOnce();
    ::unsetenv("NIMBRA_STATION_SOCKET");
}

TEST(NoStation, SocketPathTooLongForASocketFindsNoStation) {
    const std::string longPath = "/tmp/" + std::string(200, 'x');
    ::setenv("NIMBRA_STATION_SOCKET", longPath.c_str(), 1);
    EXPECT_EQ(CheckHandle(), 0);
    expectEveryCallFailsAtOnce();
    ::unsetenv("NIMBRA_STATION_SOCKET");
}

TEST(NoStation, WithoutTheEmulatorUsbIsSearched) {
    ::unsetenv("NIMBRA_STATION_SOCKET");
    if (CheckHandle() == 1) {
        GTEST_SKIP() << "a real station is plugged into this machine";
    }
    expectEveryCallFailsAtOnce();
}

}  // namespace
}  // namespace nimbra::testing
