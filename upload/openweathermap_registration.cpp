#include "upload/openweathermap_registration.h"

#include "upload/openweathermap_request.h"
#include "upload/reply_acceptance.h"
#include "upload/upload_target.h"

namespace nimbra {

std::optional<std::string> registerOpenWeatherMapStation(const UploadServiceConfig& settings,
                                                         const StationLocation& location,
                                                         const SendOptions& options,
                                                         std::string& problem,
                                                         std::stop_token stop) {
    const auto target = makeUploadTarget(settings);
    const auto request = target
                             ? buildOpenWeatherMapRegistration(target->server, settings.m_Password,
                                                               "nimbraplus", "NimbraPlus", location)
                             : std::nullopt;
    if (!request) {
        problem = location.complete() ? "the request cannot be sent" : "no station location";
        return std::nullopt;
    }
    SendOptions tls = options;
    tls.tlsPort = target->port;  // the stations API speaks only TLS
    const auto reply = SendHttpRequest(request->request.host, target->port, request->request.target,
                                       tls, stop, HttpPost{"application/json", request->body});
    if (!reply) {
        problem = "no reply from " + request->request.host;
        return std::nullopt;
    }
    auto id = registeredStationId(*reply);
    if (!id) {
        problem = replyProblem(*reply);
    }
    return id;
}

}  // namespace nimbra
