#pragma once

#include <cstdint>

#include "station_link/transport.h"

// The three exchanges of the report protocol. Each runs its reports strictly in order and
// fails at the first report that fails, with that report's status; a failed block read may leave
// the buffer partly filled.

namespace nimbra::link {

LinkStatus readBlock(Transport& transport, int address, std::uint8_t* block);
LinkStatus writeBlock(Transport& transport, int address, const std::uint8_t* block);
LinkStatus writeByte(Transport& transport, int address, std::uint8_t value);

}  // namespace nimbra::link
