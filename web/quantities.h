#pragma once

#include <optional>
#include <span>
#include <string>

#include "core/history_record.h"
#include "core/station_data.h"
#include "store/record_columns.h"

namespace nimbra {

// How a reading is converted and written for the user.
enum class QuantityKind {
    indoorTemperature,
    outdoorTemperature,
    humidity,
    pressure,
    speed,
    direction,
    rain,
    light,
    uv,
};

// One quantity the web page shows and the history API serves, named like its column.
struct Quantity {
    const char* name;
    RecordColumn column;
    int slot;  // its place in the max/min time arrays; -1 when the station keeps none
    QuantityKind kind;
    int labelId;  // its name in the string tables
    bool live;    // shown among the live readings (the per-record rain is history only)
};

// In the order of the page and of the default history fields.
std::span<const Quantity> quantities();
const Quantity* findQuantity(std::string_view name);

// The value of `quantity` in `record`; nothing when the station did not supply it.
std::optional<double> quantityValue(const Quantity& quantity, const HistoryRecord& record);
// `value` (canonical units) in the unit the station's unit codes select.
double displayValue(const Quantity& quantity, double value, const ParamBlock& units);
// The unit's text ("°C", "hpa", "km/h", ...); empty where there is none.
std::string unitText(const Quantity& quantity, const ParamBlock& units);
// The reading as the main window writes it, unit included.
std::string shownText(const Quantity& quantity, const HistoryRecord& record,
                      const ParamBlock& units);

}  // namespace nimbra
