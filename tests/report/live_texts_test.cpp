#include "report/live_texts.h"

#include <gtest/gtest.h>

#include "core/absent.h"
#include "core/units.h"

namespace nimbra {
namespace {

TEST(LiveTexts, NumberFormsPerUnit) {
    EXPECT_EQ(PressureText(1013.25f, kHectopascal), "1013.2 hpa");
    EXPECT_EQ(PressureText(1013.25f, kInchesOfMercury), "29.92 inHg");  // two decimals
    EXPECT_EQ(PressureText(1013.25f, kMillimetresOfMercury), "760.0 mmHg");
    EXPECT_EQ(TemperatureText(21.44f, kCelsius), "21.4 \u00B0C");
    EXPECT_EQ(TemperatureText(0.0f, kFahrenheit), "32.0 \u00B0F");
    EXPECT_EQ(HumidityText(45), "45 %");
    EXPECT_EQ(RainText(12.345f, kMillimetres), "12.35 mm");
    EXPECT_EQ(RainText(25.4f, kInches), "1.00 inch");
    EXPECT_EQ(LightText(1267.0f, kWattsPerSquareMetre), "10.0 W/M2");
    EXPECT_EQ(UvText(7), "7  ");
}

TEST(LiveTexts, AbsentValuesKeepTheirUnit) {
    EXPECT_EQ(PressureText(kAbsent, kInchesOfMercury), "--.- inHg");
    EXPECT_EQ(TemperatureText(kAbsent, kFahrenheit), "--.- \u00B0F");
    EXPECT_EQ(HumidityText(kAbsentInt), "-- %");
    EXPECT_EQ(RainText(kAbsent, kMillimetres), "--.- mm");
    EXPECT_EQ(LightText(kAbsent, kLux), "--.- lux");
    EXPECT_EQ(UvText(kAbsentInt), "--  ");
    float number = 1.0f;
    EXPECT_FALSE(shownNumber("--.- mm", number));
    EXPECT_FALSE(shownNumber("-- %", number));
    EXPECT_TRUE(shownNumber("-12.5 \u00B0C", number));
    EXPECT_EQ(number, -12.5f);
}

TEST(LiveTexts, GaugeScalesAndThermometerBars) {
    EXPECT_EQ(RainGaugeFullScale(0.0f, 0, kMillimetres), 40.0f);
    EXPECT_EQ(RainGaugeFullScale(39.99f, 0, kMillimetres), 40.0f);
    EXPECT_EQ(RainGaugeFullScale(40.0f, 0, kMillimetres), 80.0f);  // on a step: the next one
    EXPECT_EQ(RainGaugeFullScale(250.0f, 2, kMillimetres), 400.0f);
    EXPECT_EQ(RainGaugeFullScale(0.0f, 4, kInches), 16.0f);
    EXPECT_EQ(RainGaugeFullScale(2.0f, 0, kInches), 4.0f);
    EXPECT_EQ(ThermometerTop(60.0f, kCelsius), 270.0f);
    EXPECT_EQ(ThermometerTop(-40.0f, kCelsius), 570.0f);
    EXPECT_NEAR(ThermometerTop(140.0f, kFahrenheit), 270.0f, 1e-4f);
}

}  // namespace
}  // namespace nimbra
