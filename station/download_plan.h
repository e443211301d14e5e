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

// Chooses the records to download from the station's current-record address, the
// address and count stored after the previous run, and the station's record count.
DownloadPlan PlanDownload(int currentPos, int lastPoint, int dataCount);

// Shift, in minutes, that re-anchors a run's new records to the PC clock; 0 keeps the
// station's own record times.
struct ReanchorInputs {
    std::int64_t span = 0;         // minutes from the newest record's time to now
    bool pointerWentBack = false;  // the plan asked for re-anchoring
    std::int64_t intervalSum = 0;  // minutes of all intervals decoded in this run
    std::int64_t gap = 0;          // minutes from the previous newest record to now
    std::int64_t delay = 0;        // the current record's interval
};
std::int64_t ReanchorShiftMinutes(const ReanchorInputs& in);

// Rain not yet in any stored record: what the counter advanced past the last value
// accounted for, when the step is plausible (0 to 128 counts).
float UncountedRain(std::int32_t rainCount, std::int32_t rainCounter, float rainPerCount);

}  // namespace nimbra
