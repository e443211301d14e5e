#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>

#include "upload/upload_worker.h"

namespace nimbra {

// Owns the upload threads: the one-off Weather Underground upload after each acquisition
// pass and the loops of the other services. Never runs two threads for the same service:
// a start while that service's thread is still busy is dropped, which for a loop means
// the running loop simply carries on. The destructor stops every thread and waits.
class UploadThreads {
public:
    // `connected` is the view's station-present flag the loops watch.
    UploadThreads(UploadContext context, const std::atomic<int>& connected);
    ~UploadThreads();
    UploadThreads(const UploadThreads&) = delete;
    UploadThreads& operator=(const UploadThreads&) = delete;

    // After every completed acquisition pass.
    void uploadToWeatherUnderground();
    // After a pass that follows the start or a disconnection.
    void startLoops();
    // Asks every thread to end and waits for them; later starts are ignored.
    void stopAll();

private:
    struct Slot {
        std::atomic<bool> busy{false};
        std::jthread thread;  // declared last: joined before `busy` goes
    };
    void start(Slot& slot, std::function<void(std::stop_token)> work);

    UploadContext context_;
    const std::atomic<int>& connected_;
    std::mutex mutex_;
    bool stopped_ = false;  // after stopAll nothing starts again
    Slot wunderground_;
    Slot wow_;
    Slot weathercloud_;
    Slot cwop_;
    Slot windy_;
    Slot openWeatherMap_;
};

}  // namespace nimbra
