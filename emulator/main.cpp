// nimbra-station-emulator: a USB weather station on a Unix socket, for trying the
// program and running its tests without the hardware.

#include <pthread.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "emulator/emulator_options.h"
#include "emulator/ram_memory.h"
#include "emulator/report_server.h"

namespace {

using nimbra::emulator::EmulatorOptions;

// Blocks the signals the program acts on in every thread, so that the main thread can
// wait for them: SIGINT and SIGTERM stop it, SIGUSR1 plugs the station in or out.
sigset_t blockHandledSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    return signals;
}

void warnAboutWeatherOptions(const EmulatorOptions& options) {
    if (options.records || options.interval || options.speed || options.seed || options.wrapped ||
        options.corruptRecords || options.pointerBack) {
        std::cerr << "nimbra-station-emulator: the weather model is not built in yet; "
                     "--records, --interval, --speed, --seed, --wrapped, --corrupt-records "
                     "and --pointer-back have no effect\n";
    }
}

int run(const EmulatorOptions& options) {
    const sigset_t handledSignals = blockHandledSignals();

    nimbra::emulator::RamMemory memory;
    warnAboutWeatherOptions(options);
    if (options.image && !memory.loadImage(*options.image)) {
        std::cerr << "nimbra-station-emulator: cannot read a 64 KiB memory image from "
                  << *options.image << '\n';
        return 1;
    }

    {
        nimbra::emulator::ReportServer server(memory, options.socketPath);
        nimbra::emulator::LinkFaults faults = options.linkFaults;
        server.setFaults(faults);
        std::cout << "nimbra-station-emulator listening on " << options.socketPath.native();
        if (faults.unplugged) {
            std::cout << " once plugged in (kill -USR1 " << ::getpid() << ")";
        }
        std::cout << "\nexport NIMBRA_STATION_SOCKET=" << options.socketPath.native() << std::endl;
        int signal = 0;
        while (sigwait(&handledSignals, &signal) == 0 && signal == SIGUSR1) {
            faults.unplugged = !faults.unplugged;
            server.setFaults(faults);
            std::cout << "nimbra-station-emulator: station "
                      << (faults.unplugged ? "unplugged" : "plugged in") << std::endl;
        }
    }

    if (options.saveImage && !memory.saveImage(*options.saveImage)) {
        std::cerr << "nimbra-station-emulator: cannot write the memory image to "
                  << *options.saveImage << '\n';
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    const auto parsed = nimbra::emulator::parseEmulatorCommandLine(arguments);
    if (parsed.helpRequested) {
        std::cout << nimbra::emulator::emulatorUsage(argv[0]);
        return 0;
    }
    if (!parsed.options) {
        std::cerr << "nimbra-station-emulator: " << parsed.error << '\n'
                  << nimbra::emulator::emulatorUsage(argv[0]);
        return 2;
    }
    try {
        return run(*parsed.options);
    } catch (const std::exception& error) {
        std::cerr << "nimbra-station-emulator: " << error.what() << '\n';
        return 1;
    }
}
