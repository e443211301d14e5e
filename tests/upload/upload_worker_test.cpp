#include "upload/upload_worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
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

// What each service answers when it takes an upload.
std::string acceptedReply(UploadService service) {
    return service == UploadService::Weathercloud ? "HTTP/1.1 200 OK\r\n\r\n200" : kAccepted;
}

class UploadWorker : public ::testing::Test {
protected:
    UploadWorker() {
        context_.clock = [this] {
            return sys_days{2024y / March / 5} + 9h + 7min + 5s + seconds(elapsed_.load());
        };
        context_.send.connectTimeout = 2s;
        context_.send.replyTimeout = 2s;
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

    std::atomic<long> elapsed_{0};  // seconds after the sample time
    UploadConfigStore configs_;
    RecordingViewEvents events_;
    HistoryRecord current_ = testing::sampleReading();
    UploadContext context_{configs_, [this] { return current_; }, events_};
};

std::string expectedHead(const std::string& target, std::uint16_t port) {
    return "GET " + target + " HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(port) +
           "\r\nAccept: */*\r\n\r\n";
}

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
        TestHttpServer server(TestHttpServer::reply(acceptedReply(c.service)));
        configs_.set(c.service, config(server.port()));
        const UploadTarget target = *makeUploadTarget(config(server.port()));
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
        EXPECT_EQ(server.requests()[0], expectedHead(expected->target, server.port()));
        EXPECT_EQ(events_.events().back(), c.success);
    }
}

