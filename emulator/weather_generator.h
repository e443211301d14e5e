#pragma once

#include <cstdint>
#include <random>

#include "core/ole_date.h"

namespace nimbra::emulator {

// What the console's sensors report in one minute, in canonical units.
struct WeatherSample {
    double inTemp = 0.0;  // °C
    int inHumi = 0;       // %
    double outTemp = 0.0;
    int outHumi = 0;
    double absPressure = 0.0;  // hPa
    double wind = 0.0;         // m/s, average over the minute
    double gust = 0.0;
    int directionSector = 0;  // 0 north, clockwise in steps of 22.5°
    int rainTips = 0;         // rain gauge counts in this minute
    double light = 0.0;       // lux
    int uv = 0;
    bool outdoorContact = true;
};

// Plausible weather of a mid-latitude garden, minute by minute, the same for the same
// seed and the same sequence of times: a daily and seasonal temperature cycle, humidity
// that falls as it warms, slowly drifting pressure that draws cloud and showers, gusty
// wind from a wandering direction, sunlight and UV from the sun's height, and now and
// then a spell without radio contact to the outdoor sensors.
class WeatherGenerator {
public:
    WeatherGenerator(std::uint32_t seed, double absPressure);

    WeatherSample next(const CivilTime& now);

    // Continues from a pressure read back from a saved station.
    void setPressure(double absPressure) { m_pressure = absPressure; }
    // Makes the outdoor sensors silent for the next `minutes` minutes.
    void loseContact(int minutes) { m_silentMinutes = minutes; }

private:
    double uniform();
    double normal();
    void advanceSky();
    int rainTips();
    bool outdoorContact();

    std::mt19937 m_rng;  // its output sequence is fixed by the standard; distributions are not
    double m_pressure;
    double m_pressureTrend = 0.0;  // hPa per minute
    double m_cloud = 0.5;          // 0 clear .. 1 overcast
    double m_tempAnomaly = 0.0;
    double m_indoorAnomaly = 0.0;
    double m_meanWind = 2.0;
    double m_direction = 225.0;  // degrees
    int m_showerMinutes = 0;
    double m_showerRate = 0.0;  // tips per minute
    double m_tipCarry = 0.0;
    int m_silentMinutes = 0;
};

}  // namespace nimbra::emulator
