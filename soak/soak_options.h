#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace nimbra::soak {

struct SoakOptions {
    int kills = 50;
    std::optional<std::uint32_t> seed;             // a fresh one, printed, when not given
    std::filesystem::path program;                 // nimbraplus
    std::filesystem::path emulator;                // nimbra-station-emulator
    std::optional<std::filesystem::path> workDir;  // kept afterwards when given
    int records = 3100;                            // history the station holds at the start
    double speed = 6000.0;                         // station minutes per real minute
};

struct ParsedSoakOptions {
    std::optional<SoakOptions> options;  // unset on error or when help was asked for
    bool help = false;
    std::string error;
};

ParsedSoakOptions parseSoakOptions(std::span<const std::string_view> arguments,
                                   SoakOptions defaults);

std::string soakUsage();

}  // namespace nimbra::soak
