#include "config/mqtt_settings.h"

#include <charconv>
#include <string>

namespace nimbra {

namespace {

constexpr const char* kSection = "MQTT";

}  // namespace

std::optional<int> parseMqttPort(std::string_view text) {
    int port = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (error != std::errc() || end != text.data() + text.size() || port < 1 || port > 65535) {
        return std::nullopt;
    }
    return port;
}

MqttSettings loadMqttSettings(const ProfileFile& config) {
    const auto read = [&config](const char* key) { return config.readString(kSection, key); };
    MqttSettings settings;
    settings.enable = read("Enable") == "1";
    settings.server = read("Server");
    settings.port = parseMqttPort(read("Port")).value_or(kMqttDefaultPort);
    settings.tls = settings.port == kMqttTlsPort;
    settings.user = read("User");
    settings.password = read("Password");
    settings.topic = read("Topic");
    if (settings.topic.empty()) {
        settings.topic = kMqttDefaultTopic;
    }
    settings.discovery = read("Discovery") == "1";
    return settings;
}

bool saveMqttSettings(ProfileFile& config, const MqttSettings& settings) {
    const std::pair<const char*, std::string> entries[] = {
        {"Enable", settings.enable ? "1" : "0"},
        {"Server", settings.server},
        {"Port", std::to_string(settings.port)},
        {"User", settings.user},
        {"Password", settings.password},
        {"Topic", settings.topic},
        {"Discovery", settings.discovery ? "1" : "0"},
    };
    for (const auto& [key, value] : entries) {
        if (!config.writeString(kSection, key, value)) {
            return false;
        }
    }
    return true;
}

}  // namespace nimbra
