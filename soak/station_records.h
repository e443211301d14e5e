#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "soak/readings.h"
#include "soak/store_snapshot.h"
#include "station/memory_map.h"

namespace nimbra::soak {

using StationImage = std::array<std::uint8_t, memory_map::kMemorySize>;

// The readings of the complete history records a station memory holds, oldest first,
// ending just before the record at `upTo` (the one the station was filling when the
// program last downloaded). Records the program rejects as invalid are left out, as the
// program leaves them out.
std::vector<Readings> stationRecords(const StationImage& image, int upTo);

// How the stored rows compare with the records of a station.
struct StationComparison {
    std::int64_t missing = 0;     // station records no row holds
    std::int64_t doubled = 0;     // rows holding a station record already held by another
    std::int64_t outOfOrder = 0;  // station records stored before their predecessor
    std::int64_t foreign = 0;     // rows amid the station's records that it never held
    // Station records stored with a time not later than their predecessor's: the program
    // moves a download's times back to the PC's clock when the station's clock has run
    // ahead of it, as an emulated clock running fast always does.
    std::int64_t timeStepsBack = 0;
};

// Matches the station's records, in their order, against the rows in the order they
// were stored. Rows older than the oldest station record (history the station has since
// overwritten) are not compared.
StationComparison compareWithStation(const std::vector<Readings>& station,
                                     const std::vector<StoredRow>& rows);

}  // namespace nimbra::soak
