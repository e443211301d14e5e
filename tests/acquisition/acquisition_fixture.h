#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "core/view_events.h"
#include "emulator/station_model.h"
#include "store/weather_db.h"
#include "tests/support/emulated_station.h"

namespace nimbra::testing {

// Remembers every view event, for the checks that follow a run.
class RecordingEvents : public ViewEvents {
public:
    void send(ViewEvent event) override {
        std::lock_guard lock(m_mutex);
        m_events.push_back(event);
    }
    void progress(const DownloadProgress& progress) override {
        std::lock_guard lock(m_mutex);
        m_progress.push_back(progress);
    }
    void stationUnreachable(const std::string& reason) override {
        std::lock_guard lock(m_mutex);
        m_reasons.push_back(reason);
    }
    void stationFault(StationFault fault, int value) override {
        std::lock_guard lock(m_mutex);
        m_faults.emplace_back(fault, value);
    }
    std::vector<std::pair<StationFault, int>> faults() const {
        std::lock_guard lock(m_mutex);
        return m_faults;
    }
    std::vector<ViewEvent> events() const {
        std::lock_guard lock(m_mutex);
        return m_events;
    }
    std::vector<DownloadProgress> progressEvents() const {
        std::lock_guard lock(m_mutex);
        return m_progress;
    }
    std::vector<std::string> unreachableReasons() const {
        std::lock_guard lock(m_mutex);
        return m_reasons;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<ViewEvent> m_events;
    std::vector<DownloadProgress> m_progress;
    std::vector<std::string> m_reasons;
    std::vector<std::pair<StationFault, int>> m_faults;
};

// A modelled station behind an emulator and a link of the test's own, and a fresh
// database beside it.
class StationAndStore : public ::testing::Test {
protected:
    void startStation(emulator::StationModelOptions options) {
        options.speed = 0.0;  // the clock moves only when a test says so
        if (!options.startTime) {
            options.startTime = CivilTime{2024, 6, 12, 9, 0, 0};
        }
        m_model = std::make_unique<emulator::StationModel>(options);
        m_station = std::make_unique<EmulatedStation>(*m_model);
        ASSERT_TRUE(stationLink().open().ok());
    }

    emulator::ReportServer& server() { return m_station->server(); }
    link::StationLink& stationLink() { return m_station->link(); }

    void SetUp() override {
        m_folder = std::filesystem::temp_directory_path() /
                   ("acquisition-" + std::to_string(::getpid()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_folder);
        std::filesystem::create_directories(m_folder);
        ASSERT_EQ(m_db.Connect(m_folder / "Nimbra7420.db"), 0);
    }

    void TearDown() override {
        m_station.reset();
        std::filesystem::remove_all(m_folder);
    }

    OleDate stationNow() { return OleDate::fromCivil(m_model->stationTime()); }

    std::int64_t storedRecords() {
        std::int64_t count = -1;
        EXPECT_EQ(m_db.CountAll(count), 0);
        return count;
    }

    std::vector<HistoryRecord> allRecords() {
        std::vector<HistoryRecord> records;
        RecordCursor cursor;
        EXPECT_EQ(m_db.OpenLatest(1000000, cursor), 0);
        for (; !cursor.atEnd(); cursor.moveNext()) {
            HistoryRecord record;
            cursor.ExchangeRecord(record, ExchangeDirection::read);
            records.push_back(record);
        }
        return records;
    }

    std::filesystem::path m_folder;
    CWeatherDb m_db;
    std::unique_ptr<emulator::StationModel> m_model;
    std::unique_ptr<EmulatedStation> m_station;
    RecordingEvents m_events;
};

}  // namespace nimbra::testing
