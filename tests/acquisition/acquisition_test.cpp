#include "acquisition/acquisition.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numeric>

#include "core/absent.h"
#include "core/byte_order.h"
#include "station/record_codec.h"
#include "station/station_writes.h"
#include "tests/acquisition/acquisition_fixture.h"

namespace nimbra {
namespace {

class AcquisitionTest : public testing::StationAndStore {
protected:
    // 1 when the run completed, 0 when it ended early; m_lastRun says why.
    int acquire() {
        AcquisitionContext context{stationLink(),
                                   m_db,
                                   m_events,
                                   [this](const CStationData& d) { m_published = d; },
                                   [this] { ++m_passes; },
                                   [this] { return stationNow(); },
                                   nullptr,
                                   m_stationModel,
                                   &m_detectedKind};
        m_lastRun = RunAcquisition(m_data, context);
        return m_lastRun.ok() ? 1 : 0;
    }

    // As after a failed read: the next run starts over at the ring start.
    void forceFullDownload() {
        CStationData forced = m_data;
        forced.LastPoint = 256;
        ASSERT_EQ(m_db.WriteParam(forced), 0);
    }

    // The readings of every complete record the station holds, oldest first.
    std::vector<HistoryRecord> stationRecords() {
        const auto memory = m_model->image();
        const int pointer = loadLe16(&memory[memory_map::fixed::kCurrentPos]);
        const int count = memory[27] | memory[28] << 8;
        const StationKind kind = m_model->kind();
        const memory_map::RingLayout& ring = memory_map::ringLayout(kind);
        std::vector<HistoryRecord> records;
        for (int age = count - 1; age >= 1; --age) {
            const std::uint16_t address = ring.recordAddress(ring.ringIndex(pointer) - age);
            records.push_back(
                decodeHistoryRecord(recordBytesOf(&memory[address], kind), 0.0f).record);
        }
        return records;
    }

    static void expectSameReadings(const std::vector<HistoryRecord>& stored,
                                   const std::vector<HistoryRecord>& station) {
        ASSERT_EQ(stored.size(), station.size());
        for (std::size_t i = 0; i < stored.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(stored[i].InTemp, station[i].InTemp);
            EXPECT_EQ(stored[i].OutTemp, station[i].OutTemp);
            EXPECT_EQ(stored[i].AbsPressure, station[i].AbsPressure);
            EXPECT_EQ(stored[i].Wind, station[i].Wind);
            EXPECT_EQ(stored[i].Gust, station[i].Gust);
            EXPECT_EQ(stored[i].Light, station[i].Light);
            EXPECT_EQ(stored[i].UV, station[i].UV);
            EXPECT_EQ(stored[i].WindDirection, station[i].WindDirection);
            EXPECT_EQ(stored[i].InHumi, station[i].InHumi);
            EXPECT_EQ(stored[i].OutHumi, station[i].OutHumi);
        }
    }

