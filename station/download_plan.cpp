#include "station/download_plan.h"

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
    if (currentPos < lastPoint) {
        // Memory cleared or the ring wrapped past the last position: take everything.
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
    if (rainCount == -1 || rainCount == rainCounter) {
        return 0.0f;
    }
    const std::int64_t steps = static_cast<std::int64_t>(rainCount) - rainCounter;
    if (steps < 0 || steps > 128) {
        return 0.0f;
    }
    return static_cast<float>(static_cast<double>(steps) * rainPerCount);
}

}  // namespace nimbra
