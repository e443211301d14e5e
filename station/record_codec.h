#pragma once

#include <cstdint>
#include <span>

#include "core/history_record.h"
#include "station/memory_map.h"

namespace nimbra {

class CStationData;

// One history record: 20 bytes, or 16 from a console without the solar sensor, whose
// records hold no light and no UV.
using RecordBytes = std::span<const std::uint8_t>;
using MutableRecordBytes = std::span<std::uint8_t>;

// The bytes of a record of `kind` at `bytes`.
inline RecordBytes recordBytesOf(const std::uint8_t* bytes, StationKind kind) {
    return {bytes, static_cast<std::size_t>(recordSizeOf(kind))};
}
inline MutableRecordBytes recordBytesOf(std::uint8_t* bytes, StationKind kind) {
    return {bytes, static_cast<std::size_t>(recordSizeOf(kind))};
}

struct DecodedRecord {
    HistoryRecord record;  // Time and the rain fields are left for the caller to fill
    bool valid = true;     // false: a value no working console stores; still fully decoded
};

// Relative minus absolute pressure of the fixed block, the offset that turns a record's
// absolute pressure into its relative one; absent when either pressure is.
float relativePressureOffset(const CStationData& station);

// Decodes a history record, the one being filled included; a 16-byte one has light and
// UV absent. A record whose outdoor sensor had no contact has every outdoor value absent
// and Rcount -1.
DecodedRecord decodeHistoryRecord(RecordBytes bytes, float pressureOffset);

// Decodes with the pressure offset of `station` and notes the validity in its
// m_RecordValid, as acquisition does for every record it reads.
HistoryRecord decodeHistoryRecord(RecordBytes bytes, CStationData& station);

enum class OutdoorSensor { inContact, noContact };

// Inverse of decodeHistoryRecord for the values a record holds. Rcount above 65535 sets
// the overflow bit (which stands for 65535); Rcount -1 writes no counter. With no
// contact the outdoor values are written absent. A 16-byte record takes no light or UV.
void encodeHistoryRecord(const HistoryRecord& record, OutdoorSensor sensor,
                         MutableRecordBytes bytes);

// Largest rain counter a record can hold: 0xFFFF plus the overflow bit's 65535.
inline constexpr std::int32_t kMaxRainCount = 0xFFFF + 0xFFFF;

// Rain of a record from its counter: `rainPerCount` per step since `rainCounter`, when
// the step count lies in 0..128; anything else (a reset counter, a jump) counts as no
// rain. The counter becomes the base for the next record, except that a record without
// a counter (-1) gets no rain and leaves the base alone.
float takeRecordRain(std::int32_t rcount, std::int32_t& rainCounter, float rainPerCount);

}  // namespace nimbra
