#include "repair/command_line.h"

#include <optional>

namespace nimbra::repair {
namespace {

struct Option {
    std::string_view name;
    std::filesystem::path RepairSettings::*target;
};

constexpr Option kOptions[] = {
    {"--sysfs-root", &RepairSettings::sysfsRoot},
    {"--program", &RepairSettings::program},
};

void applyEnvironment(RepairSettings& settings,
                      const std::function<const char*(const char*)>& environment) {
    if (const char* root = environment(kSysfsRootVariable); root != nullptr && *root != '\0') {
        settings.sysfsRoot = root;
    }
    if (const char* program = environment(kProgramVariable);
        program != nullptr && *program != '\0') {
        settings.program = program;
    }
}

CommandLine rejected(std::string problem) {
    CommandLine result;
    result.action = CommandLine::Action::reject;
    result.problem = std::move(problem);
    return result;
}

}  // namespace

CommandLine parseCommandLine(std::span<const std::string_view> arguments,
                             const std::function<const char*(const char*)>& environment) {
    CommandLine result;
    applyEnvironment(result.settings, environment);
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (argument == "--") {
            result.settings.programArguments.assign(arguments.begin() + i + 1, arguments.end());
            return result;
        }
        if (argument == "--help" || argument == "-h") {
            result.action = CommandLine::Action::showHelp;
            return result;
        }
        const Option* option = nullptr;
        std::optional<std::string_view> value;
        for (const Option& candidate : kOptions) {
            if (argument == candidate.name) {
                option = &candidate;
                if (i + 1 < arguments.size()) {
                    value = arguments[++i];
                }
            } else if (argument.starts_with(candidate.name) &&
                       argument.substr(candidate.name.size()).starts_with('=')) {
                option = &candidate;
                value = argument.substr(candidate.name.size() + 1);
            }
        }
        if (option == nullptr) {
            return rejected("unknown argument \"" + std::string(argument) + "\"");
        }
        if (!value || value->empty()) {
            return rejected(std::string(option->name) + " needs a value");
        }
        result.settings.*(option->target) = *value;
    }
    return result;
}

std::string helpText() {
    return R"(Usage: fixora [--sysfs-root DIR] [--program PATH] [-- PROGRAM-OPTIONS...]

Re-enumerates the weather station's USB device when its link hangs, then starts
nimbraplus again. nimbraplus runs it when the station stops answering; there is
nothing to set. It disables and re-enables every station (USB 1941:8021 with a
HID interface) through its sysfs attribute "authorized", resetting the USB port
instead where that attribute may not be written, and starts the program detached,
with the options given after "--" (nimbraplus passes its own there). Failures go
to standard error and to the system log.

Options (for tests and trials; an option wins over its environment variable):
  --sysfs-root DIR   take DIR instead of /sys as the sysfs root
                     (environment: FIXORA_SYSFS_ROOT)
  --program PATH     start PATH instead of the nimbraplus beside this tool
                     (environment: FIXORA_PROGRAM)
  -h, --help         show this text

Exit status: 0 when every station was toggled and the program started, 1 when
any step failed (the program is started in any case), 2 for bad arguments.
)";
}

}  // namespace nimbra::repair
