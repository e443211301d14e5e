#pragma once

#include <optional>
#include <stop_token>
#include <string>

#include "core/upload_failure.h"
#include "upload/http_sender.h"
#include "upload/station_location.h"
#include "upload/upload_service_config.h"

namespace nimbra {

// Registers the station with OpenWeatherMap under the key in `settings` (its password),
// at the host and port they name, over TLS. Gives the new station's id, or nothing with
// the reason in `whyNot` (no API key or location, the server's refusal, a network fault).
std::optional<std::string> registerOpenWeatherMapStation(const UploadServiceConfig& settings,
                                                         const StationLocation& location,
                                                         const SendOptions& options,
                                                         UploadFailure& whyNot,
                                                         std::stop_token stop = {});

}  // namespace nimbra
