#include "core/units.h"

#include <cmath>
#include <iterator>

#include "core/absent.h"

namespace nimbra {

namespace {

float beaufortClass(float metresPerSecond) {
    // The class is decided on whole tenths of m/s, truncated.
    // Kept in double so that no speed, however wild, overflows an integer.
    const double tenths = std::trunc(static_cast<double>(metresPerSecond) * 10.0);
    static constexpr double kUpperTenths[] = {2, 15, 34, 54, 79, 107, 138, 171, 207, 244, 284, 326};
    int beaufort = 0;
    for (double bound : kUpperTenths) {
        if (tenths <= bound) {
            return static_cast<float>(beaufort);
        }
        ++beaufort;
    }
    return 12.0f;
}

}  // namespace

float ConvertTemperature(float celsius, int unit) {
    if (isAbsent(celsius) || unit != kFahrenheit) {
        return celsius;
    }
    return static_cast<float>(static_cast<double>(celsius) * 1.8 + 32.0);
}

float ConvertPressure(float hectopascal, int unit) {
    if (isAbsent(hectopascal)) {
        return hectopascal;
    }
    switch (unit) {
        case kInchesOfMercury:
            return static_cast<float>(static_cast<double>(hectopascal) / 33.8638);
        case kMillimetresOfMercury:
            return static_cast<float>(static_cast<double>(hectopascal) / 1.3333);
        default:
            return hectopascal;
    }
}

float ConvertWindSpeed(float metresPerSecond, int unit) {
    if (isAbsent(metresPerSecond)) {
        return metresPerSecond;
    }
    const double v = metresPerSecond;
    switch (unit) {
        case kKilometresPerHour:
            return static_cast<float>(v * 3.6);
        case kKnots:
            return static_cast<float>(v * 1.943844);
        case kMilesPerHour:
            return static_cast<float>(v * 2.236936);
        case kBeaufort:
            return beaufortClass(metresPerSecond);
        default:
            return metresPerSecond;
    }
}

float ConvertRain(float millimetres, int unit) {
    if (isAbsent(millimetres) || unit != kInches) {
        return millimetres;
    }
    return static_cast<float>(static_cast<double>(millimetres) * 0.0393700787);
}

float ConvertLight(float lux, int unit) {
    if (isAbsent(lux)) {
        return lux;
    }
    switch (unit) {
        case kFootCandles:
            return static_cast<float>(static_cast<double>(lux) / 10.76391);
        case kWattsPerSquareMetre:
            return static_cast<float>(static_cast<double>(lux) / 126.7);
        default:
            return lux;
    }
}

float WindSpeedToMetres(float value, int unit) {
    const double v = value;
    switch (unit) {
        case kKilometresPerHour:
            return static_cast<float>(v / 3.6);
        case kKnots:
            return static_cast<float>(v / 1.943844);
        case kMilesPerHour:
            return static_cast<float>(v / 2.236936);
        case kBeaufort: {
            static constexpr float kClassTop[] = {0.0f,  1.5f,  3.4f,  5.4f,  7.9f,  10.7f,
                                                  13.8f, 17.1f, 20.7f, 24.4f, 28.4f, 32.6f};
            // Truncation toward zero: anything in (-1, 12) names a listed class.
            if (value > -1.0f && value < static_cast<float>(std::size(kClassTop))) {
                return kClassTop[static_cast<int>(value)];
            }
            return 36.9f;
        }
        default:
            return value;
    }
}

}  // namespace nimbra
