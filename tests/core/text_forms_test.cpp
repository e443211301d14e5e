#include "core/text_forms.h"

#include <gtest/gtest.h>

#include "core/absent.h"
#include "core/units.h"

namespace nimbra {
namespace {

TEST(TextForms, WindSpeedInEveryUnit) {
    struct Case {
        float value;
        int unit;
        int parts;
        bool raw;
        const char* text;
    };
    const Case cases[] = {
        {10.0f, kMetresPerSecond, kNumberAndUnit, false, "10.0 m/s"},
        {10.0f, kKilometresPerHour, kNumberAndUnit, false, "36.0 km/h"},
        {10.0f, kKnots, kNumberAndUnit, false, "19.4 knot"},
        {10.0f, kMilesPerHour, kNumberAndUnit, false, "22.4 mph"},
        {10.0f, kBeaufort, kNumberAndUnit, false, "5 bft"},  // no decimals
        {0.1f, kBeaufort, kNumberPart, false, "0"},
        {10.0f, kBeaufort, kUnitPart, false, "bft"},
        {7.0f, kBeaufort, kNumberAndUnit, true, "7 bft"},  // raw: already Beaufort
        {36.04f, kKilometresPerHour, kNumberPart, true, "36.0"},
        {kAbsent, kKilometresPerHour, kNumberAndUnit, false, "--.- km/h"},
        {kAbsent, kBeaufort, kNumberPart, true, "--.-"},
        {3.0f, 9, kNumberAndUnit, false, "3.0 m/s"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatWindSpeed(c.value, c.unit, c.parts, c.raw), c.text);
    }
}

TEST(TextForms, Light) {
    EXPECT_EQ(FormatLight(1234.5f, kLux, kNumberAndUnit, false), "1234.5 lux");
    EXPECT_EQ(FormatLight(1267.0f, kWattsPerSquareMetre, kNumberAndUnit, false), "10.0 W/M2");
    EXPECT_EQ(FormatLight(1076.391f, kFootCandles, kNumberAndUnit, false), "100.0 fc");
    EXPECT_EQ(FormatLight(55.0f, kFootCandles, kNumberPart, true), "55.0");
    EXPECT_EQ(FormatLight(kAbsent, kLux, kNumberAndUnit, false), "--.- lux");
    EXPECT_EQ(FormatLight(1.0f, 5, kUnitPart, false), "W/M2");
}

TEST(TextForms, WindDirectionNames) {
    EXPECT_EQ(WindDirectionName(0), "N");
    EXPECT_EQ(WindDirectionName(5), "ESE");
    EXPECT_EQ(WindDirectionName(15), "NNW");
    EXPECT_EQ(WindDirectionName(16), "---");
    EXPECT_EQ(WindDirectionName(17), "---");
    EXPECT_EQ(WindDirectionName(kAbsentInt), "---");
    EXPECT_EQ(WindDirectionName(-1), "---");
}

}  // namespace
}  // namespace nimbra
