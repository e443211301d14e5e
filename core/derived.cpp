#include "core/derived.h"

#include <cmath>

#include "core/absent.h"

namespace nimbra {

float ComputeDewPoint(float celsius, std::int32_t humidityPercent) {
    if (isAbsent(celsius) || isAbsent(humidityPercent) || humidityPercent <= 0) {
        return kAbsent;
    }
    const double t = celsius;
    // Saturation vapour pressure in kPa, then the Magnus form solved for the dew point.
    const float e = static_cast<float>(6.107 * std::pow(10.0, 7.6 * t / (240.7 + t)) / 10.0);
    const float g =
        static_cast<float>(std::log(static_cast<double>(e) * humidityPercent / 100.0 / 0.61078));
    return static_cast<float>(241.88 * g / (17.558 - g));
}

float ComputeWindChill(float celsius, float metresPerSecond) {
    if (isAbsent(celsius) || isAbsent(metresPerSecond)) {
        return kAbsent;
    }
    const double v = metresPerSecond;
    if (celsius > 33.0f || static_cast<double>(static_cast<float>(v * 3.6)) < 6.48) {
        return celsius;
    }
    const double s = static_cast<float>(std::sqrt(v));
    return static_cast<float>(33.0 - (0.417 * s + 0.55 - 0.0454 * v) * (33.0 - celsius));
}

}  // namespace nimbra
