#pragma once

#include "station_link/station_connection.h"

namespace nimbra::link {

// The station link of the shared library, through its seven exports: the one the
// program uses, so that the library's interface stays the only way to the station.
// The exports' return codes and the errno they leave become a LinkResult again.
class ExportedLink final : public StationConnection {
public:
    LinkResult open() override;
    LinkResult readBlock(int address, std::uint8_t* block) override;
    LinkResult writeBlock(int address, const std::uint8_t* block) override;
    LinkResult writeByte(int address, std::uint8_t value) override;
    LinkResult verifiedRead(int address, std::uint8_t* block, int retryCount) override;
    LinkResult verifiedWrite(int address, const std::uint8_t* block, int retryCount) override;
    LinkResult verifiedWriteByte(int address, std::uint8_t value, int retryCount) override;
};

}  // namespace nimbra::link
