#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace nimbra::testing {

// A small HTTP server on 127.0.0.1 and an ephemeral port for the upload tests. It takes
// one connection at a time, reads the request head, records it and lets the scenario
// answer on the socket.
class TestHttpServer {
public:
    // Answers one request on the connected socket `fd`; `stopping` tells when to give up.
    using Responder = std::function<void(int fd, const std::atomic<bool>& stopping)>;

    explicit TestHttpServer(Responder respond);
    ~TestHttpServer();
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    std::uint16_t port() const { return port_; }
    std::vector<std::string> requests() const;
    // Waits until `count` requests arrived or the time is up; returns the requests seen.
    std::vector<std::string> waitForRequests(std::size_t count,
                                             std::chrono::milliseconds limit) const;

    // Scenarios.
    static Responder reply(std::string bytes);
    static Responder replyInTwoParts(std::string first, std::string second,
                                     std::chrono::milliseconds gap);
    static Responder neverAnswer();
    static Responder closeWithoutAnswer();

private:
    void serve();
    void handle(int fd);

    Responder respond_;
    std::uint16_t port_ = 0;  // before listener_: set while that is initialised
    int listener_ = -1;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

// A listening socket on 127.0.0.1 and a free port, which it sets; throws when there is none.
int listenOnLoopback(std::uint16_t& port);

// A port on 127.0.0.1 where nothing listens.
std::uint16_t closedPort();

// Writes all of `bytes`; false when the peer went away.
bool writeAll(int fd, std::string_view bytes);

}  // namespace nimbra::testing
