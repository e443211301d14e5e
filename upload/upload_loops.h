#pragma once

#include <atomic>
#include <chrono>
#include <stop_token>

#include "upload/upload_service.h"
#include "upload/upload_worker.h"

namespace nimbra {

// When a periodic upload runs, counted in ticks (seconds in the program).
struct UploadSchedule {
    int firstWait = 6;         // the first upload comes on the tick after this many
    int waitAfterSuccess = 0;  // also after "off", so switching a service on is seen
    int waitAfterFailure = 60;
    std::chrono::milliseconds tick{1000};
};

inline constexpr UploadSchedule kWowSchedule{6, 305, 60};
inline constexpr UploadSchedule kWeathercloudSchedule{6, 605, 60};
// Windy blocks stations that send more often than every 5 minutes, failed tries included;
// OpenWeatherMap takes a measurement every 5 minutes.
inline constexpr UploadSchedule kFiveMinuteSchedule{6, 299, 299};

// Uploads to `service` on `schedule` for as long as `connected` is set, checked once per
// tick; ends within a tick after it clears, and at once when a stop is requested.
void runUploadLoop(const UploadContext& context, UploadService service,
                   const UploadSchedule& schedule, const std::atomic<int>& connected,
                   std::stop_token stop);

// The upload threads' procedures. The first uploads once to Weather Underground (or the
// custom server) after each acquisition pass; the loops run while the station is there.
void UploadOnceToWeatherUnderground(const UploadContext& context, std::stop_token stop);
void WowUploadLoop(const UploadContext& context, const std::atomic<int>& connected,
                   std::stop_token stop);
void WeathercloudUploadLoop(const UploadContext& context, const std::atomic<int>& connected,
                            std::stop_token stop);
void WindyUploadLoop(const UploadContext& context, const std::atomic<int>& connected,
                     std::stop_token stop);
void OpenWeatherMapUploadLoop(const UploadContext& context, const std::atomic<int>& connected,
                              std::stop_token stop);

// CWOP: the first packet on the tick after the first wait, like the other loops, then in
// the slots of the station's minute rule (see cwop_schedule.h) on the context's clock,
// after a failure too. Ticks as the schedule says.
void CwopUploadLoop(const UploadContext& context, const std::atomic<int>& connected,
                    std::stop_token stop, const UploadSchedule& ticks = {});

}  // namespace nimbra
