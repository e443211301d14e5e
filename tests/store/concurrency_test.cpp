#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

#include "tests/support/store_fixture.h"

namespace nimbra {
namespace {

using testing::sampleRecord;
using testing::StoreTest;

// A dialog's own connection reads while the acquisition writes a batch on another: it sees
// the last committed state throughout, then the whole batch once it is committed.
TEST_F(StoreTest, ASecondConnectionReadsWhileTheFirstWrites) {
    insertAt({45000.0});
    std::promise<void> inserted, read, committed;
    std::thread writer([&] {
        Transaction transaction(m_db);
        for (int i = 1; i <= 500; ++i) {
            m_db.InsertRecord(sampleRecord(45000.0 + i / 288.0));
        }
        inserted.set_value();
        read.get_future().wait();
        transaction.commit();
        committed.set_value();
    });

    inserted.get_future().wait();
    CWeatherDb reader;
    EXPECT_EQ(reader.Connect(file()), 0);
    std::int64_t count = -1;
    EXPECT_EQ(reader.CountAll(count), 0);
    EXPECT_EQ(count, 1);
    RecordCursor rows;
    EXPECT_EQ(reader.FillHistoryList(OleDate(44999.0), OleDate(45010.0), rows), 0);
    EXPECT_EQ(timesOf(rows).size(), 1u);
    read.set_value();

    committed.get_future().wait();
    EXPECT_EQ(reader.CountAll(count), 0);
    EXPECT_EQ(count, 501);
    writer.join();
}

// The document's object shared by the acquisition (batches in transactions) and the
// user-interface thread (clearing the data): a clear never lands inside a batch, so the
// table always holds whole batches.
TEST_F(StoreTest, OperationsOfAnotherThreadNeverLandInsideATransaction) {
    constexpr int kBatch = 20;
    constexpr int kBatches = 40;
    std::atomic<bool> writing{true};
    std::thread acquisition([&] {
        for (int b = 0; b < kBatches; ++b) {
            Transaction transaction(m_db);
            for (int i = 0; i < kBatch; ++i) {
                m_db.InsertRecord(sampleRecord(45000.0 + b + i / 100.0));
            }
            transaction.commit();
        }
        writing = false;
    });
    int checks = 0;
    while (writing) {
        std::int64_t count = -1;
        ASSERT_EQ(m_db.CountAll(count), 0);
        EXPECT_EQ(count % kBatch, 0) << count;
        if (++checks % 5 == 0) {
            ASSERT_EQ(m_db.DeleteAll(), 0);
        }
    }
    acquisition.join();
    EXPECT_TRUE(m_errors.messages().empty());
}

}  // namespace
}  // namespace nimbra
