#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>

#include "core/history_record.h"
#include "mqtt/mqtt_settings.h"

namespace nimbra {

// What the publisher tells its listener. Each is reported when it differs from the one
// before, except Published, which follows every state the broker acknowledged.
enum class MqttEvent {
    off,          // switched off, or no broker named
    connected,    // "online" is published
    published,    // the broker has the new state
    unreachable,  // no connection: no broker there, or TLS failed; retried with back-off
    refused,      // the broker turned the connection down (user name or password, most
                  // often); retried with back-off
    lost,         // the connection broke; retried
};

// Receives the events on the publisher's thread; `detail` is "host:port", with the
// reason after it for the failures.
using MqttListener = std::function<void(MqttEvent event, const std::string& detail)>;

// How long the publisher pauses between tries (doubling from the first to the longest),
// waits for the broker's answer to a connect, and waits at a stop for "offline" to land.
struct MqttTiming {
    std::chrono::milliseconds firstRetry{1000};
    std::chrono::milliseconds longestRetry{60000};
    std::chrono::milliseconds connectTimeout{10000};
    std::chrono::milliseconds offlineWait{2000};
};

// Publishes the current reading to an MQTT broker from a thread of its own: the retained
// state at <topic>/state, "online" and "offline" at <topic>/status (the broker's last
// will says "offline" when the connection dies), and, with discovery on, one retained
// Home Assistant config per quantity the station supplies. Nothing here ever waits for
// the broker: publish() only hands the reading over, and a broker that is down or slow
// only delays the thread, which reconnects with growing pauses and then publishes the
// latest reading it was given.
class MqttPublisher {
public:
    // `node` names the station in discovery topics and is the client id.
    explicit MqttPublisher(std::string node, MqttTiming timing = {});
    ~MqttPublisher();
    MqttPublisher(const MqttPublisher&) = delete;
    MqttPublisher& operator=(const MqttPublisher&) = delete;

    void setListener(MqttListener listener);
    // Takes new settings: the thread starts at the first call and reconnects with the
    // new settings at once after a later one.
    void configure(MqttSettings settings);
    // The new current reading, published as soon as there is a connection.
    void publish(const HistoryRecord& current);
    // Says "offline", disconnects and ends the thread; later calls do nothing.
    void stop();

private:
    enum class Outcome { ended, failed, lost };
    struct Connection;

    void run(std::stop_token stop);
    Outcome connectAndServe(const MqttSettings& settings, std::stop_token stop);
    void report(MqttEvent event, const std::string& detail);
    // Waits until `pause` is over, the settings change or the thread is stopped.
    void pauseFor(std::chrono::milliseconds pause, std::stop_token stop);

    const std::string m_node;
    const MqttTiming m_timing;

    std::mutex m_mutex;
    std::condition_variable_any m_wake;
    MqttSettings m_settings;
    bool m_settingsChanged = false;
    std::optional<HistoryRecord> m_latest;
    bool m_stateDue = false;
    MqttListener m_listener;
    std::optional<MqttEvent> m_lastEvent;  // only the publisher's thread touches it
    bool m_stopped = false;
    std::jthread m_thread;  // last: stopped and joined before the members it uses go
};

}  // namespace nimbra
