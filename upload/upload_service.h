#pragma once

#include "core/view_events.h"

namespace nimbra {

// The weather services readings are published to. The values index the per-service
// configurations and appear in the stored settings, so they never change.
enum class UploadService : int {
    WeatherUnderground = 0,  // or a custom server speaking the same protocol
    Wow = 1,
    Weathercloud = 2,
    Cwop = 3,  // over APRS-IS, plain TCP
    Windy = 4,
    OpenWeatherMap = 5,
};

inline constexpr int kUploadServiceCount = 6;

// The view events that report an upload's outcome.
ViewEvent successEvent(UploadService service);
ViewEvent failureEvent(UploadService service);
ViewEvent offEvent(UploadService service);

}  // namespace nimbra
