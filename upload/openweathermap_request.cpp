#include "upload/openweathermap_request.h"

#include <nlohmann/json.hpp>

namespace nimbra {

namespace {

using nlohmann::json;

std::string targetWithKey(std::string_view path, std::string_view apiKey) {
    std::string target(path);
    target += "?appid=";
    target += percentEncode(apiKey);
    return target;
}

std::optional<JsonRequest> finish(std::string target, std::string_view host, const json& body) {
    auto request = finishRequest(std::move(target), host);
    if (!request) {
        return std::nullopt;
    }
    // Texts typed in another encoding are sent with replacement characters, never thrown on.
    return JsonRequest{std::move(*request),
                       body.dump(-1, ' ', false, json::error_handler_t::replace)};
}

}  // namespace

std::optional<JsonRequest> buildOpenWeatherMapMeasurement(
    std::string_view host, std::string_view apiKey, std::string_view stationId,
    const UploadReading& r, std::chrono::system_clock::time_point now) {
    json measurement = {
        {"station_id", stationId},
        {"dt", std::chrono::duration_cast<std::chrono::seconds>(now.time_since_epoch()).count()},
    };
    const auto tenths = [&](const char* name, std::int64_t value, std::int64_t marker) {
        if (value != marker) {
            measurement[name] = static_cast<double>(value) / 10.0;
        }
    };
    tenths("temperature", r.outTemp, kAbsent16);
    tenths("wind_speed", r.wind, kAbsentU16);
    tenths("wind_gust", r.gust, kAbsentU16);
    tenths("pressure", r.relPressure, kAbsentU16);
    if (r.outHumi != kAbsent8) {
        measurement["humidity"] = r.outHumi;
    }
    tenths("rain_1h", r.rainHour, kAbsent32);
    return finish(targetWithKey("/data/3.0/measurements", apiKey), host,
                  json::array({measurement}));
}

std::optional<JsonRequest> buildOpenWeatherMapRegistration(std::string_view host,
                                                           std::string_view apiKey,
                                                           std::string_view externalId,
                                                           std::string_view name,
                                                           const StationLocation& location) {
    if (!location.complete()) {
        return std::nullopt;
    }
    const json station = {
        {"external_id", externalId},      {"name", name},
        {"latitude", *location.latitude}, {"longitude", *location.longitude},
        {"altitude", *location.altitude},
    };
    return finish(targetWithKey("/data/3.0/stations", apiKey), host, station);
}

std::optional<std::string> registeredStationId(const HttpReply& reply) {
    if (reply.status != 201) {
        return std::nullopt;
    }
    const json body = json::parse(reply.body, nullptr, false);
    if (!body.is_object() || !body.contains("ID") || !body["ID"].is_string() ||
        body["ID"].get<std::string>().empty()) {
        return std::nullopt;
    }
    return body["ID"].get<std::string>();
}

}  // namespace nimbra