    CStationData m_data;
    CStationData m_published;
    int m_passes = 0;
    link::LinkResult m_lastRun;
    std::optional<StationKind> m_stationModel;
    std::atomic<int> m_detectedKind{kKindUnknown};  // as the monitor keeps it between runs
};

TEST_F(AcquisitionTest, FirstRunStoresEveryCompleteRecordOnce) {
    startStation(testing::stationOptions(11, 40, 5));
    ASSERT_EQ(acquire(), 1);
    EXPECT_EQ(storedRecords(), 40);
    EXPECT_EQ(m_data.LastPoint, m_data.m_CurrentPos);
    EXPECT_EQ(m_data.LastCount, 41);
    EXPECT_EQ(m_passes, 1);
    EXPECT_EQ(m_published.m_Current.InHumi, m_data.m_Current.InHumi);

    const auto progress = m_events.progressEvents();
    ASSERT_FALSE(progress.empty());
    EXPECT_FALSE(progress.back().reading);
    EXPECT_EQ(progress.back().storedCount, 40);
    EXPECT_EQ(progress.back().rainDoneCount, 40);
    EXPECT_EQ(progress.front().totalCount, 40);

    // Nothing new: a second run stores nothing twice.
    ASSERT_EQ(acquire(), 1);
    EXPECT_EQ(storedRecords(), 40);
}

// Each console's ring read whole and across its end, detected from what the station
// shows: every complete record stored with the station's readings, light and UV only
// where the console measures them.
TEST_F(AcquisitionTest, EachConsoleKindIsDetectedAndItsWholeRingStored) {
    struct Case {
        StationKind kind;
        int records;
        int held;  // the ring's records, the one being filled included
    };
    for (const Case c :
         {Case{StationKind::records16, 4100, 4080}, Case{StationKind::records20, 3300, 3264}}) {
        SCOPED_TRACE(recordSizeOf(c.kind));
        TearDown();
        SetUp();
        m_data = CStationData();
        m_detectedKind = kKindUnknown;
        auto options = testing::stationOptions(31, c.records, 5);
        options.kind = c.kind;
        startStation(options);
        ASSERT_EQ(acquire(), 1) << m_lastRun.describe();
        EXPECT_EQ(m_data.m_Kind, c.kind);
        EXPECT_EQ(m_data.m_DataCount, c.held);
        const auto held = stationRecords();
        ASSERT_EQ(storedRecords(), c.held - 1);
        expectSameReadings(allRecords(), held);
        const bool solar = hasSolarSensor(c.kind);
        EXPECT_EQ(isAbsent(allRecords().front().Light), !solar);
        EXPECT_EQ(isAbsent(m_data.m_Current.UV), !solar);
        EXPECT_EQ(isAbsent(m_data.m_Max.Light), !solar);
        EXPECT_EQ(isAbsent(m_data.m_AlarmHigh.UV), !solar);

        // Later records follow across the end of memory as the ring goes on.
        m_model->advanceMinutes(5 * 7);
        ASSERT_EQ(acquire(), 1);
        EXPECT_EQ(storedRecords(), c.held - 1 + 7);
    }
}

// A station whose records read as neither kind, with a pointer both kinds could hold,
// is not read until the setting says which it is.
TEST_F(AcquisitionTest, AnAmbiguousStationStoresNothingUntilTheSettingDecides) {
    startStation(testing::stationOptions(32, 4, 5));  // the record being filled at 336
    const std::array<std::uint8_t, 32> zeros{};
    m_model->writeBlock(336 - 64, zeros.data());
    m_model->writeBlock(336 - 32, zeros.data());  // all but the first record spoiled
    EXPECT_EQ(acquire(), 0);
    EXPECT_EQ(m_lastRun.status, link::LinkStatus::protocol);
    ASSERT_FALSE(m_events.faults().empty());
    EXPECT_EQ(m_events.faults().back().first, StationFault::ambiguousKind);
    EXPECT_EQ(storedRecords(), 0);

    m_stationModel = StationKind::records20;
    ASSERT_EQ(acquire(), 1) << m_lastRun.describe();
    EXPECT_EQ(m_data.m_Kind, StationKind::records20);
    EXPECT_EQ(storedRecords(), 1);  // the three zeroed records are not records
}

TEST_F(AcquisitionTest, FirstRunOnAFreshRingEndsAtThePcClock) {
    // Ten complete records and the one being filled: P = 256 + 20 * 10, M = 11.
    startStation(testing::stationOptions(14, 10, 5));
    ASSERT_EQ(acquire(), 1);
    EXPECT_EQ(m_data.m_CurrentPos, 256 + 20 * 10);
    EXPECT_EQ(m_data.m_DataCount, 11);
    EXPECT_EQ(storedRecords(), 10);
}

// Anchored to the PC clock, the newest record closed as many minutes ago as the record
// being filled has counted: not "now", which stamps every record up to an interval late.
TEST_F(AcquisitionTest, RecordsAnchoredToTheClockCloseAsLongAgoAsTheConsoleCounted) {
    struct Case {
        int interval, minutesIn;
    };
    for (const Case c : {Case{5, 1}, Case{30, 20}, Case{240, 200}}) {
        SCOPED_TRACE(c.interval);
        m_station.reset();
        ASSERT_EQ(m_db.DeleteAll(), 0);
        m_data = CStationData{};
        startStation(testing::stationOptions(21, 6, c.interval));
        m_model->advanceMinutes(c.minutesIn - 1);
        ASSERT_EQ(acquire(), 1);
        ASSERT_EQ(m_data.m_Current.Interval, c.minutesIn);
        const auto records = allRecords();
        ASSERT_EQ(records.size(), 6u);
        EXPECT_LE(std::llabs(WholeMinutesBetween(OleDate(records.back().Time), stationNow()) -
                             c.minutesIn),
                  1);
    }
}

TEST_F(AcquisitionTest, ForcedFullDownloadStoresNothingTwice) {
    startStation(testing::stationOptions(15, 40, 5));
    ASSERT_EQ(acquire(), 1);
    forceFullDownload();
    ASSERT_EQ(acquire(), 1);
    EXPECT_EQ(storedRecords(), 40);
}

TEST_F(AcquisitionTest, FullDownloadLaterInTheIntervalStoresNothingTwice) {
    startStation(testing::stationOptions(19, 40, 5));
    ASSERT_EQ(acquire(), 1);
    // Three minutes into the record being filled, and on past two new ones: read again
    // from the ring start, every record lands three minutes off its stored copy.
    for (const int minutes : {3, 10}) {
        SCOPED_TRACE(minutes);
        m_model->advanceMinutes(minutes);
        forceFullDownload();
        ASSERT_EQ(acquire(), 1);
        const auto records = allRecords();
        ASSERT_EQ(records.size(), minutes == 3 ? 40u : 42u);
        for (std::size_t i = 1; i < records.size(); ++i) {
            ASSERT_EQ(WholeMinutesBetween(OleDate(records[i - 1].Time), OleDate(records[i].Time)),
                      5)
                << i;
        }
    }
}

TEST_F(AcquisitionTest, FullDownloadAcrossStretchesAnchoredApartStoresNothingTwice) {
    startStation(testing::stationOptions(20, 40, 5));
    m_model->advanceMinutes(3);  // anchored three minutes into the record being filled
    ASSERT_EQ(acquire(), 1);
    m_model->advanceMinutes(2);  // a new record at once: it looks early, and is re-anchored
    ASSERT_EQ(acquire(), 1);
    ASSERT_EQ(storedRecords(), 41);
    forceFullDownload();
    ASSERT_EQ(acquire(), 1);
    EXPECT_EQ(storedRecords(), 41);
}

TEST_F(AcquisitionTest, LaterRunsStoreOnlyTheNewRecordsFiveMinutesApart) {
    startStation(testing::stationOptions(12, 10, 5));
    ASSERT_EQ(acquire(), 1);
    m_model->advanceMinutes(15);
    ASSERT_EQ(acquire(), 1);
    const auto records = allRecords();
    ASSERT_EQ(records.size(), 13u);
    for (std::size_t i = 1; i < records.size(); ++i) {
        EXPECT_EQ(WholeMinutesBetween(OleDate(records[i - 1].Time), OleDate(records[i].Time)), 5)
            << i;
    }
    // The newest record ends where the station's clock stands now, within an interval.
    EXPECT_LE(std::llabs(WholeMinutesBetween(OleDate(records.back().Time), stationNow())), 5);
}

TEST_F(AcquisitionTest, RainTotalsOfStoredRecordsAddUp) {
    auto options = testing::stationOptions(1, 300, 30);  // a seed with showers
    options.rainCounter = 100;
    startStation(options);
    ASSERT_EQ(acquire(), 1);
    const auto records = allRecords();
    ASSERT_EQ(records.size(), 300u);
    double total = 0.0;
    for (const auto& record : records) {
        total += record.Rain;
        EXPECT_NEAR(record.Rain5, total, 0.01);
        EXPECT_LE(record.Rain1, record.Rain2 + 0.001f);
        EXPECT_LE(record.Rain2, record.Rain4 + 0.001f);
        EXPECT_LE(record.Rain4, record.Rain5 + 0.001f);
    }
    EXPECT_GT(total, 0.0) << "the seed should bring some rain";
    EXPECT_EQ(records.front().Rain, 0.0f);  // nothing earlier to count it from
    EXPECT_NEAR(m_data.m_Current.Rain5, total, 0.31);
}

// Working out the rain totals rewrites every new row; the station's counter must survive.
TEST_F(AcquisitionTest, StoredRecordsKeepTheStationsRainCounter) {
    auto options = testing::stationOptions(1, 300, 30);  // a seed with showers
    options.rainCounter = 100;
    startStation(options);
    ASSERT_EQ(acquire(), 1);
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open((m_folder / "Nimbra7420.db").c_str(), &raw), SQLITE_OK);
    std::vector<std::int32_t> stored;
    sqlite3_exec(
        raw, "SELECT Rcount FROM Records ORDER BY Time",
        [](void* out, int, char** values, char**) {
            static_cast<std::vector<std::int32_t>*>(out)->push_back(std::atoi(values[0]));
            return 0;
        },
        &stored, nullptr);
    sqlite3_close(raw);
    ASSERT_EQ(stored.size(), 300u);
    EXPECT_GE(stored.front(), 100);
    EXPECT_GT(stored.back(), stored.front()) << "the seed should bring some rain";
    // Records made while the outdoor sensor was silent hold no counter (-1).
    std::erase(stored, -1);
    EXPECT_TRUE(std::is_sorted(stored.begin(), stored.end()));
}

// A run cut short while it works out the rain totals (the program killed, say) stores
// nothing: records and totals are committed together, so the next run downloads the
// records again and works their totals out, instead of leaving them without any.
TEST_F(AcquisitionTest, ARunEndedDuringTheRainTotalsStoresNothing) {
    auto options = testing::stationOptions(1, 300, 30);  // a seed with showers
    options.rainCounter = 100;
    startStation(options);
    struct RunEnded {};
    class EndsInTheRainTotals : public ViewEvents {
    public:
        void send(ViewEvent) override {}
        void progress(const DownloadProgress& progress) override {
            if (progress.rainDoneCount > 0) {
                throw RunEnded{};
            }
        }
    } ending;
    AcquisitionContext context{stationLink(),
                               m_db,
                               ending,
                               [](const CStationData&) {},
                               {},
                               [this] { return stationNow(); }};
    CStationData data;
    EXPECT_THROW(RunAcquisition(data, context), RunEnded);
    EXPECT_EQ(storedRecords(), 0);

    ASSERT_EQ(acquire(), 1);
    const auto records = allRecords();
    ASSERT_EQ(records.size(), 300u);
    double total = 0.0;
    for (const auto& record : records) {
        total += record.Rain;
    }
    EXPECT_GT(total, 0.0) << "the seed should bring some rain";
    EXPECT_NEAR(records.back().Rain5, total, 0.01);
}

TEST_F(AcquisitionTest, FullWrappedRingIsReadAroundTheEndOfMemory) {
    auto options = testing::stationOptions(5, 4000, 5);
    options.wrapped = true;
    startStation(options);
    ASSERT_EQ(acquire(), 1);
    EXPECT_EQ(m_data.m_DataCount, 3264);
    // Everything but the record being filled.
    EXPECT_EQ(storedRecords(), 3263);
    const auto records = allRecords();
    for (std::size_t i = 1; i < records.size(); ++i) {
        ASSERT_EQ(WholeMinutesBetween(OleDate(records[i - 1].Time), OleDate(records[i].Time)), 5)
            << "record " << i << " out of order or missing";
    }
}

// Later runs go on across the end of memory as anywhere else: nothing is read twice or
// skipped, and the times run on five minutes apart.
TEST_F(AcquisitionTest, RunsAfterThePointerWentRoundTheEndStoreOnlyTheNewRecords) {
    startStation(testing::stationOptions(6, memory_map::kRing20.records - 4, 5));
    ASSERT_EQ(acquire(), 1);
    int expected = memory_map::kRing20.records - 4;
    for (const int newRecords : {5, 3, 4}) {
        m_model->advanceMinutes(5 * newRecords);
        ASSERT_EQ(acquire(), 1);
        expected += newRecords;
        EXPECT_EQ(storedRecords(), expected);
    }
    const auto records = allRecords();
    for (std::size_t i = 1; i < records.size(); ++i) {
        ASSERT_EQ(WholeMinutesBetween(OleDate(records[i - 1].Time), OleDate(records[i].Time)), 5)
            << "record " << i << " out of order or missing";
    }
}

TEST_F(AcquisitionTest, AReanchoredRunCarriesOnFromTheTimesItStored) {
    startStation(testing::stationOptions(17, 10, 5));
    // As if the program had started 29.7 s into a minute, long before the station's clock.
    m_data.RecordTime = OleDate::fromCivil(CivilTime{2020, 1, 1, 0, 0, 0}).addSeconds(29.7);
    ASSERT_EQ(acquire(), 1);
    for (int run = 0; run < 2; ++run) {
        m_model->advanceMinutes(5);
        ASSERT_EQ(acquire(), 1);
    }
    const auto records = allRecords();
    ASSERT_EQ(records.size(), 12u);
    for (std::size_t i = 1; i < records.size(); ++i) {
        const double seconds = (records[i].Time - records[i - 1].Time) * 86400.0;
        EXPECT_NEAR(seconds, 300.0, 0.5) << i;
    }
}

TEST_F(AcquisitionTest, InvalidRecordsAreSkippedAndTheirNeighboursKept) {
    startStation(testing::stationOptions(8, 20, 5));
    ASSERT_TRUE(m_model->corruptRecord(3, emulator::RecordCorruption::kInvalidInterval));
    ASSERT_TRUE(m_model->corruptRecord(4, emulator::RecordCorruption::kOutOfRange));
    ASSERT_EQ(acquire(), 1);
    EXPECT_EQ(storedRecords(), 18);
    // The records on either side keep their times: three intervals apart across the gap.
    const auto records = allRecords();
    for (std::size_t i = 1; i < records.size(); ++i) {
        EXPECT_EQ(WholeMinutesBetween(OleDate(records[i - 1].Time), OleDate(records[i].Time)),
                  i == records.size() - 2 ? 15 : 5)
            << i;
    }
}

TEST_F(AcquisitionTest, UnpluggedDuringTheRunStoresNothingAndForgetsNothing) {
    startStation(testing::stationOptions(9, 30, 5));
    ASSERT_EQ(acquire(), 1);
    m_model->advanceMinutes(20);
    server().setFaults(
        testing::silentAfter(20));  // the fixed block, the current record, a first block
    EXPECT_EQ(acquire(), 0);
    EXPECT_EQ(m_lastRun.status, link::LinkStatus::timeout);
    EXPECT_EQ(storedRecords(), 30);
    server().setFaults(emulator::LinkFaults{});
    ASSERT_TRUE(stationLink().open().ok());
    ASSERT_EQ(acquire(), 1);
    EXPECT_EQ(storedRecords(), 34);
}

TEST_F(AcquisitionTest, UnreadableStationIsMarkedForRepair) {
    startStation(testing::stationOptions(10, 5, 5));
    server().setFaults(testing::unplugged());
    EXPECT_EQ(acquire(), 0);
    EXPECT_EQ(m_data.m_ReadFailed, 1);
    EXPECT_EQ(m_published.m_ReadFailed, 1);
    EXPECT_EQ(storedRecords(), 0);
}

// A console writes the record it closes after moving its pointer, here over 1.5 s; two
// reads of a half-written record agree. It is stored once the record being filled shows
// a minute, as written in the end.
TEST_F(AcquisitionTest, ARecordTheConsoleIsStillWritingIsStoredOnlyAsFinallyWritten) {
    startStation(testing::stationOptions(16, 10, 5));
    m_model->setTornWrites(std::chrono::milliseconds(1500));
    ASSERT_EQ(acquire(), 1);
    for (int closed = 0; closed < 3; ++closed) {
        // A record closes: the record being filled counts minute 0.
        m_model->advanceMinutes(4);
        ASSERT_EQ(acquire(), 1);
        EXPECT_EQ(storedRecords(), 10 + closed);
        EXPECT_EQ(m_data.LastPoint, m_data.m_CurrentPos - 20);
        m_model->advanceMinutes(1);
    }
    ASSERT_EQ(acquire(), 1);
    const auto records = allRecords();
    ASSERT_EQ(records.size(), 13u);
    const auto memory = m_model->image();
    for (int age = 1; age <= 13; ++age) {
        const auto address = static_cast<std::size_t>(m_data.m_CurrentPos - 20 * age);
        const HistoryRecord written =
            decodeHistoryRecord(recordBytesOf(memory.data() + address, StationKind::records20),
                                relativePressureOffset(m_data))
                .record;
        const HistoryRecord& stored = records[records.size() - static_cast<std::size_t>(age)];
        EXPECT_EQ(stored.Interval, written.Interval) << age;
        EXPECT_EQ(stored.InTemp, written.InTemp) << age;
        EXPECT_EQ(stored.OutTemp, written.OutTemp) << age;
        EXPECT_EQ(stored.OutHumi, written.OutHumi) << age;
        EXPECT_EQ(stored.AbsPressure, written.AbsPressure) << age;
        EXPECT_EQ(stored.Gust, written.Gust) << age;
        EXPECT_EQ(stored.Light, written.Light) << age;
    }
    for (std::size_t i = 1; i < records.size(); ++i) {
        EXPECT_EQ(WholeMinutesBetween(OleDate(records[i - 1].Time), OleDate(records[i].Time)), 5);
    }
}

// A pointer that is not a record's address or a count above the ring's size is not the
// station's own: the run reads nothing, stores nothing and keeps its bookkeeping.
TEST_F(AcquisitionTest, AnImplausiblePointerOrCountEndsTheRunChangingNothing) {
    struct Case {
        int address;
        std::uint16_t value;
        StationFault fault;
    };
    const Case cases[] = {
        {memory_map::fixed::kCurrentPos, 1001, StationFault::recordPointer},
        {memory_map::fixed::kCurrentPos, 100, StationFault::recordPointer},
        {memory_map::fixed::kDataCount, 0xFFFF, StationFault::recordCount},
        {memory_map::fixed::kDataCount, 3265, StationFault::recordCount},
    };
    startStation(testing::stationOptions(22, 30, 5));
    ASSERT_EQ(acquire(), 1);
    CStationData before;
    ASSERT_EQ(m_db.ReadParam(before, kParamAll), 0);
    m_model->advanceMinutes(10);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        // Written without a commit, the console leaves the bytes as they are.
        m_model->writeByte(c.address, static_cast<std::uint8_t>(c.value & 0xFF));
        m_model->writeByte(c.address + 1, static_cast<std::uint8_t>(c.value >> 8));
        EXPECT_EQ(acquire(), 0);
        EXPECT_EQ(m_lastRun.status, link::LinkStatus::protocol);
        ASSERT_FALSE(m_events.faults().empty());
        EXPECT_EQ(m_events.faults().back(), std::make_pair(c.fault, static_cast<int>(c.value)));
        EXPECT_EQ(storedRecords(), 30);
        CStationData after;
        ASSERT_EQ(m_db.ReadParam(after, kParamAll), 0);
        EXPECT_EQ(after.LastPoint, before.LastPoint);
        EXPECT_EQ(after.RecordTime.value(), before.RecordTime.value());
        EXPECT_EQ(m_data.LastPoint, before.LastPoint);
        m_model->writeByte(memory_map::fixed::kCommit, memory_map::kCommitValue);
    }
    // The console's own pointer again: the new records are stored.
    ASSERT_EQ(acquire(), 1);
    EXPECT_EQ(storedRecords(), 32);
}

