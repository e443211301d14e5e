#pragma once

#include <cstdint>

namespace nimbra::emulator {

// The station's 64 KiB memory as the report protocol sees it: 32-byte block reads and
// writes and single-byte writes. Addresses wrap at 64 KiB, as the console's do.
// Implementations are called from the protocol server's thread and must be safe to
// call while their owner inspects or changes them from another thread.
class StationMemory {
public:
    static constexpr std::uint32_t kSize = 0x10000;
    static constexpr std::uint32_t kBlockSize = 32;

    virtual ~StationMemory() = default;
    virtual void readBlock(std::uint16_t address, std::uint8_t* out) = 0;
    virtual void writeBlock(std::uint16_t address, const std::uint8_t* data) = 0;
    virtual void writeByte(std::uint16_t address, std::uint8_t value) = 0;
};

}  // namespace nimbra::emulator
