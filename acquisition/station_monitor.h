#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>

#include "acquisition/acquisition.h"
#include "acquisition/live_station.h"
#include "core/view_events.h"
#include "station_link/station_connection.h"
#include "store/weather_db.h"

namespace nimbra {

// Watches the station: polls the link about every two seconds, starts a full download
// when the station appears, runs a short acquisition on every 31st connected poll, and
// carries the user interface's requests (device writes, clearing, closing) to the view
// while no acquisition touches the station.
class StationMonitor {
public:
    struct Hooks {
        std::function<void()> invalidate;        // repaint the live view
        std::function<void()> uploadCurrent;     // after every completed pass
        std::function<void()> startUploadLoops;  // after a pass that follows a disconnection
        std::function<OleDate()> now = [] { return OleDate::currentTime(); };
    };

    StationMonitor(link::StationConnection& link, LiveStation& live, CWeatherDb& db,
                   ViewEvents& events, Hooks hooks);
    ~StationMonitor();
    StationMonitor(const StationMonitor&) = delete;
    StationMonitor& operator=(const StationMonitor&) = delete;

    void start();
    // Ends the monitor and any download for good, without the closing hand-shake; for
    // when the program is going away anyway.
    void stop();

    // Runs one acquisition on the live record now, on the calling thread.
    link::LinkResult acquireNow();

    // The console kind the settings fix, or unset to detect it each time the station
    // connects; before start().
    void setStationModel(std::optional<StationKind> model) { m_stationModel = model; }

    // Flags shared with the user interface; plain integers in the design, atomics here.
    std::atomic<int> m_NeedFullRead{1};
    std::atomic<int> m_MonitorMayPoll{1};
    std::atomic<int> m_PollCount{0};
    std::atomic<int> m_WriteSettingsRequest{0};
    std::atomic<int> m_WriteAlarmsRequest{0};
    std::atomic<int> m_ClearMemoryRequest{0};
    std::atomic<int> m_ClearHistoryRequest{0};
    std::atomic<int> m_RepairRequest{0};
    std::atomic<int> m_RepairPending{0};
    std::atomic<int> m_Connected{0};
    std::atomic<int> m_RestartUploads{1};

    // Connected polls between two periodic acquisitions.
    static constexpr int kPollsPerAcquisition = 30;

private:
    void monitorLoop(std::stop_token stop);
    bool pause(std::stop_token stop, std::chrono::milliseconds duration);
    void startFullAcquisition();
    // Forwards the first pending request; false when the monitor must end.
    bool forwardRequests();

    link::StationConnection& m_link;
    LiveStation& m_live;
    CWeatherDb& m_db;
    ViewEvents& m_events;
    Hooks m_hooks;
    std::atomic<bool> m_cancel{false};
    std::optional<StationKind> m_stationModel;
    std::atomic<int> m_detectedKind{kKindUnknown};  // forgotten when the station goes missing
    std::mutex m_acquisitionMutex;  // one acquisition at a time touches the database
    std::mutex m_sleepMutex;
    std::condition_variable_any m_sleep;
    std::jthread m_acquisitionThread;
    std::jthread m_monitorThread;  // declared last: stopped and joined first
};

}  // namespace nimbra
