#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "soak/readings.h"

namespace nimbra::soak {

struct StoredRow {
    double time = 0.0;  // OLE date
    Readings readings;

    friend auto operator<=>(const StoredRow&, const StoredRow&) = default;
};

// The history rows of the program's database as a crash left it, read without writing:
// a read-only connection neither checkpoints the log nor deletes it, so the next start
// of the program meets the database exactly as it was left.
struct StoreSnapshot {
    bool exists = false;                    // false: the program never got as far as creating it
    bool sound = true;                      // opened, read and passed the integrity check
    std::string problem;                    // why not, when not sound
    std::vector<StoredRow> rows;            // in the order they were stored
    std::optional<std::int32_t> lastPoint;  // the station address the last download stopped at
    // Rows with rain of their own but no rain total: stored without their totals.
    std::int64_t withoutRainTotals = 0;
};

StoreSnapshot readStore(const std::filesystem::path& database);

// Rows of `before` not found in `after` (each row counts once per copy).
std::int64_t countLost(const std::vector<StoredRow>& before, const std::vector<StoredRow>& after);

// Rows equal in time and readings to a row already counted.
std::int64_t countDoubled(const std::vector<StoredRow>& rows);

}  // namespace nimbra::soak
