#include <gtest/gtest.h>

#include <functional>

#include "core/absent.h"
#include "core/derived.h"
#include "core/units.h"

namespace nimbra {
namespace {

TEST(Conversions, AbsentMarkerSurvivesEveryConversionAndUnitCode) {
    const std::function<float(float, int)> conversions[] = {
        ConvertTemperature, ConvertPressure, ConvertWindSpeed, ConvertRain, ConvertLight};
    for (const auto& convert : conversions) {
        for (int unit = -1; unit <= 7; ++unit) {
            EXPECT_EQ(convert(kAbsent, unit), kAbsent) << "unit " << unit;
        }
    }
    EXPECT_EQ(ComputeDewPoint(kAbsent, 50), kAbsent);
    EXPECT_EQ(ComputeDewPoint(20.0f, kAbsentInt), kAbsent);
    EXPECT_EQ(ComputeWindChill(kAbsent, 3.0f), kAbsent);
    EXPECT_EQ(ComputeWindChill(5.0f, kAbsent), kAbsent);
}

TEST(Conversions, UnitFormulas) {
    struct Case {
        float (*convert)(float, int);
        float value;
        int unit;
        float expected;
        float tolerance;
    };
    const Case cases[] = {
        {ConvertTemperature, 0.0f, kFahrenheit, 32.0f, 0.0f},
        {ConvertTemperature, -40.0f, kFahrenheit, -40.0f, 0.0f},
        {ConvertTemperature, 21.5f, kCelsius, 21.5f, 0.0f},
        {ConvertPressure, 1013.25f, kInchesOfMercury, 29.921f, 0.001f},
        // The mmHg divisor is 1.3333, not 1.33322.
        {ConvertPressure, 1013.25f, kMillimetresOfMercury, 759.96f, 0.005f},
        {ConvertPressure, 1013.25f, 7, 1013.25f, 0.0f},
        {ConvertWindSpeed, 10.0f, kKilometresPerHour, 36.0f, 0.0001f},
        {ConvertWindSpeed, 10.0f, kKnots, 19.43844f, 0.0001f},
        {ConvertWindSpeed, 10.0f, kMilesPerHour, 22.36936f, 0.0001f},
        {ConvertWindSpeed, 10.0f, 9, 10.0f, 0.0f},
        {ConvertRain, 25.4f, kInches, 1.0f, 0.00001f},
        {ConvertRain, 25.4f, kMillimetres, 25.4f, 0.0f},
        // Light: code 1 (lux) is the identity, code 0 (fc) converts.
        {ConvertLight, 1076.391f, kFootCandles, 100.0f, 0.001f},
        {ConvertLight, 1267.0f, kWattsPerSquareMetre, 10.0f, 0.0001f},
        {ConvertLight, 1234.5f, kLux, 1234.5f, 0.0f},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(c.convert(c.value, c.unit), c.expected, c.tolerance)
            << c.value << " in unit " << c.unit;
    }
}

TEST(Conversions, BeaufortClassesAreDecidedOnTruncatedTenths) {
    const std::pair<float, float> cases[] = {
        {0.0f, 0},
        {0.29f, 0},
        {0.3f, 1},
        {1.5f, 1},
        {1.59f, 1},
        {1.6f, 2},
        {3.4f, 2},
        {3.5f, 3},
        {5.4f, 3},
        {5.5f, 4},
        {7.9f, 4},
        {8.0f, 5},
        {10.7f, 5},
        {10.8f, 6},
        {13.8f, 6},
        {13.95f, 7},
        {17.1f, 7},
        {17.2f, 8},
        {20.7f, 8},
        {20.85f, 9},
        {24.4f, 9},
        {24.5f, 10},
        {28.4f, 10},
        {28.5f, 11},
        {32.6f, 11},
        {32.7f, 12},
        {1e30f, 12},
        // 13.9f is 13.8999996 m/s: 138 whole tenths, still class 6.
        {13.9f, 6},
    };
    for (const auto& [speed, beaufort] : cases) {
        EXPECT_EQ(ConvertWindSpeed(speed, kBeaufort), beaufort) << speed << " m/s";
    }
}

TEST(Conversions, TypedWindSpeedsBackToMetres) {
    EXPECT_NEAR(WindSpeedToMetres(36.0f, kKilometresPerHour), 10.0f, 1e-5f);
    EXPECT_NEAR(WindSpeedToMetres(19.43844f, kKnots), 10.0f, 1e-5f);
    EXPECT_NEAR(WindSpeedToMetres(22.36936f, kMilesPerHour), 10.0f, 1e-5f);
    EXPECT_EQ(WindSpeedToMetres(7.5f, kMetresPerSecond), 7.5f);
    const float classTops[] = {0.0f,  1.5f,  3.4f,  5.4f,  7.9f,  10.7f, 13.8f,
                               17.1f, 20.7f, 24.4f, 28.4f, 32.6f, 36.9f};
    for (int beaufort = 0; beaufort <= 12; ++beaufort) {
        EXPECT_EQ(WindSpeedToMetres(static_cast<float>(beaufort), kBeaufort), classTops[beaufort]);
    }
    EXPECT_EQ(WindSpeedToMetres(4.9f, kBeaufort), 7.9f);  // truncated to class 4
    EXPECT_EQ(WindSpeedToMetres(-3.0f, kBeaufort), 36.9f);
    EXPECT_EQ(WindSpeedToMetres(1e9f, kBeaufort), 36.9f);
}

TEST(DerivedQuantities, DewPoint) {
    EXPECT_NEAR(ComputeDewPoint(20.0f, 50), 9.3f, 0.1f);
    EXPECT_NEAR(ComputeDewPoint(20.0f, 100), 20.0f, 0.1f);
    EXPECT_NEAR(ComputeDewPoint(-10.0f, 80), -12.9f, 0.3f);
    // The logarithm of zero humidity has no value: absent rather than -inf.
    EXPECT_EQ(ComputeDewPoint(20.0f, 0), kAbsent);
}

TEST(DerivedQuantities, WindChillAppliesOnlyWhenColdAndWindy) {
    EXPECT_EQ(ComputeWindChill(34.0f, 20.0f), 34.0f);
    EXPECT_EQ(ComputeWindChill(5.0f, 1.79f), 5.0f);
    const float atThreshold = ComputeWindChill(5.0f, 1.8f);
    EXPECT_LT(atThreshold, 5.0f);
    EXPECT_NEAR(ComputeWindChill(-10.0f, 10.0f), -27.83f, 0.01f);
    EXPECT_EQ(ComputeWindChill(33.0f, 10.0f), 33.0f);  // 33 - (...) * 0
}

}  // namespace
}  // namespace nimbra
