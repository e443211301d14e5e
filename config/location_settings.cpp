#include "config/location_settings.h"

#include <cstdio>
#include <optional>
#include <string>

namespace nimbra {

namespace {

constexpr const char* kSection = "Location";

// Enough decimals for a few centimetres, never the locale's comma.
std::string formatted(const std::optional<double>& value, int decimals) {
    if (!value) {
        return {};
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, *value);
    std::string result(text);
    for (char& c : result) {
        if (c == ',') {
            c = '.';
        }
    }
    return result;
}

}  // namespace

StationLocation loadStationLocation(const ProfileFile& config) {
    StationLocation location;
    location.latitude = parseCoordinate(config.readString(kSection, "Latitude"), kLatitudeLimit);
    location.longitude = parseCoordinate(config.readString(kSection, "Longitude"), kLongitudeLimit);
    location.altitude = parseCoordinate(config.readString(kSection, "Altitude"), kAltitudeLimit);
    return location;
}

std::vector<ProfileEntry> stationLocationEntries(const StationLocation& location) {
    return {
        {kSection, "Latitude", formatted(location.latitude, 6)},
        {kSection, "Longitude", formatted(location.longitude, 6)},
        {kSection, "Altitude", formatted(location.altitude, 1)},
    };
}

}  // namespace nimbra
