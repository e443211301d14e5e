#pragma once

#include <cstdint>

// The number formats of the station's memory, each as a decoder and its inverse.
// Decoders turn the station's "no value" patterns into the absent marker; encoders
// write the absent marker back as that pattern and saturate a value the field cannot
// hold instead of letting it wrap into another (a wrapped temperature would change
// sign). Each function touches exactly the bytes of its field.

namespace nimbra {

// One unsigned byte, 0xFF meaning absent (humidities, Beaufort numbers).
std::int32_t decodeU8(std::uint8_t byte);
std::uint8_t encodeU8(std::int32_t value);

// Two bytes of tenths as sign and magnitude, the sign in bit 15; 0xFFFF is absent.
float decodeS16Tenths(const std::uint8_t* bytes);
void encodeS16Tenths(std::uint8_t* bytes, float value);

// Two bytes of unsigned tenths; 0xFFFF is absent.
float decodeU16Tenths(const std::uint8_t* bytes);
void encodeU16Tenths(std::uint8_t* bytes, float value);

// Two bytes of unsigned tenths of a 12-bit wind speed; 0x0FFF is absent.
float decodeW16Tenths(const std::uint8_t* bytes);
void encodeW16Tenths(std::uint8_t* bytes, float value);

// A 12-bit wind or gust speed in tenths, as a history record holds it; 0xFFF is absent.
float decodeWind12Tenths(std::uint16_t raw12);
std::uint16_t encodeWind12Tenths(float value);

// Three bytes of unsigned tenths; 0xFFFFFF is absent.
float decodeU24Tenths(const std::uint8_t* bytes);
void encodeU24Tenths(std::uint8_t* bytes, float value);

// Rain maxima of the month and the total: 16 bits plus a 4-bit extension held in one
// nibble of a byte shared by both fields. No absent value.
float decodeRain20Tenths(std::uint16_t low16, std::uint8_t highNibble);
// Returns the nibble to merge into the shared byte and stores the low 16 bits.
std::uint8_t encodeRain20Tenths(std::uint8_t* low16, float value);

// Wind direction sector 0-15; bit 7 set means absent.
std::int32_t decodeDirection(std::uint8_t byte);
std::uint8_t encodeDirection(std::int32_t sector);

// UV index 0-15; 0xFF or anything above 15 is absent.
std::int32_t decodeUvIndex(std::uint8_t byte);
std::uint8_t encodeUvIndex(std::int32_t index);

// One byte of two decimal digits.
std::int32_t decodeBcd(std::uint8_t byte);
std::uint8_t encodeBcd(std::int32_t value);

// Five BCD bytes year (from 2000), month, day, hour, minute, as an OLE date; a date the
// calendar rejects reads as 0.0. A time outside 2000-2099, or none (0.0 or the absent
// marker), is written as five 0xFF bytes.
inline constexpr int kBcdDateTimeSize = 5;
double decodeBcdDateTime(const std::uint8_t* bytes);
void encodeBcdDateTime(std::uint8_t* bytes, double oleDate);

}  // namespace nimbra
