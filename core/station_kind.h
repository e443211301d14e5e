#pragma once

#include <cstdint>

namespace nimbra {

// The two consoles that answer as the same USB device. They share the fixed block and
// the ring's place in memory; they differ in the history record: twenty bytes with light
// and UV on a console with the solar sensor, sixteen bytes and neither without it.
enum class StationKind : std::uint8_t {
    records20,
    records16,
};

constexpr int recordSizeOf(StationKind kind) {
    return kind == StationKind::records16 ? 16 : 20;
}

// Whether the console measures light and UV; without them those readings, their maxima
// and their alarms are absent everywhere.
constexpr bool hasSolarSensor(StationKind kind) {
    return kind == StationKind::records20;
}

}  // namespace nimbra
