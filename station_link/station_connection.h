#pragma once

#include <cstdint>

#include "station_link/link_status.h"

namespace nimbra::link {

// The station link as the acquisition, the monitor and the station writes use it.
// Addresses are station memory addresses (only their low 16 bits reach the station);
// blocks are 32 bytes. Every call is safe from any thread and keeps its exchange whole.
//
// The program's implementation goes through the shared library's exports
// (ExportedLink); tests and tools may hold a StationLink of their own instead.
class StationConnection {
public:
    virtual ~StationConnection() = default;

    // Looks for the station again and keeps what it finds, closing the old connection.
    virtual LinkResult open() = 0;

    virtual LinkResult readBlock(int address, std::uint8_t* block) = 0;
    virtual LinkResult writeBlock(int address, const std::uint8_t* block) = 0;
    virtual LinkResult writeByte(int address, std::uint8_t value) = 0;

    // retryCount + 1 attempts at most, 100 ms apart; disagreed when the data still
    // differed after the last. A verified read leaves the first of its two reads.
    virtual LinkResult verifiedRead(int address, std::uint8_t* block, int retryCount) = 0;
    virtual LinkResult verifiedWrite(int address, const std::uint8_t* block, int retryCount) = 0;
    virtual LinkResult verifiedWriteByte(int address, std::uint8_t value, int retryCount) = 0;
};

}  // namespace nimbra::link
