#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <nlohmann/json.hpp>
#include <string>

#include "tests/support/recording_view_events.h"
#include "tests/support/sample_records.h"
#include "tests/upload/test_tls_server.h"
#include "upload/openweathermap_registration.h"
#include "upload/openweathermap_request.h"
#include "upload/reply_acceptance.h"
#include "upload/upload_worker.h"

namespace nimbra {
namespace {

using namespace std::chrono;
using namespace std::chrono_literals;
using nlohmann::json;
using testing::RecordingViewEvents;
using testing::TestTlsServer;

// 5 March 2024, 09:07:05 UTC.
const system_clock::time_point kNow = sys_days{2024y / March / 5} + 9h + 7min + 5s;

// The query of a request line, field by field (the values here need no decoding).
std::map<std::string, std::string> queryFields(const std::string& head) {
    const std::size_t start = head.find('?') + 1;
    const std::string query = head.substr(start, head.find(' ', start) - start);
    std::map<std::string, std::string> fields;
    for (std::size_t at = 0; at < query.size();) {
        const std::size_t end = std::min(query.find('&', at), query.size());
        const std::string field = query.substr(at, end - at);
        const std::size_t equals = field.find('=');
        fields[field.substr(0, equals)] = field.substr(equals + 1);
        at = end + 1;
    }
    return fields;
}

std::string requestLine(const std::string& head) {
    return head.substr(0, head.find("\r\n"));
}

class JsonServices : public ::testing::Test {
protected:
    JsonServices() {
        ::setenv("SSL_CERT_FILE", certificates_.caFile().c_str(), 1);
        context_.clock = [] { return kNow; };
        context_.send.connectTimeout = 2s;
        context_.send.replyTimeout = 2s;
    }
    ~JsonServices() override { ::unsetenv("SSL_CERT_FILE"); }

    void configure(UploadService service, std::uint16_t port) {
        UploadServiceConfig c;
        c.m_Autosend = "1";
        c.m_Server = "127.0.0.1";
        c.m_ServerPort = std::to_string(port);
        c.m_StationID = service == UploadService::Windy ? "st1" : "5ed2118acc";
        c.m_Password = service == UploadService::Windy ? "pw" : "key1";
        configs_.set(service, c);
    }

