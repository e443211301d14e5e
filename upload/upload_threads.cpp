#include "upload/upload_threads.h"

#include <utility>

#include "upload/upload_loops.h"

namespace nimbra {

UploadThreads::UploadThreads(UploadContext context, const std::atomic<int>& connected)
    : context_(std::move(context)), connected_(connected) {}

UploadThreads::~UploadThreads() {
    stopAll();
}

void UploadThreads::uploadToWeatherUnderground() {
    start(wunderground_,
          [this](std::stop_token stop) { UploadOnceToWeatherUnderground(context_, stop); });
}

void UploadThreads::startLoops() {
    start(wow_, [this](std::stop_token stop) { WowUploadLoop(context_, connected_, stop); });
    start(weathercloud_,
          [this](std::stop_token stop) { WeathercloudUploadLoop(context_, connected_, stop); });
    start(cwop_, [this](std::stop_token stop) { CwopUploadLoop(context_, connected_, stop); });
    start(windy_, [this](std::stop_token stop) { WindyUploadLoop(context_, connected_, stop); });
    start(openWeatherMap_,
          [this](std::stop_token stop) { OpenWeatherMapUploadLoop(context_, connected_, stop); });
}

void UploadThreads::stopAll() {
    const std::lock_guard lock(mutex_);
    stopped_ = true;
    for (Slot* slot : {&wunderground_, &wow_, &weathercloud_, &cwop_, &windy_, &openWeatherMap_}) {
        slot->thread.request_stop();
    }
    for (Slot* slot : {&wunderground_, &wow_, &weathercloud_, &cwop_, &windy_, &openWeatherMap_}) {
        if (slot->thread.joinable()) {
            slot->thread.join();
        }
    }
}

void UploadThreads::start(Slot& slot, std::function<void(std::stop_token)> work) {
    const std::lock_guard lock(mutex_);
    if (stopped_ || slot.busy.load()) {
        return;
    }
    if (slot.thread.joinable()) {
        slot.thread.join();  // finished already: returns at once
    }
    slot.busy.store(true);
    slot.thread = std::jthread([&slot, work = std::move(work)](std::stop_token stop) {
        work(stop);
        slot.busy.store(false);
    });
}

}  // namespace nimbra
