#include "soak/station_reader.h"

#include "station_link/hidlink.h"

namespace nimbra::soak {

bool readStationMemory(StationImage& image) {
    if (CheckHandle() != 1) {
        return false;
    }
    constexpr int kBlock = static_cast<int>(memory_map::kBlockSize);
    constexpr int kRingStart = memory_map::kRingStart;
    constexpr int kMemorySize = static_cast<int>(memory_map::kMemorySize);
    for (int address = kRingStart; address < kMemorySize; address += kBlock) {
        if (ReadData(address, image.data() + address) != 1) {
            return false;
        }
    }
    for (int address = 0; address < kRingStart; address += kBlock) {
        if (ReadData(address, image.data() + address) != 1) {
            return false;
        }
    }
    return true;
}

}  // namespace nimbra::soak
