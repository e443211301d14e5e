#pragma once

#include <cstdint>

// Encoders of values into the station's fixed-point memory format (tenths of the
// canonical unit, little-endian), used when settings and alarm thresholds are written.

namespace nimbra {

// Two bytes of unsigned tenths.
void EncodeTenths16(std::uint8_t* out, float value);

// Two bytes; a negative value is its magnitude with the sign in bit 15.
void EncodeSignedTenths16(std::uint8_t* out, float value);

// Two bytes; a negative value is its magnitude with the sign in bit 7 of the low byte.
void EncodeSignedTenthsLow(std::uint8_t* out, float value);

// Three bytes of unsigned tenths; the product is truncated without rounding to a float.
void EncodeTenths24(std::uint8_t* out, float value);

}  // namespace nimbra
