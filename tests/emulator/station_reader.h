#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/station_data.h"
#include "emulator/station_memory.h"
#include "station/fixed_block.h"
#include "station/memory_map.h"
#include "station/record_codec.h"

namespace nimbra::emulator::testing {

// Reads a station the way the program does, block by block through the memory
// interface, and decodes what it reads.
inline CStationData readFixedBlock(StationMemory& memory) {
    std::array<std::uint8_t, memory_map::kFixedBlockSize> block{};
    for (std::uint32_t offset = 0; offset < block.size(); offset += memory_map::kBlockSize) {
        memory.readBlock(static_cast<std::uint16_t>(offset), block.data() + offset);
    }
    CStationData station;
    decodeFixedBlock(block, station);
    return station;
}

inline std::array<std::uint8_t, memory_map::kMaxRecordSize> readRecordBytes(StationMemory& memory,
                                                                            std::int32_t address) {
    std::array<std::uint8_t, memory_map::kBlockSize> block{};
    memory.readBlock(static_cast<std::uint16_t>(address), block.data());
    std::array<std::uint8_t, memory_map::kMaxRecordSize> record{};
    std::copy_n(block.begin(), record.size(), record.begin());
    return record;
}

inline DecodedRecord readRecord(StationMemory& memory, const CStationData& station,
                                std::int32_t address, StationKind kind = StationKind::records20) {
    const auto bytes = readRecordBytes(memory, address);
    return decodeHistoryRecord(recordBytesOf(bytes.data(), kind), relativePressureOffset(station));
}

// The stored records, oldest first, the one being filled last.
inline std::vector<DecodedRecord> readHistory(StationMemory& memory, const CStationData& station,
                                              StationKind kind = StationKind::records20) {
    const memory_map::RingLayout& ring = memory_map::ringLayout(kind);
    std::vector<DecodedRecord> records;
    const std::int32_t newest = ring.ringIndex(static_cast<std::uint16_t>(station.m_CurrentPos));
    for (std::int32_t age = station.m_DataCount - 1; age >= 0; --age) {
        records.push_back(readRecord(memory, station, ring.recordAddress(newest - age), kind));
    }
    return records;
}

}  // namespace nimbra::emulator::testing
