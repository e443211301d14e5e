#include "tests/support/test_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace nimbra::testing {
namespace {

constexpr int kPollMs = 20;

// Waits for `events` on fd until they come or the server stops.
bool waitFor(int fd, short events, const std::atomic<bool>& stopping) {
    while (!stopping.load()) {
        pollfd descriptor{fd, events, 0};
        const int ready = ::poll(&descriptor, 1, kPollMs);
        if (ready > 0) {
            return true;
        }
        if (ready < 0) {
            return false;
        }
    }
    return false;
}

}  // namespace

int listenOnLoopback(std::uint16_t& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 8) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    port = ntohs(address.sin_port);
    return fd;
}

TestHttpServer::TestHttpServer(Responder respond)
    : respond_(std::move(respond)), listener_(listenOnLoopback(port_)) {
    thread_ = std::thread([this] { serve(); });
}

TestHttpServer::~TestHttpServer() {
    stopping_.store(true);
    thread_.join();
    ::close(listener_);
}

std::vector<std::string> TestHttpServer::requests() const {
    const std::lock_guard lock(mutex_);
    return requests_;
}

std::vector<std::string> TestHttpServer::waitForRequests(std::size_t count,
                                                         std::chrono::milliseconds limit) const {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        auto seen = requests();
        if (seen.size() >= count) {
            return seen;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return requests();
}

void TestHttpServer::serve() {
    while (waitFor(listener_, POLLIN, stopping_)) {
        const int fd = ::accept(listener_, nullptr, nullptr);
        if (fd >= 0) {
            handle(fd);
            ::close(fd);
        }
    }
}

void TestHttpServer::handle(int fd) {
    std::string request;
    char buffer[65536];
    std::size_t searched = 0;  // where the end of the head may start, at the earliest
    while (request.find("\r\n\r\n", searched) == std::string::npos) {
        searched = request.size() < 3 ? 0 : request.size() - 3;
        if (!waitFor(fd, POLLIN, stopping_)) {
            return;
        }
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            break;
        }
        request.append(buffer, static_cast<std::size_t>(n));
    }
    {
        const std::lock_guard lock(mutex_);
        requests_.push_back(request);
    }
    respond_(fd, stopping_);
}

TestHttpServer::Responder TestHttpServer::reply(std::string bytes) {
    return [bytes = std::move(bytes)](int fd, const std::atomic<bool>&) { writeAll(fd, bytes); };
}

TestHttpServer::Responder TestHttpServer::replyInTwoParts(std::string first, std::string second,
                                                          std::chrono::milliseconds gap) {
    return [=](int fd, const std::atomic<bool>&) {
        writeAll(fd, first);
        std::this_thread::sleep_for(gap);
        writeAll(fd, second);
    };
}

TestHttpServer::Responder TestHttpServer::neverAnswer() {
    return [](int fd, const std::atomic<bool>& stopping) {
        // Hold the connection until the client hangs up or the test ends.
        char byte;
        while (waitFor(fd, POLLIN, stopping) && ::recv(fd, &byte, 1, 0) > 0) {
        }
    };
}

TestHttpServer::Responder TestHttpServer::closeWithoutAnswer() {
    return [](int, const std::atomic<bool>&) {};
}

std::uint16_t closedPort() {
    std::uint16_t port = 0;
    ::close(listenOnLoopback(port));
    return port;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace nimbra::testing
