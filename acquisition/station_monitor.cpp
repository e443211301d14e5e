#include "acquisition/station_monitor.h"

namespace nimbra {

namespace {
constexpr auto kPollPause = std::chrono::milliseconds(1000);
}

StationMonitor::StationMonitor(link::StationConnection& link, LiveStation& live, CWeatherDb& db,
                               ViewEvents& events, Hooks hooks)
    : m_link(link), m_live(live), m_db(db), m_events(events), m_hooks(std::move(hooks)) {}

StationMonitor::~StationMonitor() {
    stop();
}

void StationMonitor::start() {
    if (!m_monitorThread.joinable()) {
        m_monitorThread = std::jthread([this](std::stop_token stop) { monitorLoop(stop); });
    }
}

void StationMonitor::stop() {
    m_cancel = true;
    m_monitorThread.request_stop();
    m_sleep.notify_all();
    if (m_monitorThread.joinable()) {
        m_monitorThread.join();
    }
    if (m_acquisitionThread.joinable()) {
        m_acquisitionThread.join();
    }
    m_RepairPending = 1;  // nothing is left to acknowledge a close
}

bool StationMonitor::pause(std::stop_token stop, std::chrono::milliseconds duration) {
    std::unique_lock lock(m_sleepMutex);
    return !m_sleep.wait_for(lock, stop, duration, [] { return false; });
}

link::LinkResult StationMonitor::acquireNow() {
    std::lock_guard lock(m_acquisitionMutex);
    CStationData data = m_live.snapshot();
    AcquisitionContext context{
        m_link,
        m_db,
        m_events,
        [this](const CStationData& d) { m_live.publish(d); },
        [this] {
            if (m_hooks.uploadCurrent) {
                m_hooks.uploadCurrent();
            }
            if (m_RestartUploads.exchange(0) != 0 && m_hooks.startUploadLoops) {
                m_hooks.startUploadLoops();
            }
        },
        m_hooks.now,
        &m_cancel,
        m_stationModel,
        &m_detectedKind,
    };
    link::LinkResult result = RunAcquisition(data, context);
    m_live.publish(data);
    return result;
}

void StationMonitor::startFullAcquisition() {
    if (m_acquisitionThread.joinable()) {
        m_acquisitionThread.join();  // the previous one has already let the monitor poll again
    }
    m_MonitorMayPoll = 0;
    m_acquisitionThread = std::jthread([this] {
        acquireNow();
        m_MonitorMayPoll = 1;
    });
}

bool StationMonitor::forwardRequests() {
    const std::pair<std::atomic<int>*, ViewEvent> requests[] = {
        {&m_WriteSettingsRequest, ViewEvent::WriteSettings},
        {&m_WriteAlarmsRequest, ViewEvent::WriteAlarms},
        {&m_RepairRequest, ViewEvent::StationUnreadable},
        {&m_ClearMemoryRequest, ViewEvent::ClearMemory},
        {&m_ClearHistoryRequest, ViewEvent::ClearHistory},
    };
    for (const auto& [flag, event] : requests) {
        if (flag->load() == 0) {
            continue;
        }
        if (event == ViewEvent::StationUnreadable) {
            // The close hand-shake: acknowledge and end for good, leaving the request set.
            m_RepairPending = 1;
            m_events.send(event);
            return false;
        }
        m_events.send(event);  // the view handles it before this returns
        *flag = 0;
        return true;
    }
    return true;
}

void StationMonitor::monitorLoop(std::stop_token stop) {
    while (!stop.stop_requested()) {
        if (m_MonitorMayPoll != 0) {
            const link::LinkResult found = m_link.open();
            const bool connected = found.ok();
            m_Connected = connected ? 1 : 0;
            if (connected) {
                m_events.send(ViewEvent::StationConnected);
            } else {
                m_RestartUploads = 1;
                m_NeedFullRead = 1;
                m_detectedKind = kKindUnknown;  // another console may be plugged in next
                m_events.stationUnreachable(found.describe());
                m_events.send(ViewEvent::StationMissing);
            }
            // A station that needs its full download is read at once; otherwise the poll
            // keeps its rhythm.
            const bool fullReadDue = connected && m_NeedFullRead != 0;
            if (!fullReadDue && !pause(stop, kPollPause)) {
                break;
            }
            if (connected) {
                if (m_NeedFullRead != 0) {
                    m_NeedFullRead = 0;
                    startFullAcquisition();
                } else {
                    if (m_live.snapshot().m_ReadFailed != 0) {
                        m_RepairRequest = 1;
                    }
                    if (m_PollCount >= kPollsPerAcquisition) {
                        acquireNow();
                        m_PollCount = 0;
                    } else {
                        ++m_PollCount;
                    }
                }
            }
        }
        if (m_hooks.invalidate) {
            m_hooks.invalidate();
        }
        if (!pause(stop, kPollPause) || !forwardRequests()) {
            break;
        }
    }
}

}  // namespace nimbra
