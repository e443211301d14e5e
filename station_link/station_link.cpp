#include "station_link/station_link.h"

#include <algorithm>
#include <array>
#include <thread>

#include "station_link/station_exchange.h"

namespace nimbra::link {

namespace {

using Block = std::array<std::uint8_t, kBlockSize>;

// Holds the station against other processes for one scope, as TransferGuard does
// against the other threads.
class ExchangeGuard {
public:
    explicit ExchangeGuard(Transport& transport)
        : transport_(transport), owned_(transport.lockExchange(TransferLock::kWaitLimit)) {}
    ~ExchangeGuard() {
        if (owned_) {
            transport_.unlockExchange();
        }
    }
    ExchangeGuard(const ExchangeGuard&) = delete;
    ExchangeGuard& operator=(const ExchangeGuard&) = delete;

    explicit operator bool() const { return owned_; }

private:
    Transport& transport_;
    bool owned_;
};

}  // namespace

Transport* StationLink::transport() {
    if (!discovered_) {
        transport_ = discover_();
        discovered_ = true;
    }
    return transport_.get();
}

bool StationLink::checkHandle() {
    TransferGuard guard(lock_);
    if (!guard) {
        return false;
    }
    // Closed before the search so that the device is free to be opened again.
    transport_.reset();
    transport_ = discover_();
    discovered_ = true;
    return transport_ != nullptr;
}

template <typename Exchange>
bool StationLink::plain(Exchange exchange) {
    TransferGuard guard(lock_);
    if (!guard) {
        return false;
    }
    Transport* station = transport();
    if (station == nullptr) {
        return false;
    }
    const ExchangeGuard held(*station);
    return held && exchange(*station);
}

bool StationLink::readData(int address, std::uint8_t* block) {
    return plain([&](Transport& t) { return readBlock(t, address, block); });
}

bool StationLink::writeData(int address, const std::uint8_t* block) {
    return plain([&](Transport& t) { return writeBlock(t, address, block); });
}

bool StationLink::writeByte(int address, std::uint8_t value) {
    return plain([&](Transport& t) { return link::writeByte(t, address, value); });
}

// The lock is held for one attempt at a time and released during the pause, so other
// callers are not kept waiting by a retry loop.
template <typename AttemptOnce>
Verified StationLink::verified(int retryCount, AttemptOnce attempt) {
    for (int attemptsLeft = std::max(retryCount, 0) + 1;; --attemptsLeft) {
        Attempt outcome = Attempt::Failed;
        {
            TransferGuard guard(lock_);
            if (!guard) {
                return Verified::TransferFailed;
            }
            Transport* station = transport();
            if (station == nullptr) {
                return Verified::TransferFailed;
            }
            const ExchangeGuard held(*station);
            if (!held) {
                return Verified::TransferFailed;
            }
            outcome = attempt(*station);
        }
        switch (outcome) {
            case Attempt::Failed:
                return Verified::TransferFailed;
            case Attempt::Equal:
                return Verified::Done;
            case Attempt::Different:
                break;
        }
        if (attemptsLeft == 1) {
            return Verified::StillDifferent;
        }
        std::this_thread::sleep_for(kRetryPause);
    }
}

Verified StationLink::verifiedRead(int address, std::uint8_t* block, int retryCount) {
    return verified(retryCount, [&](Transport& t) {
        Block second{};
        if (!readBlock(t, address, block) || !readBlock(t, address, second.data())) {
            return Attempt::Failed;
        }
        return std::equal(second.begin(), second.end(), block) ? Attempt::Equal
                                                               : Attempt::Different;
    });
}

Verified StationLink::verifiedWrite(int address, const std::uint8_t* block, int retryCount) {
    return verified(retryCount, [&](Transport& t) {
        Block readBack{};
        if (!writeBlock(t, address, block) || !readBlock(t, address, readBack.data())) {
            return Attempt::Failed;
        }
        return std::equal(readBack.begin(), readBack.end(), block) ? Attempt::Equal
                                                                   : Attempt::Different;
    });
}

Verified StationLink::verifiedWriteByte(int address, std::uint8_t value, int retryCount) {
    return verified(retryCount, [&](Transport& t) {
        Block readBack{};
        if (!link::writeByte(t, address, value) || !readBlock(t, address, readBack.data())) {
            return Attempt::Failed;
        }
        return readBack[0] == value ? Attempt::Equal : Attempt::Different;
    });
}

}  // namespace nimbra::link
