#include "upload/upload_worker.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>

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

// The server as a failure names it, with ":port" when not the plain HTTP one.
std::string serverNamed(std::string_view host, int port) {
    std::string named(host);
    if (port != 80 && port != 0) {
        named += ":" + std::to_string(port);
    }
    return named;
}

UploadAttempt failed(UploadFailure why) {
    return {Outcome::failure, std::move(why)};
}

UploadAttempt failed(UploadFailure::Kind kind, std::string host = {}) {
    return failed(UploadFailure(kind, std::move(host)));
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
    using enum UploadFailure::Kind;
    const StationLocation location = context.configs.location();
    if (!location.complete()) {
        return failed(noLocation);
    }
    const auto station = aprsStationName(config.m_StationID);
    if (!station) {
        return failed(badStation);
    }
    const auto passcode =
        aprsPasscode(config.m_Password.empty() ? kCwopUnlicensedPasscode : config.m_Password);
    if (!passcode) {
        return failed(badPasscode);
    }
    const int port = parseConfigInt(config.m_ServerPort);
    if (port <= 0 || port > 0xFFFF || !fitsTargetText(config.m_Server)) {
        return failed(badServer, serverNamed(config.m_Server, port));
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
    std::string_view host = config.m_Server;
    const auto send = [&] {
        return sendAprsPacket(host, static_cast<std::uint16_t>(port), login, unverifiedAllowed,
                              packet, context.send, stop);
    };
    AprsResult result = send();
    if (result.status == AprsResult::Status::unreachable && config.m_Server == kCwopServer &&
        !stop.stop_requested()) {
        host = kCwopFallbackServer;
        result = send();
    }
    if (result.status == AprsResult::Status::sent) {
        return {Outcome::success, {}};
    }
    result.why.host = serverNamed(host, port);
    return failed(std::move(result.why));
}

UploadAttempt sendOverHttp(const UploadContext& context, UploadService service,
                           const UploadServiceConfig& config, const UploadReading& reading,
                           std::chrono::system_clock::time_point now, std::stop_token stop) {
    using enum UploadFailure::Kind;
    const std::optional<UploadTarget> target = makeUploadTarget(config);
    if (!target) {
        return failed(badServer, config.m_Server);
    }
    std::optional<HttpRequest> request;
    std::optional<HttpPost> post;
    std::string body;
    if (service == UploadService::OpenWeatherMap) {
        if (config.m_Password.empty()) {
            return failed(noApiKey);
        }
        if (config.m_StationID.empty()) {
            return failed(noStationId);
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
        return failed(badServer, config.m_Server);
    }
    UploadFailure why(badServer);
    const std::optional<HttpReply> reply =
        SendHttpRequest(request->host, target->port, request->target,
                        sendOptionsFor(service, context.send, *target), stop, &why, post);
    if (reply && replyAccepted(service, *reply)) {
        return {Outcome::success, {}};
    }
    if (reply) {
        if (reply->retryAfter.count() > 0) {
            context.holdOff->pause(service, context.clock(), reply->retryAfter);
        }
        why = refusalOf(*reply);
    }
    why.host = serverNamed(request->host, target->port);
    return failed(std::move(why));
}

}  // namespace

bool uploadSwitchedOn(UploadService service, const UploadServiceConfig& config) {
    if (parseConfigInt(config.m_Autosend) == 0) {
        return false;
    }
    // CWOP needs only its station: the passcode has a default.
    if (service == UploadService::Cwop) {
        return !config.m_StationID.empty();
    }
    return !(config.m_StationID.empty() && config.m_Password.empty());
}

UploadAttempt attemptUpload(const UploadContext& context, UploadService service,
                            const UploadServiceConfig& config, std::stop_token stop) {
    if (!uploadSwitchedOn(service, config)) {
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
            context.events.uploadFailed(failureEvent(service), attempt.why);
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
