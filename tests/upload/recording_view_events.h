#pragma once

#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "core/view_events.h"

namespace nimbra::testing {

// Collects the events the upload threads send, from any thread.
class RecordingViewEvents : public ViewEvents {
public:
    void send(ViewEvent event) override {
        const std::lock_guard lock(mutex_);
        events_.push_back(event);
    }
    void progress(const DownloadProgress&) override {}

    std::vector<ViewEvent> events() const {
        const std::lock_guard lock(mutex_);
        return events_;
    }

    std::vector<ViewEvent> waitForEvents(std::size_t count, std::chrono::milliseconds limit) const {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (events().size() < count && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return events();
    }

private:
    mutable std::mutex mutex_;
    std::vector<ViewEvent> events_;
};

}  // namespace nimbra::testing
