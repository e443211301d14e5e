#pragma once

#include <string>

#include "core/station_data.h"

namespace nimbra {

// The live reading for /api/current: "Current", "Max" and "Min" as the station record
// holds them (column names, canonical units, as --dump-station prints them, absent values
// null), "MaxTime" and "MinTime" by quantity, "Units" (the unit texts the station's unit
// codes select) and "Shown" (each reading as the main window writes it).
std::string currentJson(const CStationData& data);

}  // namespace nimbra
