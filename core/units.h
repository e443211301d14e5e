#pragma once

// Conversions from the canonical units (°C, hPa, m/s, mm, lux) to the user's display
// unit, selected by the unit code of the settings dialog's lists. Each one computes in
// double precision and rounds the result to a float; the absent marker passes through.

namespace nimbra {

enum TemperatureUnit { kCelsius = 0, kFahrenheit = 1 };
enum PressureUnit { kHectopascal = 0, kInchesOfMercury = 1, kMillimetresOfMercury = 2 };
enum WindUnit {
    kMetresPerSecond = 0,
    kKilometresPerHour = 1,
    kKnots = 2,
    kMilesPerHour = 3,
    kBeaufort = 4
};
enum RainUnit { kMillimetres = 0, kInches = 1 };
enum LightUnit { kFootCandles = 0, kLux = 1, kWattsPerSquareMetre = 2 };

float ConvertTemperature(float celsius, int unit);
float ConvertPressure(float hectopascal, int unit);
float ConvertWindSpeed(float metresPerSecond, int unit);
float ConvertRain(float millimetres, int unit);
float ConvertLight(float lux, int unit);

// Inverse of ConvertWindSpeed for values the user types; a Beaufort number maps to the
// upper bound of its class. No absent-marker test: typed values are never absent.
float WindSpeedToMetres(float value, int unit);

}  // namespace nimbra
