#pragma once

#include <filesystem>

#include "config/command_line.h"
#include "config/profile_file.h"
#include "config/string_table.h"

namespace nimbra {

// The logger's exit status when the station stopped answering; the logger service
// resets the station's USB port (fixora) on this status before it restarts the logger.
inline constexpr int kExitStationUnreadable = 3;

// Runs the logger without a window until SIGINT or SIGTERM (or, with --once, until the
// first complete download and the uploads it starts are done). Returns the exit code.
int runHeadlessLogger(const CommandLine& options, const std::filesystem::path& dataFolder,
                      const ProfileFile& config, const StringTable& strings);

}  // namespace nimbra
