#include "station_link/station_exchange.h"

#include <algorithm>

namespace nimbra::link {

namespace {

LinkStatus sendCommand(Transport& transport, std::uint8_t command, int address,
                       std::uint8_t data = 0) {
    transport.discardPending();
    return transport.send(commandReport(command, address, data));
}

LinkStatus receiveAck(Transport& transport) {
    Report answer{};
    const LinkStatus received = transport.receive(answer);
    if (received != LinkStatus::ok) {
        return received;
    }
    return answer == kAckReport ? LinkStatus::ok : LinkStatus::protocol;
}

}  // namespace

LinkStatus readBlock(Transport& transport, int address, std::uint8_t* block) {
    if (const LinkStatus sent = sendCommand(transport, kReadBlockCommand, address);
        sent != LinkStatus::ok) {
        return sent;
    }
    for (std::size_t part = 0; part < kReportsPerBlock; ++part) {
        Report input{};
        if (const LinkStatus received = transport.receive(input); received != LinkStatus::ok) {
            return received;
        }
        std::copy(input.begin(), input.end(), block + part * kReportSize);
    }
    return LinkStatus::ok;
}

LinkStatus writeBlock(Transport& transport, int address, const std::uint8_t* block) {
    if (const LinkStatus sent = sendCommand(transport, kWriteBlockCommand, address);
        sent != LinkStatus::ok) {
        return sent;
    }
    for (std::size_t part = 0; part < kReportsPerBlock; ++part) {
        Report output{};
        std::copy_n(block + part * kReportSize, kReportSize, output.begin());
        if (const LinkStatus sent = transport.send(output); sent != LinkStatus::ok) {
            return sent;
        }
    }
    return receiveAck(transport);
}

LinkStatus writeByte(Transport& transport, int address, std::uint8_t value) {
    const LinkStatus sent = sendCommand(transport, kWriteByteCommand, address, value);
    return sent == LinkStatus::ok ? receiveAck(transport) : sent;
}

}  // namespace nimbra::link
