#pragma once

#include <chrono>

#include "station_link/report_protocol.h"

namespace nimbra::link {

// One open connection to a station: carries single reports each way. Implementations
// bound every call by kSendTimeout / kReceiveTimeout and never allocate, so a transfer
// costs no heap and never hangs. Callers serialise all use.
class Transport {
public:
    virtual ~Transport() = default;

    virtual bool send(const Report& report) = 0;
    virtual bool receive(Report& report) = 0;

    // Drops input that arrived after an earlier exchange gave up on it, so that a late
    // answer is never taken for part of the next one.
    virtual void discardPending() = 0;

    // Holds the station against other processes for one exchange; false when another
    // process held it for the whole `limit`. A transport no other process can reach
    // has nothing to hold.
    virtual bool lockExchange(std::chrono::milliseconds /*limit*/) { return true; }
    virtual void unlockExchange() {}
};

}  // namespace nimbra::link
