#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "upload/http_sender.h"
#include "upload/request_text.h"
#include "upload/station_location.h"
#include "upload/upload_reading.h"

namespace nimbra {

// A request of the stations API 3.0: POST to the target with a JSON body.
struct JsonRequest {
    HttpRequest request;
    std::string body;
};

// The measurement of one moment: a JSON array of one object with station_id (text), dt
// (Unix seconds), temperature (°C), wind_speed and wind_gust (m/s), pressure (sea
// level, hPa), humidity (%) and rain_1h (mm, the current clock hour); absent readings
// are left out. Nothing when the request cannot be sent.
std::optional<JsonRequest> buildOpenWeatherMapMeasurement(
    std::string_view host, std::string_view apiKey, std::string_view stationId,
    const UploadReading& reading, std::chrono::system_clock::time_point now);

// Registers a station: external_id, name, latitude, longitude, altitude.
std::optional<JsonRequest> buildOpenWeatherMapRegistration(std::string_view host,
                                                           std::string_view apiKey,
                                                           std::string_view externalId,
                                                           std::string_view name,
                                                           const StationLocation& location);

// The "ID" of a registration's reply (201), or nothing.
std::optional<std::string> registeredStationId(const HttpReply& reply);

}  // namespace nimbra
