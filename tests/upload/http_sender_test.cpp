#include "upload/http_sender.h"

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "test_tls_server.h"
#include "tests/support/test_http_server.h"
#include "upload/reply_acceptance.h"

namespace nimbra {
namespace {

using namespace std::chrono_literals;
using testing::TestHttpServer;

const std::string kTarget = "/v01/set?wid=a&key=b&temp=215&dateutc=2024-3-5%209:7:5";

// Shorter waits for the cases that do not test them.
SendOptions quick() {
    SendOptions options;
    options.connectTimeout = 2000ms;
    options.replyTimeout = 2000ms;
    return options;
}

struct Acceptance {
    bool wunderground;
    bool wow;
    bool weathercloud;

    friend bool operator==(const Acceptance&, const Acceptance&) = default;
};

Acceptance acceptance(const std::optional<HttpReply>& reply) {
    if (!reply) {
        return {false, false, false};
    }
    return {replyAccepted(UploadService::WeatherUnderground, *reply),
            replyAccepted(UploadService::Wow, *reply),
            replyAccepted(UploadService::Weathercloud, *reply)};
}

std::ostream& operator<<(std::ostream& out, const Acceptance& a) {
    return out << "WU " << a.wunderground << ", WOW " << a.wow << ", WC " << a.weathercloud;
}

// Only a 2xx status line counts, and then the body each service answers with; an error
// status never does, whatever its body holds.
TEST(SendHttpRequest, EachServiceAcceptsOnlyItsOwnSuccessReply) {
    const struct {
        std::string reply;
        Acceptance accepted;
        long status;
        std::chrono::seconds retryAfter{0};
    } cases[] = {
        {"HTTP/1.0 200 OK\r\nContent-Length: 8\r\n\r\nsuccess\n", {true, true, false}, 200},
        {"HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\n200\n", {false, true, true}, 200},
        {"HTTP/1.1 200 OK\r\n\r\n2000", {false, true, false}, 200},
        {"HTTP/1.0 200 OK\r\n\r\nINVALIDPASSWORDID|Password or key and/or id are incorrect",
         {false, true, false},
         200},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n7\r\nsuccess\r\n0\r\n\r\n",
         {true, true, false},
         200},
        {"HTTP/1.1 500 Internal Server Error\r\nContent-Length: 1200\r\n\r\n200 success" +
             std::string(1189, ' '),
         {false, false, false},
         500},
        {"HTTP/1.1 429 Too Many Requests\r\nRetry-After: 200\r\n\r\n200 success",
         {false, false, false},
         429,
         200s},
        {"HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1:1/\r\n\r\n200 success",
         {false, false, false},
         302},
        {"HTTP/1.1 401 Unauthorized\r\n\r\n", {false, false, false}, 401},
    };
    for (const auto& c : cases) {
        TestHttpServer server(TestHttpServer::reply(c.reply));
        const auto reply = SendHttpRequest("127.0.0.1", server.port(), kTarget, quick());
        ASSERT_TRUE(reply) << c.reply;
        EXPECT_EQ(reply->status, c.status) << c.reply;
        EXPECT_EQ(reply->retryAfter, c.retryAfter) << c.reply;
        EXPECT_EQ(acceptance(reply), c.accepted) << c.reply;
        const auto requests = server.requests();
        ASSERT_EQ(requests.size(), 1u);
        // The request line and head the services expect, nothing added.
        EXPECT_EQ(requests[0], "GET " + kTarget + " HTTP/1.0\r\nHost: 127.0.0.1:" +
                                   std::to_string(server.port()) + "\r\nAccept: */*\r\n\r\n");
    }
}

TEST(SendHttpRequest, OnlyTheStartOfALongBodyIsRead) {
    const std::string tail(4 << 20, 'x');
    const struct {
        std::string reply;
        bool accepted;
    } cases[] = {
        {"HTTP/1.0 200 OK\r\n\r\nsuccess\n" + tail, true},
        {"HTTP/1.0 200 OK\r\n\r\n" + std::string(kReplyBodyLimit, 'x') + "success", false},
    };
    for (const auto& c : cases) {
        TestHttpServer server(TestHttpServer::reply(c.reply));
        const auto reply = SendHttpRequest("127.0.0.1", server.port(), kTarget, quick());
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->body.size(), kReplyBodyLimit);
        EXPECT_EQ(replyAccepted(UploadService::WeatherUnderground, *reply), c.accepted);
    }
}

