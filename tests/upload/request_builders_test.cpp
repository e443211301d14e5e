#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/support/sample_records.h"
#include "tests/upload/sample_time.h"
#include "upload/request_text.h"
#include "upload/weathercloud_request.h"
#include "upload/wow_request.h"
#include "upload/wunderground_request.h"

namespace nimbra {
namespace {

using testing::kSampleTime;
using testing::sampleReading;

UploadTarget target(int serverType, int uploadType) {
    UploadTarget t;
    t.serverType = serverType;
    t.uploadType = uploadType;
    t.port = 80;
    t.server = "upload.example.org";
    t.stationId = "KST123";
    t.password = "secret";
    return t;
}

std::string text(const std::optional<HttpRequest>& request) {
    return request ? request->target : "<not built>";
}

std::string wunderground(const UploadReading& reading, int uploadType = 1, int serverType = 2) {
    return text(buildWundergroundRequest(kNimbraPlusIdentity, target(serverType, uploadType),
                                         reading, kSampleTime));
}

std::string wow(const UploadReading& reading) {
    return text(buildWowRequest(kNimbraPlusIdentity, target(0, 0), reading, kSampleTime));
}

std::string weathercloud(const UploadReading& reading) {
    return text(buildWeathercloudRequest(target(0, 0), reading, kSampleTime));
}

TEST(WundergroundRequest, ImperialFieldSetByteForByte) {
    const auto request = buildWundergroundRequest(kNimbraPlusIdentity, target(2, 1),
                                                  makeUploadReading(sampleReading()), kSampleTime);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->host, "upload.example.org");
    EXPECT_EQ(request->target,
              "/weatherstation/updateweatherstation.php?ID=KST123&PASSWORD=secret&"
              "indoortempf=70.7&tempf=22.5&dewptf=17.6&windchillf=15.6&indoorhumidity=45&"
              "humidity=87&windspeedmph=7.6&windgustmph=22.4&winddir=68&absbaromin=29.63&"
              "baromin=29.92&rainin=-9999&dailyrainin=1.00&weeklyrainin=0.01&"
              "monthlyrainin=2.36&yearlyrainin=4.86&solarradiation=100.00&UV=3&"
              "dateutc=2024-3-5%209:7:5&softwaretype=NimbraPlus%20V2.4.0"
              "&action=updateraw&realtime=1&rtfreq=5");
}

TEST(WundergroundRequest, MetricFieldSetByteForByte) {
    EXPECT_EQ(wunderground(makeUploadReading(sampleReading()), 0, 0),
              "/weatherstation/updateweatherstation.asp?ID=KST123&PASSWORD=secret&"
              "intemp=21.5&outtemp=-5.3&dewpoint=-8.0&windchill=-9.1&inhumi=45&outhumi=87&"
              "windspeed=3.4&windgust=10.0&winddir=68&absbaro=1003.5&relbaro=1013.2&"
              "rainrate=&dailyrain=25.4&weeklyrain=0.3&monthlyrain=60.0&yearlyrain=123.4&"
              "light=12670.0&UV=3&"
              "dateutc=2024-3-5%209:7:5&softwaretype=NimbraPlus%20V2.4.0"
              "&action=updateraw&realtime=1&rtfreq=5");
}

TEST(WundergroundRequest, ServerTypeChoosesTheScript) {
    const UploadReading reading;
    const struct {
        int serverType;
        const char* start;
    } cases[] = {
        {0, "/weatherstation/updateweatherstation.asp?ID="},
        {1, "/weatherstation/updateweatherstation.jsp?ID="},
        {2, "/weatherstation/updateweatherstation.php?ID="},
        {7, "/weatherstation/updateweatherstation.asp?ID="},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(wunderground(reading, 1, c.serverType).rfind(c.start, 0), 0u) << c.serverType;
    }
    const std::string phpMetric = wunderground(reading, 0, 2);
    EXPECT_EQ(phpMetric.rfind("/weatherstation/updateweatherstation.php?ID=", 0), 0u);
    EXPECT_NE(phpMetric.find("&outtemp="), std::string::npos);
}

// One reading at a time into the imperial set: the conversions and their rounding.
TEST(WundergroundRequest, ImperialConversions) {
    const struct {
        void (*set)(UploadReading&);
        const char* field;
    } cases[] = {
        {[](UploadReading& r) { r.outTemp = 215; }, "&tempf=70.7&"},
        {[](UploadReading& r) { r.outTemp = -178; }, "&tempf=0.0&"},
        {[](UploadReading& r) { r.outTemp = -200; }, "&tempf=-4.0&"},
        {[](UploadReading& r) { r.outTemp = 0; }, "&tempf=32.0&"},
        {[](UploadReading& r) { r.wind = 100; }, "&windspeedmph=22.4&"},
        {[](UploadReading& r) { r.relPressure = 10132; }, "&baromin=29.92&"},
        {[](UploadReading& r) { r.rainDay = 254; }, "&dailyrainin=1.00&"},
        {[](UploadReading& r) { r.rainDay = 3; }, "&dailyrainin=0.01&"},
        {[](UploadReading& r) { r.light = 126700; }, "&solarradiation=100.00&"},
        {[](UploadReading& r) { r.outHumi = 0x7F; }, "&humidity=-9999&"},
        {[](UploadReading& r) { r.windDirection = 338; }, "&winddir=338&"},
    };
    for (const auto& c : cases) {
        UploadReading reading;
        c.set(reading);
        EXPECT_NE(wunderground(reading).find(c.field), std::string::npos) << c.field;
    }
}

TEST(WundergroundRequest, AbsentReadingsInBothFieldSets) {
    const UploadReading absent;
    const std::string imperial = wunderground(absent);
    EXPECT_NE(imperial.find("&humidity=-9999&"), std::string::npos);
    EXPECT_NE(imperial.find("&rainin=-9999&"), std::string::npos);
    EXPECT_NE(imperial.find("&UV=-9999&dateutc="), std::string::npos);
    const std::string metric = wunderground(absent, 0);
    EXPECT_NE(metric.find("&outhumi=&"), std::string::npos);
    EXPECT_NE(metric.find("&rainrate=&"), std::string::npos);
}

TEST(WundergroundRequest, WithoutSolarFlagLightAndUvAreLeftOut) {
    UploadReading reading;
    reading.solar = 0;
    EXPECT_NE(wunderground(reading).find("&yearlyrainin=-9999&dateutc="), std::string::npos);
    EXPECT_NE(wunderground(reading, 0).find("&yearlyrain=&dateutc="), std::string::npos);
}

TEST(WundergroundRequest, SoftwareNameSpacesAreEncoded) {
    const SoftwareIdentity identity{"Nimbra Plus Pro", {10, 0, 255}};
    const std::string request =
        text(buildWundergroundRequest(identity, target(2, 1), UploadReading{}, kSampleTime));
    EXPECT_NE(request.find("&softwaretype=Nimbra%20Plus%20Pro%20V10.0.255&action="),
              std::string::npos);
}

TEST(WowRequest, ByteForByte) {
    EXPECT_EQ(wow(makeUploadReading(sampleReading())),
              "/automaticreading?siteid=KST123&siteAuthenticationKey=secret&"
              "dateutc=2024-03-05%209%3A7%3A5&"
              "tempf=22.5&dewptf=17.6&humidity=87&windspeedmph=7.6&windgustmph=22.4&"
              "winddir=68&baromin=29.92&dailyrainin=1.00&"
              "softwaretype=NimbraPlus%20V2.4.0");
}

TEST(WowRequest, AbsentReadingsAreLeftOut) {
    UploadReading reading;
    reading.outTemp = 215;
    reading.relPressure = 10132;
    EXPECT_EQ(wow(reading),
              "/automaticreading?siteid=KST123&siteAuthenticationKey=secret&"
              "dateutc=2024-03-05%209%3A7%3A5&tempf=70.7&baromin=29.92&"
              "softwaretype=NimbraPlus%20V2.4.0");
    EXPECT_EQ(wow(UploadReading{}),
              "/automaticreading?siteid=KST123&siteAuthenticationKey=secret&"
              "dateutc=2024-03-05%209%3A7%3A5&softwaretype=NimbraPlus%20V2.4.0");
}

TEST(WeathercloudRequest, ByteForByte) {
    EXPECT_EQ(weathercloud(makeUploadReading(sampleReading())),
              "/v01/set?wid=KST123&key=secret&"
              "tempin=215&temp=-53&dew=-80&chill=-91&humin=45&hum=87&wspd=34&wspdavg=34&"
              "wspdhi=100&wdir=68&wdiravg=68&bar=10132&rain=254&solarrad=1000&uvi=30&"
              "date=20240305&time=0907&type=391&ver=1.2");
}

TEST(WeathercloudRequest, AbsentReadingsAreSentAsMinus32768) {
    const std::string request = weathercloud(UploadReading{});
    EXPECT_NE(request.find("&hum=-32768&"), std::string::npos);
    EXPECT_NE(request.find("&solarrad=-32768&uvi=-32768&date="), std::string::npos);
}

TEST(UploadRequests, CredentialsAreEncodedSoTheyCannotSplitTheQuery) {
    UploadTarget t = target(2, 1);
    t.stationId = "id&x=1";
    t.password = "p w%=&\r\n\xC3\xA9";
    const std::string request =
        text(buildWundergroundRequest(kNimbraPlusIdentity, t, UploadReading{}, kSampleTime));
    EXPECT_NE(request.find("?ID=id%26x%3D1&PASSWORD=p%20w%25%3D%26%0D%0A%C3%A9&"),
              std::string::npos);

    // Every service's request target is one line of URL text, whatever the credentials hold.
    t.stationId = "a\rX-Injected: 1";
    for (const std::string& each :
         {text(buildWundergroundRequest(kNimbraPlusIdentity, t, UploadReading{}, kSampleTime)),
          text(buildWowRequest(kNimbraPlusIdentity, t, UploadReading{}, kSampleTime)),
          text(buildWeathercloudRequest(t, UploadReading{}, kSampleTime))}) {
        EXPECT_TRUE(std::all_of(each.begin(), each.end(), [](char c) {
            return c > ' ' && c < 0x7F;
        })) << each;
    }
}

TEST(UploadRequests, HostThatCannotBeSentGivesNoRequest) {
    for (const char* host :
         {"", "evil.org\r\nX-Injected: 1", "a b", "user@host", "host:81", "host/path"}) {
        UploadTarget t = target(2, 1);
        t.server = host;
        EXPECT_FALSE(buildWundergroundRequest(kNimbraPlusIdentity, t, UploadReading{}, kSampleTime))
            << host;
        EXPECT_FALSE(buildWowRequest(kNimbraPlusIdentity, t, UploadReading{}, kSampleTime));
        EXPECT_FALSE(buildWeathercloudRequest(t, UploadReading{}, kSampleTime));
    }
}

TEST(UploadRequests, RequestLongerThanTheLimitIsNotBuilt) {
    UploadTarget t = target(2, 1);
    // 49 four-byte characters each way: twelve bytes apiece once encoded.
    std::string wide;
    for (int i = 0; i < 49; ++i) {
        wide += "\xF0\x9F\x8C\xA7";
    }
    t.stationId = wide;
    t.password = wide;
    EXPECT_FALSE(buildWundergroundRequest(kNimbraPlusIdentity, t, UploadReading{}, kSampleTime));
    t.stationId = wide.substr(0, 20 * 4);
    t.password = "short";
    const auto fits =
        buildWundergroundRequest(kNimbraPlusIdentity, t, UploadReading{}, kSampleTime);
    ASSERT_TRUE(fits);
    EXPECT_LE(fits->target.size(), kRequestLimit);
}

TEST(UtcTime, BreaksASystemClockMomentDownInUtc) {
    using namespace std::chrono;
    const auto moment = sys_days{2024y / March / 5} + 9h + 7min + 5s + 999ms;
    EXPECT_EQ(utcTimeOf(moment), kSampleTime);
    EXPECT_EQ(utcTimeOf(sys_days{2023y / December / 31} + 23h + 59min + 59s),
              (UtcTime{2023, 12, 31, 23, 59, 59}));
}

}  // namespace
}  // namespace nimbra
