#pragma once

#include <functional>
#include <stop_token>
#include <utility>

#include "core/history_record.h"
#include "core/view_events.h"
#include "upload/http_sender.h"
#include "upload/upload_config_store.h"
#include "upload/upload_service.h"
#include "upload/utc_time.h"

namespace nimbra {

// Gives a consistent copy of the live current reading (the document publishes it under
// its lock), so that one upload never mixes readings of two acquisition passes.
using CurrentReadingSource = std::function<HistoryRecord()>;

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
    SendOptions send;
};

// Uploads the current reading to one service and reports the outcome to the view: off
// (switched off, or neither station id nor password set), success or failure. Returns
// true when the caller's regular interval applies, false after a failure so that it
// retries soon. An upload cut short by a stop request reports nothing.
bool UploadToService(const UploadContext& context, UploadService service,
                     std::stop_token stop = {});

}  // namespace nimbra
