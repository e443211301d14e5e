#include "emulator/station_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <span>
#include <thread>

#include "core/absent.h"
#include "core/byte_order.h"
#include "station/field_codec.h"
#include "tests/emulator/station_reader.h"
#include "tests/support/temp_folder.h"

namespace nimbra::emulator {
namespace {

using testing::readFixedBlock;
using testing::readHistory;
using testing::readRecord;
using testing::readRecordBytes;
namespace fx = memory_map::fixed;

const CivilTime kStart{2024, 6, 1, 12, 0, 0};

StationModelOptions stillClock(int records, int interval, std::uint32_t seed = 3) {
    StationModelOptions options;
    options.seed = seed;
    options.records = records;
    options.intervalMinutes = interval;
    options.speed = 0.0;
    options.startTime = kStart;
    return options;
}

class TempDir {
public:
    std::string file(const char* name) const { return (m_folder.path() / name).string(); }

private:
    nimbra::testing::TempFolder m_folder{"station_model_test"};
};

TEST(StationModel, StoresTheRequestedHistoryBehindTheRecordBeingFilled) {
    StationModel model(stillClock(20, 5));
    const CStationData station = readFixedBlock(model);
    EXPECT_EQ(station.m_Interval, 5);
    EXPECT_EQ(station.m_DataCount, 21);
    EXPECT_EQ(station.m_CurrentPos, 256 + 20 * 20);
    EXPECT_EQ(model.stationTime(), kStart);
    // hPa and m/s, with the bits a real console holds for them.
    EXPECT_EQ(model.image()[fx::kUnits], 0x20);
    EXPECT_EQ(model.image()[fx::kWindUnit], 0x01);

    const auto history = readHistory(model, station);
    ASSERT_EQ(history.size(), 21u);
    for (std::size_t i = 0; i < history.size(); ++i) {
        EXPECT_TRUE(history[i].valid) << i;
        EXPECT_EQ(history[i].record.Interval, i + 1 < history.size() ? 5 : 1) << i;
    }
    const HistoryRecord& now = history.back().record;
    EXPECT_GT(now.InTemp, 15.0f);
    EXPECT_LT(now.InTemp, 26.0f);
    EXPECT_GT(now.AbsPressure, 950.0f);
    EXPECT_LT(now.AbsPressure, 1050.0f);
    EXPECT_FLOAT_EQ(now.RelPressure - now.AbsPressure,
                    station.m_RelPressure - station.m_AbsPressure);
}

TEST(StationModel, SameSeedSameStationDifferentSeedDifferentWeather) {
    StationModel a(stillClock(100, 10, 42));
    StationModel b(stillClock(100, 10, 42));
    StationModel c(stillClock(100, 10, 43));
    EXPECT_EQ(a.image(), b.image());
    EXPECT_NE(a.image(), c.image());
}

TEST(StationModel, TheRecordBeingFilledCountsItsMinutesFromZeroAsConsolesDo) {
    StationModel model(stillClock(3, 4));
    const std::int32_t first = readFixedBlock(model).m_CurrentPos;
    EXPECT_EQ(readRecord(model, readFixedBlock(model), first).record.Interval, 1);
    // Minute by minute: the record being filled, its minute count, the records held.
    struct Step {
        int recordsOn, minutes, count;
    };
    const Step steps[] = {{0, 2, 4}, {0, 3, 4}, {1, 0, 5}, {1, 1, 5},
                          {1, 2, 5}, {1, 3, 5}, {2, 0, 6}};
    for (const Step& step : steps) {
        model.advanceMinutes(1);
        const CStationData station = readFixedBlock(model);
        const int current = first + 20 * step.recordsOn;
        EXPECT_EQ(station.m_CurrentPos, current);
        EXPECT_EQ(station.m_DataCount, step.count);
        EXPECT_EQ(readRecord(model, station, current).record.Interval, step.minutes);
        if (step.recordsOn > 0) {
            // A closed record holds its whole interval.
            EXPECT_EQ(readRecord(model, station, current - 20).record.Interval, 4);
        }
    }
}

TEST(StationModel, AWrappedRingKeepsExactly3264Records) {
    StationModelOptions options = stillClock(36, 1);
    options.wrapped = true;
    StationModel model(options);
    const CStationData station = readFixedBlock(model);
    EXPECT_EQ(station.m_DataCount, memory_map::kRing20.records);
    EXPECT_EQ(station.m_CurrentPos, 256 + 20 * 36);
    const auto history = readHistory(model, station);
    ASSERT_EQ(history.size(), 3264u);
    // The record being filled counts minute 0 of a one-minute interval.
    EXPECT_TRUE(std::all_of(history.begin(), history.end() - 1,
                            [](const DecodedRecord& r) { return r.valid; }));
    EXPECT_EQ(history.back().record.Interval, 0);

    StationModel longer(stillClock(memory_map::kRing20.records + 36, 1));
    EXPECT_EQ(readFixedBlock(longer).m_CurrentPos, station.m_CurrentPos);
    EXPECT_EQ(readFixedBlock(longer).m_DataCount, memory_map::kRing20.records);

    // Going on round the ring replaces the oldest record and the count stays put.
    model.advanceMinutes(1);
    const CStationData later = readFixedBlock(model);
    EXPECT_EQ(later.m_DataCount, memory_map::kRing20.records);
    EXPECT_EQ(later.m_CurrentPos, station.m_CurrentPos + 20);
}

TEST(StationModel, WrappingOnDemandLeavesThePointerBehindWhereItWas) {
    StationModel model(stillClock(100, 1));
    const CStationData before = readFixedBlock(model);
    model.wrapRing();
    const CStationData after = readFixedBlock(model);
    EXPECT_EQ(after.m_DataCount, memory_map::kRing20.records);
    EXPECT_LT(after.m_CurrentPos, before.m_CurrentPos);
    EXPECT_TRUE(memory_map::kRing20.isRecordAddress(after.m_CurrentPos));
}

TEST(StationModel, RecordsWrapFromTheLastAddressToTheFirst) {
    StationModel model(stillClock(memory_map::kRing20.records - 1, 1));
    EXPECT_EQ(readFixedBlock(model).m_CurrentPos, 65516);
    model.advanceMinutes(1);
    const CStationData station = readFixedBlock(model);
    EXPECT_EQ(station.m_CurrentPos, 256);
    EXPECT_EQ(station.m_DataCount, memory_map::kRing20.records);
    EXPECT_TRUE(readRecord(model, station, 65516).valid);
}

bool isValidBcd(const std::uint8_t* bytes, int count) {
    return std::all_of(bytes, bytes + count,
                       [](std::uint8_t b) { return (b >> 4) <= 9 && (b & 0x0F) <= 9; });
}

// Two days of weather, then every maximum and minimum must be a value the console saw,
// bound every record, and carry a proper time within the run.
TEST(StationModel, MaximaAndMinimaBoundTheRecordsAndCarryValidTimes) {
    StationModel model(stillClock(2 * 24 * 6, 10, 11));
    const CStationData station = readFixedBlock(model);
    const auto image = model.image();
    const std::uint16_t timeOffsets[] = {6,   11,  141, 146, 151, 156, 161, 166, 171,
                                         176, 181, 186, 191, 196, 201, 206, 211, 216,
                                         221, 226, 231, 236, 241, 246, 251};
    for (std::uint16_t offset : timeOffsets) {
        EXPECT_TRUE(isValidBcd(&image[offset], 5)) << offset;
        EXPECT_NE(decodeBcdDateTime(&image[offset]), 0.0) << offset;
    }
    const double first = OleDate::fromCivil(2024, 5, 30, 12, 0).value();
    const double last = OleDate::fromCivil(kStart).value();
    for (int slot = 0; slot < kMeasurementSlots; ++slot) {
        EXPECT_GE(station.m_MaxTime[slot], first) << slot;
        EXPECT_LE(station.m_MaxTime[slot], last) << slot;
    }

    for (const DecodedRecord& d : readHistory(model, station)) {
        const HistoryRecord& r = d.record;
        EXPECT_LE(r.InTemp, station.m_Max.InTemp);
        EXPECT_GE(r.InTemp, station.m_Min.InTemp);
        EXPECT_LE(r.InHumi, station.m_Max.InHumi);
        EXPECT_GE(r.InHumi, station.m_Min.InHumi);
        EXPECT_LE(r.AbsPressure, station.m_Max.AbsPressure);
        EXPECT_GE(r.AbsPressure, station.m_Min.AbsPressure);
        if (r.Rcount == -1) {
            continue;
        }
        EXPECT_LE(r.OutTemp, station.m_Max.OutTemp);
        EXPECT_GE(r.OutTemp, station.m_Min.OutTemp);
        EXPECT_LE(r.OutHumi, station.m_Max.OutHumi);
        EXPECT_GE(r.OutHumi, station.m_Min.OutHumi);
        EXPECT_LE(r.Gust, station.m_Max.Gust);
        EXPECT_LE(r.Light, station.m_Max.Light);
        EXPECT_LE(r.UV, station.m_Max.UV);
        // Derived values are stored to a tenth, cut toward zero.
        EXPECT_LE(r.DewPoint, station.m_Max.DewPoint + 0.1f);
        EXPECT_GE(r.DewPoint, station.m_Min.DewPoint - 0.1f);
        EXPECT_LE(r.WindChill, station.m_Max.WindChill + 0.1f);
        EXPECT_GE(r.WindChill, station.m_Min.WindChill - 0.1f);
    }
    EXPECT_GT(station.m_Max.OutTemp - station.m_Min.OutTemp, 4.0f);  // a daily cycle
    EXPECT_GT(station.m_Max.Light, 10000.0f);                        // daylight
    EXPECT_GT(station.m_Max.UV, 0);
}

TEST(StationModel, RainAdvancesTheCounterThroughItsOverflowBit) {
    StationModelOptions options = stillClock(14 * 24, 60, 5);
    options.rainCounter = 0xFFFF - 3;
    StationModel model(options);
    const CStationData station = readFixedBlock(model);
    std::int32_t previous = options.rainCounter;
    bool overflowSeen = false;
    for (const DecodedRecord& d : readHistory(model, station)) {
        if (d.record.Rcount == -1) {
            continue;
        }
        EXPECT_GE(d.record.Rcount, previous);
        previous = d.record.Rcount;
        overflowSeen = overflowSeen || d.record.Rcount > 0xFFFF;
    }
    EXPECT_TRUE(overflowSeen) << "no rain in two weeks";
    EXPECT_GT(station.m_Max.Rain5, 0.0f);
    EXPECT_FLOAT_EQ(station.m_Max.Rain5, (previous - options.rainCounter) * 0.3f);
}

TEST(StationModel, ASilentOutdoorSensorGivesNoContactRecords) {
    StationModel model(stillClock(2, 5));
    model.loseOutdoorContact(30);
    model.advanceMinutes(10);
    const CStationData station = readFixedBlock(model);
    const auto bytes = readRecordBytes(model, station.m_CurrentPos);
    EXPECT_NE(bytes[memory_map::record::kStatus] & memory_map::record::kNoContactBit, 0);
    const HistoryRecord r = readRecord(model, station, station.m_CurrentPos).record;
    EXPECT_EQ(r.Rcount, -1);
    EXPECT_EQ(r.OutTemp, kAbsent);
    EXPECT_NE(r.InTemp, kAbsent);
}

TEST(StationModel, AWriteShowsAtOnceAndTheConsoleActsOnItAtTheCommit) {
    StationModel model(stillClock(5, 5));
    model.writeByte(fx::kInterval, 10);
    EXPECT_EQ(readFixedBlock(model).m_Interval, 10);

    // Before the commit the console still runs on five minutes.
    model.advanceMinutes(5);
    CStationData station = readFixedBlock(model);
    EXPECT_EQ(station.m_DataCount, 7);
    EXPECT_EQ(station.m_Interval, 10);

    model.writeByte(fx::kCommit, memory_map::kCommitValue);
    model.advanceMinutes(8);  // the record being filled counted minute 1: nine more to go
    EXPECT_EQ(readFixedBlock(model).m_DataCount, 7);
    model.advanceMinutes(1);
    station = readFixedBlock(model);
    EXPECT_EQ(station.m_DataCount, 8);
    EXPECT_EQ(readRecord(model, station, station.m_CurrentPos - 20).record.Interval, 10);
}

TEST(StationModel, ClearingMemoryThroughWritesSendsThePointerBack) {
    StationModel model(stillClock(40, 1));
    model.writeByte(fx::kDataCount, 0);
    model.writeByte(fx::kDataCount + 1, 0);
    // A record boundary before the commit must not undo the half-made change.
    model.advanceMinutes(2);
    EXPECT_EQ(readFixedBlock(model).m_DataCount, 0);

    model.writeByte(fx::kCommit, memory_map::kCommitValue);
    const CStationData station = readFixedBlock(model);
    EXPECT_EQ(station.m_DataCount, 1);
    EXPECT_EQ(station.m_CurrentPos, 256);
    // A record started afresh: minute 0.
    EXPECT_EQ(readRecord(model, station, 256).record.Interval, 0);
}

TEST(StationModel, ANewRelativePressureKeepsItsOffsetToTheAbsolute) {
    StationModel model(stillClock(5, 5));
    const float absolute = readFixedBlock(model).m_AbsPressure;
    std::array<std::uint8_t, 2> bytes{};
    encodeU16Tenths(bytes.data(), absolute + 30.0f);
    model.writeByte(fx::kRelPressure, bytes[0]);
    model.writeByte(fx::kRelPressure + 1, bytes[1]);
    model.writeByte(fx::kCommit, memory_map::kCommitValue);
    model.advanceMinutes(120);
    const CStationData station = readFixedBlock(model);
    EXPECT_NEAR(station.m_RelPressure - station.m_AbsPressure, 30.0f, 0.11f);
    const HistoryRecord r = readRecord(model, station, station.m_CurrentPos).record;
    EXPECT_NEAR(r.RelPressure - r.AbsPressure, 30.0f, 0.11f);
}

TEST(StationModel, BlockWritesAndReadsWrapAtTheEndOfMemory) {
    StationModel model(stillClock(1, 5));
    std::array<std::uint8_t, 32> data{};
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<std::uint8_t>(0xC0 + i);
    }
    model.writeBlock(0xFFF0, data.data());
    std::array<std::uint8_t, 32> back{};
    model.readBlock(0xFFF0, back.data());
    EXPECT_EQ(back, data);
    EXPECT_EQ(model.image()[0x000F], 0xDF);
}

TEST(StationModel, CorruptedRecordsReadAsInvalid) {
    StationModel model(stillClock(10, 5));
    EXPECT_TRUE(model.corruptRecord(1, RecordCorruption::kInvalidInterval));
    EXPECT_TRUE(model.corruptRecord(3, RecordCorruption::kOutOfRange));
    EXPECT_FALSE(model.corruptRecord(11, RecordCorruption::kOutOfRange));
    EXPECT_FALSE(model.corruptRecord(0, RecordCorruption::kOutOfRange));
    const CStationData station = readFixedBlock(model);
    const auto history = readHistory(model, station);
    ASSERT_EQ(history.size(), 11u);
    for (std::size_t i = 0; i < history.size(); ++i) {
        const std::size_t age = history.size() - 1 - i;
        EXPECT_EQ(history[i].valid, age != 1 && age != 3) << age;
    }
}

TEST(StationModel, TheLogHoldsEachRecordAsTheConsoleLeftIt) {
    StationModelOptions options = stillClock(4, 5);
    EXPECT_TRUE(StationModel(options).completedRecords().empty());

    options.logCompletedRecords = true;
    StationModel model(options);
    ASSERT_EQ(model.completedRecords().size(), 4u);
    model.advanceMinutes(12);
    const auto log = model.completedRecords();
    ASSERT_EQ(log.size(), 6u);
    for (std::size_t i = 0; i < log.size(); ++i) {
        EXPECT_EQ(log[i].number, i + 1);
        EXPECT_EQ(log[i].address, 256 + 20 * i);
        EXPECT_EQ(log[i].bytes, readRecordBytes(model, log[i].address)) << i;
        EXPECT_FALSE(log[i].corrupted);
    }
    EXPECT_EQ(log[5].bytes[memory_map::record::kInterval], 5);

    const auto newest = model.completedRecords(5);
    ASSERT_EQ(newest.size(), 1u);
    EXPECT_EQ(newest[0].number, 6u);
    EXPECT_TRUE(model.completedRecords(6).empty());

    // Spoiling marks the record in the log and leaves its true bytes there.
    ASSERT_TRUE(model.corruptRecord(2, RecordCorruption::kInvalidInterval));
    const auto marked = model.completedRecords(4);
    EXPECT_TRUE(marked[0].corrupted);
    EXPECT_FALSE(marked[1].corrupted);
    EXPECT_EQ(marked[0].bytes, log[4].bytes);

    // The record being filled when the history is cleared is never completed.
    model.clearHistory();
    model.advanceMinutes(5);
    const auto afterClear = model.completedRecords();
    ASSERT_EQ(afterClear.size(), 7u);
    EXPECT_EQ(afterClear.back().address, 256);
}

TEST(StationModel, ClearingTheHistoryOnDemand) {
    StationModel model(stillClock(200, 5));
    model.clearHistory();
    const CStationData station = readFixedBlock(model);
    EXPECT_EQ(station.m_CurrentPos, 256);
    EXPECT_EQ(station.m_DataCount, 1);
}

TEST(StationModel, TheClockRunsAtTheChosenSpeed) {
    auto now = std::chrono::steady_clock::time_point{};
    StationModelOptions options = stillClock(0, 5);
    options.speed = 60.0;  // a station minute every real second
    options.steadyNow = [&now] { return now; };
    StationModel model(options);
    now += std::chrono::milliseconds(2500);
    EXPECT_EQ(model.stationTime().minute, 2);
    now += std::chrono::milliseconds(499);
    EXPECT_EQ(model.stationTime().minute, 2);
    now += std::chrono::milliseconds(1);
    EXPECT_EQ(model.stationTime().minute, 3);
    model.advanceMinutes(10);
    EXPECT_EQ(model.stationTime().minute, 13);
}

TEST(StationModel, ARecordClosedWithTornWritesReadsAsAMixUntilItIsWritten) {
    auto now = std::chrono::steady_clock::time_point{};
    StationModelOptions options = stillClock(3, 5);
    options.steadyNow = [&now] { return now; };
    StationModel model(options);
    model.setTornWrites(std::chrono::milliseconds(100));
    model.advanceMinutes(3);  // the record being filled counts minute 4, its last
    const int closing = readFixedBlock(model).m_CurrentPos;
    const auto before = readRecordBytes(model, closing);
    model.advanceMinutes(1);  // it closes and the next record starts

    const CStationData station = readFixedBlock(model);
    ASSERT_EQ(station.m_CurrentPos, closing + 20);  // the pointer has already moved on
    const auto written = model.image();
    const auto after = std::span(written).subspan(static_cast<std::size_t>(closing), 20);
    ASSERT_FALSE(std::equal(before.begin(), before.end(), after.begin()));

    now += std::chrono::milliseconds(50);  // half of the record written
    const auto mixed = readRecordBytes(model, closing);
    EXPECT_TRUE(std::equal(mixed.begin(), mixed.begin() + 10, after.begin()));
    EXPECT_TRUE(std::equal(mixed.begin() + 10, mixed.end(), before.begin() + 10));

    now += std::chrono::milliseconds(50);
    const auto done = readRecordBytes(model, closing);
    EXPECT_TRUE(std::equal(done.begin(), done.end(), after.begin()));

    // However slow the write, it is done by the console's next minute.
    model.setTornWrites(std::chrono::milliseconds(60000));
    model.advanceMinutes(5);
    const int slow = readFixedBlock(model).m_CurrentPos - 20;
    EXPECT_NE(readRecordBytes(model, slow)[0], model.image()[static_cast<std::size_t>(slow)]);
    model.advanceMinutes(1);
    EXPECT_EQ(readRecordBytes(model, slow)[0], model.image()[static_cast<std::size_t>(slow)]);

    // Without the fault a closed record reads whole at once.
    model.setTornWrites(std::chrono::milliseconds(0));
    model.advanceMinutes(5);
    const int next = readFixedBlock(model).m_CurrentPos - 20;
    const auto image = model.image();
    const auto whole = readRecordBytes(model, next);
    EXPECT_TRUE(std::equal(whole.begin(), whole.end(), image.begin() + next));
}

// An image tells which console it is from: a model of the other kind takes it on.
TEST(StationModel, SavedImagesOfEitherKindLoadIntoAnotherModelAndCarryOn) {
    for (const StationKind kind : {StationKind::records20, StationKind::records16}) {
        SCOPED_TRACE(recordSizeOf(kind));
        TempDir dir;
        StationModelOptions options = stillClock(30, 5, 1);
        options.kind = kind;
        StationModel original(options);
        ASSERT_TRUE(original.saveImage(dir.file("station.bin")));
        StationModel copy(stillClock(0, 15, 2));
        const ImageStatus status = copy.loadImage(dir.file("station.bin"));
        ASSERT_TRUE(status) << status.error;
        EXPECT_EQ(copy.kind(), kind);
        EXPECT_EQ(copy.image(), original.image());

        const CStationData before = readFixedBlock(copy);
        copy.advanceMinutes(5);
        const CStationData after = readFixedBlock(copy);
        EXPECT_EQ(after.m_Interval, 5);
        EXPECT_EQ(after.m_CurrentPos, before.m_CurrentPos + recordSizeOf(kind));
        EXPECT_EQ(after.m_DataCount, before.m_DataCount + 1);
        const HistoryRecord last = readRecord(copy, after, after.m_CurrentPos, kind).record;
        EXPECT_GE(last.Rcount, readRecord(copy, after, before.m_CurrentPos, kind).record.Rcount);
        EXPECT_EQ(isAbsent(last.Light), !hasSolarSensor(kind));
        EXPECT_EQ(isAbsent(after.m_Max.UV), !hasSolarSensor(kind));
    }
}

TEST(StationModel, AfterLoadingTheConsoleCarriesOnFromTheStoredReadings) {
    TempDir dir;
    StationModel original(stillClock(30, 5, 1));
    ASSERT_TRUE(original.saveImage(dir.file("station.bin")));
    const CStationData saved = readFixedBlock(original);
    const HistoryRecord stored = readRecord(original, saved, saved.m_CurrentPos).record;

    StationModel copy(stillClock(0, 15, 2));
    ASSERT_TRUE(copy.loadImage(dir.file("station.bin")));
    copy.clearHistory();
    const CStationData station = readFixedBlock(copy);
    const HistoryRecord first = readRecord(copy, station, 256).record;
    EXPECT_EQ(first.InTemp, stored.InTemp);
    EXPECT_EQ(first.OutTemp, stored.OutTemp);
    EXPECT_EQ(first.Gust, stored.Gust);
    EXPECT_EQ(first.Rcount, stored.Rcount);
}

TEST(StationModel, ImagesThatAreNotStationsAreRefusedAndChangeNothing) {
    TempDir dir;
    StationModel model(stillClock(3, 5));
    const auto before = model.image();

    std::ofstream(dir.file("short.bin"), std::ios::binary) << "not a station";
    auto bad = before;
    storeLe16(&bad[fx::kCurrentPos], 257);
    std::ofstream(dir.file("pointer.bin"), std::ios::binary)
        .write(reinterpret_cast<const char*>(bad.data()), static_cast<std::streamsize>(bad.size()));

    for (const char* name : {"missing.bin", "short.bin", "pointer.bin"}) {
        const ImageStatus status = model.loadImage(dir.file(name));
        EXPECT_FALSE(status) << name;
        EXPECT_NE(status.error.find(name), std::string::npos) << status.error;
    }
    EXPECT_EQ(model.image(), before);
    EXPECT_FALSE(model.saveImage(dir.file("no/such/folder/station.bin")));
}

// The protocol server reads and writes from its own thread while the owner drives the
// clock; run under ThreadSanitizer this shows the model serialises them.
TEST(StationModel, ServesReadsWhileItsClockRuns) {
    StationModel model(stillClock(10, 1));
    std::atomic<bool> done{false};
    std::thread reader([&] {
        std::array<std::uint8_t, 32> block{};
        while (!done) {
            for (std::uint32_t address = 0; address < 512; address += 32) {
                model.readBlock(static_cast<std::uint16_t>(address), block.data());
            }
            model.writeByte(fx::kTimeZone, 3);
        }
    });
    for (int i = 0; i < 200; ++i) {
        model.advanceMinutes(1);
    }
    done = true;
    reader.join();
    EXPECT_EQ(readFixedBlock(model).m_DataCount, 211);
}

}  // namespace
}  // namespace nimbra::emulator
