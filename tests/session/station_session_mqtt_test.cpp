// A session on the built-in emulator publishing to a real broker: what the broker keeps
// is the session's current reading, quantity by quantity.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <thread>

#include "mqtt/mqtt_payloads.h"
#include "session/in_process_station.h"
#include "session/station_session.h"
#include "station_link/exported_link.h"
#include "station_link/hidlink.h"
#include "tests/mqtt/test_broker.h"

namespace nimbra {
namespace {

namespace fs = std::filesystem;

struct QuietEvents : ViewEvents {
    void send(ViewEvent) override {}
    void progress(const DownloadProgress&) override {}
};

TEST(StationSessionMqtt, PublishesTheStoredCurrentReadingAfterThePass) {
    const fs::path folder =
        fs::temp_directory_path() / ("session-mqtt-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::string error;
    auto station = InProcessStation::start({100, 0.0, 31, std::nullopt}, error);
    ASSERT_TRUE(station) << error;
    testing::TestBroker broker;
    ASSERT_TRUE(broker.start());
    testing::TestSubscriber subscriber(broker.port());

    QuietEvents events;
    HistoryRecord current;
    {
        link::ExportedLink stationLink;
        StationSession session(stationLink, folder, events, {});
        ASSERT_TRUE(session.ok());
        std::atomic<bool> passed{false};
        session.onPassCompleted([&passed] { passed = true; });
        MqttSettings settings;
        settings.enable = true;
        settings.server = "127.0.0.1";
        settings.port = broker.port();
        settings.discovery = true;
        session.mqtt().configure(settings);
        session.start();
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!passed && std::chrono::steady_clock::now() < giveUp) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ASSERT_TRUE(passed);
        ASSERT_TRUE(subscriber.waitFor("nimbraplus/state"));
        session.stop();
        current = session.live().snapshot().m_Current;
    }
    ASSERT_TRUE(subscriber.waitFor("nimbraplus/status", 2));
    EXPECT_EQ(subscriber.latest().at("nimbraplus/status"), "offline");

    const auto state = nlohmann::json::parse(subscriber.latest().at("nimbraplus/state"));
    const std::string node = stationNodeId(folder);
    int present = 0;
    for (const StationQuantity& quantity : stationQuantities()) {
        const std::string key(quantity.key);
        const auto value = quantity.value(current);
        ASSERT_EQ(state.contains(key), value.has_value()) << key;
        if (value) {
            ++present;
            EXPECT_DOUBLE_EQ(state[key].get<double>(), *value) << key;
            EXPECT_FALSE(subscriber.payloads(discoveryTopic(node, quantity)).empty()) << key;
        }
    }
    EXPECT_GE(present, 15);  // the emulated station has every sensor but may miss a reading
    EXPECT_EQ(state["time"], isoUtcTime(current.Time));

    station.reset();
    CheckHandle();
    fs::remove_all(folder);
}

}  // namespace
}  // namespace nimbra
