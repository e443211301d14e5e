#pragma once

#include <cstdint>
#include <cstdio>

#include "soak/soak_figures.h"
#include "soak/soak_options.h"

namespace nimbra::soak {

// Runs the whole soak: the emulator, the kills with a check after each, the final
// download and its comparison with the station. What happens is logged to `log`; the
// figures are returned (and `setupFailed` is set when the soak could not run at all).
SoakFigures runCrashSoak(const SoakOptions& options, std::uint32_t seed, std::FILE* log,
                         bool& setupFailed);

}  // namespace nimbra::soak
