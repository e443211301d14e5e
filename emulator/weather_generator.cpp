#include "emulator/weather_generator.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace nimbra::emulator {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kLatitude = 50.0 * kPi / 180.0;
constexpr double kMeanPressure = 1002.0;  // absolute, a little above sea level
constexpr double kMinutesPerDay = 1440.0;

int dayOfYear(const CivilTime& t) {
    static constexpr int kBefore[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    const bool leap = (t.year % 4 == 0 && t.year % 100 != 0) || t.year % 400 == 0;
    return kBefore[t.month - 1] + t.day + (leap && t.month > 2 ? 1 : 0);
}

// Sine of the sun's elevation at local solar time.
double sunHeight(const CivilTime& t) {
    const double declination =
        23.44 * kPi / 180.0 * std::sin(2.0 * kPi * (284 + dayOfYear(t)) / 365.0);
    const double hourAngle = (t.hour * 60 + t.minute - 720) / kMinutesPerDay * 2.0 * kPi;
    return std::sin(kLatitude) * std::sin(declination) +
           std::cos(kLatitude) * std::cos(declination) * std::cos(hourAngle);
}

}  // namespace

WeatherGenerator::WeatherGenerator(std::uint32_t seed, double absPressure)
    : m_rng(seed), m_pressure(absPressure) {
    m_cloud = uniform();
    m_direction = 360.0 * uniform();
    m_meanWind = 1.0 + 4.0 * uniform();
}

double WeatherGenerator::uniform() {
    return (static_cast<double>(m_rng()) + 0.5) / 4294967296.0;
}

// Box-Muller from two fresh uniforms, so the sequence depends on nothing but the engine.
double WeatherGenerator::normal() {
    const double u = uniform();
    const double v = uniform();
    return std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * kPi * v);
}

void WeatherGenerator::advanceSky() {
    m_pressureTrend = 0.999 * m_pressureTrend + 0.0004 * normal();
    m_pressure += m_pressureTrend + 0.0002 * (kMeanPressure - m_pressure);
    m_pressure = std::clamp(m_pressure, 950.0, 1050.0);
    // Falling and low pressure bring cloud.
    const double cloudTarget =
        std::clamp(0.5 - (m_pressure - kMeanPressure) / 30.0 - m_pressureTrend * 40.0, 0.0, 1.0);
    m_cloud = std::clamp(m_cloud + 0.01 * (cloudTarget - m_cloud) + 0.01 * normal(), 0.0, 1.0);
}

int WeatherGenerator::rainTips() {
    if (m_showerMinutes == 0) {
        const double chance = 0.003 * std::max(0.0, m_cloud - 0.6) / 0.4;
        if (uniform() < chance) {
            m_showerMinutes = 10 + static_cast<int>(110.0 * uniform());
            m_showerRate = 0.05 + 0.55 * uniform() * uniform();
        }
    }
    if (m_showerMinutes == 0) {
        return 0;
    }
    --m_showerMinutes;
    m_tipCarry += m_showerRate * (0.5 + uniform());
    const int tips = static_cast<int>(m_tipCarry);
    m_tipCarry -= tips;
    return tips;
}

bool WeatherGenerator::outdoorContact() {
    if (m_silentMinutes == 0 && uniform() < 1.0 / 4000.0) {
        m_silentMinutes = 5 + static_cast<int>(40.0 * uniform());
    }
    if (m_silentMinutes > 0) {
        --m_silentMinutes;
        return false;
    }
    return true;
}

WeatherSample WeatherGenerator::next(const CivilTime& now) {
    advanceSky();
    WeatherSample s;
    const int minuteOfDay = now.hour * 60 + now.minute;
    const double raining = m_showerMinutes > 0 ? 1.0 : 0.0;

    const double seasonalMean = 9.0 - 8.0 * std::cos(2.0 * kPi * (dayOfYear(now) - 20) / 365.0);
    const double dailySwing = (4.0 + 3.0 * (1.0 - m_cloud)) *
                              std::cos(2.0 * kPi * (minuteOfDay - 15 * 60) / kMinutesPerDay);
    m_tempAnomaly = 0.999 * m_tempAnomaly + 0.03 * normal();
    s.outTemp = seasonalMean + dailySwing + m_tempAnomaly - 1.5 * raining;

    const double humidity = 75.0 - 3.2 * (s.outTemp - seasonalMean) + 20.0 * (m_cloud - 0.5) +
                            15.0 * raining + 1.5 * normal();
    s.outHumi = static_cast<int>(std::lround(std::clamp(humidity, 12.0, 99.0)));

    m_indoorAnomaly = 0.995 * m_indoorAnomaly + 0.02 * normal();
    s.inTemp = 20.5 + 1.2 * std::cos(2.0 * kPi * (minuteOfDay - 19 * 60) / kMinutesPerDay) +
               0.05 * (s.outTemp - seasonalMean) + m_indoorAnomaly;
    s.inHumi =
        static_cast<int>(std::lround(std::clamp(45.0 + 0.25 * (humidity - 70.0), 25.0, 75.0)));

    s.absPressure = m_pressure;

    const double windBase = 1.5 + 5.0 * m_cloud + 400.0 * std::abs(m_pressureTrend);
    m_meanWind =
        std::clamp(m_meanWind + 0.01 * (windBase - m_meanWind) + 0.08 * normal(), 0.0, 20.0);
    s.wind = std::max(0.0, m_meanWind + 0.4 * normal());
    s.gust = std::min(s.wind * (1.25 + 0.45 * uniform()) + 0.6 * uniform(), 49.0);
    m_direction = std::fmod(m_direction + 4.0 * normal() + 360.0, 360.0);
    s.directionSector = static_cast<int>(std::lround(m_direction / 22.5)) % 16;

    s.rainTips = rainTips();

    const double sun = std::max(0.0, sunHeight(now));
    const double daylight = (1.0 - 0.75 * m_cloud) * (1.0 - 0.5 * raining);
    s.light = 110000.0 * std::pow(sun, 1.15) * daylight;
    s.uv =
        std::clamp(static_cast<int>(std::lround(12.0 * sun * sun * (1.0 - 0.6 * m_cloud))), 0, 15);

    s.outdoorContact = outdoorContact();
    return s;
}

}  // namespace nimbra::emulator
