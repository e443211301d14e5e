#include "station/download_plan.h"

#include "station/record_codec.h"

namespace nimbra {

namespace {

// Start of a download that walks from just after the record being filled, around the
// end of memory, back to it: the ring has wrapped since nothing is known yet.
int wrappedStart(int dataCount, int recordsBeforePos) {
    return kMemoryEnd + kRecordSize - kRecordSize * (dataCount - recordsBeforePos);
}

}  // namespace

DownloadPlan PlanDownload(int currentPos, int lastPoint, int dataCount) {
    const int recordsBeforePos = (currentPos - kRingStart) / kRecordSize;
    DownloadPlan plan;
    // A clear leaves the count at the records before the pointer, plus the one being
    // filled; a ring that ran past its end keeps counting beyond them. Then the records
    // since the last run are still there, from the last point around the end of memory,
    // and their times follow on from those stored.
    const int sinceLastPoint =
        (currentPos - lastPoint) / kRecordSize + memory_map::kRingRecords + 1;
    if (currentPos < lastPoint && dataCount > recordsBeforePos + 1 &&
        memory_map::isRecordAddress(lastPoint) && sinceLastPoint <= dataCount) {
        plan.start = lastPoint;
        plan.count = sinceLastPoint;
        return plan;
    }
    if (currentPos < lastPoint) {
        // Memory cleared, or the pointer went back further than a ring that ran past its
        // end explains: take everything.
        plan.count = dataCount;
        plan.start = kRingStart;
        if (recordsBeforePos > dataCount) {
            plan.start = currentPos - kRecordSize * dataCount;
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
            plan.start = currentPos - kRecordSize * dataCount;
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
