#include "upload/upload_worker.h"

#include <optional>

#include "upload/reply_acceptance.h"
#include "upload/software_identity.h"
#include "upload/upload_reading.h"
#include "upload/upload_target.h"
#include "upload/weathercloud_request.h"
#include "upload/wow_request.h"
#include "upload/wunderground_request.h"

namespace nimbra {
namespace {

std::optional<HttpRequest> buildRequest(UploadService service, const UploadTarget& target,
                                        const UploadReading& reading, const UtcTime& now) {
    switch (service) {
        case UploadService::WeatherUnderground:
            return buildWundergroundRequest(kNimbraPlusIdentity, target, reading, now);
        case UploadService::Wow:
            return buildWowRequest(kNimbraPlusIdentity, target, reading, now);
        case UploadService::Weathercloud:
            break;
    }
    return buildWeathercloudRequest(target, reading, now);
}

}  // namespace

bool uploadSwitchedOn(const UploadServiceConfig& config) {
    return parseConfigInt(config.m_Autosend) != 0 &&
           !(config.m_StationID.empty() && config.m_Password.empty());
}

bool UploadToService(const UploadContext& context, UploadService service, std::stop_token stop) {
    const UploadServiceConfig config = context.configs.get(service);
    if (!uploadSwitchedOn(config)) {
        context.events.send(offEvent(service));
        return true;
    }

    const auto now = context.clock();
    if (context.holdOff->paused(service, now)) {
        return false;
    }
    const std::optional<UploadTarget> target = makeUploadTarget(config);
    const UploadReading reading = makeUploadReading(context.currentReading());
    const std::optional<HttpRequest> request =
        target ? buildRequest(service, *target, reading, utcTimeOf(now)) : std::nullopt;
    const std::optional<HttpReply> reply =
        request ? SendHttpRequest(request->host, target->port, request->target, context.send, stop)
                : std::nullopt;
    const bool accepted = reply && replyAccepted(service, *reply);
    if (reply && !accepted && reply->retryAfter.count() > 0) {
        context.holdOff->pause(service, context.clock(), reply->retryAfter);
    }
    if (stop.stop_requested()) {
        // Shutting down: the view may already be gone.
        return false;
    }
    context.events.send(accepted ? successEvent(service) : failureEvent(service));
    return accepted;
}

}  // namespace nimbra
