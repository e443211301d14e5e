#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nimbra {

// What the user asked for on the command line.
struct CommandLine {
    std::optional<std::string> dataDir;
    std::optional<std::string> language;

    bool emulator = false;
    int emulatorRecords = 500;
    double emulatorSpeed = 1.0;
    std::uint32_t emulatorSeed = 7420;
    std::optional<std::string> emulatorImage;

    bool headless = false;
    bool once = false;
    bool dumpStation = false;

    std::optional<std::string> show;        // a window to render: main, maxmin, about, language...
    std::optional<std::string> screenshot;  // where to save it
    std::optional<std::string> from;        // search range of history and graph windows
    std::optional<std::string> to;
    std::optional<int> graph;

    std::optional<std::string> exportFile;  // history of --from..--to to CSV or PDF
    std::optional<std::string> importFile;  // a database or text export to bring in

    std::optional<int> webPort;  // serve the web page on this port (overrides Main.ini)

    bool help = false;
    bool version = false;
};

struct CommandLineResult {
    CommandLine options;
    std::string error;  // empty when the arguments were understood
};

CommandLineResult parseCommandLine(const std::vector<std::string>& arguments);

// The options to start again with after the user chose another language: these without
// --language, so that the choice just stored applies.
std::vector<std::string> withoutLanguageOption(const std::vector<std::string>& arguments);

// The text `--help` prints.
std::string commandLineHelp();

}  // namespace nimbra
