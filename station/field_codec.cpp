#include "station/field_codec.h"

#include <algorithm>
#include <cmath>

#include "core/absent.h"
#include "core/byte_order.h"
#include "core/ole_date.h"
#include "core/station_encoders.h"

namespace nimbra {

namespace {

constexpr std::uint16_t kAbsent16 = 0xFFFF;
constexpr std::uint16_t kAbsentWind = 0x0FFF;
constexpr std::uint32_t kAbsent24 = 0xFFFFFF;

bool unusable(float value) {
    return isAbsent(value) || std::isnan(value);
}

float tenths(std::uint32_t count) {
    return static_cast<float>(count / 10.0);
}

// Nearest count of tenths within [0, maxCount].
std::uint32_t roundedTenths(float value, std::uint32_t maxCount) {
    const double scaled = std::round(static_cast<double>(value) * 10.0);
    return static_cast<std::uint32_t>(std::clamp(scaled, 0.0, static_cast<double>(maxCount)));
}

}  // namespace

std::int32_t decodeU8(std::uint8_t byte) {
    return byte == 0xFF ? kAbsentInt : byte;
}

std::uint8_t encodeU8(std::int32_t value) {
    if (isAbsent(value)) {
        return 0xFF;
    }
    return static_cast<std::uint8_t>(std::clamp(value, 0, 0xFE));
}

float decodeS16Tenths(const std::uint8_t* bytes) {
    const std::uint16_t raw = loadLe16(bytes);
    if (raw == kAbsent16) {
        return kAbsent;
    }
    const float magnitude = tenths(raw & 0x7FFFu);
    // A sign on zero would show as "-0.0".
    return (raw & 0x8000u) != 0 && magnitude != 0.0f ? -magnitude : magnitude;
}

void encodeS16Tenths(std::uint8_t* bytes, float value) {
    if (unusable(value)) {
        storeLe16(bytes, kAbsent16);
        return;
    }
    // Magnitude 0x7FFF with the sign set would be the absent pattern.
    EncodeSignedTenths16(bytes, std::clamp(value, -3276.6f, 3276.7f));
}

float decodeU16Tenths(const std::uint8_t* bytes) {
    const std::uint16_t raw = loadLe16(bytes);
    return raw == kAbsent16 ? kAbsent : tenths(raw);
}

void encodeU16Tenths(std::uint8_t* bytes, float value) {
    if (unusable(value)) {
        storeLe16(bytes, kAbsent16);
        return;
    }
    EncodeTenths16(bytes, std::clamp(value, 0.0f, 6553.4f));
}

float decodeW16Tenths(const std::uint8_t* bytes) {
    const std::uint16_t raw = loadLe16(bytes);
    return raw == kAbsentWind ? kAbsent : tenths(raw);
}

void encodeW16Tenths(std::uint8_t* bytes, float value) {
    if (unusable(value)) {
        storeLe16(bytes, kAbsentWind);
        return;
    }
    std::uint32_t count = roundedTenths(value, kAbsent16);
    if (count == kAbsentWind) {
        --count;
    }
    storeLe16(bytes, static_cast<std::uint16_t>(count));
}

float decodeWind12Tenths(std::uint16_t raw12) {
    const std::uint16_t raw = raw12 & 0x0FFF;
    return raw == kAbsentWind ? kAbsent : tenths(raw);
}

std::uint16_t encodeWind12Tenths(float value) {
    return unusable(value) ? kAbsentWind
                           : static_cast<std::uint16_t>(roundedTenths(value, kAbsentWind - 1));
}

float decodeU24Tenths(const std::uint8_t* bytes) {
    const std::uint32_t raw = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16);
    return raw == kAbsent24 ? kAbsent : tenths(raw);
}

// Rounded rather than truncated: a decoded value such as 0.7 is held as 0.69999999 in a
// float, and truncating its tenths would store 0.6.
void encodeU24Tenths(std::uint8_t* bytes, float value) {
    const std::uint32_t count = unusable(value) ? kAbsent24 : roundedTenths(value, kAbsent24 - 1);
    bytes[0] = static_cast<std::uint8_t>(count);
    bytes[1] = static_cast<std::uint8_t>(count >> 8);
    bytes[2] = static_cast<std::uint8_t>(count >> 16);
}

float decodeRain20Tenths(std::uint16_t low16, std::uint8_t highNibble) {
    return tenths((static_cast<std::uint32_t>(highNibble & 0x0F) << 16) | low16);
}

std::uint8_t encodeRain20Tenths(std::uint8_t* low16, float value) {
    // No absent pattern here, so 65535.0 is a plain value.
    const std::uint32_t count = std::isnan(value) ? 0 : roundedTenths(value, 0xFFFFF);
    storeLe16(low16, static_cast<std::uint16_t>(count));
    return static_cast<std::uint8_t>(count >> 16);
}

std::int32_t decodeDirection(std::uint8_t byte) {
    return (byte & 0x80) != 0 ? kAbsentInt : (byte & 0x0F);
}

std::uint8_t encodeDirection(std::int32_t sector) {
    return sector >= 0 && sector <= 15 ? static_cast<std::uint8_t>(sector) : 0xFF;
}

std::int32_t decodeUvIndex(std::uint8_t byte) {
    return byte > 15 ? kAbsentInt : byte;
}

std::uint8_t encodeUvIndex(std::int32_t index) {
    return index >= 0 && index <= 15 ? static_cast<std::uint8_t>(index) : 0xFF;
}

std::int32_t decodeBcd(std::uint8_t byte) {
    return (byte >> 4) * 10 + (byte & 0x0F);
}

std::uint8_t encodeBcd(std::int32_t value) {
    const std::int32_t v = std::clamp(value, 0, 99);
    return static_cast<std::uint8_t>((v / 10) * 16 + v % 10);
}

double decodeBcdDateTime(const std::uint8_t* bytes) {
    const OleDate date =
        OleDate::fromCivil(2000 + decodeBcd(bytes[0]), decodeBcd(bytes[1]), decodeBcd(bytes[2]),
                           decodeBcd(bytes[3]), decodeBcd(bytes[4]));
    return date.isValid() ? date.value() : 0.0;
}

void encodeBcdDateTime(std::uint8_t* bytes, double oleDate) {
    const bool none = oleDate == 0.0 || oleDate == static_cast<double>(kAbsent);
    const auto civil = none ? std::nullopt : OleDate(oleDate).toCivil();
    if (!civil || civil->year < 2000 || civil->year > 2099) {
        std::fill_n(bytes, kBcdDateTimeSize, std::uint8_t{0xFF});
        return;
    }
    bytes[0] = encodeBcd(civil->year - 2000);
    bytes[1] = encodeBcd(civil->month);
    bytes[2] = encodeBcd(civil->day);
    bytes[3] = encodeBcd(civil->hour);
    bytes[4] = encodeBcd(civil->minute);
}

}  // namespace nimbra