    const testing::TestCertificates certificates_;
    UploadConfigStore configs_;
    RecordingViewEvents events_;
    HistoryRecord current_ = testing::sampleReading();
    UploadContext context_{configs_, [this] { return current_; }, events_};
};

// The sample reading: -5.3 °C, 87 %, 3.4 and 10.0 m/s from 68°, 1013.2 hPa, 25.4 mm today.
TEST_F(JsonServices, WindyGetsTheImperialFieldSetOverTls) {
    TestTlsServer server(certificates_, "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
    configure(UploadService::Windy, server.port());
    current_.DewPoint = 65535.0f;  // absent: left out
    EXPECT_TRUE(UploadToService(context_, UploadService::Windy));
    EXPECT_EQ(events_.events().back(), ViewEvent::WindySuccess);
    ASSERT_EQ(server.requests().size(), 1u);
    const std::string head = server.requests()[0].head;
    EXPECT_EQ(head.rfind("GET /api/v2/observation/update?ID=st1&PASSWORD=pw&", 0), 0u) << head;
    EXPECT_TRUE(requestLine(head).ends_with(" HTTP/1.1")) << head;
    const auto fields = queryFields(head);
    const std::map<std::string, std::string> expected{
        {"tempf", "22.5"},       {"humidity", "87"},
        {"windspeedmph", "7.6"}, {"windgustmph", "22.4"},
        {"winddir", "68"},       {"baromin", "29.92"},
        {"dailyrainin", "1.00"}, {"dateutc", "2024-3-5%209:7:5"},
    };
    for (const auto& [name, value] : expected) {
        EXPECT_EQ(fields.contains(name) ? fields.at(name) : "(missing)", value) << name;
    }
    EXPECT_FALSE(fields.contains("dewptf")) << "absent readings are left out";
    EXPECT_FALSE(fields.contains("rainin"));
    for (const auto& [name, value] : fields) {
        EXPECT_NE(value, "-9999") << name;
    }
}

TEST_F(JsonServices, OpenWeatherMapGetsOneMeasurementAsJson) {
    TestTlsServer server(certificates_, "HTTP/1.1 204 No Content\r\n\r\n");
    configure(UploadService::OpenWeatherMap, server.port());
    current_.Rain1 = 1.5f;
    current_.Gust = 65535.0f;  // absent: left out
    EXPECT_TRUE(UploadToService(context_, UploadService::OpenWeatherMap));
    EXPECT_EQ(events_.events().back(), ViewEvent::OpenWeatherMapSuccess);
    ASSERT_EQ(server.requests().size(), 1u);
    const auto request = server.requests()[0];
    EXPECT_EQ(requestLine(request.head), "POST /data/3.0/measurements?appid=key1 HTTP/1.1");
    EXPECT_NE(request.head.find("\r\nContent-Type: application/json\r\n"), std::string::npos);
    const json body = json::parse(request.body);
    ASSERT_TRUE(body.is_array() && body.size() == 1u) << request.body;
    const json expected = {
        {"station_id", "5ed2118acc"},
        {"dt", 1709629625},
        {"temperature", -5.3},
        {"wind_speed", 3.4},
        {"pressure", 1013.2},
        {"humidity", 87},
        {"rain_1h", 1.5},
    };
    EXPECT_EQ(body[0], expected) << request.body;
}

TEST_F(JsonServices, ErrorRepliesAreFailuresWithTheServersWords) {
    const struct {
        UploadService service;
        const char* reply;
        long status;
        const char* message;
        bool holdsOff;
    } cases[] = {
        {UploadService::OpenWeatherMap,
         "HTTP/1.1 401 Unauthorized\r\nContent-Length: 58\r\n\r\n"
         "{\"cod\":401, \"message\": \"Invalid API key. Please see...\"}  ",
         401, "Invalid API key. Please see...", false},
        {UploadService::OpenWeatherMap, "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n{}", 200, "{}",
         false},
        {UploadService::Windy,
         "HTTP/1.1 429 Too Many Requests\r\nRetry-After: 120\r\nContent-Length: 9\r\n\r\nslow down",
         429, "slow down", true},
        {UploadService::Windy,
         "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 5\r\n\r\noops\n", 500, "oops",
         false},
    };
    for (const auto& c : cases) {
        context_.holdOff = std::make_shared<UploadHoldOff>();
        TestTlsServer server(certificates_, c.reply);
        configure(c.service, server.port());
        EXPECT_FALSE(UploadToService(context_, c.service)) << c.reply;
        EXPECT_EQ(events_.events().back(), failureEvent(c.service)) << c.reply;
        const UploadFailure why = events_.uploadFailures().back().second;
        EXPECT_EQ(why.kind, c.status == 200 ? UploadFailure::Kind::notAccepted
                                            : UploadFailure::Kind::httpStatus)
            << c.reply;
        EXPECT_EQ(why.status, c.status);
        EXPECT_EQ(why.serverMessage, c.message);
        // A 429 waits out its Retry-After: the next turn contacts nobody.
        UploadToService(context_, c.service);
        EXPECT_EQ(server.requests().size(), c.holdsOff ? 1u : 2u) << c.reply;
    }
}

TEST_F(JsonServices, OpenWeatherMapRegistration) {
    const StationLocation where{51.4779, -0.0015, 46.0};
    const auto request =
        buildOpenWeatherMapRegistration("127.0.0.1", "key 1", "nimbraplus", "Garden", where);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->request.target, "/data/3.0/stations?appid=key%201");
    EXPECT_EQ(json::parse(request->body), (json{{"external_id", "nimbraplus"},
                                                {"name", "Garden"},
                                                {"latitude", 51.4779},
                                                {"longitude", -0.0015},
                                                {"altitude", 46.0}}));
    EXPECT_FALSE(buildOpenWeatherMapRegistration("127.0.0.1", "k", "n", "n", {51.0, 0.0, {}}));

    const struct {
        HttpReply reply;
        std::optional<std::string> id;
    } replies[] = {
        {{201, R"({"ID":"583436dd9643a9000196b8d6","name":"Garden"})", 0s},
         "583436dd9643a9000196b8d6"},
        {{200, R"({"ID":"583436dd9643a9000196b8d6"})", 0s}, std::nullopt},
        {{201, R"({"id":"x"})", 0s}, std::nullopt},
        {{201, "not json", 0s}, std::nullopt},
    };
    for (const auto& r : replies) {
        EXPECT_EQ(registeredStationId(r.reply), r.id) << r.reply.body;
    }

    // The whole exchange, over TLS on whatever port the settings name.
    TestTlsServer server(certificates_,
                         "HTTP/1.1 201 Created\r\nContent-Length: 11\r\n\r\n{\"ID\":\"x1\"}");
    configure(UploadService::OpenWeatherMap, server.port());
    UploadFailure whyNot;
    EXPECT_EQ(registerOpenWeatherMapStation(configs_.get(UploadService::OpenWeatherMap), where,
                                            context_.send, whyNot),
              "x1")
        << whyNot.detail;
    ASSERT_EQ(server.requests().size(), 1u);
    const auto registration = server.requests()[0];
    EXPECT_EQ(requestLine(registration.head), "POST /data/3.0/stations?appid=key1 HTTP/1.1");
    EXPECT_EQ(json::parse(registration.body)["latitude"], 51.4779);
    EXPECT_FALSE(registerOpenWeatherMapStation(configs_.get(UploadService::OpenWeatherMap), {},
                                               context_.send, whyNot));
    EXPECT_EQ(whyNot.kind, UploadFailure::Kind::noLocation);
}

}  // namespace
}  // namespace nimbra
