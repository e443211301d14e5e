#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "core/history_record.h"

namespace nimbra {

// Absent markers of the upload path.
inline constexpr std::int16_t kAbsent16 = 0x7FFF;
inline constexpr std::uint16_t kAbsentU16 = 0x7FFF;
inline constexpr std::uint8_t kAbsent8 = 0x7F;
inline constexpr std::int32_t kAbsent32 = 0x7FFFFFFF;

// The readings of one upload in scaled integers: tenths of °C, m/s, hPa, mm and lux,
// whole percent and degrees. The request builders convert them into each service's units.
struct UploadReading {
    std::int32_t solar = 1;  // light and UV are sent
    std::int16_t inTemp = kAbsent16;
    std::int16_t outTemp = kAbsent16;
    std::int16_t dewPoint = kAbsent16;
    std::int16_t windChill = kAbsent16;
    std::uint8_t inHumi = kAbsent8;
    std::uint8_t outHumi = kAbsent8;
    std::uint16_t wind = kAbsentU16;
    std::uint16_t gust = kAbsentU16;
    std::uint16_t windDirection = kAbsentU16;  // degrees
    std::uint16_t absPressure = kAbsentU16;
    std::uint16_t relPressure = kAbsentU16;
    std::int32_t rainRate = kAbsent32;  // the station has no rain rate: always absent
    std::int32_t rainHour = kAbsent32;  // the current clock hour
    std::int32_t rain24h = kAbsent32;   // the last 24 hours; only when the store was asked
    std::int32_t rainDay = kAbsent32;   // since local midnight
    std::int32_t rainWeek = kAbsent32;
    std::int32_t rainMonth = kAbsent32;
    std::int32_t rainYear = kAbsent32;
    std::int32_t light = kAbsent32;
    std::int16_t uv = kAbsent16;

    friend bool operator==(const UploadReading&, const UploadReading&) = default;
};

// Scales a copy of the current reading. Absent readings become the markers above, and
// so does a value that cannot be what it claims (not finite, out of the field's range,
// a negative speed, pressure, rain or light, a direction code beyond 15), so that
// nonsense is left out rather than sent as a wrapped-around number.
UploadReading makeUploadReading(const HistoryRecord& current);

// A computed value truncated toward zero, or the marker when it is not finite or the
// result falls outside [lowest, the type's maximum].
template <typename T>
T fitOrMarker(double value, T marker, double lowest = std::numeric_limits<T>::lowest()) {
    if (!std::isfinite(value)) {
        return marker;
    }
    const double truncated = std::trunc(value);
    if (truncated < lowest || truncated > static_cast<double>(std::numeric_limits<T>::max())) {
        return marker;
    }
    return static_cast<T>(truncated);
}

}  // namespace nimbra
