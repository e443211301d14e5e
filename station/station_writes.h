#pragma once

#include <chrono>
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

// Reads the 32-byte block at `address` into `block`; 1 when it was read.
using ReadBlockFunction = std::function<int(int address, unsigned char* block)>;

// How long the PC waits for a console to take a change, and how often it looks.
inline constexpr std::chrono::milliseconds kCommitWait{3000};
inline constexpr std::chrono::milliseconds kCommitPoll{50};

// After a change's commit byte: reads the fixed block until the console has cleared the
// commit byte, which it does once it has taken the change, for `limit` at most. Reading
// the station back before then may find it still applying the change. True when cleared.
bool AwaitCommitTaken(const ReadBlockFunction& readBlock,
                      std::chrono::milliseconds limit = kCommitWait,
                      std::chrono::milliseconds poll = kCommitPoll);

// Plan and send in one step, as the main view's handlers use them. With `readBlock`, a
// write that was acknowledged throughout returns once the console has taken it (or the
// wait for that ran out).
int WriteSettings(CStationData& data, const WriteByteFunction& writeByte,
                  const ReadBlockFunction& readBlock = {});
int WriteAlarms(CStationData& data, const WriteByteFunction& writeByte,
                const ReadBlockFunction& readBlock = {});
int ClearMemory(const WriteByteFunction& writeByte, const ReadBlockFunction& readBlock = {});

}  // namespace nimbra
