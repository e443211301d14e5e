// The bytes the station link puts on the wire, and what they make of the answers.

#include <array>
#include <functional>

#include "tests/support/emulated_station.h"

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
    std::function<link::LinkResult(link::StationLink&)> call;
    std::vector<Report> expected;
};

class WireBytes : public EmulatedMemory {};

TEST_F(WireBytes, EachCommandGoesOutAsTheStationExpectsIt) {
    static const Block data = counting(0x40);
    const std::vector<WireCase> cases = {
        {"read block",
         [](link::StationLink& s) {
             Block buffer{};
             return s.readBlock(0x1234, buffer.data());
         },
         {{0xA1, 0x12, 0x34, 0x20, 0xA1, 0x00, 0x00, 0x20}}},
        {"read block past 64 KiB sends the low 16 bits",
         [](link::StationLink& s) {
             Block buffer{};
             return s.readBlock(65536, buffer.data());
         },
         {{0xA1, 0x00, 0x00, 0x20, 0xA1, 0x00, 0x00, 0x20}}},
        {"read block at the top address",
         [](link::StationLink& s) {
             Block buffer{};
             return s.readBlock(0xFFE0, buffer.data());
         },
         {{0xA1, 0xFF, 0xE0, 0x20, 0xA1, 0x00, 0x00, 0x20}}},
        {"write block",
         [](link::StationLink& s) { return s.writeBlock(0x1234, data.data()); },
         {{0xA0, 0x12, 0x34, 0x20, 0xA0, 0x00, 0x00, 0x20},
          {0x40, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47},
          {0x48, 0x49, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F},
          {0x50, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57},
          {0x58, 0x59, 0x5A, 0x5B, 0x5C, 0x5D, 0x5E, 0x5F}}},
        {"write byte carries the value in byte 5",
         [](link::StationLink& s) { return s.writeByte(0x1234, 0x5A); },
         {{0xA2, 0x12, 0x34, 0x20, 0xA2, 0x5A, 0x00, 0x20}}},
        {"verified read reads the block twice",
         [](link::StationLink& s) {
             Block buffer{};
             return s.verifiedRead(0x0100, buffer.data(), 10);
         },
         {{0xA1, 0x01, 0x00, 0x20, 0xA1, 0x00, 0x00, 0x20},
          {0xA1, 0x01, 0x00, 0x20, 0xA1, 0x00, 0x00, 0x20}}},
        {"verified write byte reads the block back from the same address",
         [](link::StationLink& s) { return s.verifiedWriteByte(0x001A, 0xAA, 0); },
         {{0xA2, 0x00, 0x1A, 0x20, 0xA2, 0xAA, 0x00, 0x20},
          {0xA1, 0x00, 0x1A, 0x20, 0xA1, 0x00, 0x00, 0x20}}},
    };
    for (const WireCase& c : cases) {
        SCOPED_TRACE(c.name);
        server().clearReceivedReports();
        EXPECT_TRUE(c.call(station()).ok());
        EXPECT_EQ(server().receivedReports(), c.expected);
    }
}

TEST_F(WireBytes, BlocksComeBackInReportOrderAndWritesLandWhereAddressed) {
    m_memory.setImage(patternedImage());
    Block read{};
    ASSERT_TRUE(station().readBlock(0x1234, read.data()).ok());
    Block expected{};
    m_memory.readBlock(0x1234, expected.data());
    EXPECT_EQ(read, expected);

    const Block data = counting(0x80);
    ASSERT_TRUE(station().writeBlock(0x2000, data.data()).ok());
    ASSERT_TRUE(station().writeByte(0x3001, 0x77).ok());
    const auto image = m_memory.image();
    EXPECT_TRUE(std::equal(data.begin(), data.end(), image.begin() + 0x2000));
    EXPECT_EQ(image[0x3001], 0x77);
    EXPECT_EQ(image[0x3000], patternedImage()[0x3000]);
    EXPECT_EQ(image[0x3002], patternedImage()[0x3002]);
}

TEST_F(WireBytes, TheWholeMemoryReadsBackThroughTheLink) {
    m_memory.setImage(patternedImage());
    emulator::RamMemory::Image read{};
    for (std::size_t address = 0; address < read.size(); address += 32) {
        ASSERT_TRUE(station().readBlock(static_cast<int>(address), read.data() + address).ok())
            << address;
    }
    EXPECT_EQ(read, m_memory.image());
}

TEST_F(WireBytes, AnAcknowledgementWithOneWrongByteFailsTheWrite) {
    const Block data = counting(1);
    ASSERT_TRUE(station().writeBlock(0x0200, data.data()).ok());
    ASSERT_TRUE(station().writeByte(0x0200, 9).ok());

    server().setFaults(badAck());
    EXPECT_EQ(station().writeBlock(0x0200, data.data()).status, link::LinkStatus::protocol);
    EXPECT_EQ(station().writeByte(0x0200, 9).status, link::LinkStatus::protocol);
    EXPECT_EQ(station().verifiedWrite(0x0200, data.data(), 3).status, link::LinkStatus::protocol);
    EXPECT_EQ(station().verifiedWriteByte(0x0200, 9, 3).status, link::LinkStatus::protocol);
    // A failed transfer is not retried: one write each, and no read-back.
    EXPECT_EQ(receivedCommands(), (std::vector<std::uint8_t>{0xA0, 0xA2, 0xA0, 0xA2, 0xA0, 0xA2}));
}

}  // namespace
}  // namespace nimbra::testing
