#pragma once

#include <optional>
#include <string_view>

#include "config/profile_file.h"
#include "mqtt/mqtt_settings.h"

namespace nimbra {

// The [MQTT] section of Main.ini: Enable, Server, Port, User, Password, Topic, Discovery.
// A missing or unusable Port is 1883, a missing Topic "nimbraplus"; port 8883 means TLS.
MqttSettings loadMqttSettings(const ProfileFile& config);

// Writes every key of the section; false as soon as one cannot be written.
bool saveMqttSettings(ProfileFile& config, const MqttSettings& settings);

// A port as the user typed it: a whole number of 1 to 65535, or nothing.
std::optional<int> parseMqttPort(std::string_view text);

}  // namespace nimbra
