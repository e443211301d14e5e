#pragma once

#include <filesystem>

#include "repair/port_reset.h"
#include "repair/repair_log.h"

namespace nimbra::repair {

// One toggle of every station found under `sysfsRoot`: an enabled station (authorized 1)
// is disabled, any other (disabled, or in a state that cannot be read) is enabled. Two
// toggles in a row therefore take an enabled station off the bus and bring it back.
// Where writing `authorized` is refused, the station's port is reset through `fallback`
// instead. Returns true when every station changed as intended (also when none is present).
bool toggleStationDevices(const std::filesystem::path& sysfsRoot, PortReset& fallback,
                          RepairLog& log);

}  // namespace nimbra::repair
