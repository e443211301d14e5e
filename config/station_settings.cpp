#include "config/station_settings.h"

namespace nimbra {

std::optional<StationKind> loadStationModel(const ProfileFile& config) {
    const std::string model = config.readString("Station", "Model");
    if (model == "16") {
        return StationKind::records16;
    }
    if (model == "20") {
        return StationKind::records20;
    }
    return std::nullopt;
}

}  // namespace nimbra
