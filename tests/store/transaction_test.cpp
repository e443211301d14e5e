#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

#include "tests/support/store_fixture.h"

namespace nimbra {
namespace {

using testing::executeRaw;
using testing::queryRaw;
using testing::sampleRecord;
using testing::StoreTest;

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class TransactionTest : public StoreTest {
protected:
    // Makes the engine refuse a record with this interval, as a full disk or a damaged
    // file would refuse a write in the middle of a batch.
    static constexpr std::int32_t kRefusedInterval = 99;
    void refuseMarkedRecords() {
        executeRaw(file(), "CREATE TRIGGER refuse BEFORE INSERT ON Records WHEN NEW.Interval = " +
                               std::to_string(kRefusedInterval) +
                               " BEGIN SELECT raise(ABORT, 'record refused'); END");
    }
    static HistoryRecord refusedRecord(double time) {
        HistoryRecord record = sampleRecord(time);
        record.Interval = kRefusedInterval;
        return record;
    }
    std::string count(const char* table) {
        return queryRaw(file(), std::string("SELECT count(*) FROM ") + table);
    }
};

TEST_F(TransactionTest, CommitAppliesRecordsAndParamTogether) {
    ASSERT_EQ(m_db.BeginTrans(), 0);
    insertAt({45010.0, 45020.0});
    ASSERT_EQ(m_db.WriteParam(ParamBlock{}), 0);
    EXPECT_EQ(count("Records"), "0");  // not visible to another connection yet
    ASSERT_EQ(m_db.CommitTrans(), 0);
    EXPECT_EQ(count("Records"), "2");
    EXPECT_EQ(count("Param"), "1");
}

TEST_F(TransactionTest, AnErrorInTheMiddleLeavesNothingBehindAndIsReportedOnce) {
    refuseMarkedRecords();
    ASSERT_EQ(m_db.BeginTrans(), 0);
    insertAt({45010.0, 45020.0});
    EXPECT_EQ(m_db.InsertRecord(refusedRecord(45030.0)), 1);
    // The batch goes on as a careless caller would; none of it may land.
    EXPECT_EQ(m_db.InsertRecord(sampleRecord(45040.0)), 1);
    EXPECT_EQ(m_db.WriteParam(ParamBlock{}), 1);
    EXPECT_EQ(m_db.CommitTrans(), 1);

    EXPECT_EQ(count("Records"), "0");
    EXPECT_EQ(count("Param"), "0");
    EXPECT_THAT(m_errors.messages(), ElementsAre("record refused"));

    // The object is usable again afterwards.
    insertAt({45050.0});
    EXPECT_EQ(count("Records"), "1");
}

TEST_F(TransactionTest, AnAbandonedTransactionRollsBack) {
    {
        Transaction transaction(m_db);
        ASSERT_TRUE(transaction.isOpen());
        insertAt({45010.0});
    }
    EXPECT_EQ(count("Records"), "0");
    {
        Transaction transaction(m_db);
        insertAt({45010.0});
        EXPECT_EQ(transaction.commit(), 0);
    }
    EXPECT_EQ(count("Records"), "1");
}

TEST_F(TransactionTest, MisusedTransactionCallsAreReported) {
    EXPECT_EQ(m_db.CommitTrans(), 1);
    EXPECT_EQ(m_db.RollbackTrans(), 1);
    ASSERT_EQ(m_db.BeginTrans(), 0);
    EXPECT_EQ(m_db.BeginTrans(), 1);
    EXPECT_EQ(m_db.CommitTrans(), 1);  // the failed nested begin doomed the transaction
    EXPECT_EQ(m_errors.messages().size(), 3u);
}

TEST_F(TransactionTest, ReconnectingRollsBackAnOpenTransaction) {
    ASSERT_EQ(m_db.BeginTrans(), 0);
    insertAt({45010.0});
    ASSERT_EQ(m_db.Connect(file()), 0);
    EXPECT_EQ(count("Records"), "0");
    insertAt({45020.0});
    EXPECT_EQ(count("Records"), "1");
}

TEST_F(TransactionTest, DeleteAllInsideATransactionIsUndoneWithIt) {
    insertAt({45010.0});
    {
        Transaction transaction(m_db);
        ASSERT_EQ(m_db.DeleteAll(), 0);
    }
    EXPECT_EQ(count("Records"), "1");
}

// The sink hears of a failure only after the lock is released, so a sink that waits for
// another thread using the same object (as a message box on the user-interface thread
// does) cannot deadlock.
TEST_F(TransactionTest, TheSinkRunsWithoutTheLockHeld) {
    refuseMarkedRecords();
    std::int64_t countSeenBySink = -1;
    m_db.setErrorSink([&](const std::string&) {
        std::thread other([&] { m_db.CountAll(countSeenBySink); });
        other.join();
    });
    {
        Transaction transaction(m_db);
        insertAt({45010.0});
        EXPECT_EQ(m_db.InsertRecord(refusedRecord(45020.0)), 1);
    }
    EXPECT_EQ(countSeenBySink, 0);
}

}  // namespace
}  // namespace nimbra
