#pragma once

#include <string>

namespace nimbra {

// Which parts of a value's text to produce; both together are separated by one space.
enum TextParts { kUnitPart = 1, kNumberPart = 2, kNumberAndUnit = kNumberPart | kUnitPart };

// The absent marker's text wherever a number is shown.
inline constexpr const char* kAbsentText = "--.-";

// Wind speed (m/s) as text in the chosen unit. With `raw` the stored value is printed
// without conversion (it is already in the display unit).
std::string FormatWindSpeed(float metresPerSecond, int unit, int parts, bool raw);

// Light (lux) as text in the chosen unit, always with one decimal.
std::string FormatLight(float lux, int unit, int parts, bool raw);

// The 16-point compass name of a station direction code; 16 and above give "---".
std::string WindDirectionName(int direction);

}  // namespace nimbra
