#include "tests/support/aprs_is_stand_in.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "tests/support/test_http_server.h"

namespace nimbra::testing {

namespace {

// The next line of `fd`, without its end; false when the peer left or went quiet.
bool readLine(int fd, std::string& pending, std::string& line, bool& crlf) {
    for (;;) {
        const auto end = pending.find('\n');
        if (end != std::string::npos) {
            line = pending.substr(0, end);
            pending.erase(0, end + 1);
            crlf = crlf && !line.empty() && line.back() == '\r';
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            return true;
        }
        pollfd descriptor{fd, POLLIN, 0};
        char buffer[512];
        if (::poll(&descriptor, 1, 5000) <= 0) {
            return false;
        }
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            return false;
        }
        pending.append(buffer, static_cast<std::size_t>(n));
    }
}

}  // namespace

AprsIsStandIn::AprsIsStandIn(bool verified)
    : m_verified(verified), m_listener(listenOnLoopback(m_port)) {
    m_thread = std::thread([this] { serve(); });
}

AprsIsStandIn::~AprsIsStandIn() {
    m_stopping = true;
    m_thread.join();
    ::close(m_listener);
}

std::vector<AprsIsStandIn::Session> AprsIsStandIn::sessions() const {
    const std::lock_guard lock(m_mutex);
    return m_sessions;
}

std::vector<AprsIsStandIn::Session> AprsIsStandIn::waitForSessions(
    std::size_t count, std::chrono::milliseconds limit) const {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (sessions().size() < count && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return sessions();
}

void AprsIsStandIn::serve() {
    while (!m_stopping) {
        pollfd descriptor{m_listener, POLLIN, 0};
        if (::poll(&descriptor, 1, 20) <= 0) {
            continue;
        }
        const int fd = ::accept(m_listener, nullptr, nullptr);
        if (fd >= 0) {
            handle(fd);
            ::close(fd);
        }
    }
}

void AprsIsStandIn::handle(int fd) {
    Session session;
    std::string pending;
    if (!writeAll(fd, "# aprsc 2.1.14 test stand-in\r\n") ||
        !readLine(fd, pending, session.login, session.crlf)) {
        return;
    }
    const std::string station = session.login.substr(5, session.login.find(' ', 5) - 5);
    writeAll(fd, "# logresp " + station + (m_verified ? " verified" : " unverified") +
                     ", server T2TEST\r\n");
    readLine(fd, pending, session.packet, session.crlf);
    const std::lock_guard lock(m_mutex);
    m_sessions.push_back(session);
}

}  // namespace nimbra::testing
