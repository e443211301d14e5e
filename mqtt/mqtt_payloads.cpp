#include "mqtt/mqtt_payloads.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <nlohmann/json.hpp>
#include <system_error>

#include "core/ole_date.h"

namespace nimbra {

std::string stateTopic(std::string_view baseTopic) {
    return std::string(baseTopic) + "/state";
}

std::string statusTopic(std::string_view baseTopic) {
    return std::string(baseTopic) + "/status";
}

std::string stationNodeId(const std::filesystem::path& dataFolder, std::string_view model) {
    std::error_code error;
    std::filesystem::path folder = std::filesystem::weakly_canonical(dataFolder, error);
    if (error) {
        folder = dataFolder.lexically_normal();
    }
    // FNV-1a: the same on every build and every run, unlike std::hash.
    std::uint64_t hash = 14695981039346656037ULL;
    const auto mix = [&hash](std::string_view bytes) {
        for (const char c : bytes) {
            hash ^= static_cast<unsigned char>(c);
            hash *= 1099511628211ULL;
        }
    };
    mix(folder.string());
    mix(std::string_view("\0", 1));
    mix(model);
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return std::string("nimbraplus_") + hex;
}

std::string isoUtcTime(double oleDate) {
    const auto instant = OleDate(oleDate).toTimeT();
    std::tm utc{};
    if (!instant || gmtime_r(&*instant, &utc) == nullptr) {
        return {};
    }
    char text[32];
    if (std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc) == 0) {
        return {};
    }
    return text;
}

std::string statePayload(const HistoryRecord& current) {
    nlohmann::ordered_json state = nlohmann::ordered_json::object();
    const std::string time = isoUtcTime(current.Time);
    if (!time.empty()) {
        state["time"] = time;
    }
    for (const StationQuantity& quantity : stationQuantities()) {
        const auto value = quantity.value(current);
        if (!value) {
            continue;
        }
        // Whole values (humidity, UV, a calm wind) read as integers: 50, not 50.0.
        if (std::trunc(*value) == *value && std::abs(*value) < 1e9) {
            state[std::string(quantity.key)] = static_cast<std::int64_t>(*value);
        } else {
            state[std::string(quantity.key)] = *value;
        }
    }
    return state.dump();
}

std::string discoveryTopic(std::string_view node, const StationQuantity& quantity) {
    return std::string(kDiscoveryPrefix) + "/sensor/" + std::string(node) + "/" +
           std::string(quantity.key) + "/config";
}

std::string discoveryPayload(std::string_view node, std::string_view baseTopic,
                             const StationQuantity& quantity) {
    const std::string key(quantity.key);
    nlohmann::ordered_json config;
    config["name"] = quantity.name;
    config["unique_id"] = std::string(node) + "_" + key;
    config["state_topic"] = stateTopic(baseTopic);
    config["value_template"] = "{{ value_json." + key + " }}";
    config["unit_of_measurement"] = quantity.unit;
    if (!quantity.deviceClass.empty()) {
        config["device_class"] = quantity.deviceClass;
    }
    config["state_class"] = quantity.stateClass;
    config["availability_topic"] = statusTopic(baseTopic);
    config["device"] = {
        {"identifiers", {std::string(node)}},
        {"name", "NimbraPlus weather station"},
        {"model", kStationModel},
        {"manufacturer", "NimbraPlus"},
    };
    return config.dump();
}

}  // namespace nimbra
