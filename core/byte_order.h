#pragma once

#include <bit>
#include <cstdint>

// Little-endian loads and stores assembled byte by byte, so that images written on one
// machine read back the same on any other whatever its byte order or alignment rules.

namespace nimbra {

inline std::uint16_t loadLe16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t loadLe32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline std::uint64_t loadLe64(const std::uint8_t* p) {
    return static_cast<std::uint64_t>(loadLe32(p)) |
           (static_cast<std::uint64_t>(loadLe32(p + 4)) << 32);
}

inline void storeLe16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

inline void storeLe32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

inline void storeLe64(std::uint8_t* p, std::uint64_t v) {
    storeLe32(p, static_cast<std::uint32_t>(v));
    storeLe32(p + 4, static_cast<std::uint32_t>(v >> 32));
}

inline std::int32_t loadLeI32(const std::uint8_t* p) {
    return static_cast<std::int32_t>(loadLe32(p));
}
inline float loadLeF32(const std::uint8_t* p) {
    return std::bit_cast<float>(loadLe32(p));
}
inline double loadLeF64(const std::uint8_t* p) {
    return std::bit_cast<double>(loadLe64(p));
}

inline void storeLeI32(std::uint8_t* p, std::int32_t v) {
    storeLe32(p, static_cast<std::uint32_t>(v));
}
inline void storeLeF32(std::uint8_t* p, float v) {
    storeLe32(p, std::bit_cast<std::uint32_t>(v));
}
inline void storeLeF64(std::uint8_t* p, double v) {
    storeLe64(p, std::bit_cast<std::uint64_t>(v));
}

}  // namespace nimbra