std::string percentDecoded(const std::string& raw) {
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

// The query of a request line, field by field, decoded.
std::map<std::string, std::string> queryFields(const std::string& request) {
    const std::size_t start = request.find('?') + 1;
    const std::string query = request.substr(start, request.find(' ', start) - start);
    std::map<std::string, std::string> fields;
    for (std::size_t at = 0; at < query.size();) {
        const std::size_t end = std::min(query.find('&', at), query.size());
        const std::string field = query.substr(at, end - at);
        const std::size_t equals = std::min(field.find('='), field.size());
        fields[field.substr(0, equals)] =
            percentDecoded(field.substr(std::min(equals + 1, field.size())));
        at = end + 1;
    }
    return fields;
}

TEST_F(UploadWorker, CredentialsArriveIntact) {
    TestHttpServer server(TestHttpServer::reply(kAccepted));
    UploadServiceConfig c = config(server.port());
    c.m_StationID = "my id=1";
    c.m_Password = "p&ss w%rd=";
    configs_.set(UploadService::WeatherUnderground, c);
    EXPECT_TRUE(UploadToService(context_, UploadService::WeatherUnderground));
    ASSERT_EQ(server.requests().size(), 1u);
    const auto fields = queryFields(server.requests()[0]);
    EXPECT_EQ(fields.at("ID"), "my id=1");
    EXPECT_EQ(fields.at("PASSWORD"), "p&ss w%rd=");
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
    TestHttpServer server(TestHttpServer::reply(acceptedReply(UploadService::Weathercloud)));
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
    // Each told why, before its failure event.
    const auto failures = events_.uploadFailures();
    ASSERT_EQ(failures.size(), 3u);
    EXPECT_EQ(failures[0].first, ViewEvent::WundergroundFailure);
    EXPECT_EQ(failures[0].second.kind, UploadFailure::Kind::notAccepted);
    EXPECT_EQ(failures[0].second.serverMessage, "bad password");
    EXPECT_EQ(failures[1].second.kind, UploadFailure::Kind::cannotConnect);
    EXPECT_EQ(failures[1].second.host, "127.0.0.1:" + unreachable.m_ServerPort);
    EXPECT_EQ(failures[2].second.kind, UploadFailure::Kind::badServer);
}

// Error replies are failures whatever their body holds, and a server name too long to
// send whole reaches nobody: cut to 49 characters this one would name 127.0.0.1.
TEST_F(UploadWorker, ErrorRepliesAndOverLongServersAreFailures) {
    const std::string overLong = std::string(39, 'a') + ".localhost.example.org";
    const struct {
        UploadService service;
        std::string reply;
        std::string server;
        ViewEvent expected;
        std::size_t requests;
    } cases[] = {
        {UploadService::Wow,
         "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 1200\r\n\r\n200" +
             std::string(1197, ' '),
         "127.0.0.1", ViewEvent::WowFailure, 1},
        {UploadService::Weathercloud,
         "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 1200\r\n\r\n200" +
             std::string(1197, ' '),
         "127.0.0.1", ViewEvent::WeathercloudFailure, 1},
        {UploadService::WeatherUnderground, "HTTP/1.0 200 OK\r\n\r\n200", "127.0.0.1",
         ViewEvent::WundergroundFailure, 1},
        {UploadService::WeatherUnderground, kAccepted, overLong, ViewEvent::WundergroundFailure, 0},
    };
    for (const auto& c : cases) {
        TestHttpServer server(TestHttpServer::reply(c.reply));
        UploadServiceConfig settings = config(server.port());
        settings.m_Server = c.server;
        configs_.set(c.service, settings);
        EXPECT_FALSE(UploadToService(context_, c.service)) << c.reply;
        EXPECT_EQ(events_.events().back(), c.expected) << c.reply;
        EXPECT_EQ(events_.uploadFailures().back().second.status, c.reply.starts_with("HTTP/1.1 500")
                                                                     ? 500
                                                                 : c.requests == 0 ? 0
                                                                                   : 200);
        EXPECT_EQ(server.requests().size(), c.requests) << c.server;
    }
}

TEST_F(UploadWorker, TooManyRequestsWaitsAtLeastItsRetryAfter) {
    TestHttpServer server(
        TestHttpServer::reply("HTTP/1.1 429 Too Many Requests\r\nRetry-After: 200\r\n\r\n"));
    configs_.set(UploadService::WeatherUnderground, config(server.port()));
    const struct {
        long at;  // seconds after the 429
        std::size_t requests;
        std::size_t events;
    } turns[] = {{0, 1, 1}, {61, 1, 1}, {199, 1, 1}, {200, 2, 2}};
    for (const auto& turn : turns) {
        elapsed_ = turn.at;
        EXPECT_FALSE(UploadToService(context_, UploadService::WeatherUnderground));
        EXPECT_EQ(server.requests().size(), turn.requests) << turn.at;
        EXPECT_EQ(events_.events().size(), turn.events) << turn.at;
    }
    EXPECT_EQ(events_.events().back(), ViewEvent::WundergroundFailure);
}

// What each service receives is the live current reading, every field in the service's
// own units, worked out here from the reading itself.
TEST_F(UploadWorker, UploadedValuesAreTheCurrentReadingInEachServicesUnits) {
    HistoryRecord& r = current_;
    r.InTemp = 22.3f;
    r.OutTemp = 11.7f;
    r.DewPoint = 6.4f;
    r.WindChill = 9.8f;
    r.InHumi = 41;
    r.OutHumi = 77;
    r.Wind = 2.6f;
    r.Gust = 5.9f;
    r.WindDirection = 6;
    r.AbsPressure = 1001.3f;
    r.RelPressure = 1015.8f;
    r.Rain2 = 3.8f;
    r.Rain3 = 12.7f;
    r.Rain4 = 40.6f;
    r.RainYear = 250.2f;
    r.Light = 25340.0f;
    r.UV = 5;
    const auto f = [](float celsius) { return celsius * 1.8 + 32; };
    const auto mph = [](float ms) { return ms * 2.236936; };
    const auto inHg = [](float hPa) { return hPa / 33.8638; };
    const auto in = [](float mm) { return mm / 25.4; };
    const struct {
        UploadService service;
        const char* name;
        double expected;
        double unit;  // the last digit sent; one of them is allowed for rounding twice
    } fields[] = {
        {UploadService::WeatherUnderground, "indoortempf", f(r.InTemp), 0.1},
        {UploadService::WeatherUnderground, "tempf", f(r.OutTemp), 0.1},
        {UploadService::WeatherUnderground, "dewptf", f(r.DewPoint), 0.1},
        {UploadService::WeatherUnderground, "windchillf", f(r.WindChill), 0.1},
        {UploadService::WeatherUnderground, "indoorhumidity", 41, 0},
        {UploadService::WeatherUnderground, "humidity", 77, 0},
        {UploadService::WeatherUnderground, "windspeedmph", mph(r.Wind), 0.1},
        {UploadService::WeatherUnderground, "windgustmph", mph(r.Gust), 0.1},
        {UploadService::WeatherUnderground, "winddir", 135, 0},
        {UploadService::WeatherUnderground, "absbaromin", inHg(r.AbsPressure), 0.01},
        {UploadService::WeatherUnderground, "baromin", inHg(r.RelPressure), 0.01},
        {UploadService::WeatherUnderground, "dailyrainin", in(r.Rain2), 0.01},
        {UploadService::WeatherUnderground, "weeklyrainin", in(r.Rain3), 0.01},
        {UploadService::WeatherUnderground, "monthlyrainin", in(r.Rain4), 0.01},
        {UploadService::WeatherUnderground, "yearlyrainin", in(r.RainYear), 0.01},
        {UploadService::WeatherUnderground, "solarradiation", r.Light / 126.7, 0.01},
        {UploadService::WeatherUnderground, "UV", 5, 0},
        {UploadService::Wow, "tempf", f(r.OutTemp), 0.1},
        {UploadService::Wow, "dewptf", f(r.DewPoint), 0.1},
        {UploadService::Wow, "humidity", 77, 0},
        {UploadService::Wow, "windspeedmph", mph(r.Wind), 0.1},
        {UploadService::Wow, "windgustmph", mph(r.Gust), 0.1},
        {UploadService::Wow, "winddir", 135, 0},
        {UploadService::Wow, "baromin", inHg(r.RelPressure), 0.01},
        {UploadService::Wow, "dailyrainin", in(r.Rain2), 0.01},
        {UploadService::Weathercloud, "tempin", r.InTemp * 10, 1},
        {UploadService::Weathercloud, "temp", r.OutTemp * 10, 1},
        {UploadService::Weathercloud, "dew", r.DewPoint * 10, 1},
        {UploadService::Weathercloud, "chill", r.WindChill * 10, 1},
        {UploadService::Weathercloud, "humin", 41, 0},
        {UploadService::Weathercloud, "hum", 77, 0},
        {UploadService::Weathercloud, "wspd", r.Wind * 10, 1},
        {UploadService::Weathercloud, "wspdavg", r.Wind * 10, 1},
        {UploadService::Weathercloud, "wspdhi", r.Gust * 10, 1},
        {UploadService::Weathercloud, "wdir", 135, 0},
        {UploadService::Weathercloud, "wdiravg", 135, 0},
        {UploadService::Weathercloud, "bar", r.RelPressure * 10, 1},
        {UploadService::Weathercloud, "rain", r.Rain2 * 10, 1},
        {UploadService::Weathercloud, "solarrad", r.Light / 126.7 * 10, 1},
        {UploadService::Weathercloud, "uvi", 50, 0},
    };
    std::map<UploadService, std::map<std::string, std::string>> sent;
    for (const UploadService service :
         {UploadService::WeatherUnderground, UploadService::Wow, UploadService::Weathercloud}) {
        TestHttpServer server(TestHttpServer::reply(acceptedReply(service)));
        configs_.set(service, config(server.port()));
        ASSERT_TRUE(UploadToService(context_, service));
        ASSERT_EQ(server.requests().size(), 1u);
        sent[service] = queryFields(server.requests()[0]);
    }
    std::map<UploadService, std::size_t> checked;
    for (const auto& field : fields) {
        const auto& query = sent[field.service];
        ASSERT_TRUE(query.contains(field.name)) << field.name;
        EXPECT_NEAR(std::stod(query.at(field.name)), field.expected, field.unit + 1e-9)
            << field.name << " for service " << static_cast<int>(field.service);
        ++checked[field.service];
    }
    // Every reading a service is sent was checked above.
    const auto readings = [&](UploadService service, std::size_t others) {
        return sent[service].size() - others;
    };
    EXPECT_EQ(readings(UploadService::WeatherUnderground, 8),
              checked[UploadService::WeatherUnderground]);
    EXPECT_EQ(readings(UploadService::Wow, 4), checked[UploadService::Wow]);
    EXPECT_EQ(readings(UploadService::Weathercloud, 6), checked[UploadService::Weathercloud]);
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