// With a one-minute interval the ring goes round in 54 hours: a PC off for longer finds
// the pointer back near where it was. Every record the station holds is read.
TEST_F(AcquisitionTest, ARingThatLappedBetweenRunsIsReadWhole) {
    startStation(testing::stationOptions(23, 100, 1));
    ASSERT_EQ(acquire(), 1);
    const std::int64_t first = storedRecords();
    m_model->advanceMinutes(memory_map::kRing20.records + 2);
    ASSERT_EQ(acquire(), 1);
    // All the station holds but the record being filled and the newest, which a
    // one-minute interval always shows as just closed.
    const auto held = stationRecords();
    EXPECT_EQ(storedRecords(), first + static_cast<std::int64_t>(held.size()) - 1);
    auto records = allRecords();
    records.erase(records.begin(), records.begin() + first);
    expectSameReadings(records, std::vector<HistoryRecord>(held.begin(), held.end() - 1));
    EXPECT_LE(std::llabs(WholeMinutesBetween(OleDate(records.back().Time), stationNow()) - 1), 1);
}

TEST_F(AcquisitionTest, ClearedStationMemoryStartsOverAtTheRingStart) {
    startStation(testing::stationOptions(13, 50, 5));
    ASSERT_EQ(acquire(), 1);
    m_model->clearHistory();
    m_model->advanceMinutes(26);  // five records, and a minute into the sixth
    ASSERT_EQ(acquire(), 1);
    EXPECT_EQ(m_data.m_Reanchor, 1);
    const auto records = allRecords();
    ASSERT_EQ(records.size(), 55u);
    // The new records are re-anchored to the clock: the newest lies within an interval of now.
    EXPECT_LE(std::llabs(WholeMinutesBetween(OleDate(records.back().Time), stationNow())), 5);
}

}  // namespace
}  // namespace nimbra

