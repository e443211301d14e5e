// The transfer lock: exchanges from many threads never interleave on the wire, and
// open() may replace the connection while others transfer.

#include <array>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "station_link/station_link.h"
#include "tests/support/emulated_station.h"

namespace nimbra::testing {
namespace {

using Block = std::array<unsigned char, 32>;

class ConcurrentCallers : public EmulatedMemory {};

TEST_F(ConcurrentCallers, ExchangesStayWholeAndEveryCallerGetsItsOwnData) {
    constexpr int kThreads = 4;
    constexpr int kRounds = 40;
    std::atomic<int> failures{0};
    std::atomic<bool> done{false};
    std::vector<std::thread> callers;
    for (int t = 0; t < kThreads; ++t) {
        callers.emplace_back([this, t, &failures] {
            const int address = 0x1000 + t * 0x100;
            for (int round = 0; round < kRounds; ++round) {
                Block data{};
                data.fill(static_cast<unsigned char>(t * 50 + round));
                Block read{};
                link::StationLink& s = station();
                if (!s.writeBlock(address, data.data()).ok() ||
                    !s.readBlock(address, read.data()).ok() || read != data ||
                    !s.writeByte(address, data[0]).ok() ||
                    !s.verifiedRead(address, read.data(), 0).ok() || read != data) {
                    ++failures;
                }
            }
        });
    }
    // Meanwhile the connection is replaced again and again.
    std::thread rediscovery([&] {
        while (!done) {
            if (!station().open().ok()) {
                ++failures;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    for (auto& caller : callers) {
        caller.join();
    }
    done = true;
    rediscovery.join();

    EXPECT_EQ(failures, 0);
    // Five kinds of report per round, each whole: a mixed-up exchange would have
    // scrambled the commands the station saw.
    const auto commands = receivedCommands();
    EXPECT_EQ(commands.size(), static_cast<std::size_t>(kThreads * kRounds * 5));
}

// A connection whose answers the test releases by hand, to hold the lock for as long
// as it likes.
class HeldTransport final : public link::Transport {
public:
    link::LinkStatus send(const link::Report&) override { return link::LinkStatus::ok; }
    link::LinkStatus receive(link::Report& report) override {
        std::unique_lock lock(mutex_);
        inReceive_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return released_; });
        report.fill(0);
        return link::LinkStatus::ok;
    }
    void discardPending() override {}

    void waitUntilInReceive() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return inReceive_; });
    }
    void release() {
        std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool inReceive_ = false;
    bool released_ = false;
};

TEST(TransferLock, ACallThatCannotHaveTheLockFailsInsteadOfInterleaving) {
    auto held = std::make_unique<HeldTransport>();
    HeldTransport& transport = *held;
    link::StationLink station([&held] { return link::Opened{std::move(held), {}}; });

    std::uint8_t first[32]{};
    bool firstRead = false;
    std::thread holder([&] { firstRead = station.readBlock(0x0100, first).ok(); });
    transport.waitUntilInReceive();

    std::uint8_t second[32]{};
    EXPECT_EQ(station.readBlock(0x0200, second).status, link::LinkStatus::timeout);
    EXPECT_EQ(station.verifiedRead(0x0200, second, 5).status, link::LinkStatus::timeout);
    EXPECT_EQ(station.open().status, link::LinkStatus::timeout);

    transport.release();
    holder.join();
    EXPECT_TRUE(firstRead);
    // Released by the holder, the lock is there for the next caller.
    EXPECT_TRUE(station.readBlock(0x0200, second).ok());
}

}  // namespace
}  // namespace nimbra::testing
