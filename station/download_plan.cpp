#include "station/download_plan.h"

#include "station/record_codec.h"

namespace nimbra {

namespace {

namespace map = memory_map;

// Start of a download that walks from just after the record being filled, around the
// end of memory, back to it: the ring has wrapped since nothing is known yet. When it has
// not (the oldest record is the ring's first), this is the end of memory, whose window
// holds no record.
int wrappedStart(const map::RingLayout& ring, int dataCount, int recordsBeforePos) {
    return static_cast<int>(map::kMemorySize) + ring.recordSize -
           ring.recordSize * (dataCount - recordsBeforePos);
}

}  // namespace

bool RingMayHaveLapped(const map::RingLayout& ring, std::int64_t minutesSinceLastRecord,
                       int intervalMinutes) {
    // One record short of the ring already counts: the clocks need not agree to the minute,
    // and a needless full read only meets records already stored.
    return intervalMinutes > 0 &&
           minutesSinceLastRecord >= static_cast<std::int64_t>(ring.records - 1) * intervalMinutes;
}

DownloadPlan PlanDownload(const map::RingLayout& ring, int currentPos, int lastPoint, int dataCount,
                          bool lapped) {
    const int recordsBeforePos = ring.ringIndex(currentPos);
    DownloadPlan plan;
    if (lapped && dataCount > 0) {
        plan.count = dataCount;
        plan.start = ring.stepRecords(currentPos, 1 - dataCount);
        plan.reanchor = true;
        return plan;
    }
    // More records than lie before the pointer: the ring has wrapped, so a pointer below
    // the last position went on round the end of memory; it did not go back.
    const bool wentRound = currentPos < lastPoint && recordsBeforePos + 1 < dataCount;
    if (wentRound) {
        // The new records run from the last position to the end of memory and on from
        // the ring start, like any later run's; the download walks across the end.
        plan.start = lastPoint;
        plan.count = ring.recordsFromTo(lastPoint, currentPos) + 1;
        if (plan.count > dataCount) {
            // Fewer records held than came since: from the oldest the station holds.
            plan.count = dataCount;
            plan.start = ring.stepRecords(currentPos, 1 - dataCount);
        }
    } else if (currentPos < lastPoint) {
        // Memory cleared, or the pointer went back: take everything.
        plan.count = dataCount;
        plan.start = map::kRingStart;
        if (recordsBeforePos > dataCount) {
            plan.start = ring.stepRecords(currentPos, 1 - dataCount);
        }
        plan.reanchor = true;
        if (recordsBeforePos < dataCount && lastPoint == map::kRingStart) {
            plan.start = wrappedStart(ring, dataCount, recordsBeforePos);
        }
    } else if (recordsBeforePos < dataCount && lastPoint == map::kRingStart) {
        plan.start = wrappedStart(ring, dataCount, recordsBeforePos);
        plan.count = dataCount;
    } else {
        plan.count = ring.recordsFromTo(lastPoint, currentPos) + 1;
        plan.start = lastPoint;
        if (dataCount < recordsBeforePos && dataCount < plan.count) {
            plan.start = ring.stepRecords(currentPos, 1 - dataCount);
            plan.count = dataCount;
        }
    }
    return plan;
}

std::int64_t ReanchorShiftMinutes(const ReanchorInputs& in) {
    const bool inTheFuture = in.span < -1;
    const bool unexplainedGap = in.intervalSum > 0 && in.gap - in.intervalSum > 240;
    const bool lateByMoreThanAnInterval = in.delay + 2 < in.span;
    if (inTheFuture || in.pointerWentBack || unexplainedGap || lateByMoreThanAnInterval) {
        return in.span - in.delay;
    }
    return 0;
}

float UncountedRain(std::int32_t rainCount, std::int32_t rainCounter, float rainPerCount) {
    // The same rule as a stored record's rain, without moving the counter's base.
    return takeRecordRain(rainCount, rainCounter, rainPerCount);
}

}  // namespace nimbra
