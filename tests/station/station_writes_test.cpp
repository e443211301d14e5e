#include "station/station_writes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <set>
#include <tuple>
#include <vector>

#include "core/absent.h"
#include "core/units.h"
#include "station/fixed_block.h"

namespace nimbra {
namespace {

// A station's 64 KiB memory that acknowledges every byte except at one address.
struct StationMemory {
    std::array<std::uint8_t, 0x10000> bytes{};
    std::vector<int> written;
    int failingAddress = -1;

    StationMemory() { bytes.fill(0x5A); }

    WriteByteFunction writer() {
        return [this](int address, unsigned char value) {
            if (address == failingAddress) {
                return 0;
            }
            bytes.at(static_cast<std::size_t>(address)) = value;
            written.push_back(address);
            return 1;
        };
    }

    std::uint8_t at(int address) const { return bytes.at(static_cast<std::size_t>(address)); }
};

std::vector<int> addresses(const StationWritePlan& plan) {
    std::vector<int> result;
    for (const auto& write : plan) {
        result.push_back(write.address);
    }
    return result;
}

const std::vector<int> kSettingsAddresses = {16, 29, 17, 18, 19, 20, 24, 32, 33};

CStationData settingsRecord() {
    CStationData d;
    d.m_Interval = 30;
    d.m_Flags29 = 0x21;
    d.InTempUnit = kFahrenheit;
    d.PressureUnit = kMillimetresOfMercury;
    d.RainUnit = kInches;
    d.WindUnit = kMilesPerHour;
    d.m_Display1 = 0x45;
    d.m_Display2 = 0x11;
    d.m_TimeZone = 0x85;
    d.m_RelPressure = 1013.2f;
    d.m_PrevInTempUnit = d.InTempUnit;
    d.m_PrevOutTempUnit = d.OutTempUnit;
    d.m_PrevPressureUnit = d.PressureUnit;
    d.m_PrevWindUnit = d.WindUnit;
    d.m_PrevRainUnit = d.RainUnit;
    d.m_PrevLightUnit = d.LightUnit;
    return d;
}

TEST(SettingsWrite, UnchangedUnitsSendTheSettingsAndTheCommitByteOnly) {
    CStationData d = settingsRecord();
    StationMemory station;
    ASSERT_EQ(WriteSettings(d, station.writer()), 1);
    const StationWritePlan expected = {{16, 30},   {29, 0x21}, {17, 0x85}, {18, 0x08}, {19, 0x45},
                                       {20, 0x11}, {24, 0x85}, {32, 0x94}, {33, 0x27}, {26, 0xAA}};
    EXPECT_EQ(PlanSettingsWrite(d), expected);
    EXPECT_EQ(station.written, addresses(expected));
    EXPECT_EQ(station.at(32) | station.at(33) << 8, 10132);
}

TEST(SettingsWrite, UnitAndWindUnitBytes) {
    struct Case {
        int pressure, wind, inTemp, outTemp, rain;
        std::uint8_t units, windByte;
    };
    const Case cases[] = {
        // hPa and m/s have bits of their own, as consoles hold them (17 bit 5, 18 bit 0).
        {0, 0, 0, 0, 0, 0x20, 0x01}, {1, 1, 1, 0, 0, 0x41, 0x02}, {2, 2, 0, 1, 0, 0x82, 0x04},
        {0, 3, 0, 0, 1, 0x24, 0x08}, {1, 4, 1, 1, 1, 0x47, 0x10},
    };
    for (const Case& c : cases) {
        CStationData d;
        d.PressureUnit = d.m_PrevPressureUnit = c.pressure;
        d.WindUnit = d.m_PrevWindUnit = c.wind;
        d.InTempUnit = d.m_PrevInTempUnit = c.inTemp;
        d.OutTempUnit = d.m_PrevOutTempUnit = c.outTemp;
        d.RainUnit = d.m_PrevRainUnit = c.rain;
        const StationWritePlan plan = PlanSettingsWrite(d);
        EXPECT_EQ(plan.at(2), (StationByteWrite{17, c.units})) << c.pressure << c.wind;
        EXPECT_EQ(plan.at(3), (StationByteWrite{18, c.windByte})) << c.wind;
    }
}

TEST(SettingsWrite, PressureUnitChangeRewritesTheFourPressureThresholds) {
    CStationData d = settingsRecord();
    d.PressureUnit = d.m_PrevPressureUnit = kHectopascal;
    d.m_AlarmHigh.AbsPressure = 1040.0f;
    d.m_AlarmLow.AbsPressure = 960.0f;
    d.m_AlarmHigh.RelPressure = 1013.2f;
    d.m_AlarmLow.RelPressure = kAbsent;
    d.PressureUnit = kInchesOfMercury;

    StationMemory station;
    ASSERT_EQ(WriteSettings(d, station.writer()), 1);

    std::vector<int> expected = kSettingsAddresses;
    expected.insert(expected.end(), {68, 69, 70, 71, 72, 73, 74, 75, 26});
    EXPECT_EQ(station.written, expected);
    EXPECT_EQ(station.at(17), 0x45);
    // Tenths of an inch of mercury, then tenths of that in the station.
    EXPECT_FLOAT_EQ(d.m_AlarmHigh.AbsPressure, static_cast<float>(1040.0 / 3.38638));
    EXPECT_EQ(station.at(68) | station.at(69) << 8, 3071);  // 307.11
    EXPECT_EQ(station.at(70) | station.at(71) << 8, 2834);  // 283.49
    EXPECT_EQ(station.at(72) | station.at(73) << 8, 2991);  // 299.20
    EXPECT_EQ(station.at(74), 0xFF);
    EXPECT_EQ(station.at(75), 0xFF);
    EXPECT_TRUE(isAbsent(d.m_AlarmLow.RelPressure));
}

TEST(SettingsWrite, ThresholdConversionsPerQuantity) {
    CStationData d = settingsRecord();
    d.InTempUnit = d.m_PrevInTempUnit = kCelsius;
    d.OutTempUnit = d.m_PrevOutTempUnit = kFahrenheit;
    d.RainUnit = d.m_PrevRainUnit = kMillimetres;
    d.WindUnit = d.m_PrevWindUnit = kMetresPerSecond;
    d.LightUnit = d.m_PrevLightUnit = kLux;
    d.m_AlarmHigh.InTemp = 25.0f;
    d.m_AlarmLow.InTemp = -12.3f;
    d.m_AlarmHigh.OutTemp = 104.0f;
    d.m_AlarmLow.DewPoint = 14.0f;
    d.m_AlarmHigh.Rain1 = 10.0f;
    d.m_AlarmHigh.Wind = 10.0f;
    d.m_AlarmHigh.Gust = kAbsent;
    d.m_AlarmHigh.Light = 10763.91f;

    d.InTempUnit = kFahrenheit;
    d.OutTempUnit = kCelsius;
    d.RainUnit = kInches;
    d.WindUnit = kKilometresPerHour;
    d.LightUnit = kFootCandles;
    StationMemory station;
    ASSERT_EQ(WriteSettings(d, station.writer()), 1);

    EXPECT_FLOAT_EQ(d.m_AlarmHigh.InTemp, 77.0f);
    EXPECT_NEAR(d.m_AlarmLow.InTemp, 9.86f, 1e-4);
    EXPECT_FLOAT_EQ(d.m_AlarmHigh.OutTemp, 40.0f);
    EXPECT_FLOAT_EQ(d.m_AlarmLow.DewPoint, -10.0f);
    EXPECT_FLOAT_EQ(d.m_AlarmHigh.Rain1, 3.9f);  // tenths of an inch, one decimal
    EXPECT_FLOAT_EQ(d.m_AlarmHigh.Wind, 36.0f);  // km/h, as the station now holds it
    EXPECT_NEAR(d.m_AlarmHigh.Light, 1000.0f, 1e-2);

    EXPECT_EQ(station.at(50) | station.at(51) << 8, 770);
    EXPECT_EQ(station.at(64), 0xFF);  // dew point high stays absent, low is -10.0
    EXPECT_EQ(station.at(65), 0xFF);
    EXPECT_EQ(station.at(66), 100);
    EXPECT_EQ(station.at(67), 0x80);
    EXPECT_EQ(station.at(83) | station.at(84) << 8, 39);
    EXPECT_EQ(station.at(77) | station.at(78) << 8, 360);
    // An absent wind speed keeps the station's own 12-bit "none".
    EXPECT_EQ(station.at(80), 0xFF);
    EXPECT_EQ(station.at(81), 0x0F);
    EXPECT_EQ(station.at(89) | station.at(90) << 8 | station.at(91) << 16, 10000);
}

TEST(SettingsWrite, AbsentThresholdStaysAbsentWhenItsUnitChanges) {
    CStationData d = settingsRecord();
    d.m_AlarmHigh.InTemp = kAbsent;
    d.m_AlarmLow.InTemp = 20.0f;
    d.InTempUnit = kCelsius;  // was °F
    StationMemory station;
    ASSERT_EQ(WriteSettings(d, station.writer()), 1);
    EXPECT_EQ(station.at(50), 0xFF);
    EXPECT_EQ(station.at(51), 0xFF);
    EXPECT_TRUE(isAbsent(d.m_AlarmHigh.InTemp));
    EXPECT_NEAR(d.m_AlarmLow.InTemp, -6.6667f, 1e-4);
    EXPECT_EQ(station.at(52), 66);
    EXPECT_EQ(station.at(53), 0x80);
}

TEST(SettingsWrite, PlanningAgainAfterAFailedSendDoesNotConvertTwice) {
    CStationData d = settingsRecord();
    d.m_AlarmHigh.InTemp = 100.0f;  // °F
    d.InTempUnit = kCelsius;
    StationMemory station;
    station.failingAddress = 50;
    EXPECT_EQ(WriteSettings(d, station.writer()), 0);
    station.failingAddress = -1;
    EXPECT_EQ(WriteSettings(d, station.writer()), 1);
    EXPECT_NEAR(d.m_AlarmHigh.InTemp, 37.7778f, 1e-4);
}

CStationData alarmRecord() {
    CStationData d;
    d.m_AlarmHigh.Light = 12345.5f;
    d.m_AlarmHigh.UV = 9;
    d.m_Flags29 = 0xFF;
    d.m_AlarmHigh.InHumi = 70;
    d.m_AlarmLow.InHumi = 30;
    d.m_AlarmHigh.InTemp = 28.5f;
    d.m_AlarmLow.InTemp = kAbsent;
    d.m_AlarmLow.OutTemp = -12.3f;
    d.m_AlarmHigh.RelPressure = 1030.0f;
    d.m_WindAlarmBeaufort = 5;
    d.m_AlarmHigh.Wind = 10.0f;
    d.m_AlarmHigh.WindDirection = 13;
    d.m_AlarmHigh.Rain2 = 25.4f;
    d.m_AlarmHour = 7;
    d.m_AlarmMinute = 45;
    return d;
}

TEST(AlarmWrite, BytesInOrderEndingWithTheCommitByte) {
    CStationData d = alarmRecord();
    StationMemory station;
    ASSERT_EQ(WriteAlarms(d, station.writer()), 1);
    const std::vector<int> expectedOrder = {89, 90, 91, 92, 29, 21, 22, 23, 48, 49, 50, 51, 52,
                                            53, 54, 55, 56, 57, 58, 59, 60, 61, 62, 63, 64, 65,
                                            66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 76, 77, 78,
                                            79, 80, 81, 82, 83, 84, 85, 86, 87, 88, 26};
    EXPECT_EQ(station.written, expectedOrder);
    EXPECT_EQ(station.at(89) | station.at(90) << 8 | station.at(91) << 16, 123455);
    EXPECT_EQ(station.at(92), 9);
    EXPECT_EQ(station.at(29), 0x21);  // light unit bits kept, no enables
    EXPECT_EQ(d.m_Flags29, 0x21);
    EXPECT_EQ(station.at(48), 70);
    EXPECT_EQ(station.at(49), 30);
    EXPECT_EQ(station.at(50) | station.at(51) << 8, 285);
    EXPECT_EQ(station.at(52), 0xFF);
    EXPECT_EQ(station.at(53), 0xFF);
    EXPECT_EQ(station.at(58), 0x7B);
    EXPECT_EQ(station.at(59), 0x80);
    EXPECT_EQ(station.at(72) | station.at(73) << 8, 10300);
    EXPECT_EQ(station.at(76), 5);
    EXPECT_EQ(station.at(77) | station.at(78) << 8, 100);
    EXPECT_EQ(station.at(82), 13);
    EXPECT_EQ(station.at(85) | station.at(86) << 8, 254);
    EXPECT_EQ(station.at(87), 0x07);
    EXPECT_EQ(station.at(88), 0x45);
    EXPECT_EQ(station.at(26), 0xAA);
}

TEST(AlarmWrite, AConsoleWithoutTheSolarSensorGetsNoLightOrUvThreshold) {
    CStationData d = alarmRecord();
    d.m_Kind = StationKind::records16;
    StationMemory station;
    ASSERT_EQ(WriteAlarms(d, station.writer()), 1);
    EXPECT_EQ(station.written.front(), 29);
    EXPECT_EQ(std::count_if(station.written.begin(), station.written.end(),
                            [](int address) { return address >= 89 && address <= 92; }),
              0);
    EXPECT_EQ(station.written.size(), 46u);

    // Nor does a change of the light unit rewrite a light threshold.
    d.m_PrevLightUnit = 0;
    d.LightUnit = 1;
    for (const StationByteWrite& write : PlanSettingsWrite(d)) {
        EXPECT_TRUE(write.address < 89 || write.address > 92) << write.address;
    }
    EXPECT_EQ(d.m_PrevLightUnit, 1);
}

TEST(AlarmWrite, TimeAlarmAsBcdAndBlankAsNone) {
    struct Case {
        int hour, minute;
        std::uint8_t hourByte, minuteByte;
    };
    for (const Case& c : {Case{7, 45, 0x07, 0x45}, Case{23, 59, 0x23, 0x59}, Case{0, 0, 0, 0},
                          Case{-1, -1, 0xFF, 0xFF}}) {
        CStationData d = alarmRecord();
        d.m_AlarmHour = c.hour;
        d.m_AlarmMinute = c.minute;
        const StationWritePlan plan = PlanAlarmWrite(d);
        const auto size = plan.size();
        EXPECT_EQ(plan[size - 3], (StationByteWrite{87, c.hourByte})) << c.hour;
        EXPECT_EQ(plan[size - 2], (StationByteWrite{88, c.minuteByte})) << c.minute;
    }
}

TEST(AlarmWrite, EveryEnableLandsOnItsOwnBit) {
    struct Enable {
        bool high;
        int slot;
        int address;
        std::uint8_t bit;
    };
    const Enable enables[] = {
        {false, kSlotInHumi, 21, 0x10},      {true, kSlotInHumi, 21, 0x20},
        {false, kSlotOutHumi, 21, 0x40},     {true, kSlotOutHumi, 21, 0x80},
        {true, kSlotWind, 22, 0x01},         {true, kSlotGust, 22, 0x02},
        {true, kSlotRainHour, 22, 0x04},     {true, kSlotRainDay, 22, 0x08},
        {false, kSlotAbsPressure, 22, 0x10}, {true, kSlotAbsPressure, 22, 0x20},
        {false, kSlotRelPressure, 22, 0x40}, {true, kSlotRelPressure, 22, 0x80},
        {false, kSlotInTemp, 23, 0x01},      {true, kSlotInTemp, 23, 0x02},
        {false, kSlotOutTemp, 23, 0x04},     {true, kSlotOutTemp, 23, 0x08},
        {false, kSlotWindChill, 23, 0x10},   {true, kSlotWindChill, 23, 0x20},
        {false, kSlotDewPoint, 23, 0x40},    {true, kSlotDewPoint, 23, 0x80},
        {true, kSlotLight, 29, 0x02},        {true, kSlotUV, 29, 0x04},
    };
    const std::set<int> enableBytes = {21, 22, 23, 29};
    for (const Enable& e : enables) {
        CStationData d = alarmRecord();
        d.m_Flags29 = 0;
        (e.high ? d.m_AlarmHighOn : d.m_AlarmLowOn)[static_cast<std::size_t>(e.slot)] = 1;
        for (const auto& write : PlanAlarmWrite(d)) {
            if (enableBytes.contains(write.address)) {
                EXPECT_EQ(write.value, write.address == e.address ? e.bit : 0)
                    << "slot " << e.slot << (e.high ? " high" : " low") << " at " << write.address;
            }
        }
    }
    CStationData d = alarmRecord();
    d.m_TimeAlarmOn = 1;
    d.m_WindDirAlarmOn = 1;
    EXPECT_EQ(PlanAlarmWrite(d).at(5), (StationByteWrite{21, 0x06}));
}

// Each threshold is sent in a form of its own; the station must read every one back as
// the value that was sent.
TEST(AlarmWrite, WhatItSendsDecodesBackAsTheSameAlarms) {
    CStationData d;
    HistoryRecord& high = d.m_AlarmHigh;
    HistoryRecord& low = d.m_AlarmLow;
    high.InTemp = 28.5f;
    low.InTemp = -5.5f;
    high.OutTemp = 35.5f;
    low.OutTemp = -12.5f;
    high.WindChill = 10.5f;
    low.WindChill = -20.5f;
    high.DewPoint = 20.5f;
    low.DewPoint = kAbsent;
    high.AbsPressure = 1040.5f;
    low.AbsPressure = 960.5f;
    high.RelPressure = 1030.5f;
    low.RelPressure = 970.5f;
    high.Wind = 10.5f;
    high.Gust = kAbsent;
    high.Rain1 = 5.5f;
    high.Rain2 = 25.5f;
    high.Light = 12345.5f;
    high.InHumi = 70;
    low.InHumi = 30;
    high.OutHumi = 80;
    low.OutHumi = 20;
    high.WindDirection = 13;
    high.UV = 9;
    d.m_WindAlarmBeaufort = 5;
    d.m_GustAlarmBeaufort = 7;
    d.m_AlarmHour = 7;
    d.m_AlarmMinute = 45;
    d.m_TimeAlarmOn = 1;
    for (const int slot : {kSlotInTemp, kSlotRelPressure, kSlotRainDay, kSlotUV}) {
        d.m_AlarmHighOn[static_cast<std::size_t>(slot)] = 1;
    }
    d.m_AlarmLowOn[kSlotOutHumi] = 1;

    std::array<std::uint8_t, 256> block{};
    for (const StationByteWrite& write : PlanAlarmWrite(d)) {
        block.at(static_cast<std::size_t>(write.address)) = write.value;
    }
    CStationData back;
    decodeFixedBlock(FixedBlockBytes(block), back);
    EXPECT_EQ(back.m_AlarmHigh, d.m_AlarmHigh);
    EXPECT_EQ(back.m_AlarmLow, d.m_AlarmLow);
    EXPECT_EQ(back.m_AlarmHighOn, d.m_AlarmHighOn);
    EXPECT_EQ(back.m_AlarmLowOn, d.m_AlarmLowOn);
    EXPECT_EQ(std::tuple(back.m_TimeAlarmOn, back.m_WindAlarmBeaufort, back.m_GustAlarmBeaufort,
                         back.m_AlarmHour, back.m_AlarmMinute),
              std::tuple(d.m_TimeAlarmOn, 5, 7, 7, 45));
}

TEST(AlarmWrite, FailureStopsTheWriteWhereItHappened) {
    CStationData d = alarmRecord();
    StationMemory station;
    station.failingAddress = 22;
    EXPECT_EQ(WriteAlarms(d, station.writer()), 0);
    EXPECT_EQ(station.written, (std::vector<int>{89, 90, 91, 92, 29, 21}));
    for (int address = 22; address < 256; ++address) {
        if (address != 29 && (address < 89 || address > 92)) {
            EXPECT_EQ(station.at(address), 0x5A) << address;
        }
    }
}

TEST(ClearMemory, ZeroesTheRecordCountThenCommits) {
    StationMemory station;
    ASSERT_EQ(ClearMemory(station.writer()), 1);
    EXPECT_EQ(station.written, (std::vector<int>{27, 28, 26}));
    EXPECT_EQ(station.at(27), 0);
    EXPECT_EQ(station.at(28), 0);
    EXPECT_EQ(station.at(26), 0xAA);

    StationMemory failing;
    failing.failingAddress = 28;
    EXPECT_EQ(ClearMemory(failing.writer()), 0);
    EXPECT_EQ(failing.written, (std::vector<int>{27}));
    EXPECT_EQ(failing.at(26), 0x5A);
}

}  // namespace
}  // namespace nimbra
