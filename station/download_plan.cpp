#include "station/download_plan.h"

#include "station/record_codec.h"

namespace nimbra {

namespace {

// Start of a download that walks from just after the record being filled, around the
// end of memory, back to it: the ring has wrapped since nothing is known yet.
int wrappedStart(int dataCount, int recordsBeforePos) {
    return kMemoryEnd + kRecordSize - kRecordSize * (dataCount - recordsBeforePos);
}

constexpr int kRingBytes = kMemoryEnd - kRingStart;

}  // namespace

DownloadPlan PlanDownload(int currentPos, int lastPoint, int dataCount) {
    const int recordsBeforePos = (currentPos - kRingStart) / kRecordSize;
    DownloadPlan plan;
    // More records than lie before the pointer: the ring has wrapped, so a pointer below
    // the last position went on round the end of memory; it did not go back.
    const bool wentRound = currentPos < lastPoint && recordsBeforePos + 1 < dataCount;
    if (wentRound) {
        // The new records run from the last position to the end of memory and on from
        // the ring start, like any later run's; the download walks across the end.
        plan.start = lastPoint;
        plan.count = (currentPos + kRingBytes - lastPoint) / kRecordSize + 1;
        if (plan.count > dataCount) {
            // Fewer records held than came since: from the oldest the station holds.
            plan.count = dataCount;
            plan.start = currentPos - kRecordSize * (dataCount - 1);
            plan.start += plan.start < kRingStart ? kRingBytes : 0;
        }
    } else if (currentPos < lastPoint) {
        // Memory cleared, or the pointer went back: take everything.
        plan.count = dataCount;
        plan.start = kRingStart;
        if (recordsBeforePos > dataCount) {
            plan.start = currentPos - kRecordSize * (dataCount - 1);
        }
        plan.reanchor = true;
        if (recordsBeforePos < dataCount && lastPoint == kRingStart) {
            plan.start = wrappedStart(dataCount, recordsBeforePos);
        }
    } else if (recordsBeforePos < dataCount && lastPoint == kRingStart) {
        plan.start = wrappedStart(dataCount, recordsBeforePos);
        plan.count = dataCount;
    } else {
        plan.count = (currentPos - lastPoint) / kRecordSize + 1;
        plan.start = lastPoint;
        if (dataCount < recordsBeforePos && dataCount < plan.count) {
            plan.start = currentPos - kRecordSize * (dataCount - 1);
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
        return in.span;
    }
    return 0;
}

float UncountedRain(std::int32_t rainCount, std::int32_t rainCounter, float rainPerCount) {
    // The same rule as a stored record's rain, without moving the counter's base.
    return takeRecordRain(rainCount, rainCounter, rainPerCount);
}

}  // namespace nimbra
