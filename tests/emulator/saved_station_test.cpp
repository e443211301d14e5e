#include "emulator/saved_station.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "station/fixed_block.h"
#include "tests/support/temp_folder.h"

namespace nimbra::emulator {
namespace {

using std::chrono::minutes;

StationModelOptions stoppedAt(const CivilTime& start) {
    StationModelOptions o;
    o.seed = 11;
    o.records = 10;
    o.intervalMinutes = 5;
    o.speed = 0.0;  // only the restore moves the clock
    o.startTime = start;
    return o;
}

CStationData fixedBlockOf(StationModel& model) {
    const auto image = model.image();
    CStationData station;
    decodeFixedBlock(FixedBlockBytes(image.data(), memory_map::kFixedBlockSize), station);
    return station;
}

// A console restored after a pause carries on as if it had been left running: what was
// written into it stays, its clock has moved on by the pause, and the records of the
// pause are there at its interval; a pause longer than the ring fills the whole ring.
TEST(SavedStation, RestoredConsoleHasRunOnThroughThePause) {
    const testing::TempFolder folder;
    const std::string path = (folder.path() / "EmulatedStation.bin").string();
    const CivilTime start{2024, 3, 5, 12, 0, 0};
    const auto savedAt = std::chrono::system_clock::time_point(std::chrono::hours(480000));

    StationModel original(stoppedAt(start));
    original.writeByte(memory_map::fixed::kInterval, 10);
    original.writeByte(memory_map::fixed::kCommit, 0xAA);
    const CStationData before = fixedBlockOf(original);
    ASSERT_EQ(before.m_Interval, 10);
    ASSERT_TRUE(saveStation(original, path, savedAt));
    ASSERT_TRUE(savedStationExists(path));

    const struct {
        minutes pause;
        CivilTime expectedTime;
        int newRecords;  // -1: the ring is full
    } cases[] = {
        {minutes(0), {2024, 3, 5, 12, 0, 0}, 0},
        {minutes(31), {2024, 3, 5, 12, 31, 0}, 3},
        {minutes(-90), {2024, 3, 5, 12, 0, 0}, 0},  // a clock set back never rewinds it
        {minutes(400 * 1440), {2025, 4, 9, 12, 0, 0}, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pause.count());
        ImageStatus status;
        StationModelOptions options = stoppedAt({2000, 1, 1, 0, 0, 0});
        options.speed = 1.0;
        options.steadyNow = [] { return std::chrono::steady_clock::time_point(); };
        const auto restored = restoreStation(path, options, savedAt + c.pause, status);
        ASSERT_TRUE(restored) << status.error;
        const CivilTime t = restored->stationTime();
        EXPECT_EQ((std::array{t.year, t.month, t.day, t.hour, t.minute}),
                  (std::array{c.expectedTime.year, c.expectedTime.month, c.expectedTime.day,
                              c.expectedTime.hour, c.expectedTime.minute}));
        if (c.pause.count() == 0) {
            // The running rain sums, which the memory does not hold, carry on too.
            EXPECT_EQ(restored->rainTotals().text(), original.rainTotals().text());
        }
        const CStationData after = fixedBlockOf(*restored);
        EXPECT_EQ(after.m_Interval, 10);
        EXPECT_EQ(after.m_DataCount, c.newRecords < 0 ? memory_map::kRing20.records
                                                      : before.m_DataCount + c.newRecords);
    }

    std::filesystem::remove(path + ".clock");
    EXPECT_FALSE(savedStationExists(path));
    ImageStatus status;
    EXPECT_FALSE(restoreStation(path, stoppedAt(start), savedAt, status));
    EXPECT_NE(status.error.find(".clock"), std::string::npos) << status.error;
}

}  // namespace
}  // namespace nimbra::emulator
