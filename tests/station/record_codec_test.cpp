#include "station/record_codec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>

#include "core/absent.h"
#include "core/derived.h"
#include "core/station_data.h"

namespace nimbra {
namespace {

using Record = std::array<std::uint8_t, memory_map::kMaxRecordSize>;

// 30 minutes, 45 % at 21.5 °C indoors, 80 % at -3.2 °C outdoors, 1013.2 hPa, wind 3.4 m/s
// gusting 7.9 from sector 5, rain counter 1234, 25000.5 lux, UV 3.
constexpr Record kTypical = {30,   45,   0xD7, 0x00, 80,   0x20, 0x80, 0x94, 0x27, 0x22,
                             0x4F, 0x00, 0x05, 0xD2, 0x04, 0x00, 0x95, 0xD0, 0x03, 0x03};

Record with(Record r, std::size_t offset, std::uint8_t value) {
    r[offset] = value;
    return r;
}

TEST(RecordCodec, DecodesEveryFieldOfATypicalRecord) {
    const DecodedRecord d = decodeHistoryRecord(kTypical, 12.5f);
    const HistoryRecord& r = d.record;
    EXPECT_TRUE(d.valid);
    EXPECT_EQ(r.Interval, 30);
    EXPECT_EQ(r.InHumi, 45);
    EXPECT_FLOAT_EQ(r.InTemp, 21.5f);
    EXPECT_EQ(r.OutHumi, 80);
    EXPECT_FLOAT_EQ(r.OutTemp, -3.2f);
    EXPECT_FLOAT_EQ(r.AbsPressure, 1013.2f);
    EXPECT_FLOAT_EQ(r.RelPressure, 1025.7f);
    EXPECT_FLOAT_EQ(r.Wind, 3.4f);
    EXPECT_FLOAT_EQ(r.Gust, 7.9f);
    EXPECT_EQ(r.WindDirection, 5);
    EXPECT_EQ(r.Rcount, 1234);
    EXPECT_FLOAT_EQ(r.Light, 25000.5f);
    EXPECT_EQ(r.UV, 3);
    EXPECT_EQ(r.DewPoint, ComputeDewPoint(r.OutTemp, r.OutHumi));
    EXPECT_EQ(r.WindChill, ComputeWindChill(r.OutTemp, r.Wind));
    EXPECT_EQ(r.Time, 0.0);
    EXPECT_EQ(r.Rain, 0.0f);
}

// A console without the solar sensor keeps the first sixteen bytes alone: the same
// readings, no light and no UV; its encoder writes nothing past them.
TEST(RecordCodec, SixteenByteRecordsHoldNoLightOrUv) {
    const HistoryRecord full = decodeHistoryRecord(kTypical, 12.5f).record;
    const DecodedRecord d =
        decodeHistoryRecord(recordBytesOf(kTypical.data(), StationKind::records16), 12.5f);
    HistoryRecord expected = full;
    expected.Light = kAbsent;
    expected.UV = kAbsentInt;
    EXPECT_TRUE(d.valid);
    EXPECT_EQ(d.record, expected);

    Record bytes;
    bytes.fill(0xA5);
    encodeHistoryRecord(full, OutdoorSensor::inContact,
                        recordBytesOf(bytes.data(), StationKind::records16));
    EXPECT_TRUE(std::equal(kTypical.begin(), kTypical.begin() + 16, bytes.begin()));
    EXPECT_TRUE(std::all_of(bytes.begin() + 16, bytes.end(), [](auto b) { return b == 0xA5; }));
}

TEST(RecordCodec, WindAndGustShareTheirHighNibbleByte) {
    struct Case {
        std::uint8_t windLow, gustLow, high;
        float wind, gust;
    };
    const Case cases[] = {
        {0xF4, 0x00, 0x01, 50.0f, 0.0f},    // 50.0 m/s is kept
        {0xF5, 0x00, 0x01, kAbsent, 0.0f},  // 50.1 m/s is noise
        {0x00, 0xF4, 0x10, 0.0f, 50.0f},    // the gust takes the high nibble
        {0xFF, 0x10, 0x0F, kAbsent, 1.6f},  // wind absent, gust still read
        {0x10, 0xFF, 0xF0, 1.6f, kAbsent},  // gust absent, wind still read
        {0xFF, 0xFF, 0xFF, kAbsent, kAbsent},
        {0xFF, 0x00, 0x0E, kAbsent, 0.0f},  // 0xEFF is a number, above the limit
    };
    for (const Case& c : cases) {
        Record r = with(with(with(kTypical, 9, c.windLow), 10, c.gustLow), 11, c.high);
        const HistoryRecord h = decodeHistoryRecord(r, 0.0f).record;
        EXPECT_FLOAT_EQ(h.Wind, c.wind) << int(c.windLow) << " " << int(c.high);
        EXPECT_FLOAT_EQ(h.Gust, c.gust) << int(c.gustLow) << " " << int(c.high);
        EXPECT_EQ(h.WindChill, ComputeWindChill(h.OutTemp, h.Wind));
    }
}

TEST(RecordCodec, NoContactBlanksTheOutdoorValuesButKeepsIndoorsAndPressure) {
    for (std::uint8_t status : {0x40, 0xC0}) {
        const DecodedRecord d = decodeHistoryRecord(with(kTypical, 15, status), 10.0f);
        const HistoryRecord& r = d.record;
        EXPECT_TRUE(d.valid);
        for (std::int32_t v : {r.OutHumi, r.WindDirection, r.UV}) {
            EXPECT_EQ(v, kAbsentInt);
        }
        for (float v : {r.OutTemp, r.Wind, r.Gust, r.DewPoint, r.WindChill, r.Light}) {
            EXPECT_EQ(v, kAbsent);
        }
        EXPECT_EQ(r.Rcount, -1);
        EXPECT_EQ(r.InHumi, 45);
        EXPECT_FLOAT_EQ(r.InTemp, 21.5f);
        EXPECT_FLOAT_EQ(r.AbsPressure, 1013.2f);
        EXPECT_FLOAT_EQ(r.RelPressure, 1023.2f);
    }
}

TEST(RecordCodec, ValidityRule) {
    struct Case {
        const char* what;
        Record bytes;
        bool valid;
    };
    const Case cases[] = {
        {"interval 0", with(kTypical, 0, 0), false},
        {"interval 241", with(kTypical, 0, 241), true},
        {"interval 242", with(kTypical, 0, 242), false},
        {"indoor humidity 0", with(kTypical, 1, 0), false},
        {"indoor humidity 1", with(kTypical, 1, 1), true},
        {"indoor humidity 100", with(kTypical, 1, 100), false},
        {"indoor humidity absent", with(kTypical, 1, 0xFF), true},
        {"indoor 60.0", with(with(kTypical, 2, 0x58), 3, 0x02), true},
        {"indoor 60.1", with(with(kTypical, 2, 0x59), 3, 0x02), false},
        {"indoor -40.1", with(with(kTypical, 2, 0x91), 3, 0x81), false},
        {"indoor absent", with(with(kTypical, 2, 0xFF), 3, 0xFF), true},
        {"pressure 299.9", with(with(kTypical, 7, 0xB7), 8, 0x0B), false},
        {"pressure 2000.1", with(with(kTypical, 7, 0x21), 8, 0x4E), false},
        {"pressure absent", with(with(kTypical, 7, 0xFF), 8, 0xFF), true},
        {"outdoor humidity 100", with(kTypical, 4, 100), false},
        {"outdoor humidity 0", with(kTypical, 4, 0), false},
        {"outdoor humidity 100, no contact", with(with(kTypical, 4, 100), 15, 0x40), true},
        {"outdoor humidity absent", with(kTypical, 4, 0xFF), true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(decodeHistoryRecord(c.bytes, 0.0f).valid, c.valid) << c.what;
    }
}

TEST(RecordCodec, RainCounterOverflowBitStandsFor65535) {
    EXPECT_EQ(decodeHistoryRecord(with(kTypical, 15, 0x80), 0.0f).record.Rcount, 1234 + 65535);
    const Record top = with(with(with(kTypical, 13, 0xFF), 14, 0xFF), 15, 0x80);
    EXPECT_EQ(decodeHistoryRecord(top, 0.0f).record.Rcount, kMaxRainCount);
}

// Pressures of the fixed block that are absent must not turn into an offset of
// thousands of hectopascals.
TEST(RecordCodec, RelativePressureNeedsBothFixedBlockPressures) {
    CStationData station;
    station.m_RelPressure = 1020.0f;
    station.m_AbsPressure = 1000.0f;
    EXPECT_FLOAT_EQ(decodeHistoryRecord(kTypical, station).RelPressure, 1033.2f);
    station.m_AbsPressure = kAbsent;
    EXPECT_EQ(decodeHistoryRecord(kTypical, station).RelPressure, kAbsent);
    station.m_AbsPressure = 1000.0f;
    station.m_RelPressure = kAbsent;
    EXPECT_EQ(decodeHistoryRecord(kTypical, station).RelPressure, kAbsent);
    EXPECT_EQ(decodeHistoryRecord(with(with(kTypical, 7, 0xFF), 8, 0xFF), 5.0f).record.RelPressure,
              kAbsent);
}

TEST(RecordCodec, DecodingIntoTheStationRecordNotesValidity) {
    CStationData station;
    decodeHistoryRecord(with(kTypical, 0, 0), station);
    EXPECT_EQ(station.m_RecordValid, 0);
    decodeHistoryRecord(kTypical, station);
    EXPECT_EQ(station.m_RecordValid, 1);
}

TEST(RecordCodec, EncoderIsTheInverseOfTheDecoder) {
    const HistoryRecord typical = decodeHistoryRecord(kTypical, 0.0f).record;
    Record bytes{};
    encodeHistoryRecord(typical, OutdoorSensor::inContact, bytes);
    EXPECT_EQ(bytes, kTypical);

    // Wind and gust over their whole plausible range, together, since they share a byte.
    for (int wind = 0; wind <= 500; wind += 7) {
        for (int gust = 0; gust <= 500; gust += 3) {
            HistoryRecord r = typical;
            r.Wind = static_cast<float>(wind / 10.0);
            r.Gust = static_cast<float>(gust / 10.0);
            encodeHistoryRecord(r, OutdoorSensor::inContact, bytes);
            const HistoryRecord back = decodeHistoryRecord(bytes, 0.0f).record;
            ASSERT_EQ(back.Wind, r.Wind);
            ASSERT_EQ(back.Gust, r.Gust);
        }
    }
    for (std::int32_t count = -1; count <= kMaxRainCount; ++count) {
        HistoryRecord r = typical;
        r.Rcount = count;
        encodeHistoryRecord(r, OutdoorSensor::inContact, bytes);
        const std::int32_t expected = count == -1 ? 0xFFFF : count;
        ASSERT_EQ(decodeHistoryRecord(bytes, 0.0f).record.Rcount, expected);
    }
    for (std::int32_t v : {0, 7, 15, kAbsentInt}) {
        HistoryRecord r = typical;
        r.WindDirection = r.UV = v;
        encodeHistoryRecord(r, OutdoorSensor::inContact, bytes);
        const HistoryRecord back = decodeHistoryRecord(bytes, 0.0f).record;
        EXPECT_EQ(back.WindDirection, v);
        EXPECT_EQ(back.UV, v);
    }
}

TEST(RecordCodec, EncodingWithoutContactWritesTheNoContactRecord) {
    Record bytes{};
    const HistoryRecord typical = decodeHistoryRecord(kTypical, 0.0f).record;
    encodeHistoryRecord(typical, OutdoorSensor::noContact, bytes);
    EXPECT_EQ(bytes[15] & memory_map::record::kNoContactBit, memory_map::record::kNoContactBit);
    const HistoryRecord back = decodeHistoryRecord(bytes, 0.0f).record;
    EXPECT_EQ(back.OutTemp, kAbsent);
    EXPECT_EQ(back.Rcount, -1);
    EXPECT_FLOAT_EQ(back.InTemp, typical.InTemp);
    // The blanked outdoor bytes still read as absent to a decoder that ignores the bit.
    encodeHistoryRecord(typical, OutdoorSensor::noContact, bytes);
    bytes[15] = 0;
    const HistoryRecord blank = decodeHistoryRecord(bytes, 0.0f).record;
    EXPECT_EQ(blank.OutHumi, kAbsentInt);
    EXPECT_EQ(blank.Wind, kAbsent);
    EXPECT_EQ(blank.Light, kAbsent);
}

// Whatever a worn or misread record holds, its values stay within what the fields mean.
TEST(RecordCodec, ArbitraryBytesDecodeToValuesInTheirRanges) {
    std::mt19937 rng(99);
    Record bytes{};
    for (int round = 0; round < 100000; ++round) {
        for (auto& b : bytes) {
            b = static_cast<std::uint8_t>(rng());
        }
        const HistoryRecord r = decodeHistoryRecord(bytes, 10.0f).record;
        for (float wind : {r.Wind, r.Gust}) {
            ASSERT_TRUE(wind == kAbsent || (wind >= 0.0f && wind <= 50.0f)) << wind;
        }
        ASSERT_TRUE(r.WindDirection == kAbsentInt ||
                    (r.WindDirection >= 0 && r.WindDirection <= 15));
        ASSERT_TRUE(r.UV == kAbsentInt || (r.UV >= 0 && r.UV <= 15));
        ASSERT_TRUE(r.Rcount >= -1 && r.Rcount <= kMaxRainCount);
        ASSERT_TRUE(r.InHumi == kAbsentInt || (r.InHumi >= 0 && r.InHumi <= 254));
        ASSERT_TRUE(r.Interval >= 0 && r.Interval <= 255);
    }
}

TEST(RecordCodec, RainPerRecordFromTheCounter) {
    struct Case {
        std::int32_t from, to;
        float rain;
        std::int32_t counterAfter;
    };
    const Case cases[] = {
        {1000, 1003, 0.9f, 1003}, {1000, 1000, 0.0f, 1000},    {1000, 1128, 38.4f, 1128},
        {1000, 1129, 0.0f, 1129}, {1000, 999, 0.0f, 999},      {1000, 1200, 0.0f, 1200},
        {1000, -1, 0.0f, 1000},   {65535, 65537, 0.6f, 65537},
    };
    for (const Case& c : cases) {
        std::int32_t counter = c.from;
        EXPECT_FLOAT_EQ(takeRecordRain(c.to, counter, 0.3f), c.rain) << c.from << "->" << c.to;
        EXPECT_EQ(counter, c.counterAfter);
    }
}

}  // namespace
}  // namespace nimbra
