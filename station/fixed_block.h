#pragma once

#include <cstdint>
#include <span>

#include "station/memory_map.h"

namespace nimbra {

class CStationData;

using FixedBlockBytes = std::span<const std::uint8_t, memory_map::kFixedBlockSize>;
using MutableFixedBlockBytes = std::span<std::uint8_t, memory_map::kFixedBlockSize>;

// Decodes every field of the fixed block the system uses into `station`: settings and
// units, alarm thresholds and enables, maxima and minima with their times, the record
// count and the address of the record being filled, and the two pressures.
void decodeFixedBlock(FixedBlockBytes block, CStationData& station);

// A console without the solar sensor keeps no light or UV maxima and offers no alarms on
// them: those fields of `station` become absent and the alarms off, whatever the unused
// bytes of its fixed block hold.
void forgetSolarFields(CStationData& station);

// The inverse, by section, so that a writer changes only what it means to change. Each
// writes the fields of its section and leaves every other byte as it was.

// Interval, unit bytes, display bytes, time zone, relative pressure setting, and byte 29
// (its light-unit bits from LightUnit, its alarm bits from the enables, the rest from
// m_Flags29).
void encodeSettings(const CStationData& station, MutableFixedBlockBytes block);
// Alarm thresholds, enables (the light and UV ones in byte 29) and the time alarm.
void encodeAlarms(const CStationData& station, MutableFixedBlockBytes block);
// Maxima and minima and their times.
void encodeExtremes(const CStationData& station, MutableFixedBlockBytes block);
// Record count, address of the record being filled, absolute pressure.
void encodeStatus(const CStationData& station, MutableFixedBlockBytes block);

void encodeFixedBlock(const CStationData& station, MutableFixedBlockBytes block);

}  // namespace nimbra
