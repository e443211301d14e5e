#pragma once

#include "repair/command_line.h"
#include "repair/port_reset.h"
#include "repair/repair_log.h"

namespace nimbra::repair {

// The whole repair: give the main program time to exit, toggle the stations off, let
// them settle, toggle them on again, start the program (`settings.program`, which must
// be set). The program is started whatever failed before. Returns true when every step
// worked.
bool runRepair(const RepairSettings& settings, PortReset& fallback, RepairLog& log);

}  // namespace nimbra::repair
