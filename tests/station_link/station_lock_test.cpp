// Exchanges of two processes never interleave on one station: while another holds the
// station's lock a transfer waits, and fails rather than interleave once the wait
// limit has passed. (flock keeps two open files of one process apart as it keeps two
// processes apart, so the other holder can live in this test.)

#include "station_link/station_lock.h"

#include <array>
#include <chrono>
#include <thread>

#include "tests/support/emulated_station.h"

namespace nimbra::testing {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

class StationLockTest : public EmulatedMemory {};

TEST_F(StationLockTest, AnotherHolderKeepsTransfersWaitingThenFailing) {
    link::StationLock other(link::StationLock::besideSocket(server().socketPath()));
    std::array<unsigned char, 32> block{};
    ASSERT_TRUE(other.lockFor(0ms)) << "free between our exchanges";

    const auto started = Clock::now();
    EXPECT_EQ(station().readBlock(0x0100, block.data()).status, link::LinkStatus::timeout);
    EXPECT_EQ(station().verifiedRead(0x0100, block.data(), 2).status, link::LinkStatus::timeout);
    EXPECT_GE(Clock::now() - started, 2 * 1100ms) << "each call waited the limit first";
    EXPECT_TRUE(server().receivedReports().empty()) << "nothing reached the station";

    // Released during the wait, the transfer goes ahead.
    std::thread release([&other] {
        std::this_thread::sleep_for(100ms);
        other.unlock();
    });
    EXPECT_TRUE(station().readBlock(0x0100, block.data()).ok());
    release.join();
    EXPECT_TRUE(other.lockFor(0ms)) << "ours is let go after the exchange";
    other.unlock();
}

}  // namespace
}  // namespace nimbra::testing
