#include "emulator/ram_memory.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <array>
#include <filesystem>
#include <fstream>

namespace nimbra::testing {
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

class ImageFiles : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "nimbra-image-XXXXXX");
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::filesystem::path folder_;
};

TEST_F(ImageFiles, SaveAndLoadRoundTripTheWholeMemory) {
    RamMemory written;
    written.writeByte(0x0000, 0x11);
    written.writeByte(0x8000, 0x22);
    written.writeByte(0xFFFF, 0x33);
    ASSERT_TRUE(written.saveImage(folder_ / "station.bin"));
    EXPECT_EQ(std::filesystem::file_size(folder_ / "station.bin"), 65536u);

    RamMemory loaded;
    ASSERT_TRUE(loaded.loadImage(folder_ / "station.bin"));
    EXPECT_EQ(loaded.image(), written.image());
}

TEST_F(ImageFiles, AFileOfAnyOtherSizeIsRefusedAndChangesNothing) {
    for (const std::size_t size : {std::size_t{0}, std::size_t{65535}, std::size_t{65537}}) {
        SCOPED_TRACE(size);
        std::ofstream(folder_ / "odd.bin", std::ios::binary | std::ios::trunc)
            << std::string(size, '\x7F');
        RamMemory memory;
        EXPECT_FALSE(memory.loadImage(folder_ / "odd.bin"));
        EXPECT_EQ(memory.image()[0], 0);
    }
    RamMemory memory;
    EXPECT_FALSE(memory.loadImage(folder_ / "missing.bin"));
    EXPECT_FALSE(memory.saveImage(folder_ / "no-such-folder" / "station.bin"));
}

}  // namespace
}  // namespace nimbra::testing
