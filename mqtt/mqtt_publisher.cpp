#include "mqtt/mqtt_publisher.h"

#include <mosquitto.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <set>

#include "mqtt/mqtt_payloads.h"
#include "mqtt/station_quantities.h"

namespace nimbra {

namespace {

constexpr int kKeepAliveSeconds = 30;
constexpr int kLoopMilliseconds = 100;  // how soon a new reading or a stop is noticed
constexpr int kQos = 1;

std::once_flag g_libraryReady;

std::string reasonOf(int rc) {
    if (rc == MOSQ_ERR_ERRNO) {
        return std::strerror(errno);
    }
    return mosquitto_strerror(rc);
}

}  // namespace

// What the library's callbacks, run inside mosquitto_loop on the publisher's thread,
// leave for the loop to act on.
struct MqttPublisher::Connection {
    int connack = -1;  // the broker's answer to the connect; -1 until it comes
    int stateMid = -1;
    bool stateAcknowledged = false;
    int offlineMid = -1;
    bool offlineAcknowledged = false;
    std::set<std::string_view> announced;  // discovery configs sent on this connection

    static void onConnect(mosquitto*, void* self, int rc) {
        static_cast<Connection*>(self)->connack = rc;
    }
    static void onPublish(mosquitto*, void* self, int mid) {
        auto* connection = static_cast<Connection*>(self);
        connection->stateAcknowledged |= mid == connection->stateMid;
        connection->offlineAcknowledged |= mid == connection->offlineMid;
    }
};

MqttPublisher::MqttPublisher(std::string node, MqttTiming timing)
    : m_node(std::move(node)), m_timing(timing) {
    std::call_once(g_libraryReady, [] { mosquitto_lib_init(); });
}

MqttPublisher::~MqttPublisher() {
    stop();
}

void MqttPublisher::setListener(MqttListener listener) {
    const std::lock_guard lock(m_mutex);
    m_listener = std::move(listener);
}

void MqttPublisher::configure(MqttSettings settings) {
    const std::lock_guard lock(m_mutex);
    if (m_stopped) {
        return;
    }
    m_settings = std::move(settings);
    m_settingsChanged = true;
    if (!m_thread.joinable()) {
        m_thread = std::jthread([this](std::stop_token stop) { run(stop); });
    }
    m_wake.notify_all();
}

void MqttPublisher::publish(const HistoryRecord& current) {
    const std::lock_guard lock(m_mutex);
    m_latest = current;
    m_stateDue = true;
}

void MqttPublisher::stop() {
    {
        const std::lock_guard lock(m_mutex);
        if (m_stopped) {
            return;
        }
        m_stopped = true;
    }
    if (m_thread.joinable()) {
        m_thread.request_stop();
        m_thread.join();
    }
}

void MqttPublisher::report(MqttEvent event, const std::string& detail) {
    if (event == m_lastEvent && event != MqttEvent::published) {
        return;
    }
    m_lastEvent = event;
    MqttListener listener;
    {
        const std::lock_guard lock(m_mutex);
        listener = m_listener;
    }
    if (listener) {
        listener(event, detail);
    }
}

void MqttPublisher::pauseFor(std::chrono::milliseconds pause, std::stop_token stop) {
    std::unique_lock lock(m_mutex);
    m_wake.wait_for(lock, stop, pause, [this] { return m_settingsChanged; });
}

void MqttPublisher::run(std::stop_token stop) {
    auto pause = m_timing.firstRetry;
    while (!stop.stop_requested()) {
        MqttSettings settings;
        {
            const std::lock_guard lock(m_mutex);
            settings = m_settings;
            m_settingsChanged = false;
        }
        if (!settings.enable || settings.server.empty()) {
            report(MqttEvent::off, {});
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, stop, [this] { return m_settingsChanged; });
            continue;
        }
        const Outcome outcome = connectAndServe(settings, stop);
        if (outcome == Outcome::ended) {
            pause = m_timing.firstRetry;
            continue;
        }
        if (outcome == Outcome::lost) {
            pause = m_timing.firstRetry;
        }
        pauseFor(pause, stop);
        pause = std::min(pause * 2, m_timing.longestRetry);
    }
}

