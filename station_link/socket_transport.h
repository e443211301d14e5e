#pragma once

#include <memory>

#include "station_link/station_lock.h"
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
    bool lockExchange(std::chrono::milliseconds limit) override { return lock_.lockFor(limit); }
    void unlockExchange() override { lock_.unlock(); }

private:
    SocketTransport(UniqueFd socket, StationLock lock)
        : socket_(std::move(socket)), lock_(std::move(lock)) {}

    UniqueFd socket_;
    StationLock lock_;
};

}  // namespace nimbra::link
