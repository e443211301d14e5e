#pragma once

#include <vector>

#include "config/profile_file.h"
#include "upload/station_location.h"

namespace nimbra {

// [Location] Latitude, Longitude, Altitude: decimal degrees (north and east positive)
// and metres. A missing or unusable value is absent.
StationLocation loadStationLocation(const ProfileFile& config);

// The three keys as they are written, for one all-or-nothing save.
std::vector<ProfileEntry> stationLocationEntries(const StationLocation& location);

}  // namespace nimbra
