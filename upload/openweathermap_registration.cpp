#include "upload/openweathermap_registration.h"

#include "upload/openweathermap_request.h"
#include "upload/reply_acceptance.h"
#include "upload/upload_target.h"

namespace nimbra {

std::optional<std::string> registerOpenWeatherMapStation(const UploadServiceConfig& settings,
                                                         const StationLocation& location,
                                                         const SendOptions& options,
                                                         UploadFailure& whyNot,
                                                         std::stop_token stop) {
    using enum UploadFailure::Kind;
    if (settings.m_Password.empty()) {
        whyNot = UploadFailure(noApiKey);
        return std::nullopt;
    }
    if (!location.complete()) {
        whyNot = UploadFailure(noLocation);
        return std::nullopt;
    }
    const auto target = makeUploadTarget(settings);
    const auto request = target
                             ? buildOpenWeatherMapRegistration(target->server, settings.m_Password,
                                                               "nimbraplus", "NimbraPlus", location)
                             : std::nullopt;
    if (!request) {
        whyNot = UploadFailure(badServer, settings.m_Server);
        return std::nullopt;
    }
    SendOptions tls = options;
    tls.tlsPort = target->port;  // the stations API speaks only TLS
    const auto reply =
        SendHttpRequest(request->request.host, target->port, request->request.target, tls, stop,
                        &whyNot, HttpPost{"application/json", request->body});
    auto id = reply ? registeredStationId(*reply) : std::nullopt;
    if (!id) {
        if (reply) {
            whyNot = refusalOf(*reply);
        }
        whyNot.host = request->request.host;
        if (target->port != 80) {
            whyNot.host += ":" + std::to_string(target->port);
        }
    }
    return id;
}

}  // namespace nimbra
