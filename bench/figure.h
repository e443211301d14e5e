#pragma once

#include <cstdio>

namespace nimbra::bench {

// Prints one measured figure as a line the benchmark runner (scripts/run-benchmarks.sh)
// collects: it takes the median over its runs and compares it with `limit`.
inline void reportFigure(const char* figure, const char* target, double value, const char* unit,
                         double limit, bool higherIsBetter = false) {
    std::printf("@figure|%s|%s|%.6g|%s|%s|%.6g\n", figure, target, value, unit,
                higherIsBetter ? ">" : "<", limit);
    std::fflush(stdout);
}

}  // namespace nimbra::bench
