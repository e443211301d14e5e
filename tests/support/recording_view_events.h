#pragma once

#include <chrono>
#include <mutex>
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
    void progress(const DownloadProgress& progress) override {
        const std::lock_guard lock(m_mutex);
        m_progress.push_back(progress);
    }

    void uploadFailed(ViewEvent failure, const UploadFailure& why) override {
        const std::lock_guard lock(m_mutex);
        m_uploadFailures.emplace_back(failure, why);
    }

    std::vector<ViewEvent> events() const {
        const std::lock_guard lock(m_mutex);
        return m_events;
    }
    std::vector<std::pair<ViewEvent, UploadFailure>> uploadFailures() const {
        const std::lock_guard lock(m_mutex);
        return m_uploadFailures;
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
    std::vector<std::pair<ViewEvent, UploadFailure>> m_uploadFailures;
};

}  // namespace nimbra::testing
