// The publisher against a real mosquitto broker on 127.0.0.1.
#include "mqtt/mqtt_publisher.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <nlohmann/json.hpp>
#include <vector>

#include "mqtt/mqtt_payloads.h"
#include "tests/mqtt/sample_current.h"
#include "tests/mqtt/test_broker.h"

namespace nimbra {
namespace {

using testing::TestBroker;
using testing::TestSubscriber;
using Clock = std::chrono::steady_clock;

constexpr const char* kNode = "nimbraplus_test";

// Short pauses, so that the reconnects of a test take a second rather than minutes.
constexpr MqttTiming kQuick{.firstRetry = std::chrono::milliseconds(100),
                            .longestRetry = std::chrono::milliseconds(400),
                            .connectTimeout = std::chrono::milliseconds(3000),
                            .offlineWait = std::chrono::milliseconds(2000)};

// The events the publisher reported, in order.
class EventLog {
public:
    MqttListener listener() {
        return [this](MqttEvent event, const std::string& detail) {
            const std::lock_guard lock(m_mutex);
            m_events.push_back(event);
            m_details.push_back(detail);
            m_changed.notify_all();
        };
    }
    // Waits until `event` has been reported `count` times in all.
    bool waitFor(MqttEvent event, int count = 1) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(10),
                                  [&] { return std::ranges::count(m_events, event) >= count; });
    }
    std::vector<MqttEvent> events() const {
        const std::lock_guard lock(m_mutex);
        return m_events;
    }
    std::string lastDetail() const {
        const std::lock_guard lock(m_mutex);
        return m_details.empty() ? std::string() : m_details.back();
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<MqttEvent> m_events;
    std::vector<std::string> m_details;
};

MqttSettings settingsFor(const TestBroker& broker) {
    MqttSettings settings;
    settings.enable = true;
    settings.server = "127.0.0.1";
    settings.port = broker.port();
    settings.topic = "weather/garden";
    settings.discovery = true;
    return settings;
}

TEST(MqttPublisher, LeavesRetainedDiscoveryAndStateAndSaysOnlineThenOffline) {
    TestBroker broker;
    ASSERT_TRUE(broker.start());
    TestSubscriber subscriber(broker.port());
    HistoryRecord current = testing::sampleCurrent();
    current.Light = 65535.0f;  // a station without the light sensor
    EventLog log;
    {
        MqttPublisher publisher(kNode, kQuick);
        publisher.setListener(log.listener());
        publisher.configure(settingsFor(broker));
        publisher.publish(current);
        ASSERT_TRUE(log.waitFor(MqttEvent::published));
    }
    ASSERT_TRUE(subscriber.waitFor("weather/garden/status", 2));
    EXPECT_THAT(subscriber.payloads("weather/garden/status"),
                ::testing::ElementsAre("online", "offline"));
    EXPECT_THAT(log.events(), ::testing::ElementsAre(MqttEvent::connected, MqttEvent::published));

    // What a newcomer gets: the retained messages alone.
    TestSubscriber newcomer(broker.port());
    ASSERT_TRUE(newcomer.waitFor("weather/garden/state"));
    ASSERT_TRUE(newcomer.waitFor("weather/garden/status"));
    for (const StationQuantity& quantity : stationQuantities()) {
        if (quantity.value(current)) {
            ASSERT_TRUE(newcomer.waitFor(discoveryTopic(kNode, quantity))) << quantity.key;
        }
    }
    const auto retained = newcomer.latest();
    const auto state = nlohmann::json::parse(retained.at("weather/garden/state"));
    for (const StationQuantity& quantity : stationQuantities()) {
        const std::string key(quantity.key);
        const auto value = quantity.value(current);
        const std::string topic = discoveryTopic(kNode, quantity);
        ASSERT_EQ(state.contains(key), value.has_value()) << key;
        ASSERT_EQ(retained.contains(topic), value.has_value()) << topic;
        if (value) {
            EXPECT_DOUBLE_EQ(state[key].get<double>(), *value) << key;
            EXPECT_EQ(retained.at(topic), discoveryPayload(kNode, "weather/garden", quantity));
        }
    }
    EXPECT_EQ(state["time"], testing::kSampleCurrentUtc);
    EXPECT_EQ(retained.at("weather/garden/status"), "offline");
}

TEST(MqttPublisher, WaitsForABrokerThatIsDownAndPublishesAgainWhenItReturns) {
    TestBroker broker;
    EventLog log;
    MqttPublisher publisher(kNode, kQuick);
    publisher.setListener(log.listener());
    MqttSettings settings = settingsFor(broker);
    settings.discovery = false;
    publisher.configure(settings);
    publisher.publish(testing::sampleCurrent());
    ASSERT_TRUE(log.waitFor(MqttEvent::unreachable));

    ASSERT_TRUE(broker.start());
    ASSERT_TRUE(log.waitFor(MqttEvent::published));

    broker.stop();
    ASSERT_TRUE(log.waitFor(MqttEvent::lost));
    HistoryRecord later = testing::sampleCurrent();
    later.OutTemp = 7.5f;
    const auto handedOver = Clock::now();
    publisher.publish(later);  // the caller never waits for the broker
    EXPECT_LT(Clock::now() - handedOver, std::chrono::milliseconds(50));

    ASSERT_TRUE(broker.start());
    TestSubscriber subscriber(broker.port());
    ASSERT_TRUE(log.waitFor(MqttEvent::published, 2));
    ASSERT_TRUE(subscriber.waitFor("weather/garden/state"));
    EXPECT_EQ(subscriber.latest().at("weather/garden/state"), statePayload(later));
    EXPECT_EQ(subscriber.latest().at("weather/garden/status"), "online");
}

TEST(MqttPublisher, PublishesOnlyWithTheRightPassword) {
    const std::pair<std::string, std::string> account{"station", "s3cret"};
    TestBroker broker({.account = account, .certificate = std::nullopt});
    ASSERT_TRUE(broker.start());
    TestSubscriber subscriber(broker.port(), account);
    for (const auto& [password, outcome] :
         {std::pair{"wrong", MqttEvent::refused}, std::pair{"s3cret", MqttEvent::published}}) {
        EventLog log;
        MqttTiming slow = kQuick;
        slow.firstRetry = std::chrono::seconds(30);
        MqttPublisher publisher(kNode, slow);
        publisher.setListener(log.listener());
        MqttSettings settings = settingsFor(broker);
        settings.user = account.first;
        settings.password = password;
        publisher.configure(settings);
        publisher.publish(testing::sampleCurrent());
        ASSERT_TRUE(log.waitFor(outcome)) << password;
        if (outcome == MqttEvent::published) {
            EXPECT_TRUE(subscriber.waitFor("weather/garden/state"));
        } else {
            EXPECT_THAT(subscriber.payloads("weather/garden/state"), ::testing::IsEmpty());
        }
        // Stopping in the middle of a long pause before the next try takes no time.
        const auto stopping = Clock::now();
        publisher.stop();
        EXPECT_LT(Clock::now() - stopping, std::chrono::seconds(3));
    }
}

// The test program trusts tests/data/mqtt/ca.pem through SSL_CERT_FILE.
TEST(MqttPublisher, OverTlsTrustsOnlyACertifiedBrokerOfTheNameItAskedFor) {
    struct Case {
        const char* certificate;
        const char* server;
        MqttEvent outcome;
    };
    for (const Case& c : {Case{"server", "127.0.0.1", MqttEvent::published},
                          Case{"stranger", "127.0.0.1", MqttEvent::unreachable},
                          Case{"server", "localhost", MqttEvent::unreachable}}) {
        TestBroker broker({.account = std::nullopt, .certificate = c.certificate});
        ASSERT_TRUE(broker.start());
        EventLog log;
        MqttPublisher publisher(kNode, kQuick);
        publisher.setListener(log.listener());
        MqttSettings settings = settingsFor(broker);
        settings.server = c.server;
        settings.tls = true;
        publisher.configure(settings);
        publisher.publish(testing::sampleCurrent());
        ASSERT_TRUE(log.waitFor(c.outcome)) << c.certificate << " " << c.server;
        EXPECT_EQ(std::ranges::count(log.events(), MqttEvent::connected),
                  c.outcome == MqttEvent::published ? 1 : 0)
            << log.lastDetail();
    }
}

TEST(MqttPublisher, SwitchedOffSaysSoAndConnectsWhenSwitchedOn) {
    TestBroker broker;
    ASSERT_TRUE(broker.start());
    EventLog log;
    MqttPublisher publisher(kNode, kQuick);
    publisher.setListener(log.listener());
    MqttSettings settings = settingsFor(broker);
    settings.enable = false;
    publisher.configure(settings);
    publisher.publish(testing::sampleCurrent());
    ASSERT_TRUE(log.waitFor(MqttEvent::off));
    settings.enable = true;
    publisher.configure(settings);
    ASSERT_TRUE(log.waitFor(MqttEvent::published));
}

}  // namespace
}  // namespace nimbra
