// nimbra-station-emulator: a USB weather station on a Unix socket, for trying the
// program and running its tests without the hardware.

#include <pthread.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <exception>
#include <iostream>
#include <string_view>
#include <vector>

#include "emulator/emulator_options.h"
#include "emulator/report_server.h"
#include "emulator/station_model.h"

namespace {

using nimbra::emulator::EmulatorOptions;
using nimbra::emulator::StationModel;

// Blocks the signals the program acts on in every thread, so that the main thread can
// wait for them: SIGINT and SIGTERM stop it, SIGUSR1 plugs the station in or out,
// SIGUSR2 clears its history.
sigset_t blockHandledSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    for (const int signal : {SIGINT, SIGTERM, SIGUSR1, SIGUSR2}) {
        sigaddset(&signals, signal);
    }
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    return signals;
}

nimbra::emulator::StationModelOptions modelOptions(const EmulatorOptions& options) {
    nimbra::emulator::StationModelOptions model;
    model.seed = options.seed.value_or(model.seed);
    model.records = options.records.value_or(model.records);
    model.intervalMinutes = options.interval.value_or(model.intervalMinutes);
    model.speed = options.speed.value_or(model.speed);
    model.wrapped = options.wrapped;
    model.kind = options.kind;
    model.commitDelay = options.commitDelay;
    return model;
}

// The station faults that shape the memory before anyone reads it.
void applyMemoryFaults(const EmulatorOptions& options, StationModel& model) {
    using nimbra::emulator::RecordCorruption;
    if (options.corruptRecords) {
        // The second and fourth newest records: neither the one being filled nor its
        // neighbour, so a reader meets a bad record amid good ones.
        model.corruptRecord(2, RecordCorruption::kInvalidInterval);
        model.corruptRecord(4, RecordCorruption::kOutOfRange);
    }
    if (options.pointerBack) {
        model.clearHistory();
    }
    if (options.tornWrites) {
        model.setTornWrites(options.recordWrite);
    }
    model.setReportedStatus(options.reportedPointer, options.reportedCount);
}

int run(const EmulatorOptions& options) {
    const sigset_t handledSignals = blockHandledSignals();

    StationModel model(modelOptions(options));
    if (options.image) {
        if (const auto status = model.loadImage(*options.image); !status) {
            std::cerr << "nimbra-station-emulator: " << status.error << '\n';
            return 1;
        }
    }
    applyMemoryFaults(options, model);

    {
        nimbra::emulator::ReportServer server(model, options.socketPath);
        nimbra::emulator::LinkFaults faults = options.linkFaults;
        server.setFaults(faults);
        server.setReportLatency(options.reportLatency);
        std::cout << "nimbra-station-emulator listening on " << options.socketPath.native();
        if (faults.unplugged) {
            std::cout << " once plugged in (kill -USR1 " << ::getpid() << ")";
        }
        std::cout << "\nexport NIMBRA_STATION_SOCKET=" << options.socketPath.native() << std::endl;

        int signal = 0;
        while (sigwait(&handledSignals, &signal) == 0 && (signal == SIGUSR1 || signal == SIGUSR2)) {
            if (signal == SIGUSR1) {
                faults.unplugged = !faults.unplugged;
                server.setFaults(faults);
                std::cout << "nimbra-station-emulator: station "
                          << (faults.unplugged ? "unplugged" : "plugged in") << std::endl;
            } else {
                model.clearHistory();
                std::cout << "nimbra-station-emulator: history cleared" << std::endl;
            }
        }
    }

    if (options.saveImage) {
        if (const auto status = model.saveImage(*options.saveImage); !status) {
            std::cerr << "nimbra-station-emulator: " << status.error << '\n';
            return 1;
        }
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