// Each failure says which it was, for the user to read.
TEST(SendHttpRequest, FailuresOfTheConnection) {
    using enum UploadFailure::Kind;
    TestHttpServer closing(TestHttpServer::closeWithoutAnswer());
    const struct {
        std::string host;
        std::uint16_t port;
        UploadFailure::Kind kind;
    } cases[] = {
        {"127.0.0.1", closing.port(), cutShort},
        {"127.0.0.1", testing::closedPort(), cannotConnect},
        {"no-such-host.invalid", 80, nameNotResolved},
        {"127.0.0.1", 0, badServer},
        {"bad host\r\n", 80, badServer},
        {"", 80, badServer},
    };
    for (const auto& c : cases) {
        UploadFailure why;
        EXPECT_FALSE(SendHttpRequest(c.host, c.port, kTarget, quick(), {}, &why)) << c.host;
        EXPECT_EQ(why.kind, c.kind) << c.host << ":" << c.port << " " << why.detail;
        EXPECT_EQ(why.detail.empty(), c.kind == badServer) << c.host << ":" << c.port;
    }
}

// Servers that misbehave in every way a client can see: none is a success for any
// service, and each ends within the sender's own time limits.
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
        {"no status line, megabytes", TestHttpServer::reply(std::string(8 << 20, 'x') + "200")},
        {"closed in the middle of the head", TestHttpServer::reply("HTTP/1.0 200 OK\r\nConte")},
        {"malformed status line", TestHttpServer::reply("HTTP/@12- .00 OK\r\n\r\nsuccess 200")},
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
        const auto reply = SendHttpRequest("127.0.0.1", server.port(), kTarget, quick());
        EXPECT_EQ(acceptance(reply), (Acceptance{false, false, false})) << c.what;
        EXPECT_LT(std::chrono::steady_clock::now() - start, 5s) << c.what;
    }
}

TEST(SendHttpRequest, ServerThatNeverAnswersFailsAfterTheReplyWait) {
    TestHttpServer server(TestHttpServer::neverAnswer());
    SendOptions options;  // the real reply wait
    options.connectTimeout = 1000ms;
    const auto start = std::chrono::steady_clock::now();
    UploadFailure why;
    EXPECT_FALSE(SendHttpRequest("127.0.0.1", server.port(), kTarget, options, {}, &why));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(why.kind, UploadFailure::Kind::timedOut);
    EXPECT_EQ(why.seconds, 11);
    EXPECT_GE(waited, 10s);  // it did wait for the reply rather than give up at once
    EXPECT_LT(waited, 15s);
    EXPECT_EQ(server.requests().size(), 1u);
}

TEST(SendHttpRequest, StopRequestEndsTheWaitForTheReply) {
    TestHttpServer server(TestHttpServer::neverAnswer());
    std::stop_source stop;
    std::jthread stopper([&] {
        server.waitForRequests(1, 5s);
        stop.request_stop();
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(SendHttpRequest("127.0.0.1", server.port(), kTarget, {}, stop.get_token()));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 8s);
}

// A CA bundle named for the duration of one test.
class CaBundle {
public:
    explicit CaBundle(const std::filesystem::path& file) {
        ::setenv("SSL_CERT_FILE", file.c_str(), 1);
    }
    ~CaBundle() { ::unsetenv("SSL_CERT_FILE"); }
    CaBundle(const CaBundle&) = delete;
    CaBundle& operator=(const CaBundle&) = delete;
};

// The server offers h2 first: the sender must agree on http/1.1, speak it, and trust
// only a certificate from the CA that SSL_CERT_FILE names.
TEST(SendHttpRequest, TlsSpeaksHttp11AndTrustsOnlyTheNamedCa) {
    const testing::TestCertificates certificates;
    const testing::TestCertificates stranger;
    const struct {
        const char* what;
        const std::filesystem::path& caFile;
        bool answered;
    } cases[] = {
        {"trusted", certificates.caFile(), true},
        {"signed by another CA", stranger.caFile(), false},
    };
    for (const auto& c : cases) {
        testing::TestTlsServer server(certificates,
                                      "HTTP/1.1 200 OK\r\nContent-Length: 7\r\n\r\nsuccess");
        const CaBundle bundle(c.caFile);
        SendOptions options = quick();
        options.tlsPort = server.port();
        UploadFailure why;
        const auto reply = SendHttpRequest("127.0.0.1", server.port(), kTarget, options, {}, &why);
        ASSERT_EQ(reply.has_value(), c.answered) << c.what;
        const auto requests = server.requests();
        if (!c.answered) {
            EXPECT_EQ(why.kind, UploadFailure::Kind::certificateRefused) << why.detail;
            EXPECT_TRUE(requests.empty()) << c.what << ": nothing may reach an untrusted server";
            continue;
        }
        EXPECT_TRUE(replyAccepted(UploadService::WeatherUnderground, *reply));
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].alpn, "http/1.1");
        EXPECT_EQ(requests[0].head.rfind("GET " + kTarget + " HTTP/1.1\r\n", 0), 0u)
            << requests[0].head;
    }
}

}  // namespace
}  // namespace nimbra
