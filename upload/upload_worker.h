#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <utility>

#include "core/history_record.h"
#include "core/upload_failure.h"
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

// The rain of the last 24 hours in mm, from the store; nothing when it cannot be had.
using RainSource = std::function<std::optional<double>()>;

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
    RainSource rainLast24Hours;  // CWOP's p field; left out when not given
    UploadClock clock = [] { return std::chrono::system_clock::now(); };
    UploadSleep sleep = sleepUnlessStopped;  // tests run the schedules on virtual time
    SendOptions send;
    std::shared_ptr<UploadHoldOff> holdOff = std::make_shared<UploadHoldOff>();
};

// How one try went, before it is reported.
enum class UploadOutcome {
    off,     // switched off, or nothing to send as
    paused,  // the service asked for a pause that still lasts: nobody contacted
    success,
    failure,  // with its reason
    stopped,  // cut short by a stop request
};

struct UploadAttempt {
    UploadOutcome outcome = UploadOutcome::off;
    UploadFailure why;  // for a failure
};

// One upload of the current reading to `service` with `config` (the stored settings, or
// the ones a settings dialog is testing), without reporting it. A Retry-After on a
// refused upload pauses the service.
UploadAttempt attemptUpload(const UploadContext& context, UploadService service,
                            const UploadServiceConfig& config, std::stop_token stop = {});

// Whether uploads to the service are on: switched on, with a station id or a password
// (CWOP: with a station, its passcode has a default).
bool uploadSwitchedOn(UploadService service, const UploadServiceConfig& config);

// Uploads the current reading to one service and reports the outcome to the view: off
// (see uploadSwitchedOn), success or failure, told its reason first. A server
// name longer than the services take is a failure that contacts nobody. Returns true
// when the caller's regular interval applies, false after a failure so that it retries
// soon. While the service's Retry-After pause lasts, nobody is contacted, nothing is
// reported and the answer is false. An upload cut short by a stop request reports nothing.
bool UploadToService(const UploadContext& context, UploadService service,
                     std::stop_token stop = {});

}  // namespace nimbra