namespace nimbra {
namespace {

TEST_F(AcquisitionTest, StationWritesReachTheStationMemoryByteForByte) {
    auto options = testing::stationOptions(16, 5, 5);
    options.commitDelay = std::chrono::milliseconds(300);
    startStation(options);
    ASSERT_EQ(acquire(), 1);
    CStationData edited = m_data;
    edited.m_PrevPressureUnit = edited.PressureUnit;
    edited.PressureUnit = 1;  // hPa -> inHg: the four pressure thresholds are rewritten
    edited.m_AlarmHigh.AbsPressure = 1040.0f;
    ASSERT_EQ(WriteSettings(
                  edited,
                  [this](int address, unsigned char value) {
                      return stationLink().writeByte(address, value).ok() ? 1 : 0;
                  },
                  [this](int address, unsigned char* block) {
                      return stationLink().readBlock(address, block).ok() ? 1 : 0;
                  }),
              1);
    const auto memory = m_model->image();
    // The console took the change before the write returned: it cleared the commit byte.
    EXPECT_EQ(memory[memory_map::fixed::kCommit], 0x00);
    EXPECT_EQ(memory[17] & 0xE0, 0x40);  // pressure unit bits
    EXPECT_EQ(memory[18], 0x01);         // m/s keeps its bit
    const int highAbs = memory[68] | (memory[69] << 8);
    EXPECT_EQ(highAbs, static_cast<int>(1040.0 / 3.38638 * 10));
    ASSERT_EQ(acquire(), 1);  // read back: the record shows what the station holds
    EXPECT_EQ(m_data.PressureUnit, 1);
}

}  // namespace
}  // namespace nimbra

