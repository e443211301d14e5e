#pragma once

#include <functional>
#include <memory>
#include <stop_token>
#include <utility>

#include "core/history_record.h"
#include "core/view_events.h"
#include "upload/http_sender.h"
#include "upload/stoppable_sleep.h"
#include "upload/upload_config_store.h"
#include "upload/upload_hold_off.h"
#include "upload/upload_service.h"
#include "upload/utc_time.h"

namespace nimbra {

// Gives a consistent copy of the live current reading (the document publishes it under
// its lock), so that one upload never mixes readings of two acquisition passes.
using CurrentReadingSource = std::function<HistoryRecord()>;

// Waits between the turns of the upload loops; false when a stop ended the wait.
using UploadSleep = std::function<bool(std::stop_token, std::chrono::milliseconds)>;

// What an upload needs from the rest of the program. Shared by every upload thread; the
// referenced objects must outlive them.
struct UploadContext {
    UploadContext(UploadConfigStore& configs, CurrentReadingSource currentReading,
                  ViewEvents& events)
        : configs(configs), currentReading(std::move(currentReading)), events(events) {}

    UploadConfigStore& configs;
    CurrentReadingSource currentReading;
    ViewEvents& events;
    UploadClock clock = [] { return std::chrono::system_clock::now(); };
    UploadSleep sleep = sleepUnlessStopped;  // tests run the schedules on virtual time
    SendOptions send;
    std::shared_ptr<UploadHoldOff> holdOff = std::make_shared<UploadHoldOff>();
};

// Whether uploads to the service are on: switched on, with a station id or a password.
bool uploadSwitchedOn(const UploadServiceConfig& config);

// Uploads the current reading to one service and reports the outcome to the view: off
// (switched off, or neither station id nor password set), success or failure. A server
// name longer than the services take is a failure that contacts nobody. Returns true
// when the caller's regular interval applies, false after a failure so that it retries
// soon. While the service's Retry-After pause lasts, nobody is contacted, nothing is
// reported and the answer is false. An upload cut short by a stop request reports nothing.
bool UploadToService(const UploadContext& context, UploadService service,
                     std::stop_token stop = {});

}  // namespace nimbra
