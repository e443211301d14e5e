// The verified transfers: how many attempts they make, what they leave behind, and how
// they tell a failed transfer from data that keeps disagreeing.

#include <algorithm>
#include <array>

#include "tests/support/emulated_station.h"

namespace nimbra::testing {
namespace {

using link::LinkStatus;
using Block = std::array<unsigned char, 32>;

// A memory that ignores writes, as a console does for addresses it does not store.
class ReadOnlyMemory final : public emulator::StationMemory {
public:
    void readBlock(std::uint16_t address, std::uint8_t* out) override {
        for (std::uint32_t i = 0; i < kBlockSize; ++i) {
            out[i] = static_cast<std::uint8_t>((address + i) & 0xFF);
        }
    }
    void writeBlock(std::uint16_t, const std::uint8_t*) override {}
    void writeByte(std::uint16_t, std::uint8_t) override {}
};

class VerifiedTransfers : public EmulatedMemory {
protected:
    std::size_t blockReadsReceived() const {
        const auto commands = receivedCommands();
        return static_cast<std::size_t>(std::count(commands.begin(), commands.end(), 0xA1));
    }
};

TEST_F(VerifiedTransfers, DisagreeingReadsAreRetriedRetryCountTimesThenReported) {
    struct Case {
        int retryCount;
        std::size_t attempts;
    };
    for (const Case c : {Case{0, 1}, Case{-5, 1}, Case{2, 3}, Case{10, 11}}) {
        SCOPED_TRACE(c.retryCount);
        server().setFaults(flakyReads());
        server().clearReceivedReports();
        Block buffer{};
        EXPECT_EQ(station().verifiedRead(0x0100, buffer.data(), c.retryCount).status,
                  LinkStatus::disagreed);
        EXPECT_EQ(blockReadsReceived(), 2 * c.attempts);
    }
}

TEST_F(VerifiedTransfers, ReadLeavesTheFirstOfTheTwoReadsInTheBuffer) {
    m_memory.setImage(patternedImage());
    Block expected{};
    m_memory.readBlock(0x0300, expected.data());

    Block buffer{};
    EXPECT_TRUE(station().verifiedRead(0x0300, buffer.data(), 0).ok());
    EXPECT_EQ(buffer, expected);

    // The emulator spoils the second read of each attempt.
    server().setFaults(flakyReads());
    buffer.fill(0);
    EXPECT_EQ(station().verifiedRead(0x0300, buffer.data(), 1).status, LinkStatus::disagreed);
    EXPECT_EQ(buffer, expected);
}

TEST_F(VerifiedTransfers, WriteByteComparesOnlyTheFirstByteReadBack) {
    // Every second read comes back with its last byte spoilt: a block compare notices,
    // the byte compare does not.
    server().setFaults(flakyReads());
    EXPECT_TRUE(station().verifiedWriteByte(0x0400, 0x3C, 0).ok());
    EXPECT_TRUE(station().verifiedWriteByte(0x0400, 0x3D, 0).ok());
    EXPECT_EQ(m_memory.image()[0x0400], 0x3D);

    const Block data{};
    EXPECT_TRUE(station().verifiedWrite(0x0400, data.data(), 0).ok());
    EXPECT_EQ(station().verifiedWrite(0x0400, data.data(), 0).status, LinkStatus::disagreed);
}

TEST_F(VerifiedTransfers, LostTransfersAreFailuresAndAreNotRetried) {
    const Block data{};
    Block buffer{};
    server().setFaults(unplugged());
    // The emulator cut the connection: the link sees it closed.
    EXPECT_EQ(station().verifiedRead(0x0100, buffer.data(), 10).status, LinkStatus::io);
    EXPECT_EQ(station().verifiedWrite(0x0100, data.data(), 10).status, LinkStatus::io);
    EXPECT_EQ(station().verifiedWriteByte(0x0100, 1, 10).status, LinkStatus::io);
    EXPECT_FALSE(station().readBlock(0x0100, buffer.data()).ok());

    // Plugged in again, the station is back only once it has been looked for.
    server().setFaults(emulator::LinkFaults{});
    EXPECT_FALSE(station().readBlock(0x0100, buffer.data()).ok());
    ASSERT_TRUE(station().open().ok());
    EXPECT_TRUE(station().readBlock(0x0100, buffer.data()).ok());
}

TEST_F(VerifiedTransfers, AStationThatFallsSilentFailsTheTransferAfterTheReceiveTimeout) {
    // Answers the command of the first read; ignores everything after it.
    server().setFaults(silentAfter(1));
    Block buffer{};
    EXPECT_TRUE(station().readBlock(0x0100, buffer.data()).ok());
    EXPECT_EQ(station().verifiedRead(0x0100, buffer.data(), 10).status, LinkStatus::timeout);
    EXPECT_EQ(blockReadsReceived(), 2u);
}

class WritesThatDoNotStick : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(station().open().ok()); }
    link::StationLink& station() { return m_station.link(); }

    ReadOnlyMemory m_memory;
    EmulatedStation m_station{m_memory};
};

TEST_F(WritesThatDoNotStick, AreReportedAsStillDifferent) {
    Block data{};
    data.fill(0xEE);
    EXPECT_EQ(station().verifiedWrite(0x0500, data.data(), 1).status, LinkStatus::disagreed);
    EXPECT_EQ(station().verifiedWriteByte(0x0500, 0xEE, 1).status, LinkStatus::disagreed);
    // The first byte of the block at 0x0500 already is 0x00.
    EXPECT_TRUE(station().verifiedWriteByte(0x0500, 0x00, 0).ok());
}

}  // namespace
}  // namespace nimbra::testing
