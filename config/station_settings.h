#pragma once

#include <optional>

#include "config/profile_file.h"
#include "core/station_kind.h"

namespace nimbra {

// The [Station] section of Main.ini. Model=16 or Model=20 fixes the console kind;
// "auto", a missing key or anything else leaves it to detection at connect.
std::optional<StationKind> loadStationModel(const ProfileFile& config);

}  // namespace nimbra
