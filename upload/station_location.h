#pragma once

#include <optional>
#include <string_view>

namespace nimbra {

// Where the station stands: decimal degrees, north and east positive, and metres above
// sea level. Services that publish positions need all three.
struct StationLocation {
    std::optional<double> latitude;
    std::optional<double> longitude;
    std::optional<double> altitude;

    bool complete() const { return latitude && longitude && altitude; }

    friend bool operator==(const StationLocation&, const StationLocation&) = default;
};

// A coordinate as stored or typed: a decimal number ("." or "," as the point) within
// [-limit, limit]; nothing for empty or unusable text.
std::optional<double> parseCoordinate(std::string_view text, double limit);

inline constexpr double kLatitudeLimit = 90.0;
inline constexpr double kLongitudeLimit = 180.0;
inline constexpr double kAltitudeLimit = 9000.0;

}  // namespace nimbra
