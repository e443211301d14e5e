#include "upload/upload_loops.h"

#include <optional>

#include "upload/cwop_schedule.h"

namespace nimbra {

void runUploadLoop(const UploadContext& context, UploadService service,
                   const UploadSchedule& schedule, const std::atomic<int>& connected,
                   std::stop_token stop) {
    int ticks = 0;
    int wait = schedule.firstWait;
    while (connected.load() != 0 && !stop.stop_requested()) {
        if (ticks > wait) {
            const bool regular = UploadToService(context, service, stop);
            ticks = 0;
            wait = regular ? schedule.waitAfterSuccess : schedule.waitAfterFailure;
        }
        if (!context.sleep(stop, schedule.tick)) {
            return;
        }
        ++ticks;
    }
}

void UploadOnceToWeatherUnderground(const UploadContext& context, std::stop_token stop) {
    UploadToService(context, UploadService::WeatherUnderground, stop);
}

void WowUploadLoop(const UploadContext& context, const std::atomic<int>& connected,
                   std::stop_token stop) {
    runUploadLoop(context, UploadService::Wow, kWowSchedule, connected, stop);
}

void WeathercloudUploadLoop(const UploadContext& context, const std::atomic<int>& connected,
                            std::stop_token stop) {
    runUploadLoop(context, UploadService::Weathercloud, kWeathercloudSchedule, connected, stop);
}

void WindyUploadLoop(const UploadContext& context, const std::atomic<int>& connected,
                     std::stop_token stop) {
    runUploadLoop(context, UploadService::Windy, kFiveMinuteSchedule, connected, stop);
}

void OpenWeatherMapUploadLoop(const UploadContext& context, const std::atomic<int>& connected,
                              std::stop_token stop) {
    runUploadLoop(context, UploadService::OpenWeatherMap, kFiveMinuteSchedule, connected, stop);
}

void CwopUploadLoop(const UploadContext& context, const std::atomic<int>& connected,
                    std::stop_token stop, const UploadSchedule& ticks) {
    int ticksToFirst = ticks.firstWait + 1;
    std::optional<std::chrono::system_clock::time_point> due;
    while (connected.load() != 0 && !stop.stop_requested()) {
        const auto now = context.clock();
        if (due ? now >= *due : ticksToFirst-- <= 0) {
            UploadToService(context, UploadService::Cwop, stop);
            // The settings may have changed meanwhile: the slots are worked out afresh.
            const UploadServiceConfig config = context.configs.get(UploadService::Cwop);
            due =
                nextCwopSlot(cwopSlots(config.m_StationID, parseConfigInt(config.m_Interval)), now);
        }
        if (!context.sleep(stop, ticks.tick)) {
            return;
        }
    }
}

}  // namespace nimbra
