#include <algorithm>

#include "core/absent.h"
#include "core/units.h"
#include "tests/web/web_fixture.h"

namespace nimbra::testing {
namespace {

using nlohmann::json;

const double kDay = OleDate::fromCivil(2024, 3, 5).value();

TEST_F(WebServerTest, HistoryRowsMatchTheStoreFieldByFieldInTheStationsUnits) {
    std::vector<HistoryRecord> records = fiveMinuteRecords(3);
    records[1].OutTemp = kAbsent;
    CStationData units;
    units.OutTempUnit = kFahrenheit;
    units.PressureUnit = kInchesOfMercury;
    serve(records, units);

    const json reply = getJson(
        "/api/history?from=2024-03-05&to=2024-03-05T00:15&fields=OutTemp,InHumi,RelPressure");
    EXPECT_EQ(reply["rows"], 3);
    EXPECT_EQ(reply["decimated"], false);
    EXPECT_EQ(reply["fields"], json({"Time", "OutTemp", "InHumi", "RelPressure"}));
    EXPECT_EQ(reply["units"],
              json({{"OutTemp", "\u00B0F"}, {"InHumi", "%"}, {"RelPressure", "inHg"}}));
    ASSERT_EQ(reply["data"].size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const json& row = reply["data"][i];
        const HistoryRecord& r = records[i];
        EXPECT_EQ(row[0], "2024-03-05T00:" +
                              std::string(i == 0   ? "05"
                                          : i == 1 ? "10"
                                                   : "15") +
                              ":00");
        if (i == 1) {
            EXPECT_TRUE(row[1].is_null());
        } else {
            EXPECT_FLOAT_EQ(row[1].get<float>(), ConvertTemperature(r.OutTemp, kFahrenheit));
        }
        EXPECT_EQ(row[2], r.InHumi);
        EXPECT_FLOAT_EQ(row[3].get<float>(), ConvertPressure(r.RelPressure, kInchesOfMercury));
    }
}

TEST_F(WebServerTest, ThinnedHistoryKeepsEveryPeak) {
    std::vector<HistoryRecord> records = fiveMinuteRecords(5000);
    for (std::size_t i = 0; i < records.size(); ++i) {
        records[i].OutTemp = static_cast<float>(i % 97) / 10.0f;
    }
    records[1234].OutTemp = 41.5f;
    records[3210].OutTemp = -30.25f;
    records[4000].Gust = 33.0f;
    serve(records);

    const json reply =
        getJson("/api/history?from=2024-03-05&to=2024-03-23&fields=OutTemp,Gust&points=200");
    EXPECT_EQ(reply["rows"], 5000);
    EXPECT_EQ(reply["decimated"], true);
    const json& data = reply["data"];
    EXPECT_LE(data.size(), 200u);
    EXPECT_GE(data.size(), 150u);
    float high = -100, low = 100, gust = 0;
    for (const json& row : data) {
        high = std::max(high, row[1].get<float>());
        low = std::min(low, row[1].get<float>());
        gust = std::max(gust, row[2].get<float>());
    }
    EXPECT_FLOAT_EQ(high, 41.5f);
    EXPECT_FLOAT_EQ(low, -30.25f);
    EXPECT_FLOAT_EQ(gust, 33.0f);
    EXPECT_TRUE(std::is_sorted(data.begin(), data.end(),
                               [](const json& a, const json& b) { return a[0] < b[0]; }));
}

TEST_F(WebServerTest, CurrentReadingWithExtremesUnitsAndShownTexts) {
    CStationData live;
    live.m_Current = sampleRecord(kDay + 0.5);
    live.m_Current.UV = kAbsentInt;
    live.m_Max.OutTemp = 12.5f;
    live.m_MaxTime[kSlotOutTemp] = kDay + 0.25;
    live.m_Min.Gust = 0.0f;
    live.WindUnit = kKilometresPerHour;
    serve({}, live);

    const json now = getJson("/api/current");
    EXPECT_EQ(now["Current"]["Time"], "2024-03-05T12:00:00");
    EXPECT_FLOAT_EQ(now["Current"]["OutTemp"].get<float>(), -7.9f);
    EXPECT_EQ(now["Current"]["OutHumi"], 88);
    EXPECT_TRUE(now["Current"]["UV"].is_null());
    EXPECT_FLOAT_EQ(now["Max"]["OutTemp"].get<float>(), 12.5f);
    EXPECT_EQ(now["MaxTime"]["OutTemp"], "2024-03-05T06:00:00");
    EXPECT_TRUE(now["MinTime"]["OutTemp"].is_null());
    EXPECT_EQ(now["Units"]["Wind"], "km/h");
    EXPECT_EQ(now["Shown"]["Current"]["OutTemp"], "-7.9 \u00B0C");
    EXPECT_EQ(now["Shown"]["Current"]["UV"], "--");
    EXPECT_EQ(now["Shown"]["Current"]["WindDirection"], "WSW");
    EXPECT_FALSE(now["Shown"]["Current"].contains("Rain"));
}

TEST_F(WebServerTest, BadInputIsRefusedNamingTheParameter) {
    serve(fiveMinuteRecords(2));
    const std::pair<const char*, const char*> cases[] = {
        {"/api/history?to=2024-03-06", "from"},
        {"/api/history?from=2024-03-05&to=yesterday", "to"},
        {"/api/history?from=2024-13-05&to=2024-03-06", "from"},
        {"/api/history?from=%2B2024-03-05&to=2024-03-06", "from"},
        {"/api/history?from=2024-03-07&to=2024-03-06", "from"},
        {"/api/history?from=2024-03-05&to=2024-03-06&fields=OutTemp,Password", "fields"},
        {"/api/history?from=2024-03-05&to=2024-03-06&fields=", "fields"},
        {"/api/history?from=2024-03-05&to=2024-03-06&points=1", "points"},
        {"/api/history?from=2024-03-05&to=2024-03-06&points=10001", "points"},
        {"/api/history?from=2024-03-05&to=2024-03-06&points=2k", "points"},
        {"/api/history.csv?from=2024-03-05", "to"},
    };
    for (const auto& [path, parameter] : cases) {
        const json reply = getJson(path, 400);
        EXPECT_EQ(reply["parameter"], parameter) << path;
        EXPECT_TRUE(reply["error"].is_string()) << path;
    }
    for (const char* path : {"/Main.ini", "/../Main.ini", "/js/../Main.ini", "/api", "/js/x.js"}) {
        EXPECT_EQ(get(path).first, 404) << path;
    }
    EXPECT_EQ(m_client->Post("/api/current", "x", "text/plain")->status, 404);
    // An oversized request is cut off, not served.
    const auto huge = m_client->Get("/api/current?x=" + std::string(20000, 'a'));
    EXPECT_TRUE(!huge || huge->status >= 400);
}

TEST_F(WebServerTest, CsvHasTheListsHeadingsAndOneLinePerRow) {
    serve(fiveMinuteRecords(1500));
    const auto [status, body] = get("/api/history.csv?from=2024-03-05&to=2024-03-11");
    ASSERT_EQ(status, 200);
    EXPECT_EQ(std::count(body.begin(), body.end(), '\n'), 1501);
    EXPECT_TRUE(body.starts_with("NO.,Time,Interval,Indoor Temperature(\u00B0C),"))
        << body.substr(0, 80);
    EXPECT_NE(body.find("\r\n1,2024-03-05 00:05:00,5,21.3,"), std::string::npos);
    EXPECT_NE(body.find("\r\n1500,"), std::string::npos);
}

TEST_F(WebServerTest, PageCarriesTheTextsOfTheLanguageAndTheChartScript) {
    serve({});
    const auto [status, page] = get("/");
    ASSERT_EQ(status, 200);
    EXPECT_NE(page.find("Outdoor Temperature"), std::string::npos);
    EXPECT_NE(page.find("js/dygraph.min.js"), std::string::npos);
    const auto [scriptStatus, script] = get("/js/dygraph.min.js");
    EXPECT_EQ(scriptStatus, 200);
    EXPECT_NE(script.find("Dygraph"), std::string::npos);
}

}  // namespace
}  // namespace nimbra::testing
