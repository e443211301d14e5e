#pragma once

#include <cstdint>
#include <tuple>

#include "core/history_record.h"

namespace nimbra::soak {

// What a history record measured, without the time the program gave it and without the
// rain figures it works out: what must be equal between the station's record and its
// stored row.
using Readings = std::tuple<std::int32_t, float, std::int32_t, float, std::int32_t, float, float,
                            float, std::int32_t, std::int32_t>;

inline Readings readingsOf(const HistoryRecord& r) {
    return {r.Interval,    r.InTemp, r.InHumi, r.OutTemp,       r.OutHumi,
            r.AbsPressure, r.Wind,   r.Gust,   r.WindDirection, r.Rcount};
}

}  // namespace nimbra::soak
