// The verified exports: how many attempts they make, what they leave behind, and how
// they tell a failed transfer (1) from data that keeps disagreeing (2).

#include <algorithm>
#include <array>

#include "tests/station_link/emulated_station.h"

namespace nimbra::testing {
namespace {

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

class VerifiedExports : public EmulatedStation {
protected:
    std::size_t blockReadsReceived() const {
        const auto commands = receivedCommands();
        return static_cast<std::size_t>(std::count(commands.begin(), commands.end(), 0xA1));
    }
};

TEST_F(VerifiedExports, DisagreeingReadsAreRetriedRetryCountTimesThenReported) {
    struct Case {
        int retryCount;
        std::size_t attempts;
    };
    for (const Case c : {Case{0, 1}, Case{-5, 1}, Case{2, 3}, Case{10, 11}}) {
        SCOPED_TRACE(c.retryCount);
        server_->setFaults(flakyReads());
        server_->clearReceivedReports();
        Block buffer{};
        EXPECT_EQ(V_ReadData(0x0100, buffer.data(), c.retryCount), 2u);
        EXPECT_EQ(blockReadsReceived(), 2 * c.attempts);
    }
}

TEST_F(VerifiedExports, ReadLeavesTheFirstOfTheTwoReadsInTheBuffer) {
    memory_.setImage(patternedImage());
    Block expected{};
    memory_.readBlock(0x0300, expected.data());

    Block buffer{};
    EXPECT_EQ(V_ReadData(0x0300, buffer.data(), 0), 0u);
    EXPECT_EQ(buffer, expected);

    // The emulator spoils the second read of each attempt.
    server_->setFaults(flakyReads());
    buffer.fill(0);
    EXPECT_EQ(V_ReadData(0x0300, buffer.data(), 1), 2u);
    EXPECT_EQ(buffer, expected);
}

TEST_F(VerifiedExports, WriteByteComparesOnlyTheFirstByteReadBack) {
    // Every second read comes back with its last byte spoilt: a block compare notices,
    // the byte compare does not.
    server_->setFaults(flakyReads());
    EXPECT_EQ(V_WriteByte(0x0400, 0x3C, 0), 0u);
    EXPECT_EQ(V_WriteByte(0x0400, 0x3D, 0), 0u);
    EXPECT_EQ(memory_.image()[0x0400], 0x3D);

    const Block data{};
    EXPECT_EQ(V_WriteData(0x0400, data.data(), 0), 0u);
    EXPECT_EQ(V_WriteData(0x0400, data.data(), 0), 2u);
}

TEST_F(VerifiedExports, LostTransfersAreFailuresAndAreNotRetried) {
    const Block data{};
    Block buffer{};
    server_->setFaults(unplugged());
    EXPECT_EQ(V_ReadData(0x0100, buffer.data(), 10), 1u);
    EXPECT_EQ(V_WriteData(0x0100, data.data(), 10), 1u);
    EXPECT_EQ(V_WriteByte(0x0100, 1, 10), 1u);
    EXPECT_EQ(ReadData(0x0100, buffer.data()), 0);

    // Plugged in again, the station is back only once it has been looked for.
    server_->setFaults(emulator::LinkFaults{});
    EXPECT_EQ(ReadData(0x0100, buffer.data()), 0);
    ASSERT_EQ(CheckHandle(), 1);
    EXPECT_EQ(ReadData(0x0100, buffer.data()), 1);
}

TEST_F(VerifiedExports, AStationThatFallsSilentFailsTheTransferAfterTheReceiveTimeout) {
    // Answers the command of the first read; ignores everything after it.
    server_->setFaults(silentAfter(1));
    Block buffer{};
    EXPECT_EQ(ReadData(0x0100, buffer.data()), 1);
    EXPECT_EQ(V_ReadData(0x0100, buffer.data(), 10), 1u);
    EXPECT_EQ(blockReadsReceived(), 2u);
}

class WritesThatDoNotStick : public ::testing::Test {
protected:
    void SetUp() override {
        server_ = emulator::ReportServer::inTemporaryFolder(memory_);
        ::setenv("NIMBRA_STATION_SOCKET", server_->socketPath().c_str(), 1);
        ASSERT_EQ(CheckHandle(), 1);
    }
    void TearDown() override { ::unsetenv("NIMBRA_STATION_SOCKET"); }

    ReadOnlyMemory memory_;
    std::unique_ptr<emulator::ReportServer> server_;
};

TEST_F(WritesThatDoNotStick, AreReportedAsStillDifferent) {
    Block data{};
    data.fill(0xEE);
    EXPECT_EQ(V_WriteData(0x0500, data.data(), 1), 2u);
    EXPECT_EQ(V_WriteByte(0x0500, 0xEE, 1), 2u);
    // The first byte of the block at 0x0500 already is 0x00.
    EXPECT_EQ(V_WriteByte(0x0500, 0x00, 0), 0u);
}

}  // namespace
}  // namespace nimbra::testing
