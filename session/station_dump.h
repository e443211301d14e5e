#pragma once

#include <cstdio>
#include <string>

#include "core/station_data.h"
#include "station_link/station_connection.h"

namespace nimbra {

// The station's settings, extremes, alarms and current reading as JSON: member names of
// the station record without their "m_" prefix, readings by their column names, dates
// in ISO 8601 local time or null when absent.
std::string stationJson(const CStationData& data);

// Reads the fixed block and the current record from the station and prints them as
// JSON. Returns the exit code: 0, or 1 with a message and the link's reason on standard
// error.
int dumpStation(link::StationConnection& link, std::FILE* out);

}  // namespace nimbra
