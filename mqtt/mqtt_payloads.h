#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "core/history_record.h"
#include "mqtt/station_quantities.h"

namespace nimbra {

inline constexpr std::string_view kDiscoveryPrefix = "homeassistant";
inline constexpr std::string_view kStationModel = "USB weather station 1941:8021";

// The topics under the base topic.
std::string stateTopic(std::string_view baseTopic);
std::string statusTopic(std::string_view baseTopic);

// The node of one station in the discovery topics and unique ids: the same for the same
// data folder and model, so that a restart finds the entities it made before.
std::string stationNodeId(const std::filesystem::path& dataFolder,
                          std::string_view model = kStationModel);

// The current reading as one JSON object: every quantity the station supplied, in
// canonical units, and "time", the reading's moment in UTC (ISO 8601), when it is known.
std::string statePayload(const HistoryRecord& current);

// The reading's local OLE date as "YYYY-MM-DDThh:mm:ssZ"; empty when it is no valid date.
std::string isoUtcTime(double oleDate);

// homeassistant/sensor/<node>/<key>/config and its JSON body.
std::string discoveryTopic(std::string_view node, const StationQuantity& quantity);
std::string discoveryPayload(std::string_view node, std::string_view baseTopic,
                             const StationQuantity& quantity);

}  // namespace nimbra
