#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "core/station_data.h"

// The changes the PC makes to the station's fixed block: its settings, its alarm
// configuration and the clearing of its history memory. Each change is planned as an
// ordered list of single-byte writes ending with the commit byte, then sent byte by
// byte; planning is kept apart from sending so the exact bytes can be checked without
// a station.

namespace nimbra {

struct StationByteWrite {
    int address = 0;
    std::uint8_t value = 0;

    friend bool operator==(const StationByteWrite&, const StationByteWrite&) = default;
};

using StationWritePlan = std::vector<StationByteWrite>;

// Writes one byte into the station; 1 when the station acknowledged it.
using WriteByteFunction = std::function<int(int address, unsigned char value)>;

// The settings of `data` (interval, units, display options, time zone, relative
// pressure). Where a unit differs from the one the settings dialog found
// (m_Prev...Unit), the thresholds of that quantity are converted in `data` so that they
// keep their meaning, written in the new unit, and the previous unit is brought up to
// date so that planning again never converts twice.
StationWritePlan PlanSettingsWrite(CStationData& data);

// The alarm thresholds, enables and time alarm of `data`. Byte 29 keeps the light unit
// bits of m_Flags29 and takes the light and UV enables; m_Flags29 takes the new value.
StationWritePlan PlanAlarmWrite(CStationData& data);

// Sets the station's history record count to zero.
StationWritePlan PlanClearMemory();

// Sends the writes in order and stops at the first one not acknowledged: bytes already
// sent stay written and the commit byte is not sent. 1 when every byte was acknowledged.
int SendStationWrites(const StationWritePlan& plan, const WriteByteFunction& writeByte);

// Plan and send in one step, as the main view's handlers use them.
int WriteSettings(CStationData& data, const WriteByteFunction& writeByte);
int WriteAlarms(CStationData& data, const WriteByteFunction& writeByte);
int ClearMemory(const WriteByteFunction& writeByte);

}  // namespace nimbra
