#include "soak/station_records.h"

#include <gtest/gtest.h>

#include "emulator/station_model.h"
#include "station/fixed_block.h"

namespace nimbra::soak {
namespace {

using emulator::StationModel;
using emulator::StationModelOptions;

constexpr int kRecordSize = memory_map::kRing20.recordSize;

StationModelOptions stillStation(int records) {
    StationModelOptions options;
    options.seed = 11;
    options.records = records;
    options.intervalMinutes = 5;
    options.speed = 0.0;
    options.startTime = CivilTime{2025, 3, 1, 8, 0, 0};
    return options;
}

int currentPos(const StationImage& image) {
    CStationData station;
    decodeFixedBlock(FixedBlockBytes(image.data(), memory_map::kFixedBlockSize), station);
    return station.m_CurrentPos;
}

TEST(StationRecords, ReadsTheRingOldestFirstUpToTheRecordBeingFilled) {
    for (const int held : {40, memory_map::kRing20.records + 25}) {
        SCOPED_TRACE(held);
        StationModel model(stillStation(held));
        const StationImage before = model.image();
        const auto records = stationRecords(before, currentPos(before));
        const std::size_t complete = std::min(held, memory_map::kRing20.records - 1);
        ASSERT_EQ(records.size(), complete);

        // One more record: it joins the end, and a full ring drops its oldest.
        model.advanceMinutes(5);
        const StationImage after = model.image();
        auto expected = records;
        expected.push_back(stationRecords(after, currentPos(after)).back());
        if (held >= memory_map::kRing20.records) {
            expected.erase(expected.begin());
        }
        EXPECT_EQ(stationRecords(after, currentPos(after)), expected);

        // Records after the last download are not asked for.
        const auto earlier = stationRecords(after, currentPos(after) - 3 * kRecordSize);
        EXPECT_EQ(earlier, std::vector(expected.begin(), expected.end() - 3));
    }
}

Readings reading(int i) {
    return {5, 20.0f + 0.1f * static_cast<float>(i), 40, 10.0f, 60, 1000.0f, 1.0f, 2.0f, 3, i};
}

std::vector<StoredRow> rowsOf(const std::vector<int>& ids) {
    std::vector<StoredRow> rows;
    for (const int id : ids) {
        rows.push_back({45000.0 + id / 288.0, reading(id)});
    }
    return rows;
}

const std::vector<Readings> kStation{reading(3), reading(4), reading(5), reading(6)};

TEST(StationRecords, ComparesTheStoredRowsWithTheStationsRecords) {
    const auto compare = [](const std::vector<int>& ids) {
        const StationComparison c = compareWithStation(kStation, rowsOf(ids));
        return std::vector<std::int64_t>{c.missing, c.doubled, c.outOfOrder, c.foreign};
    };
    using Figures = std::vector<std::int64_t>;
    // Rows of history the station has since overwritten come first and do not count.
    EXPECT_EQ(compare({1, 2, 3, 4, 5, 6}), (Figures{0, 0, 0, 0}));
    EXPECT_EQ(compare({1, 2, 3, 5, 6}), (Figures{1, 0, 0, 0}));
    EXPECT_EQ(compare({1, 2, 3, 4, 4, 5, 6}), (Figures{0, 1, 0, 0}));
    EXPECT_EQ(compare({3, 4, 5, 6, 3}), (Figures{0, 1, 0, 0}));
    EXPECT_EQ(compare({1, 2, 3, 5, 4, 6}), (Figures{0, 0, 1, 0}));
    EXPECT_EQ(compare({1, 2, 3, 4, 9, 5, 6}), (Figures{0, 0, 0, 1}));
    EXPECT_EQ(compare({}), (Figures{4, 0, 0, 0}));
}

TEST(StationRecords, CountsTimesThatStepBackSeparately) {
    auto rows = rowsOf({2, 3, 4, 5, 6});
    rows[3].time = rows[1].time;  // record 5 stamped as early as record 3
    const StationComparison c = compareWithStation(kStation, rows);
    EXPECT_EQ(c.timeStepsBack, 1);
    EXPECT_EQ(c.missing + c.doubled + c.outOfOrder + c.foreign, 0);
}

}  // namespace
}  // namespace nimbra::soak
