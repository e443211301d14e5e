#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace nimbra::testing {

// An APRS-IS server on 127.0.0.1 for one session at a time: greets, reads the login
// line, answers it with a logresp line, reads the packet line and closes. Records each
// session's two lines without their CR LF.
class AprsIsStandIn {
public:
    struct Session {
        std::string login;
        std::string packet;
        bool crlf = true;  // both lines ended with CR LF
    };

    // `verified`: the logresp says "verified", else "unverified".
    explicit AprsIsStandIn(bool verified = false);
    ~AprsIsStandIn();
    AprsIsStandIn(const AprsIsStandIn&) = delete;
    AprsIsStandIn& operator=(const AprsIsStandIn&) = delete;

    std::uint16_t port() const { return m_port; }
    std::vector<Session> sessions() const;
    // Waits until `count` sessions ended or the time is up; returns those seen.
    std::vector<Session> waitForSessions(
        std::size_t count, std::chrono::milliseconds limit = std::chrono::seconds(5)) const;

private:
    void serve();
    void handle(int fd);

    bool m_verified;
    std::uint16_t m_port = 0;
    int m_listener = -1;
    std::atomic<bool> m_stopping{false};
    mutable std::mutex m_mutex;
    std::vector<Session> m_sessions;
    std::thread m_thread;
};

}  // namespace nimbra::testing
