#include "upload/upload_loops.h"

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

}  // namespace nimbra
