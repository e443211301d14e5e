#pragma once

#include <optional>
#include <string>

#include "upload/request_text.h"
#include "upload/software_identity.h"
#include "upload/upload_reading.h"
#include "upload/upload_target.h"
#include "upload/utc_time.h"

namespace nimbra {

// How the imperial field set writes an absent reading: as -9999, which the Weather
// Underground protocol reads as "no value", or not at all.
enum class WundergroundAbsent { marked, leftOut };

// The query of the update request after the "?": ID, PASSWORD, the readings, dateutc and
// the software's name. Shared by the services that speak the protocol.
std::string wundergroundQuery(const SoftwareIdentity& identity, const UploadTarget& target,
                              const UploadReading& reading, const UtcTime& now,
                              WundergroundAbsent absent);

// The update request of the Weather Underground protocol, to its update host or to a
// custom server. Upload type 0 sends the metric field set with our own field names,
// any other value the imperial field set. Nothing when the request cannot be sent.
std::optional<HttpRequest> buildWundergroundRequest(const SoftwareIdentity& identity,
                                                    const UploadTarget& target,
                                                    const UploadReading& reading,
                                                    const UtcTime& now);

}  // namespace nimbra
