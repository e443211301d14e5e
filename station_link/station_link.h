#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "station_link/station_connection.h"
#include "station_link/transfer_lock.h"
#include "station_link/transport.h"

namespace nimbra::link {

// The connection to the station and the lock that keeps each exchange whole.
//
// The transport is owned here and guarded by the transfer lock, so open() can swap it
// while other threads transfer. The first discovery is deferred to the first call,
// which finds the same station a search at load time would, without enumerating USB
// devices in every program that merely links the library.
class StationLink final : public StationConnection {
public:
    using Discover = std::function<Opened()>;

    static constexpr std::chrono::milliseconds kRetryPause{100};

    explicit StationLink(Discover discover) : discover_(std::move(discover)) {}

    // The emulator listening at the socket, whatever the environment says.
    static Discover atSocket(std::string socketPath);

    // Replaces the connection with a fresh discovery's; the old one is closed first.
    LinkResult open() override;

    LinkResult readBlock(int address, std::uint8_t* block) override;
    LinkResult writeBlock(int address, const std::uint8_t* block) override;
    LinkResult writeByte(int address, std::uint8_t value) override;

    // A negative retry count means a single attempt.
    LinkResult verifiedRead(int address, std::uint8_t* block, int retryCount) override;
    LinkResult verifiedWrite(int address, const std::uint8_t* block, int retryCount) override;
    LinkResult verifiedWriteByte(int address, std::uint8_t value, int retryCount) override;

private:
    // Requires the transfer lock; ok when a transport is there.
    LinkResult transport(Transport*& station);

    template <typename Exchange>
    LinkResult plain(Exchange exchange);

    template <typename AttemptOnce>
    LinkResult verified(int retryCount, AttemptOnce attempt);

    TransferLock lock_;
    const Discover discover_;
    std::unique_ptr<Transport> transport_;  // guarded by lock_
    LinkResult lastOpen_;                   // guarded by lock_: why transport_ is null
    bool discovered_ = false;               // guarded by lock_
};

}  // namespace nimbra::link
