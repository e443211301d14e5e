#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/station_kind.h"
#include "emulator/report_server.h"

namespace nimbra::emulator {

// The emulator program's command line.
struct EmulatorOptions {
    std::filesystem::path socketPath;

    // The station model: history already stored, minutes per record, station minutes per
    // real minute (0 stops the clock), seed of the weather; unset means the model's default.
    std::optional<int> records;
    std::optional<int> interval;
    std::optional<double> speed;
    std::optional<std::uint32_t> seed;
    bool wrapped = false;
    // The console emulated: 20-byte records with light and UV, or 16-byte ones without.
    StationKind kind = StationKind::records20;

    std::optional<std::filesystem::path> image;
    std::optional<std::filesystem::path> saveImage;

    LinkFaults linkFaults;
    bool corruptRecords = false;
    bool pointerBack = false;
    bool tornWrites = false;
    // The record pointer and count the fixed block shows instead of the console's own.
    std::optional<std::uint16_t> reportedPointer;
    std::optional<std::uint16_t> reportedCount;
    // How long the console takes to write a record it closes, with torn writes.
    std::chrono::milliseconds recordWrite{40};
    // How long the console takes to clear the commit byte after a change.
    std::chrono::milliseconds commitDelay{300};
    // The pause before each report the station answers; zero answers at once.
    std::chrono::milliseconds reportLatency{0};
};

struct ParsedCommandLine {
    std::optional<EmulatorOptions> options;  // unset on error or when help was asked for
    bool helpRequested = false;
    std::string error;
};

// Where the emulator listens when --socket is not given.
std::filesystem::path defaultSocketPath();

ParsedCommandLine parseEmulatorCommandLine(std::span<const std::string_view> arguments);

std::string emulatorUsage(std::string_view program);

}  // namespace nimbra::emulator
