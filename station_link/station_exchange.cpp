#include "station_link/station_exchange.h"

#include <algorithm>

namespace nimbra::link {

namespace {

bool sendCommand(Transport& transport, std::uint8_t command, int address, std::uint8_t data = 0) {
    transport.discardPending();
    return transport.send(commandReport(command, address, data));
}

bool receiveAck(Transport& transport) {
    Report answer{};
    return transport.receive(answer) && answer == kAckReport;
}

}  // namespace

bool readBlock(Transport& transport, int address, std::uint8_t* block) {
    if (!sendCommand(transport, kReadBlockCommand, address)) {
        return false;
    }
    for (std::size_t part = 0; part < kReportsPerBlock; ++part) {
        Report input{};
        if (!transport.receive(input)) {
            return false;
        }
        std::copy(input.begin(), input.end(), block + part * kReportSize);
    }
    return true;
}

bool writeBlock(Transport& transport, int address, const std::uint8_t* block) {
    if (!sendCommand(transport, kWriteBlockCommand, address)) {
        return false;
    }
    for (std::size_t part = 0; part < kReportsPerBlock; ++part) {
        Report output{};
        std::copy_n(block + part * kReportSize, kReportSize, output.begin());
        if (!transport.send(output)) {
            return false;
        }
    }
    return receiveAck(transport);
}

bool writeByte(Transport& transport, int address, std::uint8_t value) {
    return sendCommand(transport, kWriteByteCommand, address, value) && receiveAck(transport);
}

}  // namespace nimbra::link
