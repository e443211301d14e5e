// Any reply a server sends, in any pieces, is taken without harm by the upload sender,
// and no service counts it a success unless it starts with a 2xx status line and holds
// what that service answers with.
//
// The input's first byte chooses the service and how the reply is written: whole or in
// pieces, with or without the connection closed after it. The rest is the reply. A real
// server on 127.0.0.1 answers the sender's real request with it.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "upload/http_sender.h"
#include "upload/reply_acceptance.h"

namespace {

struct Service {
    nimbra::UploadService service;
    std::string_view token;  // what an accepted reply must hold
};
constexpr std::array<Service, 3> kServices{{
    {nimbra::UploadService::WeatherUnderground, "success"},
    {nimbra::UploadService::Wow, ""},
    {nimbra::UploadService::Weathercloud, "200"},
}};

struct Reply {
    std::string bytes;
    bool inPieces = false;
    bool keepOpen = false;
};

class ReplyServer {
public:
    ReplyServer() {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_listener < 0 ||
            ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(m_listener, 16) != 0 ||
            ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            std::abort();
        }
        m_port = ntohs(address.sin_port);
        std::thread([this] { serve(); }).detach();
    }

    std::uint16_t port() const { return m_port; }

    void setReply(Reply reply) {
        const std::lock_guard lock(m_mutex);
        m_reply = std::move(reply);
    }

private:
    void serve() {
        for (;;) {
            const int connection = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection < 0) {
                continue;
            }
            Reply reply;
            {
                const std::lock_guard lock(m_mutex);
                reply = m_reply;
            }
            answer(connection, reply);
            ::close(connection);
        }
    }

    static void answer(int connection, const Reply& reply) {
        // The whole request head first, as a server would.
        std::string request;
        char buffer[2048];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const ssize_t n = ::recv(connection, buffer, sizeof buffer, 0);
            if (n <= 0) {
                return;
            }
            request.append(buffer, static_cast<std::size_t>(n));
        }
        const std::size_t piece = reply.inPieces ? 7 : reply.bytes.size();
        for (std::size_t sent = 0; sent < reply.bytes.size(); sent += piece) {
            const std::size_t n = std::min(piece, reply.bytes.size() - sent);
            if (::send(connection, reply.bytes.data() + sent, n, MSG_NOSIGNAL) < 0) {
                return;
            }
        }
        if (reply.keepOpen) {
            // Long enough for the sender to give up waiting for more.
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    int m_listener = -1;
    std::uint16_t m_port = 0;
    std::mutex m_mutex;
    Reply m_reply;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static ReplyServer server;
    if (size == 0) {
        return 0;
    }
    const std::uint8_t mode = data[0];
    Reply reply;
    reply.bytes.assign(reinterpret_cast<const char*>(data + 1), size - 1);
    reply.inPieces = (mode & 0x04) != 0;
    reply.keepOpen = (mode & 0x08) != 0;
    const Service& service = kServices[mode % kServices.size()];
    server.setReply(reply);

    nimbra::SendOptions options;
    options.connectTimeout = std::chrono::milliseconds(1000);
    options.replyTimeout = std::chrono::milliseconds(1000);
    const auto answer =
        nimbra::SendHttpRequest("127.0.0.1", server.port(), "/upload?ID=fuzz", options);
    if (!answer || !nimbra::replyAccepted(service.service, *answer)) {
        return 0;
    }
    // Success claimed: the reply must start with a 2xx status line and hold the token.
    std::string start = reply.bytes.substr(0, 5);
    for (char& c : start) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    const bool statusOk = start == "HTTP/" && reply.bytes.find(" 2") != std::string::npos;
    if (!statusOk || reply.bytes.find(service.token) == std::string::npos) {
        std::abort();
    }
    return 0;
}
