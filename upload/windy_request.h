#pragma once

#include <optional>

#include "upload/request_text.h"
#include "upload/software_identity.h"
#include "upload/upload_reading.h"
#include "upload/upload_target.h"
#include "upload/utc_time.h"

namespace nimbra {

// The observation update of Windy's stations API v2: the Weather Underground imperial
// field set with the station id and password, absent readings left out (Windy would
// take -9999 for a reading). Nothing when the request cannot be sent.
std::optional<HttpRequest> buildWindyRequest(const SoftwareIdentity& identity,
                                             const UploadTarget& target,
                                             const UploadReading& reading, const UtcTime& now);

}  // namespace nimbra
