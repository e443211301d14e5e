#pragma once

#include <cstdint>

namespace nimbra {

// A reading the station did not supply. Held in floats as 65535.0 and in integer
// fields as 0xFFFF; every conversion passes it through untouched.
inline constexpr float kAbsent = 65535.0f;
inline constexpr std::int32_t kAbsentInt = 0xFFFF;

constexpr bool isAbsent(float value) {
    return value == kAbsent;
}
constexpr bool isAbsent(std::int32_t value) {
    return value == kAbsentInt;
}

}  // namespace nimbra
