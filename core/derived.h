#pragma once

#include <cstdint>

namespace nimbra {

// Dew point in °C from the outdoor temperature (°C) and relative humidity (%).
// A humidity of 0 or less has no dew point and gives the absent marker.
float ComputeDewPoint(float celsius, std::int32_t humidityPercent);

// Wind chill in °C from the temperature (°C) and the average wind speed (m/s).
// Above 33 °C or below 6.48 km/h the temperature itself is the result.
float ComputeWindChill(float celsius, float metresPerSecond);

}  // namespace nimbra
