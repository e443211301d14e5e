#pragma once

#include <array>
#include <cstdint>
#include <mutex>

#include "emulator/station_memory.h"

namespace nimbra::emulator {

// A station memory that only stores what is written: no weather, no clock. Tests and
// benchmarks of the wire use it, where the station model's life would only get in the way.
class RamMemory final : public StationMemory {
public:
    using Image = std::array<std::uint8_t, kSize>;

    RamMemory() { image_.fill(0); }

    void readBlock(std::uint16_t address, std::uint8_t* out) override;
    void writeBlock(std::uint16_t address, const std::uint8_t* data) override;
    void writeByte(std::uint16_t address, std::uint8_t value) override;

    Image image() const;
    void setImage(const Image& image);

private:
    mutable std::mutex mutex_;
    Image image_;  // guarded by mutex_
};

}  // namespace nimbra::emulator
