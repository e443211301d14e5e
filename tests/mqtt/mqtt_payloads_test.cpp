// The state and discovery payloads, read back as JSON, field by field.
#include "mqtt/mqtt_payloads.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "core/absent.h"
#include "core/ole_date.h"
#include "tests/mqtt/sample_current.h"

namespace nimbra {
namespace {

using nlohmann::json;

TEST(MqttStatePayload, HoldsEveryReadingInCanonicalUnitsAndTheTimeInUtc) {
    const json state = json::parse(statePayload(testing::sampleCurrent()));
    const std::map<std::string, double> expected = {
        {"indoor_temperature", 21.5},
        {"indoor_humidity", 45},
        {"outdoor_temperature", -5.3},
        {"outdoor_humidity", 87},
        {"relative_pressure", 1013.2},
        {"absolute_pressure", 1003.5},
        {"wind_speed", 3.4},
        {"gust", 10.0},
        {"wind_direction", 67.5},
        {"wind_chill", -9.1},
        {"dew_point", -8.0},
        {"rain_hour", 0.3},
        {"rain_day", 25.4},
        {"rain_week", 25.7},
        {"rain_month", 60.0},
        {"rain_total", 1234.5},
        {"light", 12670.0},
        {"uv_index", 3},
    };
    EXPECT_EQ(state.size(), expected.size() + 1);
    for (const auto& [key, value] : expected) {
        ASSERT_TRUE(state.contains(key)) << key;
        // Exactly the decimal reading, not the float's binary neighbour.
        EXPECT_EQ(state[key].get<double>(), value) << key;
    }
    EXPECT_EQ(state["time"], testing::kSampleCurrentUtc);
}

TEST(MqttStatePayload, LeavesAbsentAndImpossibleReadingsOut) {
    HistoryRecord current = testing::sampleCurrent();
    current.OutTemp = kAbsent;
    current.OutHumi = kAbsentInt;
    current.Light = std::numeric_limits<float>::quiet_NaN();
    current.UV = kAbsentInt;
    current.WindDirection = 16;  // no compass point
    const json state = json::parse(statePayload(current));
    for (const char* key :
         {"outdoor_temperature", "outdoor_humidity", "light", "uv_index", "wind_direction"}) {
        EXPECT_FALSE(state.contains(key)) << key;
    }
    EXPECT_TRUE(state.contains("indoor_temperature"));
    EXPECT_EQ(state.size(), stationQuantities().size() - 5 + 1);  // and the time
}

TEST(MqttDiscoveryPayload, DescribesOneSensorOfTheStation) {
    struct Case {
        std::string_view key;
        const char* unit;
        const char* deviceClass;  // nullptr: none
        const char* stateClass;
    };
    for (const Case& c : {Case{"outdoor_temperature", "°C", "temperature", "measurement"},
                          Case{"rain_total", "mm", "precipitation", "total_increasing"},
                          Case{"relative_pressure", "hPa", "atmospheric_pressure", "measurement"},
                          Case{"uv_index", "UV index", nullptr, "measurement"}}) {
        const auto quantity = std::ranges::find(stationQuantities(), c.key, &StationQuantity::key);
        ASSERT_NE(quantity, stationQuantities().end()) << c.key;
        EXPECT_EQ(discoveryTopic("node1", *quantity),
                  "homeassistant/sensor/node1/" + std::string(c.key) + "/config");
        const json config = json::parse(discoveryPayload("node1", "home/station", *quantity));
        EXPECT_EQ(config["unique_id"], "node1_" + std::string(c.key));
        EXPECT_EQ(config["state_topic"], "home/station/state");
        EXPECT_EQ(config["availability_topic"], "home/station/status");
        EXPECT_EQ(config["value_template"], "{{ value_json." + std::string(c.key) + " }}");
        EXPECT_EQ(config["unit_of_measurement"], c.unit);
        EXPECT_EQ(config.contains("device_class"), c.deviceClass != nullptr) << c.key;
        if (c.deviceClass != nullptr) {
            EXPECT_EQ(config["device_class"], c.deviceClass);
        }
        EXPECT_EQ(config["state_class"], c.stateClass);
        EXPECT_FALSE(config["name"].get<std::string>().empty());
        EXPECT_EQ(config["device"]["identifiers"], json::array({"node1"}));
        EXPECT_EQ(config["device"]["model"], kStationModel);
    }
}

TEST(MqttNodeId, StaysWithTheDataFolderAndModel) {
    const auto folder = std::filesystem::temp_directory_path();
    const std::string node = stationNodeId(folder);
    EXPECT_THAT(node, ::testing::MatchesRegex("nimbraplus_[0-9a-f]{16}"));
    EXPECT_EQ(stationNodeId(folder / "."), node);
    EXPECT_NE(stationNodeId(folder / "other"), node);
    EXPECT_NE(stationNodeId(folder, "another model"), node);
}

}  // namespace
}  // namespace nimbra
