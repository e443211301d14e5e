// nimbra-fault-soak: shows, with figures, that no stored record is lost or stored twice
// whatever the station link does.
//
// Each round moves the emulated station's clock on so that new records are waiting,
// then runs one acquisition with a fault that strikes at a report chosen at random (in
// the fixed-block reads, the current record or anywhere in the download), then a clean
// acquisition. Faults, drawn from shuffled decks of every kind: the station unplugged;
// the station falling silent; bad acknowledgements while the settings are written (the
// only exchange they touch), followed by a clean write; disagreeing reads; a record not
// yet downloaded spoiled; the history cleared; the pointer carried by new records past
// the end of memory from a few records short of it; and records closing while a console
// that writes a closed record after moving its pointer is read (torn writes, on for that
// round only, so the clean run that follows may meet one too). The two faults that move
// the station's clock on strike just before the run when their report is one of the
// first two: the run reads its own clock first, and a real console's cannot jump ahead
// of it by minutes between two reports.
//
// What counts as expected: every record the console completes is logged with its bytes.
// A record is expected in the store exactly once, in the order of production, when the
// station still held it (within its record count behind the pointer, bytes unchanged)
// when an acquisition first read the pointer after the record was completed, and the
// console did not write over it during that acquisition. Records the console had
// already dropped by then (a history clear that struck before block 0 was read twice
// alike) or wrote over while they waited to be read (the record at the ring start, when
// the history is cleared in the middle of a download) are not expected. Records spoiled on purpose
// are not expected: their true bytes may be stored if they were read before the spoiling, their
// spoiled bytes must never be. A stored record whose readings match no record the station produced
// counts as unknown.
//
// The exit status is 0 only when no record is lost, doubled, out of order or unknown,
// every clean acquisition and write succeeded and SQLite's integrity check says ok.

#include <exception>
#include <iomanip>
#include <iostream>
#include <string>
#include <string_view>

#include "core/number_text.h"
#include "soak/fault_soak.h"

namespace {

using nimbra::soak::SoakOptions;
using nimbra::soak::SoakResult;

constexpr std::string_view kUsage =
    "usage: nimbra-fault-soak [--rounds N] [--seed S] [--records N] [--interval MINUTES]\n"
    "                         [--model 16|20] [--keep-store DIR] [--verbose]\n";

bool parseNumber(const char* text, long low, long high, long& value) {
    const auto number = nimbra::parseNumber<long>(text);
    value = number.value_or(0);
    return number && value >= low && value <= high;
}

bool parse(int argc, char** argv, SoakOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view name = argv[i];
        if (name == "--verbose") {
            options.verbose = true;
            continue;
        }
        if (i + 1 >= argc) {
            return false;
        }
        const char* value = argv[++i];
        long number = 0;
        if (name == "--rounds" && parseNumber(value, 1, 100000, number)) {
            options.rounds = static_cast<int>(number);
        } else if (name == "--seed" && parseNumber(value, 0, 4294967295L, number)) {
            options.seed = static_cast<std::uint32_t>(number);
        } else if (name == "--records" && parseNumber(value, 0, 3263, number)) {
            options.initialRecords = static_cast<int>(number);
        } else if (name == "--interval" && parseNumber(value, 1, 240, number)) {
            options.intervalMinutes = static_cast<int>(number);
        } else if (name == "--model" &&
                   (std::string_view(value) == "16" || std::string_view(value) == "20")) {
            options.kind = std::string_view(value) == "16" ? nimbra::StationKind::records16
                                                           : nimbra::StationKind::records20;
        } else if (name == "--keep-store") {
            options.keepIn = value;
        } else {
            return false;
        }
    }
    return true;
}

void print(const SoakOptions& options, const SoakResult& r) {
    const auto line = [](std::string_view name, const auto& value) {
        std::cout << name << ": " << value << '\n';
    };
    line("seed", options.seed);
    line("rounds", r.rounds);
    for (std::size_t k = 0; k < nimbra::soak::kFaultKinds; ++k) {
        const auto kind = static_cast<nimbra::soak::FaultKind>(k);
        std::cout << "faults " << nimbra::soak::faultName(kind) << ": " << r.faults[k]
                  << " (struck " << r.struck[k] << ", runs failed " << r.failedUnderFault[k]
                  << ")\n";
    }
    int failed = 0;
    for (int count : r.failedUnderFault) {
        failed += count;
    }
    line("runs failed under a fault", failed);
    line("clean runs failed", r.cleanFailures);
    line("records produced", r.records.produced);
    line("records dropped by the station before they could be read", r.records.dropped);
    line("records spoiled on purpose", r.records.corrupted);
    line("records expected", r.records.expected);
    line("records stored", r.records.stored);
    line("records lost", r.records.lost);
    line("records doubled", r.records.doubled);
    line("records out of order", r.records.outOfOrder);
    line("records unknown", r.records.unknown);
    line("records stored beyond those expected", r.records.unexpectedButTrue);
    line("integrity_check", r.integrity);
    std::cout << "elapsed: " << std::fixed << std::setprecision(1) << r.seconds << " s\n";
    for (const std::string& example : r.records.examples) {
        line("example", example);
    }
    line("result", r.passed() ? "PASS" : "FAIL");
}

}  // namespace

int main(int argc, char** argv) {
    SoakOptions options;
    if (!parse(argc, argv, options)) {
        std::cerr << kUsage;
        return 2;
    }
    std::cout << "nimbra-fault-soak: " << options.rounds << " rounds, seed " << options.seed
              << " (repeat with --seed " << options.seed << ")\n"
              << "expected: every record the station completed and still held when an "
                 "acquisition first read its pointer, not written over during that run nor "
                 "spoiled on purpose; once each, in order of production\n"
              << std::flush;
    try {
        const SoakResult result = nimbra::soak::runSoak(options, std::cout);
        print(options, result);
        return result.passed() ? 0 : 1;
    } catch (const std::exception& error) {
        std::cerr << "nimbra-fault-soak: " << error.what() << '\n';
        return 2;
    }
}
