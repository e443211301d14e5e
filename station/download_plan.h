#pragma once

#include <cstdint>

#include "station/memory_map.h"

namespace nimbra {

// Which history records a run reads: `count` records from address `start`, the last of
// them being the record the station is still filling (which is not stored).
struct DownloadPlan {
    int start = memory_map::kRingStart;
    int count = 0;
    bool reanchor = false;  // the station's pointer went back: trust the PC clock
};

// Chooses the records to download from the station's ring, its current-record address, the
// address and count stored after the previous run, and the station's record count.
// `lapped`: so much time has passed since the last stored record that the ring may have
// gone round past it; every record the station holds is read, oldest first, and the
// records are anchored to the PC clock.
DownloadPlan PlanDownload(const memory_map::RingLayout& ring, int currentPos, int lastPoint,
                          int dataCount, bool lapped = false);

// Whether the minutes since the newest stored record could hold as many records as the
// ring, at the station's interval: the pointer may then have come round to where it was.
bool RingMayHaveLapped(const memory_map::RingLayout& ring, std::int64_t minutesSinceLastRecord,
                       int intervalMinutes);

// Shift, in minutes, that re-anchors a run's new records to the PC clock; 0 keeps the
// station's own record times. Re-anchored, the newest record lies `delay` minutes before
// now: it was closed that long ago.
struct ReanchorInputs {
    std::int64_t span = 0;         // minutes from the newest record's time to now
    bool pointerWentBack = false;  // the plan asked for re-anchoring
    std::int64_t intervalSum = 0;  // minutes of all intervals decoded in this run
    std::int64_t gap = 0;          // minutes from the previous newest record to now
    std::int64_t delay = 0;        // minutes since the newest record closed
};
std::int64_t ReanchorShiftMinutes(const ReanchorInputs& in);

// Rain not yet in any stored record: what the counter advanced past the last value
// accounted for, when the step is plausible (0 to 128 counts).
float UncountedRain(std::int32_t rainCount, std::int32_t rainCounter, float rainPerCount);

}  // namespace nimbra
