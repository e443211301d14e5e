#include "report/live_texts.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/absent.h"
#include "core/text_forms.h"
#include "core/units.h"

namespace nimbra {

namespace {

std::string numberOrAbsent(const char* format, float value) {
    if (isAbsent(value)) {
        return kAbsentText;
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, static_cast<double>(value));
    return buffer;
}

std::string integerOrAbsent(std::int32_t value) {
    return isAbsent(value) ? std::string("--") : std::to_string(value);
}

}  // namespace

std::string PressureText(float hectopascal, int unit) {
    const float shown = ConvertPressure(hectopascal, unit);
    const char* suffix = unit == kInchesOfMercury        ? " inHg"
                         : unit == kMillimetresOfMercury ? " mmHg"
                                                         : " hpa";
    return numberOrAbsent(unit == kInchesOfMercury ? "%0.2f" : "%0.1f", shown) + suffix;
}

std::string TemperatureText(float celsius, int unit) {
    return numberOrAbsent("%0.1f", ConvertTemperature(celsius, unit)) +
           (unit == kFahrenheit ? " \u00B0F" : " \u00B0C");
}

std::string HumidityText(std::int32_t percent) {
    return integerOrAbsent(percent) + " %";
}

std::string RainText(float millimetres, int unit) {
    return numberOrAbsent("%0.2f", ConvertRain(millimetres, unit)) +
           (unit == kInches ? " inch" : " mm");
}

std::string LightText(float lux, int unit) {
    return FormatLight(lux, unit, kNumberAndUnit, false);
}

std::string UvText(std::int32_t index) {
    return integerOrAbsent(index) + "  ";
}

bool shownNumber(const std::string& text, float& number) {
    if (text.starts_with(kAbsentText) || text.starts_with("--")) {
        return false;
    }
    number = std::strtof(text.c_str(), nullptr);
    return true;
}

float ThermometerTop(float shownTemperature, int unit) {
    if (unit == kFahrenheit) {
        return static_cast<float>((140.0 - shownTemperature) * 1.67 + 270.0);
    }
    return static_cast<float>((60.0 - shownTemperature) * 3.0 + 270.0);
}

float RainGaugeFullScale(float shownRain, int gauge, int rainUnit) {
    static constexpr float kMillimetreSteps[] = {40, 100, 200, 300, 400};
    static constexpr float kInchSteps[] = {2, 4, 6, 8, 16};
    const int row = gauge < 0 ? 0 : gauge > 4 ? 4 : gauge;
    const float step = rainUnit == kInches ? kInchSteps[row] : kMillimetreSteps[row];
    return std::trunc(shownRain / step + 1.0f) * step;
}

}  // namespace nimbra
