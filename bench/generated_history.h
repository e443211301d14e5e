#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>

#include "core/absent.h"
#include "core/history_record.h"

namespace nimbra::bench {

// Plausible weather from a fixed recipe, so every run stores the same rows.
inline HistoryRecord generatedRecord(int index, double firstTime) {
    std::uint32_t state = static_cast<std::uint32_t>(index) * 2654435761u + 12345u;
    const auto noise = [&state] {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) / static_cast<float>(1u << 24) - 0.5f;
    };
    const double time = firstTime + index * (5.0 / 1440.0);
    const float season = static_cast<float>(std::sin(2 * std::numbers::pi * (time / 365.25)));
    const float day = static_cast<float>(std::sin(2 * std::numbers::pi * time));
    HistoryRecord r;
    r.Time = time;
    r.Interval = 5;
    r.InTemp = 21.0f + noise();
    r.InHumi = 45 + static_cast<int>(noise() * 10);
    r.OutTemp = 10.0f + 12.0f * season + 5.0f * day + noise() * 2;
    r.OutHumi = 70 + static_cast<int>(noise() * 40);
    r.RelPressure = 1013.0f + noise() * 30;
    r.AbsPressure = r.RelPressure - 20.0f;
    r.Wind = std::abs(noise()) * 8;
    r.Gust = r.Wind * 1.6f;
    r.WindDirection = static_cast<int>(state % 16);
    r.DewPoint = r.OutTemp - 4.0f;
    r.WindChill = r.OutTemp;
    r.Rain = noise() > 0.45f ? 0.3f : 0.0f;
    r.Rcount = index / 20;
    r.Light = day > 0 ? day * 50000.0f : 0.0f;
    r.UV = day > 0 ? static_cast<int>(day * 8) : 0;
    if (index % 997 == 0) {
        r.OutTemp = kAbsent;  // the sensor drops out now and then
    }
    return r;
}

}  // namespace nimbra::bench
