#include "repair/repair_sequence.h"

#include <chrono>
#include <thread>

#include "repair/detached_start.h"
#include "repair/device_toggle.h"

namespace nimbra::repair {
namespace {

constexpr std::chrono::milliseconds kSettleTime{500};

}  // namespace

bool runRepair(const RepairSettings& settings, PortReset& fallback, RepairLog& log) {
    std::this_thread::sleep_for(kSettleTime);
    bool repaired = toggleStationDevices(settings.sysfsRoot, fallback, log);
    std::this_thread::sleep_for(kSettleTime);
    repaired = toggleStationDevices(settings.sysfsRoot, fallback, log) && repaired;

    const StartResult start = startDetached(settings.program, settings.programArguments);
    if (start.error) {
        log.failure("start of " + settings.program.string() + " FAILED: " + start.error.message());
        return false;
    }
    log.note("started " + settings.program.string());
    return repaired;
}

}  // namespace nimbra::repair
