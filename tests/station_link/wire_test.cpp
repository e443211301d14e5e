// The bytes the real exports put on the wire, and what they make of the answers.

#include <array>
#include <functional>

#include "tests/station_link/emulated_station.h"

namespace nimbra::testing {
namespace {

using link::Report;
using Block = std::array<unsigned char, 32>;

Block counting(unsigned char first) {
    Block block{};
    for (std::size_t i = 0; i < block.size(); ++i) {
        block[i] = static_cast<unsigned char>(first + i);
    }
    return block;
}

struct WireCase {
    const char* name;
    std::function<int()> call;
    std::vector<Report> expected;
};

class WireBytes : public EmulatedStation {};

TEST_F(WireBytes, EachCommandGoesOutAsTheStationExpectsIt) {
    static const Block data = counting(0x40);
    const std::vector<WireCase> cases = {
        {"read block",
         [] {
             Block buffer{};
             return ReadData(0x1234, buffer.data());
         },
         {{0xA1, 0x12, 0x34, 0x20, 0xA1, 0x00, 0x00, 0x20}}},
        {"read block past 64 KiB sends the low 16 bits",
         [] {
             Block buffer{};
             return ReadData(65536, buffer.data());
         },
         {{0xA1, 0x00, 0x00, 0x20, 0xA1, 0x00, 0x00, 0x20}}},
        {"read block at the top address",
         [] {
             Block buffer{};
             return ReadData(0xFFE0, buffer.data());
         },
         {{0xA1, 0xFF, 0xE0, 0x20, 0xA1, 0x00, 0x00, 0x20}}},
        {"write block",
         [] { return WriteData(0x1234, data.data()); },
         {{0xA0, 0x12, 0x34, 0x20, 0xA0, 0x00, 0x00, 0x20},
          {0x40, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47},
          {0x48, 0x49, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F},
          {0x50, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57},
          {0x58, 0x59, 0x5A, 0x5B, 0x5C, 0x5D, 0x5E, 0x5F}}},
        {"write byte carries the value in byte 5",
         [] { return WriteByte(0x1234, 0x5A); },
         {{0xA2, 0x12, 0x34, 0x20, 0xA2, 0x5A, 0x00, 0x20}}},
        {"verified read reads the block twice",
         [] {
             Block buffer{};
             return V_ReadData(0x0100, buffer.data(), 10) == 0 ? 1 : 0;
         },
         {{0xA1, 0x01, 0x00, 0x20, 0xA1, 0x00, 0x00, 0x20},
          {0xA1, 0x01, 0x00, 0x20, 0xA1, 0x00, 0x00, 0x20}}},
        {"verified write byte reads the block back from the same address",
         [] { return V_WriteByte(0x001A, 0xAA, 0) == 0 ? 1 : 0; },
         {{0xA2, 0x00, 0x1A, 0x20, 0xA2, 0xAA, 0x00, 0x20},
          {0xA1, 0x00, 0x1A, 0x20, 0xA1, 0x00, 0x00, 0x20}}},
    };
    for (const WireCase& c : cases) {
        SCOPED_TRACE(c.name);
        server_->clearReceivedReports();
        EXPECT_EQ(c.call(), 1);
        EXPECT_EQ(server_->receivedReports(), c.expected);
    }
}

TEST_F(WireBytes, BlocksComeBackInReportOrderAndWritesLandWhereAddressed) {
    memory_.setImage(patternedImage());
    Block read{};
    ASSERT_EQ(ReadData(0x1234, read.data()), 1);
    Block expected{};
    memory_.readBlock(0x1234, expected.data());
    EXPECT_EQ(read, expected);

    const Block data = counting(0x80);
    ASSERT_EQ(WriteData(0x2000, data.data()), 1);
    ASSERT_EQ(WriteByte(0x3001, 0x77), 1);
    const auto image = memory_.image();
    EXPECT_TRUE(std::equal(data.begin(), data.end(), image.begin() + 0x2000));
    EXPECT_EQ(image[0x3001], 0x77);
    EXPECT_EQ(image[0x3000], patternedImage()[0x3000]);
    EXPECT_EQ(image[0x3002], patternedImage()[0x3002]);
}

TEST_F(WireBytes, TheWholeMemoryReadsBackThroughTheExports) {
    memory_.setImage(patternedImage());
    emulator::RamMemory::Image read{};
    for (std::size_t address = 0; address < read.size(); address += 32) {
        ASSERT_EQ(ReadData(static_cast<int>(address), read.data() + address), 1) << address;
    }
    EXPECT_EQ(read, memory_.image());
}

TEST_F(WireBytes, AnAcknowledgementWithOneWrongByteFailsTheWrite) {
    const Block data = counting(1);
    ASSERT_EQ(WriteData(0x0200, data.data()), 1);
    ASSERT_EQ(WriteByte(0x0200, 9), 1);

    server_->setFaults(badAck());
    EXPECT_EQ(WriteData(0x0200, data.data()), 0);
    EXPECT_EQ(WriteByte(0x0200, 9), 0);
    EXPECT_EQ(V_WriteData(0x0200, data.data(), 3), 1u);
    EXPECT_EQ(V_WriteByte(0x0200, 9, 3), 1u);
    // A failed transfer is not retried: one write each, and no read-back.
    EXPECT_EQ(receivedCommands(), (std::vector<std::uint8_t>{0xA0, 0xA2, 0xA0, 0xA2, 0xA0, 0xA2}));
}

}  // namespace
}  // namespace nimbra::testing
