#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>

// The station's report protocol: every exchange is a sequence of 8-byte reports.
//
// A command report is {code, address high, address low, 0x20, code, data, 0x00, 0x20}:
// the code is repeated, 0x20 is the block length, data is the byte of a write-byte
// command and 0 otherwise.
//   read block:  command, then four input reports carrying bytes 0-7 ... 24-31;
//   write block: command, four output reports carrying the 32 bytes, then the ack;
//   write byte:  command, then the ack.
// The acknowledgement is one input report of eight 0xA5 bytes; anything else is a
// failed write.

namespace nimbra::link {

inline constexpr std::size_t kReportSize = 8;
inline constexpr std::size_t kBlockSize = 32;
inline constexpr std::size_t kReportsPerBlock = kBlockSize / kReportSize;

using Report = std::array<std::uint8_t, kReportSize>;

inline constexpr std::uint8_t kWriteBlockCommand = 0xA0;
inline constexpr std::uint8_t kReadBlockCommand = 0xA1;
inline constexpr std::uint8_t kWriteByteCommand = 0xA2;
inline constexpr std::uint8_t kAckByte = 0xA5;

inline constexpr Report kAckReport = {kAckByte, kAckByte, kAckByte, kAckByte,
                                      kAckByte, kAckByte, kAckByte, kAckByte};

// How long one report may take each way before the exchange counts as failed.
inline constexpr std::chrono::milliseconds kSendTimeout{50};
inline constexpr std::chrono::milliseconds kReceiveTimeout{1200};

// Only the low 16 bits of the address are sent: 65536 goes out as 0x00 0x00.
inline constexpr Report commandReport(std::uint8_t command, int address, std::uint8_t data = 0) {
    const auto wire = static_cast<std::uint16_t>(address);
    return {command,
            static_cast<std::uint8_t>(wire >> 8),
            static_cast<std::uint8_t>(wire),
            static_cast<std::uint8_t>(kBlockSize),
            command,
            data,
            0x00,
            static_cast<std::uint8_t>(kBlockSize)};
}

inline constexpr std::uint16_t commandAddress(const Report& command) {
    return static_cast<std::uint16_t>((command[1] << 8) | command[2]);
}

}  // namespace nimbra::link
