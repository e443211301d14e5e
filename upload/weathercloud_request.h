#pragma once

#include <optional>

#include "upload/request_text.h"
#include "upload/upload_reading.h"
#include "upload/upload_target.h"
#include "upload/utc_time.h"

namespace nimbra {

// The set request of Weathercloud: metric readings as integers in tenths, absent ones as
// -32768. Nothing when the request cannot be sent.
std::optional<HttpRequest> buildWeathercloudRequest(const UploadTarget& target,
                                                    const UploadReading& reading,
                                                    const UtcTime& now);

}  // namespace nimbra
