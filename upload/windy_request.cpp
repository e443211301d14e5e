#include "upload/windy_request.h"

#include <string>

#include "upload/wunderground_request.h"

namespace nimbra {

std::optional<HttpRequest> buildWindyRequest(const SoftwareIdentity& identity,
                                             const UploadTarget& target,
                                             const UploadReading& reading, const UtcTime& now) {
    UploadTarget imperial = target;
    imperial.uploadType = 1;
    std::string text = "/api/v2/observation/update?";
    text += wundergroundQuery(identity, imperial, reading, now, WundergroundAbsent::leftOut);
    return finishRequest(std::move(text), target.server);
}

}  // namespace nimbra
