#pragma once

#include <cstdint>
#include <string>

namespace nimbra {

// Text forms of the live readings, in the user's unit, as the main view and the
// max/min dialog print them. An absent float prints "--.-" with its unit still shown;
// an absent humidity or UV index prints "--".
std::string PressureText(float hectopascal, int unit);  // inHg with two decimals
std::string TemperatureText(float celsius, int unit);
std::string HumidityText(std::int32_t percent);
std::string RainText(float millimetres, int unit);
std::string LightText(float lux, int unit);
std::string UvText(std::int32_t index);

// The number a text form starts with, as the gauges take it: shown value, rounded as
// shown. Absent texts give nothing.
bool shownNumber(const std::string& text, float& number);

// Top edge of a thermometer bar for the temperature as shown in the display unit.
float ThermometerTop(float shownTemperature, int unit);

// Full scale of a rain gauge (0 hour ... 4 total) for the value as shown: the next
// whole step above the value, so a value exactly on a step gets the next one.
float RainGaugeFullScale(float shownRain, int gauge, int rainUnit);

}  // namespace nimbra
