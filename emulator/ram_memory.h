#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <mutex>

#include "emulator/station_memory.h"

namespace nimbra::emulator {

// A station memory that only stores what is written: no weather, no clock. The wire
// tests use it, and the emulator program serves it when no weather model is wanted.
class RamMemory final : public StationMemory {
public:
    using Image = std::array<std::uint8_t, kSize>;

    RamMemory() { image_.fill(0); }

    void readBlock(std::uint16_t address, std::uint8_t* out) override;
    void writeBlock(std::uint16_t address, const std::uint8_t* data) override;
    void writeByte(std::uint16_t address, std::uint8_t value) override;

    Image image() const;
    void setImage(const Image& image);

    // A memory image is the 64 KiB exactly; anything else is refused.
    bool loadImage(const std::filesystem::path& file);
    bool saveImage(const std::filesystem::path& file) const;

private:
    mutable std::mutex mutex_;
    Image image_;  // guarded by mutex_
};

}  // namespace nimbra::emulator
