#pragma once

#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace nimbra::repair {

// What the repair works on. The main program passes its own command-line options after
// "--", to be given back to it on the restart; the overrides exist for tests and for
// trying the tool on a copy of a sysfs tree.
struct RepairSettings {
    std::filesystem::path sysfsRoot = "/sys";
    std::filesystem::path program;  // empty: the main program beside this executable
    std::vector<std::string> programArguments;
};

struct CommandLine {
    enum class Action { repair, showHelp, reject };
    Action action = Action::repair;
    RepairSettings settings;
    std::string problem;  // why the arguments were rejected
};

inline constexpr const char* kSysfsRootVariable = "FIXORA_SYSFS_ROOT";
inline constexpr const char* kProgramVariable = "FIXORA_PROGRAM";

// Reads the arguments after the program name. An option wins over its environment
// variable; empty values count as not given.
CommandLine parseCommandLine(std::span<const std::string_view> arguments,
                             const std::function<const char*(const char*)>& environment);

std::string helpText();

}  // namespace nimbra::repair
