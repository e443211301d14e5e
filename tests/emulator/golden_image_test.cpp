#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <iterator>
#include <vector>

#include "core/absent.h"
#include "core/station_data.h"
#include "emulator/station_model.h"
#include "station/fixed_block.h"
#include "station/record_codec.h"

namespace nimbra::emulator {
namespace {

// A station the model made from seed 40: a day of quarter-hour records up to 10 March
// 2024, 08:30, with showers that carry the rain counter over its overflow bit and a few
// records without contact to the outdoor sensors. Regenerate it after a deliberate change to the
// weather or the memory layout:
//   station_model_tests --gtest_also_run_disabled_tests --gtest_filter='*WriteGoldenImage'
const char* const kGoldenImage = NIMBRA_TEST_DATA_DIR "/station_seed40.bin";

StationModelOptions goldenOptions() {
    StationModelOptions options;
    options.seed = 40;
    options.records = 96;
    options.intervalMinutes = 15;
    options.speed = 0.0;
    options.startTime = CivilTime{2024, 3, 10, 8, 30, 0};
    options.rainCounter = 65520;
    return options;
}

std::vector<std::uint8_t> goldenBytes() {
    std::ifstream file(kGoldenImage, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(GoldenImage, DISABLED_WriteGoldenImage) {
    StationModel model(goldenOptions());
    const ImageStatus status = model.saveImage(kGoldenImage);
    ASSERT_TRUE(status) << status.error;
}

TEST(GoldenImage, TheModelStillMakesTheSameStation) {
    const std::vector<std::uint8_t> golden = goldenBytes();
    ASSERT_EQ(golden.size(), memory_map::kMemorySize);
    StationModel model(goldenOptions());
    const auto image = model.image();
    EXPECT_TRUE(std::equal(image.begin(), image.end(), golden.begin()));
}

TEST(GoldenImage, DecodesTheKnownFields) {
    const std::vector<std::uint8_t> golden = goldenBytes();
    ASSERT_EQ(golden.size(), memory_map::kMemorySize);
    CStationData station;
    decodeFixedBlock(FixedBlockBytes(golden.data(), memory_map::kFixedBlockSize), station);
    EXPECT_EQ(station.m_Interval, 15);
    EXPECT_EQ(station.m_DataCount, 97);
    EXPECT_EQ(station.m_CurrentPos, 256 + 96 * 20);
    EXPECT_FLOAT_EQ(station.m_RelPressure, 1007.4f);
    EXPECT_FLOAT_EQ(station.m_AbsPressure, 994.9f);
    EXPECT_EQ(station.m_AlarmHigh.InHumi, 65);
    EXPECT_FLOAT_EQ(station.m_Max.OutTemp, 9.0f);
    EXPECT_FLOAT_EQ(station.m_Min.OutTemp, -1.9f);
    EXPECT_EQ(station.m_Max.OutHumi, 99);
    EXPECT_FLOAT_EQ(station.m_Max.Rain5, 12.6f);
    EXPECT_EQ(station.m_MaxTime[kSlotOutTemp], OleDate::fromCivil(2024, 3, 9, 13, 28).value());
    EXPECT_EQ(station.m_MaxTime[kSlotRainTotal], OleDate::fromCivil(2024, 3, 10, 8, 18).value());

    struct Expected {
        int index;
        std::int32_t interval, inHumi;
        float inTemp;
        std::int32_t outHumi;
        float outTemp, absPressure, wind, gust;
        std::int32_t direction, rcount;
        float light;
        std::int32_t uv;
    };
    const Expected records[] = {
        {0, 15, 46, 19.3f, 75, 3.3f, 1000.0f, 1.0f, 1.8f, 11, 65520, 21947.8f, 1},
        {96, 1, 49, 19.2f, 85, 2.7f, 994.9f, 7.8f, 11.8f, 11, 65562, 10956.2f, 1},
    };
    const float offset = relativePressureOffset(station);
    for (const Expected& e : records) {
        const std::uint8_t* bytes = golden.data() + 256 + 20 * e.index;
        const DecodedRecord d = decodeHistoryRecord(RecordBytes(bytes, 20), offset);
        const HistoryRecord& r = d.record;
        EXPECT_TRUE(d.valid) << e.index;
        EXPECT_EQ(r.Interval, e.interval) << e.index;
        EXPECT_EQ(r.InHumi, e.inHumi) << e.index;
        EXPECT_FLOAT_EQ(r.InTemp, e.inTemp) << e.index;
        EXPECT_EQ(r.OutHumi, e.outHumi) << e.index;
        EXPECT_FLOAT_EQ(r.OutTemp, e.outTemp) << e.index;
        EXPECT_FLOAT_EQ(r.AbsPressure, e.absPressure) << e.index;
        EXPECT_FLOAT_EQ(r.RelPressure, e.absPressure + 12.5f) << e.index;
        EXPECT_FLOAT_EQ(r.Wind, e.wind) << e.index;
        EXPECT_FLOAT_EQ(r.Gust, e.gust) << e.index;
        EXPECT_EQ(r.WindDirection, e.direction) << e.index;
        EXPECT_EQ(r.Rcount, e.rcount) << e.index;
        EXPECT_FLOAT_EQ(r.Light, e.light) << e.index;
        EXPECT_EQ(r.UV, e.uv) << e.index;
    }

    // Records 81-83 were stored while the outdoor sensors were out of reach; meanwhile the
    // gauge's counter passed 0xFFFF and the overflow bit carries it from then on.
    for (int index = 80; index <= 85; ++index) {
        const std::uint8_t* bytes = golden.data() + 256 + 20 * index;
        const HistoryRecord r = decodeHistoryRecord(RecordBytes(bytes, 20), offset).record;
        const bool silent = index >= 81 && index <= 83;
        EXPECT_EQ(r.Rcount == -1, silent) << index;
        EXPECT_EQ(r.OutTemp == kAbsent, silent) << index;
        EXPECT_EQ((bytes[15] & 0x80) != 0, index >= 81) << index;
    }
}

}  // namespace
}  // namespace nimbra::emulator
