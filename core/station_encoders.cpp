#include "core/station_encoders.h"

#include <cmath>
#include <limits>

namespace nimbra {

namespace {

// Converts to an integer the way the station's tenths are formed: truncated toward
// zero, and saturated so that an out-of-range value cannot overflow.
std::int32_t truncateToInt(double value) {
    constexpr double kMax = std::numeric_limits<std::int32_t>::max();
    constexpr double kMin = std::numeric_limits<std::int32_t>::min();
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= kMax) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (value <= kMin) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

std::int32_t tenthsViaFloat(float value) {
    return truncateToInt(static_cast<float>(static_cast<double>(value) * 10.0));
}

void writeLow16(std::uint8_t* out, std::uint32_t n) {
    out[0] = static_cast<std::uint8_t>(n & 0xFF);
    out[1] = static_cast<std::uint8_t>((n >> 8) & 0xFF);
}

std::uint32_t magnitude(std::int32_t n) {
    return static_cast<std::uint32_t>(0) - static_cast<std::uint32_t>(n);
}

}  // namespace

void EncodeTenths16(std::uint8_t* out, float value) {
    writeLow16(out, static_cast<std::uint32_t>(tenthsViaFloat(value)));
}

void EncodeSignedTenths16(std::uint8_t* out, float value) {
    const std::int32_t n = tenthsViaFloat(value);
    if (n >= 0) {
        writeLow16(out, static_cast<std::uint32_t>(n));
        return;
    }
    const std::uint32_t m = magnitude(n);
    out[0] = static_cast<std::uint8_t>(m & 0xFF);
    out[1] = static_cast<std::uint8_t>(((m >> 8) & 0xFF) | 0x80);
}

void EncodeSignedTenthsLow(std::uint8_t* out, float value) {
    const std::int32_t n = tenthsViaFloat(value);
    if (n >= 0) {
        writeLow16(out, static_cast<std::uint32_t>(n));
        return;
    }
    writeLow16(out, magnitude(n) | 0x80);
}

void EncodeTenths24(std::uint8_t* out, float value) {
    const auto n = static_cast<std::uint32_t>(truncateToInt(static_cast<double>(value) * 10.0));
    out[0] = static_cast<std::uint8_t>(n & 0xFF);
    out[1] = static_cast<std::uint8_t>((n >> 8) & 0xFF);
    out[2] = static_cast<std::uint8_t>((n >> 16) & 0xFF);
}

}  // namespace nimbra
