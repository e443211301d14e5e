#include "mqtt/station_quantities.h"

#include <array>
#include <cmath>

#include "core/absent.h"

namespace nimbra {

namespace {

// The station measures in tenths; the float's binary tail is not part of the reading.
std::optional<double> tenths(float value) {
    if (isAbsent(value) || !std::isfinite(value)) {
        return std::nullopt;
    }
    return std::round(static_cast<double>(value) * 10.0) / 10.0;
}

std::optional<double> whole(std::int32_t value) {
    if (isAbsent(value)) {
        return std::nullopt;
    }
    return static_cast<double>(value);
}

// The record holds one of the sixteen compass points.
std::optional<double> degrees(std::int32_t code) {
    if (code < 0 || code > 15) {
        return std::nullopt;
    }
    return code * 22.5;
}

template <float HistoryRecord::*Member>
std::optional<double> tenthsOf(const HistoryRecord& r) {
    return tenths(r.*Member);
}

template <std::int32_t HistoryRecord::*Member>
std::optional<double> wholeOf(const HistoryRecord& r) {
    return whole(r.*Member);
}

constexpr std::string_view kMeasurement = "measurement";

const std::array kQuantities{
    StationQuantity{"indoor_temperature", "Indoor Temperature", "°C", "temperature", kMeasurement,
                    tenthsOf<&HistoryRecord::InTemp>},
    StationQuantity{"indoor_humidity", "Indoor Humidity", "%", "humidity", kMeasurement,
                    wholeOf<&HistoryRecord::InHumi>},
    StationQuantity{"outdoor_temperature", "Outdoor Temperature", "°C", "temperature", kMeasurement,
                    tenthsOf<&HistoryRecord::OutTemp>},
    StationQuantity{"outdoor_humidity", "Outdoor Humidity", "%", "humidity", kMeasurement,
                    wholeOf<&HistoryRecord::OutHumi>},
    StationQuantity{"relative_pressure", "Relative Pressure", "hPa", "atmospheric_pressure",
                    kMeasurement, tenthsOf<&HistoryRecord::RelPressure>},
    StationQuantity{"absolute_pressure", "Absolute Pressure", "hPa", "atmospheric_pressure",
                    kMeasurement, tenthsOf<&HistoryRecord::AbsPressure>},
    StationQuantity{"wind_speed", "Wind Speed", "m/s", "wind_speed", kMeasurement,
                    tenthsOf<&HistoryRecord::Wind>},
    StationQuantity{"gust", "Gust", "m/s", "wind_speed", kMeasurement,
                    tenthsOf<&HistoryRecord::Gust>},
    StationQuantity{"wind_direction", "Wind Direction", "°", "", kMeasurement,
                    [](const HistoryRecord& r) { return degrees(r.WindDirection); }},
    StationQuantity{"wind_chill", "Wind Chill", "°C", "temperature", kMeasurement,
                    tenthsOf<&HistoryRecord::WindChill>},
    StationQuantity{"dew_point", "Dew Point", "°C", "temperature", kMeasurement,
                    tenthsOf<&HistoryRecord::DewPoint>},
    StationQuantity{"rain_hour", "Hour Rainfall", "mm", "precipitation", kMeasurement,
                    tenthsOf<&HistoryRecord::Rain1>},
    StationQuantity{"rain_day", "24 Hour Rainfall", "mm", "precipitation", kMeasurement,
                    tenthsOf<&HistoryRecord::Rain2>},
    StationQuantity{"rain_week", "Week Rainfall", "mm", "precipitation", kMeasurement,
                    tenthsOf<&HistoryRecord::Rain3>},
    StationQuantity{"rain_month", "Month Rainfall", "mm", "precipitation", kMeasurement,
                    tenthsOf<&HistoryRecord::Rain4>},
    StationQuantity{"rain_total", "Total Rainfall", "mm", "precipitation", "total_increasing",
                    tenthsOf<&HistoryRecord::Rain5>},
    StationQuantity{"light", "Light", "lx", "illuminance", kMeasurement,
                    tenthsOf<&HistoryRecord::Light>},
    StationQuantity{"uv_index", "UV Index", "UV index", "", kMeasurement,
                    wholeOf<&HistoryRecord::UV>},
};

}  // namespace

std::span<const StationQuantity> stationQuantities() {
    return kQuantities;
}

}  // namespace nimbra
