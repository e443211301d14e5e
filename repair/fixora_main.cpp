// fixora: re-enumerates a hung weather station and starts nimbraplus again.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "repair/command_line.h"
#include "repair/libusb_port_reset.h"
#include "repair/main_program_path.h"
#include "repair/repair_log.h"
#include "repair/repair_sequence.h"

int main(int argc, char** argv) {
    using namespace nimbra::repair;

    const std::span<char*> commandLine(argv, static_cast<std::size_t>(argc));
    const std::vector<std::string_view> arguments(commandLine.begin() + (argc > 0 ? 1 : 0),
                                                  commandLine.end());
    CommandLine command =
        parseCommandLine(arguments, [](const char* name) { return std::getenv(name); });
    switch (command.action) {
        case CommandLine::Action::showHelp:
            std::fputs(helpText().c_str(), stdout);
            return EXIT_SUCCESS;
        case CommandLine::Action::reject:
            std::fprintf(stderr, "fixora: %s\n\n%s", command.problem.c_str(), helpText().c_str());
            return 2;
        case CommandLine::Action::repair:
            break;
    }

    // Whoever started the tool may be gone by now: neither the hang-up of its terminal nor
    // a write to its closed pipe may stop the restart. The program started gets defaults.
    std::signal(SIGHUP, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);

    SystemRepairLog log;
    bool located = true;
    if (command.settings.program.empty()) {
        std::error_code error;
        command.settings.program = mainProgramBesideSelf(error);
        if (error) {
            log.failure("readlink /proc/self/exe FAILED: " + error.message());
            // The name the tool was started by is the next best guide to its folder.
            const std::filesystem::path invokedAs = argc > 0 ? argv[0] : "";
            command.settings.program = invokedAs.parent_path() / kMainProgramName;
            located = false;
        }
    }
    LibusbPortReset portReset;
    return runRepair(command.settings, portReset, log) && located ? EXIT_SUCCESS : EXIT_FAILURE;
}
