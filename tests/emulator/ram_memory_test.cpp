#include "emulator/ram_memory.h"

#include <gtest/gtest.h>

#include <array>

namespace nimbra::emulator {
namespace {

using emulator::RamMemory;

TEST(RamMemory, BlocksWrapAroundTheTopOfMemory) {
    RamMemory memory;
    std::array<std::uint8_t, 32> data{};
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<std::uint8_t>(i + 1);
    }
    memory.writeBlock(0xFFF0, data.data());
    const auto image = memory.image();
    EXPECT_EQ(image[0xFFF0], 1);
    EXPECT_EQ(image[0xFFFF], 16);
    EXPECT_EQ(image[0x0000], 17);
    EXPECT_EQ(image[0x000F], 32);

    std::array<std::uint8_t, 32> read{};
    memory.readBlock(0xFFF0, read.data());
    EXPECT_EQ(read, data);
}

}  // namespace
}  // namespace nimbra::emulator