namespace nimbra {
namespace {

TEST_F(AcquisitionTest, RingRunningPastItsEndBetweenRunsStoresOnlyTheNewRecords) {
    startStation(testing::stationOptions(17, 3260, 5));
    ASSERT_EQ(acquire(), 1);
    ASSERT_EQ(storedRecords(), 3260);
    m_model->advanceMinutes(30);  // six new records carry the pointer past the end of memory
    ASSERT_EQ(acquire(), 1);
    EXPECT_EQ(m_data.m_Reanchor, 0);
    const auto records = allRecords();
    ASSERT_EQ(records.size(), 3266u);
    for (std::size_t i = 1; i < records.size(); ++i) {
        ASSERT_EQ(WholeMinutesBetween(OleDate(records[i - 1].Time), OleDate(records[i].Time)), 5)
            << "record " << i << " out of order, missing or stored twice";
    }
    const auto station = stationRecords();
    expectSameReadings({records.end() - 10, records.end()}, {station.end() - 10, station.end()});
}

TEST_F(AcquisitionTest, DisagreeingReadsDuringTheDownloadStoreNothingSpoiled) {
    startStation(testing::stationOptions(18, 20, 5));
    ASSERT_EQ(acquire(), 1);
    m_model->advanceMinutes(60);
    // From the download's second read on, every second block read comes back spoiled in a
    // byte that still decodes as a plausible wind speed.
    emulator::LinkFaults faults = testing::flakyReads();
    faults.afterReports = 19;
    server().setFaults(faults);
    EXPECT_EQ(acquire(), 0);
    server().setFaults(emulator::LinkFaults{});
    ASSERT_TRUE(stationLink().open().ok());
    ASSERT_EQ(acquire(), 1);
    expectSameReadings(allRecords(), stationRecords());
}

}  // namespace
}  // namespace nimbra

namespace nimbra {
namespace {

TEST_F(AcquisitionTest, HistoryClearedDuringTheDownloadStoresNoNewRecordAsAnOldOne) {
    auto options = testing::stationOptions(21, 4000, 5);
    options.wrapped = true;
    startStation(options);
    // Early in the download of the whole ring, before it comes round to the ring start.
    emulator::LinkFaults faults;
    faults.afterReports = 40;
    server().setFaults(faults, [this] { m_model->clearHistory(); });
    ASSERT_EQ(acquire(), 1);
    server().setFaults(emulator::LinkFaults{});
    const auto records = allRecords();
    // Every record but the one at the ring start, which the console wrote over.
    ASSERT_EQ(records.size(), 3262u);
    int gaps = 0;
    for (std::size_t i = 1; i < records.size(); ++i) {
        const auto minutes =
            WholeMinutesBetween(OleDate(records[i - 1].Time), OleDate(records[i].Time));
        EXPECT_TRUE(minutes == 5 || minutes == 10) << i;
        gaps += minutes == 10 ? 1 : 0;
        EXPECT_EQ(records[i].Interval, 5) << i;
    }
    EXPECT_EQ(gaps, 1);
}

}  // namespace
}  // namespace nimbra
