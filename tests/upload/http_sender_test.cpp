#include "upload/http_sender.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "tests/support/test_http_server.h"

namespace nimbra {
namespace {

using namespace std::chrono_literals;
using testing::TestHttpServer;

const std::string kRequest =
    "GET /v01/set?wid=a&key=b&temp=215 HTTP/1.0\r\nAccept: */*\r\nHost: 127.0.0.1\r\n"
    "Connection: Close\r\n\r\n";

// Shorter waits for the cases that do not test them.
SendOptions quick() {
    SendOptions options;
    options.connectTimeout = 2000ms;
    options.replyPolls = 20;
    options.replyPollInterval = 50ms;
    return options;
}

TEST(SendHttpRequest, SendsTheBytesAsGivenAndFindsTheTokenInTheReply) {
    const struct {
        const char* reply;
        const char* token;
        bool accepted;
    } cases[] = {
        {"HTTP/1.0 200 OK\r\nContent-Length: 8\r\n\r\nsuccess\n", "success", true},
        {"HTTP/1.0 200 OK\r\nContent-Length: 8\r\n\r\nsuccess\n", "200", true},
        {"HTTP/1.0 200 OK\r\n\r\nINVALIDPASSWORDID|Password or key and/or id are incorrect",
         "success", false},
        {"HTTP/1.1 401 Unauthorized\r\n\r\n", "200", false},
        {"HTTP/1.1 200 OK\r\n\r\n", "success", false},
    };
    for (const auto& c : cases) {
        TestHttpServer server(TestHttpServer::reply(c.reply));
        EXPECT_EQ(SendHttpRequest("127.0.0.1", kRequest, server.port(), c.token, quick()),
                  c.accepted)
            << c.reply << " / " << c.token;
        const auto requests = server.requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0], kRequest);
    }
}

TEST(SendHttpRequest, OnlyTheFirstChunkOfTheReplyCounts) {
    TestHttpServer server(
        TestHttpServer::replyInTwoParts("HTTP/1.0 200 OK\r\n\r\n", "success\n", 600ms));
    EXPECT_FALSE(SendHttpRequest("127.0.0.1", kRequest, server.port(), "success", quick()));
}

TEST(SendHttpRequest, LongReplyIsReadOnlyAsFarAsTheFirstChunk) {
    const std::string head = "HTTP/1.0 200 OK\r\n\r\nsuccess\n";
    const std::string tail(4 << 20, 'x');
    {
        TestHttpServer server(TestHttpServer::reply(head + tail));
        EXPECT_TRUE(SendHttpRequest("127.0.0.1", kRequest, server.port(), "success", quick()));
    }
    {
        TestHttpServer server(TestHttpServer::reply("HTTP/1.0 500 Oops\r\n\r\n" + tail + "200"));
        EXPECT_FALSE(SendHttpRequest("127.0.0.1", kRequest, server.port(), "200", quick()));
    }
}

TEST(SendHttpRequest, LongRequestGoesOutWhole) {
    // More than the socket takes at once, so it goes out in several sends.
    const std::string request = "GET /" + std::string(16 << 20, 'q') + " HTTP/1.0\r\n\r\n";
    TestHttpServer server(TestHttpServer::reply("HTTP/1.0 200 OK\r\n\r\nsuccess"));
    EXPECT_TRUE(SendHttpRequest("127.0.0.1", request, server.port(), "success", quick()));
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0], request);
}

TEST(SendHttpRequest, FailuresOfTheConnection) {
    TestHttpServer closing(TestHttpServer::closeWithoutAnswer());
    EXPECT_FALSE(SendHttpRequest("127.0.0.1", kRequest, closing.port(), "200", quick()));
    EXPECT_FALSE(SendHttpRequest("127.0.0.1", kRequest, testing::closedPort(), "200", quick()));
    EXPECT_FALSE(SendHttpRequest("no-such-host.invalid", kRequest, 80, "200", quick()));
    EXPECT_FALSE(SendHttpRequest("127.0.0.1", kRequest, 0, "200", quick()));
    EXPECT_FALSE(SendHttpRequest("bad host\r\n", kRequest, 80, "200", quick()));
    EXPECT_FALSE(SendHttpRequest("", kRequest, 80, "200", quick()));
}

// Servers that misbehave in every way a client can see: each is a plain failure, within
// the sender's own time limits, never a success.
TEST(SendHttpRequest, MisbehavingServersFailPromptly) {
    std::string garbage;
    for (int i = 0; i < 4096; ++i) {
        garbage += static_cast<char>((i * 131 + 7) % 256);
    }
    const struct {
        const char* what;
        TestHttpServer::Responder respond;
    } cases[] = {
        {"garbage", TestHttpServer::reply(garbage)},
        {"NUL bytes", TestHttpServer::reply(std::string(64, '\0'))},
        {"megabytes without the token", TestHttpServer::reply(std::string(8 << 20, 'x'))},
        {"closed in the middle of the head", TestHttpServer::reply("HTTP/1.0 200 OK\r\nConte")},
        {"reset in the middle of the head",
         [](int fd, const std::atomic<bool>&) {
             testing::writeAll(fd, "HTTP/1.0 200 OK\r\n");
             const linger abort{1, 0};  // the close sends a reset
             ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
         }},
    };
    for (const auto& c : cases) {
        TestHttpServer server(c.respond);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(SendHttpRequest("127.0.0.1", kRequest, server.port(), "success", quick()))
            << c.what;
        EXPECT_LT(std::chrono::steady_clock::now() - start, 5s) << c.what;
    }
}

// A server whose queue takes the connection but which never reads: a request larger than
// the socket buffers cannot go out, and the send time limit ends the wait.
TEST(SendHttpRequest, ServerThatNeverReadsFailsAfterTheSendTime) {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);

    SendOptions options = quick();
    options.sendTimeout = 1000ms;
    const std::string request = "GET /" + std::string(64 << 20, 'q') + " HTTP/1.0\r\n\r\n";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(SendHttpRequest("127.0.0.1", request, ntohs(address.sin_port), "200", options));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    ::close(listener);
}

TEST(SendHttpRequest, ServerThatNeverAnswersFailsAfterTheReplyWait) {
    TestHttpServer server(TestHttpServer::neverAnswer());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(SendHttpRequest("127.0.0.1", kRequest, server.port(), "200"));  // real waits
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, 10s);  // it did wait for the reply rather than give up at once
    EXPECT_EQ(server.requests().size(), 1u);
}

TEST(SendHttpRequest, StopRequestEndsTheWaitForTheReply) {
    TestHttpServer server(TestHttpServer::neverAnswer());
    std::stop_source stop;
    std::jthread stopper([&] {
        server.waitForRequests(1, 5s);
        stop.request_stop();
    });
    EXPECT_FALSE(
        SendHttpRequest("127.0.0.1", kRequest, server.port(), "200", {}, stop.get_token()));
}

}  // namespace
}  // namespace nimbra
