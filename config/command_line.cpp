#include "config/command_line.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <map>
#include <string_view>

#include "core/number_text.h"

namespace nimbra {

namespace {

// Options whose value may follow as the next argument.
constexpr std::string_view kValueOptions[] = {
    "--data-dir",
    "--language",
    "--emulator-image",
    "--show",
    "--screenshot",
    "--from",
    "--to",
    "--export",
    "--import",
    "--emulator-records",
    "--emulator-speed",
    "--emulator-seed",
    "--graph",
};

// The whole text as a number into `out`, which keeps its value when the text is not one.
template <typename Number>
bool parseNumber(const std::string& text, Number& out) {
    const auto value = nimbra::parseNumber<Number>(text);
    out = value.value_or(out);
    return value.has_value();
}

}  // namespace

CommandLineResult parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLineResult result;
    CommandLine& o = result.options;

    const std::map<std::string, bool*> flags = {
        {"--emulator", &o.emulator},        {"--headless", &o.headless}, {"--once", &o.once},
        {"--dump-station", &o.dumpStation}, {"--help", &o.help},         {"-h", &o.help},
        {"--version", &o.version},
    };
    // kValueOptions lists these and the numbers below.
    const std::map<std::string, std::optional<std::string>*> texts = {
        {"--data-dir", &o.dataDir},
        {"--language", &o.language},
        {"--emulator-image", &o.emulatorImage},
        {"--show", &o.show},
        {"--screenshot", &o.screenshot},
        {"--from", &o.from},
        {"--to", &o.to},
        {"--export", &o.exportFile},
        {"--import", &o.importFile},
    };
    const std::map<std::string, std::function<bool(const std::string&)>> numbers = {
        {"--emulator-records",
         [&](const std::string& v) {
             return parseNumber(v, o.emulatorRecords) && o.emulatorRecords >= 0;
         }},
        {"--emulator-speed",
         [&](const std::string& v) {
             return parseNumber(v, o.emulatorSpeed) && o.emulatorSpeed > 0;
         }},
        {"--emulator-seed", [&](const std::string& v) { return parseNumber(v, o.emulatorSeed); }},
        {"--graph",
         [&](const std::string& v) {
             o.graph.emplace();
             return parseNumber(v, *o.graph) && *o.graph >= 0;
         }},
        {"--web",
         [&](const std::string& v) {
             o.webPort.emplace();
             return parseNumber(v, *o.webPort) && *o.webPort > 0 && *o.webPort < 65536;
         }},
    };

    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string name = arguments[i];
        std::optional<std::string> inlineValue;
        if (const auto equals = name.find('=');
            name.starts_with("--") && equals != std::string::npos) {
            inlineValue = name.substr(equals + 1);
            name.resize(equals);
        }
        const auto takeValue = [&]() -> std::optional<std::string> {
            if (inlineValue) {
                return inlineValue;
            }
            if (i + 1 < arguments.size()) {
                return arguments[++i];
            }
            return std::nullopt;
        };

        if (const auto flag = flags.find(name); flag != flags.end() && !inlineValue) {
            *flag->second = true;
        } else if (const auto text = texts.find(name); text != texts.end()) {
            const auto value = takeValue();
            if (!value) {
                result.error = name + " needs a value";
                return result;
            }
            *text->second = *value;
        } else if (const auto number = numbers.find(name); number != numbers.end()) {
            const auto value = takeValue();
            if (!value || !number->second(*value)) {
                result.error = name + " needs a number" + (value ? ", not \"" + *value + "\"" : "");
                return result;
            }
        } else {
            result.error = "unknown option: " + arguments[i];
            return result;
        }
    }
    if (o.once && !o.headless) {
        result.error = "--once works with --headless only";
    } else if (o.screenshot && !o.show) {
        result.error = "--screenshot needs --show WINDOW";
    } else if (o.exportFile && (!o.from || !o.to)) {
        result.error = "--export needs --from and --to";
    }
    return result;
}

