#include "station_link/station_link.h"

#include <algorithm>
#include <array>
#include <thread>

#include "station_link/socket_transport.h"
#include "station_link/station_exchange.h"

namespace nimbra::link {

namespace {

using Block = std::array<std::uint8_t, kBlockSize>;

LinkResult busy() {
    return LinkResult::failure(LinkStatus::timeout, "the link stayed busy with another transfer");
}

LinkResult stationHeldElsewhere() {
    return LinkResult::failure(LinkStatus::timeout, "another program kept the station busy");
}

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

// A transfer's status; the reason is the status's own text.
LinkResult transferResult(LinkStatus status) {
    return status == LinkStatus::ok ? LinkResult::success() : LinkResult::failure(status);
}

}  // namespace

StationLink::Discover StationLink::atSocket(std::string socketPath) {
    return [path = std::move(socketPath)] { return SocketTransport::connect(path.c_str()); };
}

LinkResult StationLink::transport(Transport*& station) {
    if (!discovered_) {
        Opened opened = discover_();
        transport_ = std::move(opened.transport);
        lastOpen_ = std::move(opened.result);
        discovered_ = true;
    }
    station = transport_.get();
    return station != nullptr ? LinkResult::success() : lastOpen_;
}

LinkResult StationLink::open() {
    TransferGuard guard(lock_);
    if (!guard) {
        return busy();
    }
    // Closed before the search so that the device is free to be opened again.
    transport_.reset();
    discovered_ = false;
    Transport* station = nullptr;
    return transport(station);
}

template <typename Exchange>
LinkResult StationLink::plain(Exchange exchange) {
    TransferGuard guard(lock_);
    if (!guard) {
        return busy();
    }
    Transport* station = nullptr;
    if (LinkResult found = transport(station); !found.ok()) {
        return found;
    }
    const ExchangeGuard held(*station);
    if (!held) {
        return stationHeldElsewhere();
    }
    return transferResult(exchange(*station));
}

LinkResult StationLink::readBlock(int address, std::uint8_t* block) {
    return plain([&](Transport& t) { return link::readBlock(t, address, block); });
}

LinkResult StationLink::writeBlock(int address, const std::uint8_t* block) {
    return plain([&](Transport& t) { return link::writeBlock(t, address, block); });
}

LinkResult StationLink::writeByte(int address, std::uint8_t value) {
    return plain([&](Transport& t) { return link::writeByte(t, address, value); });
}

// The lock is held for one attempt at a time and released during the pause, so other
// callers are not kept waiting by a retry loop.
template <typename AttemptOnce>
LinkResult StationLink::verified(int retryCount, AttemptOnce attempt) {
    for (int attemptsLeft = std::max(retryCount, 0) + 1;; --attemptsLeft) {
        LinkStatus outcome = LinkStatus::ok;
        {
            TransferGuard guard(lock_);
            if (!guard) {
                return busy();
            }
            Transport* station = nullptr;
            if (LinkResult found = transport(station); !found.ok()) {
                return found;
            }
            const ExchangeGuard held(*station);
            if (!held) {
                return stationHeldElsewhere();
            }
            outcome = attempt(*station);
        }
        if (outcome != LinkStatus::disagreed) {
            return transferResult(outcome);  // equal, or a transfer failed: no retry
        }
        if (attemptsLeft == 1) {
            return transferResult(LinkStatus::disagreed);
        }
        std::this_thread::sleep_for(kRetryPause);
    }
}

LinkResult StationLink::verifiedRead(int address, std::uint8_t* block, int retryCount) {
    return verified(retryCount, [&](Transport& t) {
        Block second{};
        if (const LinkStatus first = link::readBlock(t, address, block); first != LinkStatus::ok) {
            return first;
        }
        if (const LinkStatus again = link::readBlock(t, address, second.data());
            again != LinkStatus::ok) {
            return again;
        }
        return std::equal(second.begin(), second.end(), block) ? LinkStatus::ok
                                                               : LinkStatus::disagreed;
    });
}

LinkResult StationLink::verifiedWrite(int address, const std::uint8_t* block, int retryCount) {
    return verified(retryCount, [&](Transport& t) {
        Block readBack{};
        if (const LinkStatus written = link::writeBlock(t, address, block);
            written != LinkStatus::ok) {
            return written;
        }
        if (const LinkStatus read = link::readBlock(t, address, readBack.data());
            read != LinkStatus::ok) {
            return read;
        }
        return std::equal(readBack.begin(), readBack.end(), block) ? LinkStatus::ok
                                                                   : LinkStatus::disagreed;
    });
}

LinkResult StationLink::verifiedWriteByte(int address, std::uint8_t value, int retryCount) {
    return verified(retryCount, [&](Transport& t) {
        Block readBack{};
        if (const LinkStatus written = link::writeByte(t, address, value);
            written != LinkStatus::ok) {
            return written;
        }
        if (const LinkStatus read = link::readBlock(t, address, readBack.data());
            read != LinkStatus::ok) {
            return read;
        }
        return readBack[0] == value ? LinkStatus::ok : LinkStatus::disagreed;
    });
}

}  // namespace nimbra::link
