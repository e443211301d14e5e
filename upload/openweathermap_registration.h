#pragma once

#include <optional>
#include <stop_token>
#include <string>

#include "upload/http_sender.h"
#include "upload/station_location.h"
#include "upload/upload_service_config.h"

namespace nimbra {

// Registers the station with OpenWeatherMap under the key in `settings` (its password),
// at the host and port they name, over TLS. Gives the new station's id, or nothing with
// the reason in `problem`.
std::optional<std::string> registerOpenWeatherMapStation(const UploadServiceConfig& settings,
                                                         const StationLocation& location,
                                                         const SendOptions& options,
                                                         std::string& problem,
                                                         std::stop_token stop = {});

}  // namespace nimbra
