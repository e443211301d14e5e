#include "emulator/emulator_options.h"

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>

#include "core/number_text.h"

namespace nimbra::emulator {

namespace {

using ValueSetter = std::function<bool(EmulatorOptions&, std::string_view)>;
using FlagSetter = std::function<void(EmulatorOptions&)>;

template <typename Number, typename Field>
ValueSetter number(Field field, Number least) {
    return [field, least](EmulatorOptions& options, std::string_view text) {
        const auto value = parseNumber<Number>(text);
        if (!value || *value < least) {
            return false;
        }
        options.*field = *value;
        return true;
    };
}

template <typename Field>
ValueSetter path(Field field) {
    return [field](EmulatorOptions& options, std::string_view text) {
        if (text.empty()) {
            return false;
        }
        options.*field = std::filesystem::path(text);
        return true;
    };
}

template <typename Field>
ValueSetter milliseconds(Field field, FlagSetter also = {}) {
    return [field, also](EmulatorOptions& options, std::string_view text) {
        const auto value = parseNumber<std::uint32_t>(text);
        if (!value) {
            return false;
        }
        options.*field = std::chrono::milliseconds(*value);
        if (also) {
            also(options);
        }
        return true;
    };
}

const std::map<std::string_view, ValueSetter>& valueOptions() {
    static const std::map<std::string_view, ValueSetter> options = {
        {"--socket", path(&EmulatorOptions::socketPath)},
        {"--records", number<int>(&EmulatorOptions::records, 0)},
        {"--interval", number<int>(&EmulatorOptions::interval, 1)},
        {"--speed",
         [](EmulatorOptions& options, std::string_view text) {
             const auto speed = parseNumber<double>(text);
             options.speed = speed;
             return speed && std::isfinite(*speed) && *speed >= 0.0;
         }},
        {"--seed", number<std::uint32_t>(&EmulatorOptions::seed, 0)},
        {"--model",
         [](EmulatorOptions& options, std::string_view text) {
             if (text != "16" && text != "20") {
                 return false;
             }
             options.kind = text == "16" ? StationKind::records16 : StationKind::records20;
             return true;
         }},
        {"--image", path(&EmulatorOptions::image)},
        {"--save-image", path(&EmulatorOptions::saveImage)},
        {"--record-write", milliseconds(&EmulatorOptions::recordWrite,
                                        [](EmulatorOptions& o) { o.tornWrites = true; })},
        {"--commit-delay", milliseconds(&EmulatorOptions::commitDelay)},
        {"--report-latency", milliseconds(&EmulatorOptions::reportLatency)},
        {"--report-pointer", number<std::uint16_t>(&EmulatorOptions::reportedPointer, 0)},
        {"--report-count", number<std::uint16_t>(&EmulatorOptions::reportedCount, 0)},
        {"--silent-after",
         [](EmulatorOptions& options, std::string_view text) {
             const auto reports = parseNumber<std::uint64_t>(text);
             options.linkFaults.silentAfter = reports;
             return reports.has_value();
         }},
    };
    return options;
}

const std::map<std::string_view, FlagSetter>& flagOptions() {
    static const std::map<std::string_view, FlagSetter> options = {
        {"--wrapped", [](EmulatorOptions& o) { o.wrapped = true; }},
        {"--unplugged", [](EmulatorOptions& o) { o.linkFaults.unplugged = true; }},
        {"--bad-ack", [](EmulatorOptions& o) { o.linkFaults.badAck = true; }},
        {"--flaky-reads", [](EmulatorOptions& o) { o.linkFaults.flakyReads = true; }},
        {"--corrupt-records", [](EmulatorOptions& o) { o.corruptRecords = true; }},
        {"--pointer-back", [](EmulatorOptions& o) { o.pointerBack = true; }},
        {"--torn-writes", [](EmulatorOptions& o) { o.tornWrites = true; }},
    };
    return options;
}

}  // namespace

std::filesystem::path defaultSocketPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0') {
        return std::filesystem::path(runtime) / "nimbra-station.sock";
    }
    return "/tmp/nimbra-station-" + std::to_string(::getuid()) + ".sock";
}

ParsedCommandLine parseEmulatorCommandLine(std::span<const std::string_view> arguments) {
    ParsedCommandLine result;
    EmulatorOptions options;
    options.socketPath = defaultSocketPath();
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string_view argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            result.helpRequested = true;
            return result;
        }
        if (const auto flag = flagOptions().find(argument); flag != flagOptions().end()) {
            flag->second(options);
            continue;
        }
        // Both "--name VALUE" and "--name=VALUE".
        std::optional<std::string_view> value;
        if (const auto equals = argument.find('='); equals != std::string_view::npos) {
            value = argument.substr(equals + 1);
            argument = argument.substr(0, equals);
        }
        const auto setter = valueOptions().find(argument);
        if (setter == valueOptions().end()) {
            result.error = "unknown option " + std::string(arguments[i]);
            return result;
        }
        if (!value) {
            if (i + 1 == arguments.size()) {
                result.error = std::string(argument) + " needs a value";
                return result;
            }
            value = arguments[++i];
        }
        if (!setter->second(options, *value)) {
            result.error = "bad value for " + std::string(argument) + ": " + std::string(*value);
            return result;
        }
    }
    result.options = std::move(options);
    return result;
}

std::string emulatorUsage(std::string_view program) {
    return "Usage: " + std::string(program) +
           " [options]\n"
           "Emulates the USB weather station on a Unix socket; runs until interrupted.\n"
           "SIGUSR1 unplugs the station, or plugs it in again; SIGUSR2 clears its history.\n"
           "Point the station link at it with NIMBRA_STATION_SOCKET=PATH.\n"
           "\n"
           "  --socket PATH        where to listen (default " +
           defaultSocketPath().native() +
           ")\n"
           "  --records N          history records already stored\n"
           "  --interval MIN       minutes between history records\n"
           "  --speed X            station minutes pass X times faster than real ones;\n"
           "                       0 stops the station clock\n"
           "  --seed S             seed of the weather\n"
           "  --model 16|20        the console: 16-byte records without light and UV, or\n"
           "                       20-byte ones with them (default 20)\n"
           "  --wrapped            start with a history ring that has wrapped\n"
           "  --image FILE         start from a saved 64 KiB memory image\n"
           "  --save-image FILE    save the memory image on exit\n"
           "  --commit-delay MS    the console clears the commit byte MS milliseconds after\n"
           "                       a change (default 300)\n"
           "  --report-latency MS  answer each report MS milliseconds after the one before,\n"
           "                       as a low-speed USB console does (10); default 0\n"
           "\n"
           "Faults:\n"
           "  --unplugged          the station is not there\n"
           "  --silent-after N     stop answering after N reports\n"
           "  --bad-ack            acknowledge writes with a bad acknowledgement\n"
           "  --flaky-reads        two reads of a block never agree\n"
           "  --corrupt-records    two stored records are corrupted: one with an invalid\n"
           "                       interval, one with values out of range\n"
           "  --pointer-back       start with the history cleared: the record pointer goes\n"
           "                       back to the start of the ring (SIGUSR2 does so at any time)\n"
           "  --torn-writes        the console writes a record it closes after moving its\n"
           "                       pointer, over 40 ms: reads meanwhile mix old and new bytes\n"
           "  --report-pointer A   the fixed block shows record pointer A, whatever it holds\n"
           "  --report-count N     the fixed block shows N records, whatever it holds\n"
           "  --record-write MS    torn writes that take MS milliseconds (at most a station\n"
           "                       minute)\n";
}

}  // namespace nimbra::emulator