MqttPublisher::Outcome MqttPublisher::connectAndServe(const MqttSettings& settings,
                                                      std::stop_token stop) {
    const std::string where = settings.server + ":" + std::to_string(settings.port);
    Connection connection;
    const std::unique_ptr<mosquitto, decltype(&mosquitto_destroy)> client(
        mosquitto_new(m_node.c_str(), true, &connection), mosquitto_destroy);
    if (!client) {
        report(MqttEvent::unreachable, where + ": " + reasonOf(MOSQ_ERR_NOMEM));
        return Outcome::failed;
    }
    mosquitto* mosq = client.get();
    mosquitto_int_option(mosq, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    const std::string status = statusTopic(settings.topic);
    mosquitto_will_set(mosq, status.c_str(), 7, "offline", kQos, true);
    if (!settings.user.empty()) {
        mosquitto_username_pw_set(mosq, settings.user.c_str(),
                                  settings.password.empty() ? nullptr : settings.password.c_str());
    }
    if (settings.tls) {
        // OpenSSL's default trust: the system's CAs, or SSL_CERT_FILE / SSL_CERT_DIR when set.
        // The broker's name is checked against its certificate.
        mosquitto_int_option(mosq, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
        mosquitto_tls_opts_set(mosq, 1, nullptr, nullptr);
    }
    mosquitto_connect_callback_set(mosq, &Connection::onConnect);
    mosquitto_publish_callback_set(mosq, &Connection::onPublish);

    int rc =
        mosquitto_connect_async(mosq, settings.server.c_str(), settings.port, kKeepAliveSeconds);
    if (rc != MOSQ_ERR_SUCCESS) {
        report(MqttEvent::unreachable, where + ": " + reasonOf(rc));
        return Outcome::failed;
    }
    const auto publishText = [mosq](const std::string& topic, const std::string& text, int* mid) {
        mosquitto_publish(mosq, mid, topic.c_str(), static_cast<int>(text.size()), text.data(),
                          kQos, true);
    };
    const auto deadline = std::chrono::steady_clock::now() + m_timing.connectTimeout;
    bool connected = false;
    for (;;) {
        rc = mosquitto_loop(mosq, kLoopMilliseconds, 1);
        if (!connected && connection.connack >= 0) {
            if (connection.connack != 0) {
                report(MqttEvent::refused,
                       where + ": " + mosquitto_connack_string(connection.connack));
                return Outcome::failed;
            }
            connected = true;
            publishText(status, "online", nullptr);
            report(MqttEvent::connected, where);
            // A broker that restarted may have lost the retained state: send it again.
            const std::lock_guard lock(m_mutex);
            m_stateDue = m_latest.has_value();
        }
        if (rc != MOSQ_ERR_SUCCESS) {
            report(connected ? MqttEvent::lost : MqttEvent::unreachable,
                   where + ": " + reasonOf(rc));
            return connected ? Outcome::lost : Outcome::failed;
        }
        if (!connected && std::chrono::steady_clock::now() > deadline) {
            report(MqttEvent::unreachable, where + ": no answer from the broker");
            return Outcome::failed;
        }
        if (connection.stateAcknowledged) {
            connection.stateAcknowledged = false;
            report(MqttEvent::published, where);
        }
        std::optional<HistoryRecord> due;
        {
            const std::lock_guard lock(m_mutex);
            if (stop.stop_requested() || m_settingsChanged) {
                break;
            }
            if (connected && m_stateDue) {
                m_stateDue = false;
                due = m_latest;
            }
        }
        if (!due) {
            continue;
        }
        if (settings.discovery) {
            for (const StationQuantity& quantity : stationQuantities()) {
                if (quantity.value(*due) && connection.announced.insert(quantity.key).second) {
                    publishText(discoveryTopic(m_node, quantity),
                                discoveryPayload(m_node, settings.topic, quantity), nullptr);
                }
            }
        }
        publishText(stateTopic(settings.topic), statePayload(*due), &connection.stateMid);
    }

    if (connected) {
        publishText(status, "offline", &connection.offlineMid);
        const auto giveUp = std::chrono::steady_clock::now() + m_timing.offlineWait;
        while (!connection.offlineAcknowledged && std::chrono::steady_clock::now() < giveUp &&
               mosquitto_loop(mosq, kLoopMilliseconds, 1) == MOSQ_ERR_SUCCESS) {
        }
        mosquitto_disconnect(mosq);
    }
    return Outcome::ended;
}

}  // namespace nimbra
