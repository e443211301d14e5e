#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>

#include "core/station_kind.h"
#include "soak/fault_kind.h"
#include "soak/record_ledger.h"

namespace nimbra::soak {

struct SoakOptions {
    int rounds = 200;
    std::uint32_t seed = 7420;
    int initialRecords = 300;
    int intervalMinutes = 5;
    StationKind kind = StationKind::records20;  // the console the soak runs against
    // Where the store is kept for a look afterwards; a temporary folder, removed at the
    // end, when empty.
    std::filesystem::path keepIn;
    bool verbose = false;  // a line per round
};

struct SoakResult {
    int rounds = 0;
    std::array<int, kFaultKinds> faults{};            // rounds per kind
    std::array<int, kFaultKinds> struck{};            // faults that took effect during the round
    std::array<int, kFaultKinds> failedUnderFault{};  // acquisitions (or writes) that failed
    int cleanFailures = 0;                            // clean acquisitions or writes that failed
    RecordLedger::Figures records;
    std::string integrity;
    double seconds = 0.0;

    bool passed() const {
        return cleanFailures == 0 && records.lost == 0 && records.doubled == 0 &&
               records.outOfOrder == 0 && records.unknown == 0 && integrity == "ok";
    }
};

// Runs the rounds against an emulated station and a fresh store; `progress` gets a line
// per round when the options ask for it. Throws std::runtime_error when the station or
// the store cannot be set up at all.
SoakResult runSoak(const SoakOptions& options, std::ostream& progress);

}  // namespace nimbra::soak
