#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "core/station_kind.h"
#include "station/fixed_block.h"

namespace nimbra {

// The ring bytes right before the record being filled, oldest first, going on from the
// end of memory where the pointer lies near the ring start: six 20-byte records or
// eight 16-byte ones. Both rings end at the end of memory, so either kind reads its
// newest records from the same bytes.
inline constexpr int kDetectionWindow = 128;
using DetectionWindow = std::span<const std::uint8_t, kDetectionWindow>;

struct KindDetection {
    enum class Outcome {
        decided,
        // either kind fits the fixed block and the records tell neither, or the records
        // are the other kind's than the one that fits
        ambiguous,
        neither,  // the pointer or the count fits no console
    };
    Outcome outcome = Outcome::decided;
    StationKind kind = StationKind::records20;
};

// Which console this is. The pointer must be a record address of the kind and the count
// fit its ring; the newest complete records must not read as the other kind's. Where
// both kinds pass, those records decide: what a wrong record size makes of them are
// mostly not valid records, or do not show the interval setting, while a spoiled record
// among the right ones leaves a majority. A station without complete records is told by
// its light coefficient.
KindDetection detectStationKind(FixedBlockBytes block, DetectionWindow ringBefore);

// The ring bytes before `pointer` in a whole memory image.
std::array<std::uint8_t, kDetectionWindow> detectionWindowOf(
    std::span<const std::uint8_t, memory_map::kMemorySize> memory, int pointer);

}  // namespace nimbra
