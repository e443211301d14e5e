// nimbra-crash-soak: kills the headless logger at random moments of its downloads and
// shows, with figures, that the store loses and doubles nothing and stays sound.

#include <cstdio>
#include <random>
#include <string_view>
#include <vector>

#include "soak/crash_soak.h"
#include "soak/soak_options.h"

int main(int argc, char** argv) {
    using namespace nimbra::soak;
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    SoakOptions defaults;
    defaults.program = NIMBRA_PROGRAM;
    defaults.emulator = NIMBRA_STATION_EMULATOR;
    const ParsedSoakOptions parsed = parseSoakOptions(arguments, defaults);
    if (parsed.help) {
        std::fputs(soakUsage().c_str(), stdout);
        return 0;
    }
    if (!parsed.options) {
        std::fprintf(stderr, "nimbra-crash-soak: %s\n%s", parsed.error.c_str(),
                     soakUsage().c_str());
        return 2;
    }
    const SoakOptions& options = *parsed.options;
    const std::uint32_t seed = options.seed.value_or(std::random_device{}());
    std::printf("seed: %u (repeat with --seed %u)\n", seed, seed);
    std::fflush(stdout);

    bool setupFailed = false;
    const SoakFigures figures = runCrashSoak(options, seed, stdout, setupFailed);
    if (setupFailed) {
        return 2;
    }
    printFigures(figures, stdout);
    return figures.clean() ? 0 : 1;
}
