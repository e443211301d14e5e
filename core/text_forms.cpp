#include "core/text_forms.h"

#include <array>
#include <cmath>
#include <cstdio>

#include "core/absent.h"
#include "core/units.h"

namespace nimbra {

namespace {

std::string printNumber(const char* format, double value) {
    std::array<char, 64> buffer{};
    std::snprintf(buffer.data(), buffer.size(), format, value);
    return buffer.data();
}

std::string printTruncated(float value) {
    // Whole Beaufort numbers; the text of the truncated value, as "%d" would print it.
    // Adding +0.0 turns a truncated -0.0 into 0, as an integer would print.
    return printNumber("%.0f", std::trunc(static_cast<double>(value)) + 0.0);
}

std::string joinParts(const std::string& number, const char* unitText, int parts) {
    std::string text;
    if (parts & kNumberPart) {
        text = number;
        if (!(parts & kUnitPart)) {
            return text;
        }
        text += ' ';
    }
    text += unitText;
    return text;
}

const char* windUnitText(int unit) {
    switch (unit) {
        case kKilometresPerHour:
            return "km/h";
        case kKnots:
            return "knot";
        case kMilesPerHour:
            return "mph";
        case kBeaufort:
            return "bft";
        default:
            return "m/s";
    }
}

const char* lightUnitText(int unit) {
    switch (unit) {
        case kLux:
            return "lux";
        case kFootCandles:
            return "fc";
        default:
            return "W/M2";
    }
}

}  // namespace

std::string FormatWindSpeed(float metresPerSecond, int unit, int parts, bool raw) {
    std::string number;
    if (parts & kNumberPart) {
        const bool wholeNumbers = (unit & 4) != 0;
        if (isAbsent(metresPerSecond)) {
            number = kAbsentText;
        } else if (raw) {
            number = printNumber(wholeNumbers ? "%0.0f" : "%0.1f", metresPerSecond);
        } else {
            const float converted = ConvertWindSpeed(metresPerSecond, unit);
            number = wholeNumbers ? printTruncated(converted) : printNumber("%0.1f", converted);
        }
    }
    return joinParts(number, windUnitText(unit), parts);
}

std::string FormatLight(float lux, int unit, int parts, bool raw) {
    std::string number;
    if (parts & kNumberPart) {
        if (isAbsent(lux)) {
            number = kAbsentText;
        } else {
            number = printNumber("%0.1f", raw ? lux : ConvertLight(lux, unit));
        }
    }
    return joinParts(number, lightUnitText(unit), parts);
}

std::string WindDirectionName(int direction) {
    static constexpr const char* kNames[] = {"N",  "NNE", "NE", "ENE", "E",  "ESE",
                                             "SE", "SSE", "S",  "SSW", "SW", "WSW",
                                             "W",  "WNW", "NW", "NNW", "---"};
    if (direction < 0 || direction > 16) {
        direction = 16;
    }
    return kNames[direction];
}

}  // namespace nimbra