std::vector<std::string> withoutLanguageOption(const std::vector<std::string>& arguments) {
    std::vector<std::string> kept;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument.starts_with("--language=")) {
            continue;
        }
        const bool valueFollows = std::find(std::begin(kValueOptions), std::end(kValueOptions),
                                            argument) != std::end(kValueOptions);
        if (argument == "--language") {
            ++i;
            continue;
        }
        kept.push_back(argument);
        if (valueFollows && i + 1 < arguments.size()) {
            kept.push_back(arguments[++i]);
        }
    }
    return kept;
}

std::string commandLineHelp() {
    return "Usage: nimbraplus [options]\n"
           "\n"
           "Downloads, shows and publishes the history of a USB weather station.\n"
           "\n"
           "Options:\n"
           "  --data-dir DIR          keep the database and Main.ini in DIR\n"
           "                          (default: $XDG_DATA_HOME/Nimbra7420)\n"
           "  --language NAME         use this language for this run (English, Deutsch,\n"
           "                          French, Spanish, Czech, Danish, Hungarian, Polish,\n"
           "                          Svenska, Chinese)\n"
           "  --emulator              use a built-in station emulator instead of USB; it is\n"
           "                          kept in the data folder between runs\n"
           "  --emulator-records N    history records a new emulated station has (500)\n"
           "  --emulator-speed X      emulated minutes per real minute (1)\n"
           "  --emulator-seed S       seed of the emulated weather (7420)\n"
           "  --emulator-image FILE   start the emulator from a saved 64 KiB station image\n"
           "  --headless              run as a logger without a window; SIGINT/SIGTERM stop it\n"
           "  --once                  with --headless: exit after the first complete download\n"
           "                          and the uploads it starts\n"
           "  --dump-station          print the station's settings and current reading as\n"
           "                          JSON and exit\n"
           "  --show WINDOW           open one window after the first download: main, maxmin,\n"
           "                          settings, alarm, history, graph, upload, wow,\n"
           "                          weathercloud, cwop, windy, openweathermap, location,\n"
           "                          mqtt, language, about\n"
           "  --screenshot FILE       with --show: save the window as a PNG file and exit\n"
           "  --from TIME, --to TIME  time range (YYYY-MM-DD hh:mm:ss) for --show and --export\n"
           "  --graph N               graph selection for --show graph\n"
           "  --export FILE           write the history of --from..--to to FILE: CSV when\n"
           "                          it ends in .csv, PDF otherwise; then exit\n"
           "  --import FILE           import a database (.db, .mdb) or a .dat text export\n"
           "                          into the history; then exit\n"
           "  --web PORT              serve the live readings and history as a web page\n"
           "                          on PORT (read-only; Main.ini [Web] sets the address)\n"
           "  --version               print the version and exit\n"
           "  -h, --help              print this help and exit\n"
           "\n"
           "Environment:\n"
           "  NIMBRA_STATION_SOCKET       talk to a station emulator listening at this socket\n"
           "                              instead of a USB station\n"
           "  NIMBRA_WOW_SERVER           host[:port] to send WOW uploads to instead of the\n"
           "                              service (for trying uploads against your own server)\n"
           "  NIMBRA_WEATHERCLOUD_SERVER  the same for Weathercloud\n"
           "  NIMBRA_CWOP_SERVER          the same for CWOP (an APRS-IS server)\n"
           "  NIMBRA_WINDY_SERVER, NIMBRA_OPENWEATHERMAP_SERVER\n"
           "                              the same for Windy and OpenWeatherMap (still TLS)\n"
           "  SSL_CERT_FILE               the CA certificates that upload servers reached over\n"
           "                              TLS (port 443, Windy, OpenWeatherMap) are checked "
           "against\n"
           "  NIMBRA_LOCK_DIR             keep the single-instance lock in this folder instead\n"
           "                              of the user's own (to run instances side by side)\n";
}

}  // namespace nimbra
