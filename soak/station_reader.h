#pragma once

#include "soak/station_records.h"

namespace nimbra::soak {

// Reads the whole memory of the station the link finds, ring first and fixed block last,
// so the record pointer read is no older than any record: records written while the ring
// was read lie at or after that pointer, beyond the records a check compares.
bool readStationMemory(StationImage& image);

}  // namespace nimbra::soak
