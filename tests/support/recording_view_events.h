#pragma once

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/view_events.h"

namespace nimbra::testing {

// Collects the events and the download progress sent to the views, from any thread.
class RecordingViewEvents : public ViewEvents {
public:
    void send(ViewEvent event) override {
        const std::lock_guard lock(m_mutex);
        m_events.push_back(event);
    }
    void uploadDetail(ViewEvent outcome, const std::string& detail) override {
        const std::lock_guard lock(m_mutex);
        m_details.emplace_back(outcome, detail);
    }
    void progress(const DownloadProgress& progress) override {
        const std::lock_guard lock(m_mutex);
        m_progress.push_back(progress);
    }

    std::vector<ViewEvent> events() const {
        const std::lock_guard lock(m_mutex);
        return m_events;
    }
    std::vector<std::pair<ViewEvent, std::string>> details() const {
        const std::lock_guard lock(m_mutex);
        return m_details;
    }
    std::vector<DownloadProgress> progressEvents() const {
        const std::lock_guard lock(m_mutex);
        return m_progress;
    }

    std::vector<ViewEvent> waitForEvents(std::size_t count, std::chrono::milliseconds limit) const {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (events().size() < count && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return events();
    }

private:
    mutable std::mutex m_mutex;
    std::vector<ViewEvent> m_events;
    std::vector<DownloadProgress> m_progress;
    std::vector<std::pair<ViewEvent, std::string>> m_details;
};

}  // namespace nimbra::testing
