#pragma once

#include <string>

namespace nimbra {

// Where and how the current reading is published: the [MQTT] section of Main.ini.
struct MqttSettings {
    bool enable = false;
    std::string server;
    int port = 1883;
    bool tls = false;  // verify the broker's certificate against the system's trusted CAs
    std::string user;
    std::string password;
    std::string topic = "nimbraplus";  // base topic: <topic>/state and <topic>/status
    bool discovery = false;            // Home Assistant configs under homeassistant/

    friend bool operator==(const MqttSettings&, const MqttSettings&) = default;
};

inline constexpr int kMqttDefaultPort = 1883;
inline constexpr int kMqttTlsPort = 8883;
inline constexpr const char* kMqttDefaultTopic = "nimbraplus";

}  // namespace nimbra
