#include "upload/upload_worker.h"

#include <optional>

#include "upload/aprs_is_client.h"
#include "upload/cwop_packet.h"
#include "upload/openweathermap_request.h"
#include "upload/reply_acceptance.h"
#include "upload/software_identity.h"
#include "upload/upload_reading.h"
#include "upload/upload_target.h"
#include "upload/weathercloud_request.h"
#include "upload/windy_request.h"
#include "upload/wow_request.h"
#include "upload/wunderground_request.h"

namespace nimbra {
namespace {

using Outcome = UploadOutcome;

std::optional<HttpRequest> buildRequest(UploadService service, const UploadTarget& target,
                                        const UploadReading& reading, const UtcTime& now) {
    switch (service) {
        case UploadService::WeatherUnderground:
            return buildWundergroundRequest(kNimbraPlusIdentity, target, reading, now);
        case UploadService::Wow:
            return buildWowRequest(kNimbraPlusIdentity, target, reading, now);
        case UploadService::Windy:
            return buildWindyRequest(kNimbraPlusIdentity, target, reading, now);
        default:
            break;
    }
    return buildWeathercloudRequest(target, reading, now);
}

bool switchedOff(UploadService service, const UploadServiceConfig& config) {
    if (parseConfigInt(config.m_Autosend) == 0) {
        return true;
    }
    // CWOP needs only its station: the passcode has a default.
    if (service == UploadService::Cwop) {
        return config.m_StationID.empty();
    }
    return config.m_StationID.empty() && config.m_Password.empty();
}

// Windy and OpenWeatherMap take uploads over TLS only, also on a port a test names.
SendOptions sendOptionsFor(UploadService service, const SendOptions& options,
                           const UploadTarget& target) {
    SendOptions chosen = options;
    if (service == UploadService::Windy || service == UploadService::OpenWeatherMap) {
        chosen.tlsPort = target.port;
    }
    return chosen;
}

UploadAttempt sendToCwop(const UploadContext& context, const UploadServiceConfig& config,
                         UploadReading reading, std::chrono::system_clock::time_point now,
                         std::stop_token stop) {
    const StationLocation location = context.configs.location();
    if (!location.complete()) {
        return {Outcome::failure, "no station location"};
    }
    const auto station = aprsStationName(config.m_StationID);
    const auto passcode =
        aprsPasscode(config.m_Password.empty() ? kCwopUnlicensedPasscode : config.m_Password);
    if (!station || !passcode) {
        return {Outcome::failure,
                !station ? "the station is no APRS name" : "the passcode is no number"};
    }
    const int port = parseConfigInt(config.m_ServerPort);
    if (port <= 0 || port > 0xFFFF || !fitsTargetText(config.m_Server)) {
        return {Outcome::failure, "no usable server or port"};
    }
    if (context.rainLast24Hours) {
        if (const auto rain = context.rainLast24Hours(); rain && *rain >= 0.0) {
            reading.rain24h = fitOrMarker(*rain * 10.0 + 0.5, kAbsent32, 0.0);
        }
    }
    const std::string login = aprsLoginLine(*station, *passcode, kNimbraPlusIdentity);
    const std::string packet =
        aprsWeatherPacket(*station, location, reading, utcTimeOf(now), kNimbraPlusIdentity);
    const bool unverifiedAllowed = *passcode == kCwopUnlicensedPasscode;
    const auto send = [&](std::string_view host) {
        return sendAprsPacket(host, static_cast<std::uint16_t>(port), login, unverifiedAllowed,
                              packet, context.send, stop);
    };
    AprsResult result = send(config.m_Server);
    if (result.status == AprsResult::Status::unreachable && config.m_Server == kCwopServer &&
        !stop.stop_requested()) {
        result = send(kCwopFallbackServer);
    }
    if (result.status == AprsResult::Status::sent) {
        return {Outcome::success, {}};
    }
    return {Outcome::failure, result.detail};
}

UploadAttempt sendOverHttp(const UploadContext& context, UploadService service,
                           const UploadServiceConfig& config, const UploadReading& reading,
                           std::chrono::system_clock::time_point now, std::stop_token stop) {
    const std::optional<UploadTarget> target = makeUploadTarget(config);
    if (!target) {
        return {Outcome::failure, "the server name is too long"};
    }
    std::optional<HttpRequest> request;
    std::optional<HttpPost> post;
    std::string body;
    if (service == UploadService::OpenWeatherMap) {
        if (config.m_StationID.empty() || config.m_Password.empty()) {
            return {Outcome::failure, config.m_Password.empty()
                                          ? "no API key"
                                          : "no station id: register the station first"};
        }
        if (auto json = buildOpenWeatherMapMeasurement(target->server, config.m_Password,
                                                       config.m_StationID, reading, now)) {
            request = std::move(json->request);
            body = std::move(json->body);
            post = HttpPost{"application/json", body};
        }
    } else {
        request = buildRequest(service, *target, reading, utcTimeOf(now));
    }
    if (!request) {
        return {Outcome::failure, "the request cannot be sent"};
    }
    const std::optional<HttpReply> reply =
        SendHttpRequest(request->host, target->port, request->target,
                        sendOptionsFor(service, context.send, *target), stop, post);
    if (!reply) {
        return {Outcome::failure, "no reply from " + request->host};
    }
    if (replyAccepted(service, *reply)) {
        return {Outcome::success, {}};
    }
    if (reply->retryAfter.count() > 0) {
        context.holdOff->pause(service, context.clock(), reply->retryAfter);
    }
    return {Outcome::failure, replyProblem(*reply)};
}

}  // namespace

UploadAttempt attemptUpload(const UploadContext& context, UploadService service,
                            const UploadServiceConfig& config, std::stop_token stop) {
    if (switchedOff(service, config)) {
        return {Outcome::off, {}};
    }
    const auto now = context.clock();
    if (context.holdOff->paused(service, now)) {
        return {Outcome::paused, {}};
    }
    const UploadReading reading = makeUploadReading(context.currentReading());
    UploadAttempt attempt = service == UploadService::Cwop
                                ? sendToCwop(context, config, reading, now, stop)
                                : sendOverHttp(context, service, config, reading, now, stop);
    if (stop.stop_requested()) {
        attempt.outcome = Outcome::stopped;
    }
    return attempt;
}

bool UploadToService(const UploadContext& context, UploadService service, std::stop_token stop) {
    const UploadAttempt attempt =
        attemptUpload(context, service, context.configs.get(service), stop);
    switch (attempt.outcome) {
        case Outcome::off:
            context.events.send(offEvent(service));
            return true;
        case Outcome::success:
            context.events.send(successEvent(service));
            return true;
        case Outcome::failure:
            if (!attempt.detail.empty()) {
                context.events.uploadDetail(failureEvent(service), attempt.detail);
            }
            context.events.send(failureEvent(service));
            return false;
        case Outcome::paused:
        case Outcome::stopped:
            // Shutting down: the view may already be gone.
            break;
    }
    return false;
}

}  // namespace nimbra
