#pragma once

#include <chrono>
#include <memory>

#include "station_link/link_status.h"
#include "station_link/report_protocol.h"

namespace nimbra::link {

// One open connection to a station: carries single reports each way. Implementations
// bound every call by kSendTimeout / kReceiveTimeout and never allocate, so a transfer
// costs no heap and never hangs. Callers serialise all use.
class Transport {
public:
    virtual ~Transport() = default;

    // ok, or why the report did not go out or come in whole (time-out, I/O, protocol).
    virtual LinkStatus send(const Report& report) = 0;
    virtual LinkStatus receive(Report& report) = 0;

    // Drops input that arrived after an earlier exchange gave up on it, so that a late
    // answer is never taken for part of the next one.
    virtual void discardPending() = 0;

    // Holds the station against other processes for one exchange; false when another
    // process held it for the whole `limit`. A transport no other process can reach
    // has nothing to hold.
    virtual bool lockExchange(std::chrono::milliseconds /*limit*/) { return true; }
    virtual void unlockExchange() {}
};

// What opening a connection gave: the transport, or null and why not.
struct Opened {
    std::unique_ptr<Transport> transport;
    LinkResult result;

    static Opened failed(LinkStatus status, std::string reason) {
        return {nullptr, LinkResult::failure(status, std::move(reason))};
    }
};

}  // namespace nimbra::link
