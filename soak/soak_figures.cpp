#include "soak/soak_figures.h"

namespace nimbra::soak {

void printFigures(const SoakFigures& f, std::FILE* out) {
    const auto line = [out](const char* name, long long value) {
        std::fprintf(out, "%-52s %lld\n", name, value);
    };
    line("kills:", f.kills);
    line("  landed before the download:", f.landed[0]);
    line("  landed in a full download:", f.landed[1]);
    line("  landed in an incremental download:", f.landed[2]);
    line("  landed in a commit:", f.landed[3]);
    line("  landed after a commit:", f.landed[4]);
    line("fresh data folders:", f.freshFolders);
    line("records stored:", f.recordsStored);
    line("station records compared:", f.stationRecords);
    line("committed records lost:", f.lost);
    line("doubled:", f.doubled);
    line("out of order:", f.outOfOrder);
    line("rows the station never held:", f.foreign);
    line("rows stored without their rain totals:", f.withoutRainTotals);
    line("checks against the station's ring after a kill:", f.ringChecks);
    line("  of them failed:", f.ringChecksFailed);
    line("integrity failures:", f.integrityFailures);
    line("restarts that failed:", f.failedRestarts);
    line("locks left held:", f.locksHeld);
    line("leftover temp files:", f.leftoverTempFiles);
    line("times moved back to the PC clock (not a fault):", f.timeStepsBack);
    std::fprintf(out, "%-52s %.1f s\n", "elapsed:", f.elapsedSeconds);
}

}  // namespace nimbra::soak
