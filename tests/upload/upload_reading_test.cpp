#include "upload/upload_reading.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/absent.h"
#include "tests/support/sample_records.h"
#include "upload/upload_service_config.h"
#include "upload/upload_target.h"

namespace nimbra {
namespace {

using testing::absentRecord;

TEST(UploadReading, AbsentReadingsBecomeTheUploadMarkers) {
    UploadReading expected;  // every field starts as its marker
    expected.solar = 1;
    EXPECT_EQ(makeUploadReading(absentRecord()), expected);
    EXPECT_EQ(expected.outTemp, 0x7FFF);
    EXPECT_EQ(expected.outHumi, 0x7F);
    EXPECT_EQ(expected.rainRate, 0x7FFFFFFF);
}

TEST(UploadReading, TemperaturesRoundHalfAwayFromZero) {
    const struct {
        float celsius;
        std::int16_t tenths;
    } cases[] = {
        {-0.04f, 0},
        {-0.05f, -1},
        {0.05f, 1},
        {0.04f, 0},
        {21.5f, 215},
        {-5.3f, -53},
        {-17.8f, -178},
        {-40.0f, -400},
        {65534.9f, 0x7FFF},  // out of range
        {std::numeric_limits<float>::quiet_NaN(), 0x7FFF},
    };
    for (const auto& c : cases) {
        HistoryRecord r = absentRecord();
        r.OutTemp = c.celsius;
        r.DewPoint = c.celsius;
        const UploadReading reading = makeUploadReading(r);
        EXPECT_EQ(reading.outTemp, c.tenths) << c.celsius;
        EXPECT_EQ(reading.dewPoint, c.tenths) << c.celsius;
    }
}

TEST(UploadReading, OnlyExactly65535IsAbsent) {
    HistoryRecord r = absentRecord();
    r.Light = std::nextafter(kAbsent, 0.0f);
    r.Rain2 = std::nextafter(kAbsent, 0.0f);
    const UploadReading reading = makeUploadReading(r);
    EXPECT_EQ(reading.light, 655350);
    EXPECT_EQ(reading.rainDay, 655350);
}

TEST(UploadReading, PositiveQuantitiesRoundAndRejectNonsense) {
    HistoryRecord r = absentRecord();
    r.Wind = 3.4f;
    r.Gust = 10.0f;
    r.AbsPressure = 1003.5f;
    r.RelPressure = 1013.2f;
    r.Rain2 = 25.4f;
    r.Rain3 = 0.3f;
    r.Rain4 = -0.04f;  // a rounding error around zero is still zero
    r.RainYear = -1.0f;
    r.Light = 12670.0f;
    const UploadReading reading = makeUploadReading(r);
    EXPECT_EQ(reading.wind, 34);
    EXPECT_EQ(reading.gust, 100);
    EXPECT_EQ(reading.absPressure, 10035);
    EXPECT_EQ(reading.relPressure, 10132);
    EXPECT_EQ(reading.rainDay, 254);
    EXPECT_EQ(reading.rainWeek, 3);
    EXPECT_EQ(reading.rainMonth, 0);
    EXPECT_EQ(reading.rainYear, 0x7FFFFFFF);  // negative rain is not sent as a wrapped number
    EXPECT_EQ(reading.light, 126700);
    EXPECT_EQ(reading.rainRate, 0x7FFFFFFF);

    r.Wind = -2.0f;
    r.Gust = 7000.0f;  // beyond 16 bits of tenths
    const UploadReading nonsense = makeUploadReading(r);
    EXPECT_EQ(nonsense.wind, 0x7FFF);
    EXPECT_EQ(nonsense.gust, 0x7FFF);
}

TEST(UploadReading, WindDirectionCodesBecomeDegrees) {
    const int degrees[] = {0,   23,  45,  68,  90,  113, 135, 158,
                           180, 203, 225, 248, 270, 293, 315, 338};
    HistoryRecord r = absentRecord();
    for (int code = 0; code < 16; ++code) {
        r.WindDirection = code;
        EXPECT_EQ(makeUploadReading(r).windDirection, degrees[code]) << code;
    }
    for (int code : {kAbsentInt, 16, -1}) {
        r.WindDirection = code;
        EXPECT_EQ(makeUploadReading(r).windDirection, 0x7FFF) << code;
    }
}

TEST(UploadReading, HumidityAndUvKeepTheirIntegers) {
    HistoryRecord r = absentRecord();
    r.InHumi = 45;
    r.OutHumi = 100;
    r.UV = 3;
    const UploadReading reading = makeUploadReading(r);
    EXPECT_EQ(reading.inHumi, 45);
    EXPECT_EQ(reading.outHumi, 100);
    EXPECT_EQ(reading.uv, 3);
}

TEST(UploadTarget, ParsesNumbersCutsCredentialsAndNeverTheServer) {
    UploadServiceConfig config;
    config.m_Server = std::string(47, 'h') + "\xC3\xA9\xC3\xA9";     // 49 characters
    config.m_StationID = std::string(48, 'a') + "\xC3\xA9\xC3\xA9";  // 50 characters, two é
    config.m_Password = "pw";
    config.m_ServerType = "2";
    config.m_UploadType = " 1x";
    config.m_ServerPort = "8080";
    const auto target = makeUploadTarget(config);
    ASSERT_TRUE(target);
    EXPECT_EQ(target->server, config.m_Server);
    EXPECT_EQ(target->stationId, std::string(48, 'a') + "\xC3\xA9");
    EXPECT_EQ(target->password, "pw");
    EXPECT_EQ(target->serverType, 2);
    EXPECT_EQ(target->uploadType, 1);
    EXPECT_EQ(target->port, 8080);

    // One character more could be cut to a name someone else owns.
    config.m_Server = std::string(38, 'a') + ".localhost.example.org";
    EXPECT_FALSE(makeUploadTarget(config));
}

TEST(UploadTarget, PortOutsideTheTcpRangeIsNoPort) {
    for (const char* text : {"70000", "-80", "", "http", "0"}) {
        UploadServiceConfig config;
        config.m_ServerPort = text;
        EXPECT_EQ(makeUploadTarget(config)->port, 0) << text;
    }
}

TEST(ParseConfigInt, LeadingDigitsRule) {
    const struct {
        const char* text;
        int value;
    } cases[] = {
        {"1", 1},
        {"0", 0},
        {"", 0},
        {"abc", 0},
        {" 42", 42},
        {"12ab", 12},
        {"-7", -7},
        {"+3", 3},
        {"99999999999", std::numeric_limits<int>::max()},
        {"-99999999999", std::numeric_limits<int>::min()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseConfigInt(c.text), c.value) << '"' << c.text << '"';
    }
}

}  // namespace
}  // namespace nimbra
