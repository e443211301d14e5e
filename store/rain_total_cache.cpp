#include "store/rain_total_cache.h"

#include <cmath>

#include "core/absent.h"

namespace nimbra::detail {

std::optional<RainTotalCache::Total> RainTotalCache::usableFor(std::int64_t dataVersion) const {
    if (m_total && dataVersion == m_dataVersion) {
        return m_total;
    }
    return std::nullopt;
}

void RainTotalCache::keep(Total total, std::int64_t dataVersion) {
    m_total = total;
    m_dataVersion = dataVersion;
}

void RainTotalCache::recordInserted(double time, float rain) {
    // Exactly the rows the sum query counts: a time at or before the end (a NaN time is
    // stored as NULL and matches nothing) and a rain that is neither absent nor NULL.
    if (m_total && time <= m_total->end && !isAbsent(rain) && !std::isnan(rain)) {
        m_total->sum += rain;
    }
}

}  // namespace nimbra::detail
