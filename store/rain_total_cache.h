#pragma once

#include <cstdint>
#include <optional>

namespace nimbra::detail {

// The last "all rain up to T" a connection computed, kept so that the next total for
// another T sums only the rows in between instead of every row before it. (A record
// stored a little after the clock's time asks for a total up to its time, the current
// readings then for one up to now: going back must not cost a full scan either.) Totals are asked
// for record after record and once per download, and a decade of records makes a full
// sum cost a scan of a million index entries.
//
// The connection's own writes keep the total right (an inserted record adds its rain) or
// drop it; another connection's commit shows in the engine's data version and drops it.
class RainTotalCache {
public:
    struct Total {
        double end;  // OLE date the total runs up to, inclusive
        double sum;
    };

    // The kept total, when nothing has changed it since.
    std::optional<Total> usableFor(std::int64_t dataVersion) const;
    void keep(Total total, std::int64_t dataVersion);

    void recordInserted(double time, float rain);
    // A row's Time or Rain changed, rows were deleted, or a transaction was rolled back.
    void invalidate() { m_total.reset(); }

private:
    std::optional<Total> m_total;
    std::int64_t m_dataVersion = 0;
};

}  // namespace nimbra::detail
