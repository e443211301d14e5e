#pragma once

#include <cerrno>
#include <string>
#include <utility>

namespace nimbra::link {

// Why a call on the station link did not do what it was asked. Every layer above the
// link speaks this; only the C exports turn it into their documented return codes.
enum class LinkStatus {
    ok,
    noDevice,   // no station was found (not plugged in, nothing listening)
    noAccess,   // a station is there but could not be opened (permissions, in use)
    timeout,    // the station did not answer in time, or the link stayed busy
    io,         // the system refused the transfer
    protocol,   // an answer that is not what the protocol says (short report, bad ack)
    cancelled,  // the caller gave up: the program is closing
    disagreed,  // a verified transfer still read back different data after every attempt
};

// A status and, where the system gave one, its own words for it (hidapi's error text,
// strerror of errno), for the status bar and the log.
struct LinkResult {
    LinkStatus status = LinkStatus::ok;
    std::string reason;

    static LinkResult success() { return {}; }
    static LinkResult failure(LinkStatus status, std::string reason = {}) {
        return {status, std::move(reason)};
    }

    bool ok() const { return status == LinkStatus::ok; }
    // "no access: Permission denied", or the status alone when there is no reason.
    std::string describe() const;
};

inline const char* statusText(LinkStatus status) {
    switch (status) {
        case LinkStatus::ok:
            return "ok";
        case LinkStatus::noDevice:
            return "no station";
        case LinkStatus::noAccess:
            return "no access";
        case LinkStatus::timeout:
            return "time-out";
        case LinkStatus::io:
            return "I/O error";
        case LinkStatus::protocol:
            return "protocol error";
        case LinkStatus::cancelled:
            return "cancelled";
        case LinkStatus::disagreed:
            return "data disagreed";
    }
    return "unknown";
}

inline std::string LinkResult::describe() const {
    std::string text = statusText(status);
    if (!reason.empty()) {
        text += ": ";
        text += reason;
    }
    return text;
}

// The errno values the exports leave behind on failure, and back: the only way the
// reason crosses the library's C interface without changing it.
inline int errnoFor(LinkStatus status) {
    switch (status) {
        case LinkStatus::ok:
            return 0;
        case LinkStatus::noDevice:
            return ENODEV;
        case LinkStatus::noAccess:
            return EACCES;
        case LinkStatus::timeout:
            return ETIMEDOUT;
        case LinkStatus::protocol:
            return EPROTO;
        case LinkStatus::cancelled:
            return ECANCELED;
        case LinkStatus::disagreed:
            return EILSEQ;
        case LinkStatus::io:
            break;
    }
    return EIO;
}

inline LinkStatus statusForErrno(int error) {
    switch (error) {
        case ENODEV:
        case ENOENT:
        case ECONNREFUSED:
        case ENAMETOOLONG:
        case ENXIO:
            return LinkStatus::noDevice;
        case EACCES:
        case EPERM:
        case EBUSY:
            return LinkStatus::noAccess;
        case ETIMEDOUT:
        case EAGAIN:
            return LinkStatus::timeout;
        case EPROTO:
            return LinkStatus::protocol;
        case ECANCELED:
            return LinkStatus::cancelled;
        case EILSEQ:
            return LinkStatus::disagreed;
        default:
            return LinkStatus::io;
    }
}

}  // namespace nimbra::link
