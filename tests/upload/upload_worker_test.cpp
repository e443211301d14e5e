#include "upload/upload_worker.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/recording_view_events.h"
#include "tests/support/sample_records.h"
#include "tests/support/test_http_server.h"
#include "tests/upload/sample_time.h"
#include "upload/upload_target.h"
#include "upload/weathercloud_request.h"
#include "upload/wow_request.h"
#include "upload/wunderground_request.h"

namespace nimbra {
namespace {

using namespace std::chrono;
using namespace std::chrono_literals;
using testing::RecordingViewEvents;
using testing::TestHttpServer;

const std::string kAccepted = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\nsuccess\n";

class UploadWorker : public ::testing::Test {
protected:
    UploadWorker() {
        context_.clock = [] { return sys_days{2024y / March / 5} + 9h + 7min + 5s; };
        context_.send.replyPolls = 20;
        context_.send.replyPollInterval = 50ms;
    }

    UploadServiceConfig config(std::uint16_t port) const {
        UploadServiceConfig c;
        c.m_Server = "127.0.0.1";
        c.m_ServerPort = std::to_string(port);
        c.m_ServerType = "2";
        c.m_UploadType = "1";
        c.m_StationID = "IST 1";
        c.m_Password = "pa&ss word";
        c.m_Autosend = "1";
        return c;
    }

    UploadConfigStore configs_;
    RecordingViewEvents events_;
    UploadContext context_{configs_, [] { return testing::sampleReading(); }, events_};
};

TEST_F(UploadWorker, EachServiceReceivesExactlyItsRequest) {
    const struct {
        UploadService service;
        ViewEvent success;
    } cases[] = {
        {UploadService::WeatherUnderground, ViewEvent::WundergroundSuccess},
        {UploadService::Wow, ViewEvent::WowSuccess},
        {UploadService::Weathercloud, ViewEvent::WeathercloudSuccess},
    };
    const UploadReading reading = makeUploadReading(testing::sampleReading());
    for (const auto& c : cases) {
        TestHttpServer server(TestHttpServer::reply(kAccepted));
        configs_.set(c.service, config(server.port()));
        const UploadTarget target = makeUploadTarget(config(server.port()));
        const auto expected =
            c.service == UploadService::WeatherUnderground
                ? buildWundergroundRequest(kNimbraPlusIdentity, target, reading,
                                           testing::kSampleTime)
            : c.service == UploadService::Wow
                ? buildWowRequest(kNimbraPlusIdentity, target, reading, testing::kSampleTime)
                : buildWeathercloudRequest(target, reading, testing::kSampleTime);
        ASSERT_TRUE(expected);

        EXPECT_TRUE(UploadToService(context_, c.service));
        ASSERT_EQ(server.requests().size(), 1u);
        EXPECT_EQ(server.requests()[0], expected->text);
        EXPECT_EQ(events_.events().back(), c.success);
    }
}

// Decodes the value of `name` from the query of a request line.
std::string queryValue(const std::string& request, const std::string& name) {
    const std::size_t start = request.find(name + "=") + name.size() + 1;
    const std::string raw = request.substr(start, request.find('&', start) - start);
    std::string decoded;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '%' && i + 2 < raw.size()) {
            decoded += static_cast<char>(std::stoi(raw.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            decoded += raw[i];
        }
    }
    return decoded;
}

TEST_F(UploadWorker, CredentialsArriveIntact) {
    TestHttpServer server(TestHttpServer::reply(kAccepted));
    UploadServiceConfig c = config(server.port());
    c.m_StationID = "my id=1";
    c.m_Password = "p&ss w%rd=";
    configs_.set(UploadService::WeatherUnderground, c);
    EXPECT_TRUE(UploadToService(context_, UploadService::WeatherUnderground));
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(queryValue(server.requests()[0], "ID"), "my id=1");
    EXPECT_EQ(queryValue(server.requests()[0], "PASSWORD"), "p&ss w%rd=");
}

TEST_F(UploadWorker, ServiceThatIsOffOrHasNoCredentialsIsNotContacted) {
    TestHttpServer server(TestHttpServer::reply(kAccepted));
    const struct {
        const char* autosend;
        const char* id;
        const char* password;
    } cases[] = {{"0", "id", "pw"}, {"", "id", "pw"}, {"off", "id", "pw"}, {"1", "", ""}};
    for (const auto& c : cases) {
        UploadServiceConfig off = config(server.port());
        off.m_Autosend = c.autosend;
        off.m_StationID = c.id;
        off.m_Password = c.password;
        configs_.set(UploadService::Wow, off);
        EXPECT_TRUE(UploadToService(context_, UploadService::Wow));
        EXPECT_EQ(events_.events().back(), ViewEvent::WowOff);
    }
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(UploadWorker, OneCredentialIsEnough) {
    TestHttpServer server(TestHttpServer::reply(kAccepted));
    UploadServiceConfig c = config(server.port());
    c.m_Password = "";
    configs_.set(UploadService::Weathercloud, c);
    EXPECT_TRUE(UploadToService(context_, UploadService::Weathercloud));
    EXPECT_EQ(events_.events(), std::vector{ViewEvent::WeathercloudSuccess});
}

TEST_F(UploadWorker, FailuresAreReportedAndAskForAnEarlyRetry) {
    TestHttpServer refusing(TestHttpServer::reply("HTTP/1.0 200 OK\r\n\r\nbad password"));
    configs_.set(UploadService::WeatherUnderground, config(refusing.port()));
    EXPECT_FALSE(UploadToService(context_, UploadService::WeatherUnderground));

    UploadServiceConfig unreachable = config(testing::closedPort());
    configs_.set(UploadService::Wow, unreachable);
    EXPECT_FALSE(UploadToService(context_, UploadService::Wow));

    unreachable.m_Server = "host\r\nX-Evil: 1";
    configs_.set(UploadService::Weathercloud, unreachable);
    EXPECT_FALSE(UploadToService(context_, UploadService::Weathercloud));

    EXPECT_EQ(events_.events(), (std::vector{ViewEvent::WundergroundFailure, ViewEvent::WowFailure,
                                             ViewEvent::WeathercloudFailure}));
}

TEST_F(UploadWorker, UploadStoppedForShutdownReportsNothing) {
    TestHttpServer server(TestHttpServer::neverAnswer());
    configs_.set(UploadService::Wow, config(server.port()));
    std::stop_source stop;
    std::jthread stopper([&] {
        server.waitForRequests(1, 5s);
        stop.request_stop();
    });
    EXPECT_FALSE(UploadToService(context_, UploadService::Wow, stop.get_token()));
    EXPECT_TRUE(events_.events().empty());
}

}  // namespace
}  // namespace nimbra
