// The soak's verdicts are only worth something if its checker sees every kind of fault.

#include "soak/record_ledger.h"

#include <gtest/gtest.h>

#include "core/byte_order.h"
#include "station/record_codec.h"

namespace nimbra::soak {
namespace {

namespace fx = memory_map::fixed;

HistoryRecord reading(int n) {
    HistoryRecord r;
    r.Interval = 5;
    r.InTemp = 20.0f + static_cast<float>(n) / 10.0f;
    r.InHumi = 40;
    r.OutTemp = 10.0f;
    r.OutHumi = 70;
    r.AbsPressure = 1000.0f;
    r.Wind = 1.0f;
    r.Gust = 2.0f;
    r.WindDirection = 3;
    r.Rcount = 100 + n;
    r.Light = 500.0f;
    r.UV = 1;
    return r;
}

// Records 1..count at the start of the ring, the station's pointer just after them, and
// the records as the store gives them back.
class LedgerTest : public ::testing::Test {
protected:
    void produce(int count) {
        for (int n = 1; n <= count; ++n) {
            emulator::CompletedRecord& record = m_log.emplace_back();
            record.number = static_cast<std::uint64_t>(n);
            record.address = memory_map::kRing20.recordAddress(n - 1);
            encodeHistoryRecord(reading(n), OutdoorSensor::inContact,
                                MutableRecordBytes(record.bytes));
            std::copy(record.bytes.begin(), record.bytes.end(), &m_image[record.address]);
        }
        storeLe16(&m_image[fx::kCurrentPos], memory_map::kRing20.recordAddress(count));
        m_image[memory_map::kRing20.recordAddress(count)] =
            1;  // a minute into the record being filled
        storeLe16(&m_image[fx::kDataCount], static_cast<std::uint16_t>(count + 1));
    }

    HistoryRecord stored(int n) const {
        HistoryRecord r = decodeHistoryRecord(RecordBytes(m_log.at(n - 1).bytes), 0.0f).record;
        r.Time = 45000.0 + n;
        return r;
    }

