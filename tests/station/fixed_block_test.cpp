#include "station/fixed_block.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

#include "core/absent.h"
#include "core/ole_date.h"
#include "core/station_data.h"

namespace nimbra {
namespace {

using Block = std::array<std::uint8_t, memory_map::kFixedBlockSize>;

Block blockWith(std::uint16_t offset, const std::vector<std::uint8_t>& bytes) {
    Block block{};
    std::copy(bytes.begin(), bytes.end(), block.begin() + offset);
    return block;
}

CStationData decoded(const Block& block) {
    CStationData station;
    decodeFixedBlock(block, station);
    return station;
}

// Where each value lives, written out from the console's layout rather than taken from
// the decoder's own tables, so that a wrong offset there shows here.
TEST(FixedBlock, ValuesAtTheirOffsets) {
    using Get = std::function<float(const CStationData&)>;
    struct Case {
        std::uint16_t offset;
        std::vector<std::uint8_t> bytes;
        float expected;
        Get get;
    };
    const std::vector<Case> cases = {
        {16, {30}, 30, [](auto& s) { return s.m_Interval; }},
        {19, {0x5A}, 0x5A, [](auto& s) { return s.m_Display1; }},
        {20, {0xA5}, 0xA5, [](auto& s) { return s.m_Display2; }},
        {24, {0xF8}, 0xF8, [](auto& s) { return s.m_TimeZone; }},
        {27, {0xC0, 0x0C}, 3264, [](auto& s) { return s.m_DataCount; }},
        {29, {0x93}, 0x93, [](auto& s) { return s.m_Flags29; }},
        {30, {0xEC, 0xFF}, 65516, [](auto& s) { return s.m_CurrentPos; }},
        {32, {0x9C, 0x27}, 1014.0f, [](auto& s) { return s.m_RelPressure; }},
        {34, {0x1C, 0x27}, 1001.2f, [](auto& s) { return s.m_AbsPressure; }},
        {48, {65}, 65, [](auto& s) { return s.m_AlarmHigh.InHumi; }},
        {49, {35}, 35, [](auto& s) { return s.m_AlarmLow.InHumi; }},
        {50, {0x7B, 0x80}, -12.3f, [](auto& s) { return s.m_AlarmHigh.InTemp; }},
        {52, {0x05, 0x00}, 0.5f, [](auto& s) { return s.m_AlarmLow.InTemp; }},
        {54, {90}, 90, [](auto& s) { return s.m_AlarmHigh.OutHumi; }},
        {55, {20}, 20, [](auto& s) { return s.m_AlarmLow.OutHumi; }},
        {56, {0x5E, 0x01}, 35.0f, [](auto& s) { return s.m_AlarmHigh.OutTemp; }},
        {58, {0x64, 0x80}, -10.0f, [](auto& s) { return s.m_AlarmLow.OutTemp; }},
        {60, {0x01, 0x00}, 0.1f, [](auto& s) { return s.m_AlarmHigh.WindChill; }},
        {62, {0x02, 0x80}, -0.2f, [](auto& s) { return s.m_AlarmLow.WindChill; }},
        {64, {0x03, 0x00}, 0.3f, [](auto& s) { return s.m_AlarmHigh.DewPoint; }},
        {66, {0x04, 0x80}, -0.4f, [](auto& s) { return s.m_AlarmLow.DewPoint; }},
        {68, {0x38, 0x27}, 1004.0f, [](auto& s) { return s.m_AlarmHigh.AbsPressure; }},
        {70, {0x28, 0x23}, 900.0f, [](auto& s) { return s.m_AlarmLow.AbsPressure; }},
        {72, {0x39, 0x27}, 1004.1f, [](auto& s) { return s.m_AlarmHigh.RelPressure; }},
        {74, {0x29, 0x23}, 900.1f, [](auto& s) { return s.m_AlarmLow.RelPressure; }},
        {76, {6}, 6, [](auto& s) { return s.m_WindAlarmBeaufort; }},
        {77, {0x6F, 0x00}, 11.1f, [](auto& s) { return s.m_AlarmHigh.Wind; }},
        {79, {0xFF}, kAbsentInt, [](auto& s) { return s.m_GustAlarmBeaufort; }},
        {80, {0xFF, 0x0F}, kAbsent, [](auto& s) { return s.m_AlarmHigh.Gust; }},
        {82, {0x0C}, 12, [](auto& s) { return s.m_AlarmHigh.WindDirection; }},
        {83, {0x0F, 0x00}, 1.5f, [](auto& s) { return s.m_AlarmHigh.Rain1; }},
        {85, {0xFA, 0x00}, 25.0f, [](auto& s) { return s.m_AlarmHigh.Rain2; }},
        {87, {0x07}, 7, [](auto& s) { return s.m_AlarmHour; }},
        {88, {0x45}, 45, [](auto& s) { return s.m_AlarmMinute; }},
        {89, {0xA0, 0x86, 0x01}, 10000.0f, [](auto& s) { return s.m_AlarmHigh.Light; }},
        {92, {0x10}, kAbsentInt, [](auto& s) { return s.m_AlarmHigh.UV; }},
        {93, {9}, 9, [](auto& s) { return s.m_Max.UV; }},
        {94, {0x40, 0x0D, 0x03}, 20000.0f, [](auto& s) { return s.m_Max.Light; }},
        {98, {70}, 70, [](auto& s) { return s.m_Max.InHumi; }},
        {99, {30}, 30, [](auto& s) { return s.m_Min.InHumi; }},
        {100, {99}, 99, [](auto& s) { return s.m_Max.OutHumi; }},
        {101, {12}, 12, [](auto& s) { return s.m_Min.OutHumi; }},
        {102, {0x10, 0x01}, 27.2f, [](auto& s) { return s.m_Max.InTemp; }},
        {104, {0xB4, 0x00}, 18.0f, [](auto& s) { return s.m_Min.InTemp; }},
        {106, {0x54, 0x01}, 34.0f, [](auto& s) { return s.m_Max.OutTemp; }},
        {108, {0xD2, 0x80}, -21.0f, [](auto& s) { return s.m_Min.OutTemp; }},
        {110, {0x1E, 0x00}, 3.0f, [](auto& s) { return s.m_Max.WindChill; }},
        {112, {0x2C, 0x81}, -30.0f, [](auto& s) { return s.m_Min.WindChill; }},
        {114, {0xC8, 0x00}, 20.0f, [](auto& s) { return s.m_Max.DewPoint; }},
        {116, {0xFA, 0x80}, -25.0f, [](auto& s) { return s.m_Min.DewPoint; }},
        {118, {0x10, 0x27}, 1000.0f, [](auto& s) { return s.m_Max.AbsPressure; }},
        {120, {0x60, 0x25}, 956.8f, [](auto& s) { return s.m_Min.AbsPressure; }},
        {122, {0x11, 0x27}, 1000.1f, [](auto& s) { return s.m_Max.RelPressure; }},
        {124, {0x61, 0x25}, 956.9f, [](auto& s) { return s.m_Min.RelPressure; }},
        {126, {0xF4, 0x01}, 50.0f, [](auto& s) { return s.m_Max.Wind; }},
        {128, {0x58, 0x02}, 60.0f, [](auto& s) { return s.m_Max.Gust; }},
        {130, {0x1E, 0x00}, 3.0f, [](auto& s) { return s.m_Max.Rain1; }},
        {132, {0x2C, 0x01}, 30.0f, [](auto& s) { return s.m_Max.Rain2; }},
        {134, {0xB8, 0x0B}, 300.0f, [](auto& s) { return s.m_Max.Rain3; }},
    };
    for (const Case& c : cases) {
        EXPECT_FLOAT_EQ(c.get(decoded(blockWith(c.offset, c.bytes))), c.expected)
            << "offset " << c.offset;
    }
}

TEST(FixedBlock, RainMaximaOfMonthAndTotalShareTheirHighBits) {
    const CStationData s = decoded(blockWith(136, {0x10, 0x27, 0x20, 0x4E, 0x21}));
    EXPECT_FLOAT_EQ(s.m_Max.Rain4, (0x10000 + 10000) / 10.0f);
    EXPECT_FLOAT_EQ(s.m_Max.Rain5, (0x20000 + 20000) / 10.0f);
    const CStationData full = decoded(blockWith(136, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_FLOAT_EQ(full.m_Max.Rain4, 104857.5f);  // no absent pattern here
}

TEST(FixedBlock, TimesOfMaximaAndMinimaAtTheirOffsets) {
    struct Case {
        std::uint16_t offset;
        bool max;
        int slot;
    };
    const Case cases[] = {
        {6, true, kSlotUV},
        {11, true, kSlotLight},
        {141, true, kSlotInHumi},
        {146, false, kSlotInHumi},
        {151, true, kSlotOutHumi},
        {156, false, kSlotOutHumi},
        {161, true, kSlotInTemp},
        {166, false, kSlotInTemp},
        {171, true, kSlotOutTemp},
        {176, false, kSlotOutTemp},
        {181, true, kSlotWindChill},
        {186, false, kSlotWindChill},
        {191, true, kSlotDewPoint},
        {196, false, kSlotDewPoint},
        {201, true, kSlotAbsPressure},
        {206, false, kSlotAbsPressure},
        {211, true, kSlotRelPressure},
        {216, false, kSlotRelPressure},
        {221, true, kSlotWind},
        {226, true, kSlotGust},
        {231, true, kSlotRainHour},
        {236, true, kSlotRainDay},
        {241, true, kSlotRainWeek},
        {246, true, kSlotRainMonth},
        {251, true, kSlotRainTotal},
    };
    const double when = OleDate::fromCivil(2025, 3, 14, 15, 9).value();
    for (const Case& c : cases) {
        const CStationData s = decoded(blockWith(c.offset, {0x25, 0x03, 0x14, 0x15, 0x09}));
        const auto& times = c.max ? s.m_MaxTime : s.m_MinTime;
        EXPECT_EQ(times[c.slot], when) << c.offset;
        const auto matches = std::count(s.m_MaxTime.begin(), s.m_MaxTime.end(), when) +
                             std::count(s.m_MinTime.begin(), s.m_MinTime.end(), when);
        EXPECT_EQ(matches, 1) << c.offset;
    }
}

TEST(FixedBlock, UnitBytes) {
    struct Case {
        std::uint8_t units, wind, flags29;
        int inTemp, outTemp, rain, pressure, windUnit, light;
    };
    const Case cases[] = {
        {0x00, 0x00, 0x00, 0, 0, 0, 0, 0, 1}, {0x07, 0x02, 0x01, 1, 1, 1, 0, 1, 0},
        {0x40, 0x06, 0x21, 0, 0, 0, 1, 1, 2}, {0xC0, 0x04, 0x20, 0, 0, 0, 2, 2, 2},
        {0x82, 0x18, 0x00, 0, 1, 0, 2, 3, 1}, {0x38, 0x10, 0x1E, 0, 0, 0, 0, 4, 1},
        {0x00, 0xE1, 0x00, 0, 0, 0, 0, 0, 1},
    };
    for (const Case& c : cases) {
        Block block{};
        block[17] = c.units;
        block[18] = c.wind;
        block[29] = c.flags29;
        const CStationData s = decoded(block);
        EXPECT_EQ(s.InTempUnit, c.inTemp) << int(c.units);
        EXPECT_EQ(s.OutTempUnit, c.outTemp) << int(c.units);
        EXPECT_EQ(s.RainUnit, c.rain) << int(c.units);
        EXPECT_EQ(s.PressureUnit, c.pressure) << int(c.units);
        EXPECT_EQ(s.WindUnit, c.windUnit) << int(c.wind);
        EXPECT_EQ(s.LightUnit, c.light) << int(c.flags29);
    }
}

TEST(FixedBlock, AlarmEnableBits) {
    using Get = std::function<std::uint8_t(const CStationData&)>;
    struct Case {
        std::uint16_t offset;
        int bit;
        Get get;
    };
    auto high = [](int slot) {
        return [slot](const CStationData& s) { return s.m_AlarmHighOn[slot]; };
    };
    auto low = [](int slot) {
        return [slot](const CStationData& s) { return s.m_AlarmLowOn[slot]; };
    };
    const std::vector<Case> cases = {
        {21, 1, [](auto& s) { return s.m_TimeAlarmOn; }},
        {21, 2, [](auto& s) { return s.m_WindDirAlarmOn; }},
        {21, 4, low(kSlotInHumi)},
        {21, 5, high(kSlotInHumi)},
        {21, 6, low(kSlotOutHumi)},
        {21, 7, high(kSlotOutHumi)},
        {22, 0, high(kSlotWind)},
        {22, 1, high(kSlotGust)},
        {22, 2, high(kSlotRainHour)},
        {22, 3, high(kSlotRainDay)},
        {22, 4, low(kSlotAbsPressure)},
        {22, 5, high(kSlotAbsPressure)},
        {22, 6, low(kSlotRelPressure)},
        {22, 7, high(kSlotRelPressure)},
        {23, 0, low(kSlotInTemp)},
        {23, 1, high(kSlotInTemp)},
        {23, 2, low(kSlotOutTemp)},
        {23, 3, high(kSlotOutTemp)},
        {23, 4, low(kSlotWindChill)},
        {23, 5, high(kSlotWindChill)},
        {23, 6, low(kSlotDewPoint)},
        {23, 7, high(kSlotDewPoint)},
        {29, 1, high(kSlotLight)},
        {29, 2, high(kSlotUV)},
    };
    for (const Case& c : cases) {
        Block block{};
        block[c.offset] = static_cast<std::uint8_t>(1 << c.bit);
        EXPECT_EQ(c.get(decoded(block)), 1) << c.offset << " bit " << c.bit;
        block[c.offset] = static_cast<std::uint8_t>(~(1 << c.bit));
        EXPECT_EQ(c.get(decoded(block)), 0) << c.offset << " bit " << c.bit;
    }
}

// A station record filled with arbitrary values the console can hold, in the form the
// decoder produces them (tenths, whole minutes).
CStationData randomStation(std::mt19937& rng) {
    auto pick = [&rng](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(rng);
    };
    auto tenths = [&](int low, int high) { return static_cast<float>(pick(low, high) / 10.0); };
    auto time = [&] {
        return OleDate::fromCivil(pick(2000, 2099), pick(1, 12), pick(1, 28), pick(0, 23),
                                  pick(0, 59))
            .value();
    };
    CStationData s;
    s.m_Interval = pick(1, 255);
    s.InTempUnit = pick(0, 1);
    s.OutTempUnit = pick(0, 1);
    s.RainUnit = pick(0, 1);
    s.PressureUnit = pick(0, 2);
    s.WindUnit = pick(0, 4);
    s.LightUnit = pick(0, 2);
    s.m_Display1 = static_cast<std::uint8_t>(pick(0, 255));
    s.m_Display2 = static_cast<std::uint8_t>(pick(0, 255));
    s.m_TimeZone = pick(0, 255);
    s.m_DataCount = pick(0, 3264);
    s.m_CurrentPos = 256 + 20 * pick(0, 3263);
    s.m_RelPressure = tenths(9000, 11000);
    s.m_AbsPressure = tenths(9000, 11000);
    for (HistoryRecord* r : {&s.m_AlarmHigh, &s.m_AlarmLow, &s.m_Max, &s.m_Min}) {
        r->InHumi = pick(1, 99);
        r->OutHumi = pick(1, 99);
        r->InTemp = tenths(-400, 600);
        r->OutTemp = tenths(-600, 700);
        r->WindChill = tenths(-700, 600);
        r->DewPoint = tenths(-700, 500);
        r->AbsPressure = tenths(3000, 20000);
        r->RelPressure = tenths(3000, 20000);
    }
    for (HistoryRecord* r : {&s.m_AlarmHigh, &s.m_Max}) {
        r->Wind = tenths(0, 4094);
        r->Gust = tenths(0, 4094);
        r->Rain1 = tenths(0, 65534);
        r->Rain2 = tenths(0, 65534);
        r->Light = tenths(0, 2'000'000);
        r->UV = pick(0, 15);
    }
    s.m_Max.Rain3 = tenths(0, 65534);
    s.m_Max.Rain4 = tenths(0, 0xFFFFF);
    s.m_Max.Rain5 = tenths(0, 0xFFFFF);
    s.m_AlarmHigh.WindDirection = pick(0, 15);
    s.m_WindAlarmBeaufort = pick(0, 12);
    s.m_GustAlarmBeaufort = pick(0, 12);
    s.m_AlarmHour = pick(0, 23);
    s.m_AlarmMinute = pick(0, 59);
    s.m_TimeAlarmOn = static_cast<std::uint8_t>(pick(0, 1));
    s.m_WindDirAlarmOn = static_cast<std::uint8_t>(pick(0, 1));
    for (int slot = 0; slot < kMeasurementSlots; ++slot) {
        s.m_AlarmHighOn[slot] = static_cast<std::uint8_t>(pick(0, 1));
        s.m_AlarmLowOn[slot] = static_cast<std::uint8_t>(pick(0, 1));
        s.m_MaxTime[slot] = time();
        s.m_MinTime[slot] = time();
    }
    s.m_Flags29 = static_cast<std::uint8_t>(pick(0, 255));
    return s;
}

void expectSameRecordFields(const HistoryRecord& a, const HistoryRecord& b, const char* which) {
    EXPECT_EQ(a.InHumi, b.InHumi) << which;
    EXPECT_EQ(a.OutHumi, b.OutHumi) << which;
    for (auto m :
         {&HistoryRecord::InTemp, &HistoryRecord::OutTemp, &HistoryRecord::WindChill,
          &HistoryRecord::DewPoint, &HistoryRecord::AbsPressure, &HistoryRecord::RelPressure}) {
        EXPECT_EQ(a.*m, b.*m) << which;
    }
}

TEST(FixedBlock, EncoderIsTheInverseOfTheDecoder) {
    std::mt19937 rng(20240705);
    for (int round = 0; round < 200; ++round) {
        const CStationData in = randomStation(rng);
        Block block{};
        encodeFixedBlock(in, block);
        const CStationData out = decoded(block);

        EXPECT_EQ(out.m_Interval, in.m_Interval);
        EXPECT_EQ(out.paramBlock().InTempUnit, in.InTempUnit);
        EXPECT_EQ(out.OutTempUnit, in.OutTempUnit);
        EXPECT_EQ(out.RainUnit, in.RainUnit);
        EXPECT_EQ(out.PressureUnit, in.PressureUnit);
        EXPECT_EQ(out.WindUnit, in.WindUnit);
        EXPECT_EQ(out.LightUnit, in.LightUnit);
        EXPECT_EQ(out.m_Display1, in.m_Display1);
        EXPECT_EQ(out.m_Display2, in.m_Display2);
        EXPECT_EQ(out.m_TimeZone, in.m_TimeZone);
        EXPECT_EQ(out.m_DataCount, in.m_DataCount);
        EXPECT_EQ(out.m_CurrentPos, in.m_CurrentPos);
        EXPECT_EQ(out.m_RelPressure, in.m_RelPressure);
        EXPECT_EQ(out.m_AbsPressure, in.m_AbsPressure);
        EXPECT_EQ(out.m_Flags29 & 0xD8, in.m_Flags29 & 0xD8);
        expectSameRecordFields(out.m_AlarmHigh, in.m_AlarmHigh, "alarm high");
        expectSameRecordFields(out.m_AlarmLow, in.m_AlarmLow, "alarm low");
        expectSameRecordFields(out.m_Max, in.m_Max, "max");
        expectSameRecordFields(out.m_Min, in.m_Min, "min");
        for (const HistoryRecord* r : {&out.m_AlarmHigh, &out.m_Max}) {
            const HistoryRecord& i = r == &out.m_Max ? in.m_Max : in.m_AlarmHigh;
            EXPECT_EQ(r->Wind, i.Wind);
            EXPECT_EQ(r->Gust, i.Gust);
            EXPECT_EQ(r->Rain1, i.Rain1);
            EXPECT_EQ(r->Rain2, i.Rain2);
            EXPECT_EQ(r->Light, i.Light);
            EXPECT_EQ(r->UV, i.UV);
        }
        EXPECT_EQ(out.m_Max.Rain3, in.m_Max.Rain3);
        EXPECT_EQ(out.m_Max.Rain4, in.m_Max.Rain4);
        EXPECT_EQ(out.m_Max.Rain5, in.m_Max.Rain5);
        EXPECT_EQ(out.m_AlarmHigh.WindDirection, in.m_AlarmHigh.WindDirection);
        EXPECT_EQ(out.m_WindAlarmBeaufort, in.m_WindAlarmBeaufort);
        EXPECT_EQ(out.m_GustAlarmBeaufort, in.m_GustAlarmBeaufort);
        EXPECT_EQ(out.m_AlarmHour, in.m_AlarmHour);
        EXPECT_EQ(out.m_AlarmMinute, in.m_AlarmMinute);
        EXPECT_EQ(out.m_TimeAlarmOn, in.m_TimeAlarmOn);
        EXPECT_EQ(out.m_WindDirAlarmOn, in.m_WindDirAlarmOn);
        // Enables of slots without a bit in the block do not survive; the others must.
        for (int slot = 0; slot < kMeasurementSlots; ++slot) {
            if (slot < kSlotRainWeek || slot > kSlotRainTotal) {
                EXPECT_EQ(out.m_AlarmHighOn[slot], in.m_AlarmHighOn[slot]) << slot;
            }
        }
        for (int slot : {kSlotInTemp, kSlotInHumi, kSlotOutTemp, kSlotOutHumi, kSlotRelPressure,
                         kSlotAbsPressure, kSlotWindChill, kSlotDewPoint}) {
            EXPECT_EQ(out.m_AlarmLowOn[slot], in.m_AlarmLowOn[slot]) << slot;
        }
        for (int slot : {kSlotInTemp, kSlotInHumi, kSlotOutTemp, kSlotOutHumi, kSlotRelPressure,
                         kSlotAbsPressure, kSlotWindChill, kSlotDewPoint}) {
            EXPECT_EQ(out.m_MinTime[slot], in.m_MinTime[slot]) << slot;
        }
        EXPECT_EQ(out.m_MaxTime, in.m_MaxTime);
        if (testing::Test::HasFailure()) {
            break;
        }
    }
}

// Sections leave the bytes of other sections alone, so a console that updates its
// maxima cannot undo a setting the PC has just written.
TEST(FixedBlock, EachSectionWritesOnlyItsOwnBytes) {
    struct Section {
        const char* name;
        void (*encode)(const CStationData&, MutableFixedBlockBytes);
        std::vector<std::pair<int, int>> ranges;  // [first, last] bytes it may touch
    };
    const Section sections[] = {
        {"settings", encodeSettings, {{16, 20}, {24, 24}, {29, 29}, {32, 33}}},
        {"alarms", encodeAlarms, {{21, 23}, {29, 29}, {48, 92}}},
        {"extremes", encodeExtremes, {{6, 15}, {93, 96}, {98, 255}}},
        {"status", encodeStatus, {{27, 28}, {30, 31}, {34, 35}}},
    };
    std::mt19937 rng(7);
    const CStationData station = randomStation(rng);
    for (const Section& section : sections) {
        Block block;
        block.fill(0x5A);
        section.encode(station, block);
        for (int i = 0; i < static_cast<int>(block.size()); ++i) {
            bool owned = false;
            for (auto [first, last] : section.ranges) {
                owned = owned || (i >= first && i <= last);
            }
            if (!owned) {
                EXPECT_EQ(block[i], 0x5A) << section.name << " touched byte " << i;
            }
        }
    }
    Block block{};
    block[17] = 0x38;  // bits no unit owns
    encodeSettings(CStationData{}, block);
    EXPECT_EQ(block[17], 0x38);
}

}  // namespace
}  // namespace nimbra
