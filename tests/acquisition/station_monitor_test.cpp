#include "acquisition/station_monitor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "tests/acquisition/acquisition_fixture.h"

namespace nimbra {
namespace {

using namespace std::chrono_literals;

class StationMonitorTest : public testing::StationAndStore {
protected:
    // Waits up to `limit` for `condition`, checking every 50 ms.
    template <typename Condition>
    static bool eventually(Condition condition, std::chrono::milliseconds limit = 10s) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(50ms);
        }
        return true;
    }

    bool received(ViewEvent event) const {
        const auto events = m_events.events();
        return std::find(events.begin(), events.end(), event) != events.end();
    }

    StationMonitor::Hooks hooks() {
        StationMonitor::Hooks h;
        h.uploadCurrent = [this] { ++m_uploads; };
        h.startUploadLoops = [this] { ++m_loopStarts; };
        h.now = [this] { return stationNow(); };
        return h;
    }

    LiveStation m_live;
    std::atomic<int> m_uploads{0};
    std::atomic<int> m_loopStarts{0};
};

TEST_F(StationMonitorTest, FindsTheStationDownloadsAndStartsTheUploads) {
    startStation(testing::stationOptions(21, 60, 5));
    StationMonitor monitor(stationLink(), m_live, m_db, m_events, hooks());
    monitor.start();
    ASSERT_TRUE(eventually([&] { return m_uploads.load() == 1; }));
    EXPECT_TRUE(received(ViewEvent::StationConnected));
    EXPECT_EQ(monitor.m_Connected.load(), 1);
    EXPECT_EQ(m_loopStarts.load(), 1);
    EXPECT_EQ(monitor.m_RestartUploads.load(), 0);
    EXPECT_EQ(storedRecords(), 60);
    EXPECT_EQ(m_live.snapshot().LastPoint, m_live.snapshot().m_CurrentPos);
    monitor.stop();
}

TEST_F(StationMonitorTest, MissingStationIsReportedAndMarksUploadsForRestart) {
    startStation(testing::stationOptions(22, 5, 5));
    server().setFaults(testing::unplugged());
    StationMonitor monitor(stationLink(), m_live, m_db, m_events, hooks());
    monitor.m_RestartUploads = 0;
    monitor.start();
    ASSERT_TRUE(eventually([&] { return received(ViewEvent::StationMissing); }));
    EXPECT_EQ(monitor.m_Connected.load(), 0);
    EXPECT_EQ(monitor.m_RestartUploads.load(), 1);
    EXPECT_EQ(monitor.m_NeedFullRead.load(), 1);
    monitor.stop();
    // The view is told why, in the system's words: nothing listens at the socket.
    const auto reasons = m_events.unreachableReasons();
    ASSERT_FALSE(reasons.empty());
    EXPECT_EQ(reasons.front().rfind("no station: " + server().socketPath().native(), 0), 0u)
        << reasons.front();
}

TEST_F(StationMonitorTest, RequestsReachTheViewInOrderAndTheCloseIsAcknowledged) {
    startStation(testing::stationOptions(23, 5, 5));
    StationMonitor monitor(stationLink(), m_live, m_db, m_events, hooks());
    monitor.m_WriteAlarmsRequest = 1;
    monitor.m_WriteSettingsRequest = 1;
    monitor.start();
    ASSERT_TRUE(eventually([&] { return monitor.m_WriteAlarmsRequest.load() == 0; }));
    monitor.m_RepairRequest = 1;
    ASSERT_TRUE(eventually([&] { return monitor.m_RepairPending.load() == 1; }));
    ASSERT_TRUE(eventually([&] { return received(ViewEvent::StationUnreadable); }));

    const auto events = m_events.events();
    const auto settings = std::find(events.begin(), events.end(), ViewEvent::WriteSettings);
    const auto alarms = std::find(events.begin(), events.end(), ViewEvent::WriteAlarms);
    ASSERT_NE(settings, events.end());
    ASSERT_NE(alarms, events.end());
    EXPECT_LT(settings, alarms);  // settings first, one request per pass
    EXPECT_EQ(monitor.m_RepairRequest.load(), 1);
    monitor.stop();
}

TEST_F(StationMonitorTest, UnreadableFixedBlockLeadsToTheRepairRequest) {
    startStation(testing::stationOptions(24, 5, 5));
    server().setFaults(testing::flakyReads());  // two reads of a block never agree
    StationMonitor monitor(stationLink(), m_live, m_db, m_events, hooks());
    monitor.start();
    ASSERT_TRUE(eventually([&] { return monitor.m_RepairPending.load() == 1; }, 20s));
    EXPECT_EQ(m_live.snapshot().m_ReadFailed, 1);
    EXPECT_TRUE(received(ViewEvent::StationUnreadable));
    monitor.stop();
}

}  // namespace
}  // namespace nimbra
