#include "station_link/socket_transport.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace nimbra::link {

namespace {

using Clock = std::chrono::steady_clock;

// Waits until the socket is ready for the events or the time limit passes; a signal
// does not cut the wait short.
LinkStatus waitReady(int fd, short events, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    for (;;) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, left > 0 ? static_cast<int>(left) : 0);
        if (ready > 0) {
            return LinkStatus::ok;
        }
        if (ready == 0) {
            return LinkStatus::timeout;
        }
        if (errno != EINTR) {
            return LinkStatus::io;
        }
    }
}

}  // namespace

Opened SocketTransport::connect(const char* path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (std::strlen(path) >= sizeof address.sun_path) {
        return Opened::failed(LinkStatus::noDevice,
                              std::string(path) + ": " + std::strerror(ENAMETOOLONG));
    }
    std::strcpy(address.sun_path, path);

    UniqueFd socket(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
    if (!socket ||
        ::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        return Opened::failed(statusForErrno(error),
                              std::string(path) + ": " + std::strerror(error));
    }
    return {std::unique_ptr<SocketTransport>(new SocketTransport(
                std::move(socket), StationLock(StationLock::besideSocket(path)))),
            {}};
}

LinkStatus SocketTransport::send(const Report& report) {
    if (const LinkStatus ready = waitReady(socket_.get(), POLLOUT, kSendTimeout);
        ready != LinkStatus::ok) {
        return ready;
    }
    const ssize_t sent =
        ::send(socket_.get(), report.data(), report.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    if (sent < 0) {
        return LinkStatus::io;
    }
    return sent == static_cast<ssize_t>(report.size()) ? LinkStatus::ok : LinkStatus::protocol;
}

LinkStatus SocketTransport::receive(Report& report) {
    if (const LinkStatus ready = waitReady(socket_.get(), POLLIN, kReceiveTimeout);
        ready != LinkStatus::ok) {
        return ready;
    }
    report.fill(0);
    // MSG_TRUNC makes recv report the message's true length, so an oversized message
    // is refused rather than silently cut to a report.
    const ssize_t length =
        ::recv(socket_.get(), report.data(), report.size(), MSG_DONTWAIT | MSG_TRUNC);
    if (length <= 0) {
        return LinkStatus::io;  // an error, or the peer has closed the connection
    }
    return length == static_cast<ssize_t>(report.size()) ? LinkStatus::ok : LinkStatus::protocol;
}

void SocketTransport::discardPending() {
    // Bounded, so that a peer streaming messages cannot hold the caller here.
    constexpr int kMostStaleReports = 64;
    Report stale{};
    for (int i = 0; i < kMostStaleReports; ++i) {
        if (::recv(socket_.get(), stale.data(), stale.size(), MSG_DONTWAIT | MSG_TRUNC) <= 0) {
            return;
        }
    }
}

}  // namespace nimbra::link
