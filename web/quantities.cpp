#include "web/quantities.h"

#include <array>
#include <variant>

#include "config/string_ids.h"
#include "core/absent.h"
#include "core/text_forms.h"
#include "core/units.h"
#include "report/history_table.h"
#include "report/live_texts.h"

namespace nimbra {

namespace {

using K = QuantityKind;
using C = RecordColumn;

constexpr std::array<Quantity, 19> kQuantities = {{
    {"InTemp", C::InTemp, kSlotInTemp, K::indoorTemperature, kTextIndoorTemperature, true},
    {"InHumi", C::InHumi, kSlotInHumi, K::humidity, kTextIndoorHumidity, true},
    {"OutTemp", C::OutTemp, kSlotOutTemp, K::outdoorTemperature, kTextOutdoorTemperature, true},
    {"OutHumi", C::OutHumi, kSlotOutHumi, K::humidity, kTextOutdoorHumidity, true},
    {"RelPressure", C::RelPressure, kSlotRelPressure, K::pressure, kTextRelativePressure, true},
    {"AbsPressure", C::AbsPressure, kSlotAbsPressure, K::pressure, kTextAbsolutePressure, true},
    {"Wind", C::Wind, kSlotWind, K::speed, kTextWindSpeed, true},
    {"Gust", C::Gust, kSlotGust, K::speed, kTextGust, true},
    {"WindDirection", C::WindDirection, -1, K::direction, kTextWindDirection, true},
    {"DewPoint", C::DewPoint, kSlotDewPoint, K::outdoorTemperature, kTextDewPoint, true},
    {"WindChill", C::WindChill, kSlotWindChill, K::outdoorTemperature, kTextWindChill, true},
    {"Rain", C::Rain, -1, K::rain, kTextRainfall, false},
    {"Rain1", C::Rain1, kSlotRainHour, K::rain, kTextHourRainfall, true},
    {"Rain2", C::Rain2, kSlotRainDay, K::rain, kTextDayRainfall, true},
    {"Rain3", C::Rain3, kSlotRainWeek, K::rain, kTextWeekRainfall, true},
    {"Rain4", C::Rain4, kSlotRainMonth, K::rain, kTextMonthRainfall, true},
    {"Rain5", C::Rain5, kSlotRainTotal, K::rain, kTextTotalRainfall, true},
    {"Light", C::Light, kSlotLight, K::light, kTextLight, true},
    {"UV", C::UV, kSlotUV, K::uv, kTextUvi, true},
}};

}  // namespace

std::span<const Quantity> quantities() {
    return kQuantities;
}

const Quantity* findQuantity(std::string_view name) {
    for (const Quantity& q : kQuantities) {
        if (name == q.name) {
            return &q;
        }
    }
    return nullptr;
}

std::optional<double> quantityValue(const Quantity& quantity, const HistoryRecord& record) {
    const auto& field = recordFields()[static_cast<std::size_t>(quantity.column)];
    return std::visit(
        [&record](auto member) -> std::optional<double> {
            const auto value = record.*member;
            if constexpr (std::is_same_v<decltype(value), const double>) {
                return value;
            } else {
                if (isAbsent(value)) {
                    return std::nullopt;
                }
                return static_cast<double>(value);
            }
        },
        field.member);
}

double displayValue(const Quantity& quantity, double value, const ParamBlock& units) {
    const auto f = static_cast<float>(value);
    switch (quantity.kind) {
        case K::indoorTemperature:
            return ConvertTemperature(f, units.InTempUnit);
        case K::outdoorTemperature:
            return ConvertTemperature(f, units.OutTempUnit);
        case K::pressure:
            return ConvertPressure(f, units.PressureUnit);
        case K::speed:
            return ConvertWindSpeed(f, units.WindUnit);
        case K::rain:
            return ConvertRain(f, units.RainUnit);
        case K::light:
            return ConvertLight(f, units.LightUnit);
        case K::humidity:
        case K::direction:
        case K::uv:
            return value;
    }
    return value;
}

std::string unitText(const Quantity& quantity, const ParamBlock& units) {
    const HistoryUnitTexts texts = HistoryUnitTexts::from(units);
    switch (quantity.kind) {
        case K::indoorTemperature:
            return texts.inTemp;
        case K::outdoorTemperature:
            return texts.outTemp;
        case K::pressure:
            return texts.pressure;
        case K::speed:
            return texts.wind;
        case K::rain:
            return texts.rain;
        case K::light:
            return texts.light;
        case K::humidity:
            return "%";
        case K::direction:
        case K::uv:
            return "";
    }
    return "";
}

std::string shownText(const Quantity& quantity, const HistoryRecord& record,
                      const ParamBlock& units) {
    const auto& field = recordFields()[static_cast<std::size_t>(quantity.column)];
    const auto asFloat = [&] { return record.*std::get<float HistoryRecord::*>(field.member); };
    const auto asInt = [&] {
        return record.*std::get<std::int32_t HistoryRecord::*>(field.member);
    };
    switch (quantity.kind) {
        case K::indoorTemperature:
            return TemperatureText(asFloat(), units.InTempUnit);
        case K::outdoorTemperature:
            return TemperatureText(asFloat(), units.OutTempUnit);
        case K::pressure:
            return PressureText(asFloat(), units.PressureUnit);
        case K::speed:
            return FormatWindSpeed(asFloat(), units.WindUnit, kNumberAndUnit, false);
        case K::rain:
            return RainText(asFloat(), units.RainUnit);
        case K::light:
            return LightText(asFloat(), units.LightUnit);
        case K::humidity:
            return HumidityText(asInt());
        case K::direction:
            return WindDirectionName(asInt());
        case K::uv:
            return UvText(asInt()).substr(0, UvText(asInt()).find_last_not_of(' ') + 1);
    }
    return "";
}

}  // namespace nimbra
