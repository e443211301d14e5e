#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "core/history_record.h"

namespace nimbra {

// One quantity of the current reading as it is published: its key in the state object,
// its Home Assistant sensor description, and its value in canonical units.
struct StationQuantity {
    std::string_view key;
    std::string_view name;
    std::string_view unit;
    std::string_view deviceClass;  // empty: Home Assistant has no class for it
    std::string_view stateClass;
    // The value, or nothing when the station did not supply it.
    std::optional<double> (*value)(const HistoryRecord&);
};

// Every quantity of the current reading, in the order of the measurement slots, with
// the wind direction after the gust.
std::span<const StationQuantity> stationQuantities();

}  // namespace nimbra