    std::vector<emulator::CompletedRecord> m_log;
    RecordLedger::Image m_image{};
    RecordLedger m_ledger;
};

TEST_F(LedgerTest, EveryRecordOnceInOrderPasses) {
    produce(4);
    m_ledger.decide(m_log, m_image);
    const auto f = m_ledger.compare(m_log, {stored(1), stored(2), stored(3), stored(4)});
    EXPECT_EQ(f.expected, 4);
    EXPECT_EQ(f.stored, 4);
    EXPECT_EQ(f.lost + f.doubled + f.outOfOrder + f.unknown, 0);
    EXPECT_TRUE(f.examples.empty());
}

TEST_F(LedgerTest, LostDoubledOutOfOrderAndUnknownRecordsAreEachCounted) {
    produce(5);
    m_ledger.decide(m_log, m_image);
    HistoryRecord garbage = stored(5);
    garbage.InHumi = 99;
    // 3 is missing, 1 comes twice and 5 before 4.
    const auto f =
        m_ledger.compare(m_log, {stored(1), stored(2), stored(1), stored(5), stored(4), garbage});
    EXPECT_EQ(f.lost, 1);
    EXPECT_EQ(f.doubled, 1);
    EXPECT_EQ(f.outOfOrder, 2);  // the second 1, then 4 after 5
    EXPECT_EQ(f.unknown, 1);
    EXPECT_FALSE(f.examples.empty());
}

TEST_F(LedgerTest, RecordsTheStationDroppedBeforeTheyCouldBeReadAreNotExpected) {
    produce(4);
    // A clear: the pointer is back at the ring start with nothing behind it.
    RecordLedger::Image cleared = m_image;
    storeLe16(&cleared[fx::kCurrentPos], memory_map::kRingStart);
    storeLe16(&cleared[fx::kDataCount], 1);
    m_ledger.decide(m_log, cleared);
    auto f = m_ledger.compare(m_log, {});
    EXPECT_EQ(f.dropped, 4);
    EXPECT_EQ(f.lost, 0);

    // Stored anyway, they are true records, not faults.
    f = m_ledger.compare(m_log, {stored(2)});
    EXPECT_EQ(f.unexpectedButTrue, 1);
    EXPECT_EQ(f.unknown, 0);
}

TEST_F(LedgerTest, RecordsOverwrittenOrOutsideTheCountAreDropped) {
    produce(4);
    m_image[m_log[2].address + 3] ^= 0x01;                  // record 3 overwritten
    storeLe16(&m_image[fx::kDataCount], std::uint16_t{3});  // records 1 and 2 not counted
    m_ledger.decide(m_log, m_image);
    const auto f = m_ledger.compare(m_log, {stored(4)});
    EXPECT_EQ(f.dropped, 3);
    EXPECT_EQ(f.expected, 1);
    EXPECT_EQ(f.lost, 0);
}

TEST_F(LedgerTest, RecordsWrittenOverDuringTheirFirstRunAreNotExpected) {
    produce(3);
    m_ledger.decide(m_log, m_image);
    m_image[m_log[0].address] ^= 0x01;  // the history cleared: a new record at the ring start
    m_ledger.dropOverwritten(m_log, m_image);
    const auto f = m_ledger.compare(m_log, {stored(2), stored(3)});
    EXPECT_EQ(f.dropped, 1);
    EXPECT_EQ(f.lost, 0);
}

TEST_F(LedgerTest, SpoiledRecordsMayBeStoredTrueButNeverSpoiled) {
    produce(3);
    m_log[1].corrupted = true;
    m_ledger.decide(m_log, m_image);
    EXPECT_EQ(m_ledger.compare(m_log, {stored(1), stored(3)}).lost, 0);
    EXPECT_EQ(m_ledger.compare(m_log, {stored(1), stored(2), stored(3)}).unknown, 0);
    HistoryRecord spoiled = stored(2);
    spoiled.Interval = 0;
    EXPECT_EQ(m_ledger.compare(m_log, {stored(1), spoiled, stored(3)}).unknown, 1);
}

TEST_F(LedgerTest, EqualReadingsAreMatchedInTheOrderOfProduction) {
    produce(4);
    // Records 2 and 4 read alike; 2 was spoiled before it could be read.
    m_log[3].bytes = m_log[1].bytes;
    m_log[1].corrupted = true;
    std::copy(m_log[3].bytes.begin(), m_log[3].bytes.end(), &m_image[m_log[3].address]);
    m_ledger.decide(m_log, m_image);
    const auto f = m_ledger.compare(m_log, {stored(1), stored(3), stored(4)});
    EXPECT_EQ(f.lost + f.doubled + f.outOfOrder + f.unknown, 0);
    // Record 3 reads like the spoiled record 2 before it: the stored one is record 3.
    m_log[2].bytes = m_log[1].bytes;
    const auto g = m_ledger.compare(m_log, {stored(1), stored(3), stored(4)});
    EXPECT_EQ(g.lost + g.doubled + g.outOfOrder + g.unknown, 0);
}

TEST_F(LedgerTest, TheNewestRecordWaitsWhileTheRecordBeingFilledCountsMinuteZero) {
    produce(3);
    m_image[memory_map::kRing20.recordAddress(3)] = 0;
    m_ledger.decide(m_log, m_image);
    const auto f = m_ledger.compare(m_log, {stored(1), stored(2)});
    EXPECT_EQ(f.expected, 2);
    EXPECT_EQ(f.lost, 0);
}

TEST_F(LedgerTest, RecordsNotYetDecidedAreNotExpected) {
    produce(3);
    m_ledger.decide({m_log.begin(), m_log.begin() + 2}, m_image);
    const auto f = m_ledger.compare(m_log, {stored(1), stored(2)});
    EXPECT_EQ(f.expected, 2);
    EXPECT_EQ(f.lost, 0);
}

}  // namespace
}  // namespace nimbra::soak
