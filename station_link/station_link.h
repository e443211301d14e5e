#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "station_link/transfer_lock.h"
#include "station_link/transport.h"

namespace nimbra::link {

// Result of a verified transfer, as the verified exports return it.
enum class Verified : unsigned { Done = 0, TransferFailed = 1, StillDifferent = 2 };

// The connection to the station and the lock that keeps each exchange whole.
//
// The transport is owned here and guarded by the transfer lock, so CheckHandle can swap
// it while other threads transfer. The first discovery is deferred to the first call,
// which finds the same station a search at load time would, without enumerating USB
// devices in every program that merely links the library.
class StationLink {
public:
    using Discover = std::function<std::unique_ptr<Transport>()>;

    static constexpr std::chrono::milliseconds kRetryPause{100};

    explicit StationLink(Discover discover) : discover_(std::move(discover)) {}

    // Replaces the connection with a fresh discovery's; the old one is closed first.
    bool checkHandle();

    bool readData(int address, std::uint8_t* block);
    bool writeData(int address, const std::uint8_t* block);
    bool writeByte(int address, std::uint8_t value);

    // retryCount + 1 attempts at most; a negative count means a single attempt.
    Verified verifiedRead(int address, std::uint8_t* block, int retryCount);
    Verified verifiedWrite(int address, const std::uint8_t* block, int retryCount);
    Verified verifiedWriteByte(int address, std::uint8_t value, int retryCount);

private:
    enum class Attempt { Failed, Equal, Different };

    // Requires the transfer lock.
    Transport* transport();

    template <typename Exchange>
    bool plain(Exchange exchange);

    template <typename AttemptOnce>
    Verified verified(int retryCount, AttemptOnce attempt);

    TransferLock lock_;
    const Discover discover_;
    std::unique_ptr<Transport> transport_;  // guarded by lock_
    bool discovered_ = false;               // guarded by lock_
};

}  // namespace nimbra::link
