#pragma once

#include "emulator/station_model.h"

namespace nimbra::bench {

// A station whose ring has gone round: 3264 records at 5 minutes, the newest one being
// filled, its clock standing still so that every run reads the same memory.
inline emulator::StationModelOptions fullRingOptions() {
    emulator::StationModelOptions options;
    options.seed = 42;
    options.records = 4000;
    options.wrapped = true;
    options.intervalMinutes = 5;
    options.speed = 0.0;
    options.startTime = CivilTime{2026, 1, 15, 12, 0, 0};
    return options;
}

}  // namespace nimbra::bench
