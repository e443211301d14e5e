// Any 256 bytes decode as the fixed block without reading outside it, and the record
// that results encodes back without writing outside it.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/station_data.h"
#include "station/fixed_block.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nimbra;
    std::array<std::uint8_t, memory_map::kFixedBlockSize> block{};
    std::memcpy(block.data(), data, size < block.size() ? size : block.size());
    CStationData station;
    decodeFixedBlock(FixedBlockBytes(block), station);
    std::array<std::uint8_t, memory_map::kFixedBlockSize> again{};
    encodeFixedBlock(station, MutableFixedBlockBytes(again));
    return 0;
}
