#pragma once

#include <optional>

#include "upload/request_text.h"
#include "upload/software_identity.h"
#include "upload/upload_reading.h"
#include "upload/upload_target.h"
#include "upload/utc_time.h"

namespace nimbra {

// The automatic-reading request of the Met Office WOW: outdoor readings in imperial
// units, absent readings left out. Nothing when the request cannot be sent.
std::optional<HttpRequest> buildWowRequest(const SoftwareIdentity& identity,
                                           const UploadTarget& target, const UploadReading& reading,
                                           const UtcTime& now);

}  // namespace nimbra
