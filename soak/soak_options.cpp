#include "soak/soak_options.h"

#include <cmath>

#include "core/number_text.h"

namespace nimbra::soak {

namespace {

bool apply(SoakOptions& options, std::string_view name, std::string_view value) {
    if (name == "--kills") {
        const auto kills = parseNumber<int>(value);
        options.kills = kills.value_or(0);
        return kills && *kills >= 1;
    }
    if (name == "--seed") {
        options.seed = parseNumber<std::uint32_t>(value);
        return options.seed.has_value();
    }
    if (name == "--records") {
        const auto records = parseNumber<int>(value);
        options.records = records.value_or(0);
        return records && *records >= 1;
    }
    if (name == "--speed") {
        const auto speed = parseNumber<double>(value);
        options.speed = speed.value_or(0.0);
        return speed && std::isfinite(*speed) && *speed > 0.0;
    }
    if (value.empty()) {
        return false;
    }
    if (name == "--program") {
        options.program = value;
    } else if (name == "--emulator") {
        options.emulator = value;
    } else if (name == "--work-dir") {
        options.workDir = value;
    } else {
        return false;
    }
    return true;
}

}  // namespace

ParsedSoakOptions parseSoakOptions(std::span<const std::string_view> arguments,
                                   SoakOptions defaults) {
    ParsedSoakOptions result;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view name = arguments[i];
        if (name == "--help" || name == "-h") {
            result.help = true;
            return result;
        }
        if (i + 1 == arguments.size()) {
            result.error = "missing value or unknown option: " + std::string(name);
            return result;
        }
        const std::string_view value = arguments[++i];
        if (!apply(defaults, name, value)) {
            result.error = "bad option: " + std::string(name) + " " + std::string(value);
            return result;
        }
    }
    result.options = std::move(defaults);
    return result;
}

std::string soakUsage() {
    return "Usage: nimbra-crash-soak [options]\n"
           "Kills the logger with SIGKILL at random moments while it downloads from an\n"
           "emulated station, checks the database after every kill, and prints the figures.\n"
           "Exits 0 only when no record was lost or doubled and every check passed.\n"
           "\n"
           "  --kills N         how many times to kill the logger (default 50)\n"
           "  --seed S          seed of the random choices (printed, to repeat a run)\n"
           "  --records N       history the station holds at the start (default 3100)\n"
           "  --speed X         station minutes per real minute (default 6000)\n"
           "  --program PATH    the nimbraplus program\n"
           "  --emulator PATH   the nimbra-station-emulator program\n"
           "  --work-dir DIR    keep the data folders, station image and logs in DIR\n";
}

}  // namespace nimbra::soak
