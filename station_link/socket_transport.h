#pragma once

#include <memory>

#include "station_link/transport.h"
#include "station_link/unique_fd.h"

namespace nimbra::link {

// The station emulator's socket: a Unix sequenced-packet socket carrying one 8-byte
// report per message, with the same time limits as the USB device.
class SocketTransport final : public Transport {
public:
    // No transport when nothing listens at the path (the emulator is absent or
    // "unplugged"), with the system's words for why.
    static Opened connect(const char* path);

    LinkStatus send(const Report& report) override;
    LinkStatus receive(Report& report) override;
    void discardPending() override;

private:
    explicit SocketTransport(UniqueFd socket) : socket_(std::move(socket)) {}

    UniqueFd socket_;
};

}  // namespace nimbra::link
