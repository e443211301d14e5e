#include "report/graph_plan.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "config/string_ids.h"
#include "core/absent.h"
#include "core/text_forms.h"
#include "core/units.h"

namespace nimbra {

namespace {

using Shown = GraphSeriesPlan::Shown;
using enum RecordColumn;

// The series a selection turns off, the one it leaves blank and the ones it leaves alone.
const GraphSeriesPlan kOff{std::nullopt, GraphSeriesPlan::kTitleUnchanged, Shown::hide};
const GraphSeriesPlan kBlank{std::nullopt, GraphSeriesPlan::kBlankTitle, Shown::keep};
const GraphSeriesPlan kUntouched{};

const std::array<GraphPlan, kGraphSelectionCount> kPlans = {{
    {kTextTemperature,
     kTextOutdoorTemperature,
     true,
     {OutTemp, InTemp, DewPoint, WindChill},
     5,
     5,
     40,
     -20,
     false,
     {{{OutTemp, kTextOutdoorTemperature, Shown::keep},
       {DewPoint, kTextDewPoint, Shown::keep},
       {InTemp, kTextIndoorTemperature, Shown::show},
       {WindChill, kTextWindChill, Shown::show}}}},
    {kTextHumidity,
     kTextOutdoorHumidity,
     true,
     {},
     0,
     0,
     100,
     0,
     false,
     {{{InHumi, kTextIndoorHumidity, Shown::keep},
       {OutHumi, kTextOutdoorHumidity, Shown::keep},
       kOff,
       kOff}}},
    {kTextPressure,
     kTextRelativePressure,
     true,
     {RelPressure, AbsPressure},
     50,
     50,
     1050,
     950,
     false,
     {{{RelPressure, kTextRelativePressure, Shown::keep},
       {AbsPressure, kTextAbsolutePressure, Shown::keep},
       kOff,
       kOff}}},
    {kTextWindSpeed,
     kTextWindSpeed,
     true,
     {Wind},
     10,
     1,
     50,
     0,
     true,
     {{{Wind, kTextWindSpeed, Shown::keep}, {Gust, kTextGust, Shown::keep}, kOff, kOff}}},
    {kTextRainfall,
     kTextRainfall,
     false,
     {Rain5},
     50,
     2,
     200,
     0,
     true,
     {{{Rain5, kTextRainfall, Shown::keep}, kBlank, kUntouched, kUntouched}}},
    {kTextLight,
     kTextLight,
     false,
     {Light},
     1000,
     1000,
     2000,
     0,
     true,
     {{{Light, kTextLight, Shown::keep}, kBlank, kUntouched, kUntouched}}},
    {kTextUvi,
     kTextUvi,
     false,
     {},
     0,
     0,
     15,
     0,
     false,
     {{{UV, kTextUvi, Shown::keep}, kBlank, kUntouched, kUntouched}}},
}};

// The number `value` prints as with `decimals` decimals, read back: what "%0.Nf" shows.
double roundedAsPrinted(double value, int decimals) {
    std::array<char, 64> text{};
    const auto printed = std::to_chars(text.data(), text.data() + text.size(), value,
                                       std::chars_format::fixed, decimals);
    double shown = value;
    std::from_chars(text.data(), printed.ptr, shown);
    return shown;
}

// The number at the start of a value's text form, as the C library reads it back in the
// locale that printed it.
double numberOfText(const std::string& text) {
    return std::strtod(text.c_str(), nullptr);
}

}  // namespace

const GraphPlan& graphPlan(int selection) {
    return kPlans.at(static_cast<std::size_t>(std::clamp(selection, 0, kGraphSelectionCount - 1)));
}

AxisRange canonicalAxisRange(const GraphPlan& plan, const std::vector<MaxMin>& columnRanges) {
    if (plan.rangeColumns.empty()) {
        return {plan.defaultMin, plan.defaultMax};
    }
    AxisRange range{plan.defaultMin, plan.defaultMax};
    bool first = true;
    for (const MaxMin& column : columnRanges) {
        const double max = column.Max1 && column.Min1 ? *column.Max1 : plan.defaultMax;
        const double min = column.Max1 && column.Min1 ? *column.Min1 : plan.defaultMin;
        range.max = first ? max : std::max(range.max, max);
        range.min = first ? min : std::min(range.min, min);
        first = false;
    }
    range.max += plan.maxMargin;
    range.min -= plan.minMargin;
    if (plan.minNotBelowZero) {
        range.min = std::max(range.min, 0.0);
    }
    return range;
}

AxisRange displayAxisRange(int selection, const AxisRange& canonical, const ParamBlock& units) {
    // Computed in double throughout: a limit may happen to equal the absent marker, which
    // the value converters would pass through unconverted.
    const auto scaled = [&canonical](double factor) {
        return AxisRange{canonical.min * factor, canonical.max * factor};
    };
    switch (selection) {
        case kGraphTemperature:
            if (units.OutTempUnit == kFahrenheit) {
                return {canonical.min * 1.8 + 32.0, canonical.max * 1.8 + 32.0};
            }
            return canonical;
        case kGraphPressure:
            if (units.PressureUnit == kInchesOfMercury) {
                return scaled(1.0 / 33.8638);
            }
            if (units.PressureUnit == kMillimetresOfMercury) {
                return {std::trunc(canonical.min / 1.3333), std::trunc(canonical.max / 1.3333)};
            }
            return canonical;
        case kGraphWind:
            switch (units.WindUnit) {
                case kKilometresPerHour:
                    return scaled(3.6);
                case kKnots:
                    return scaled(1.943844);
                case kMilesPerHour:
                    return scaled(2.236936);
                case kBeaufort:
                    return {0.0, 12.0};
                default:
                    return canonical;
            }
        case kGraphRain:
            return units.RainUnit == kInches ? scaled(0.0393700787) : canonical;
        case kGraphLight:
            // The axis takes 10.7 lux to the foot-candle; the plotted values the exact factor.
            if (units.LightUnit == kFootCandles) {
                return scaled(1.0 / 10.7);
            }
            if (units.LightUnit == kWattsPerSquareMetre) {
                return scaled(1.0 / 126.7);
            }
            return canonical;
        default:
            return canonical;
    }
}

std::string axisTitle(int selection, const ParamBlock& units) {
    switch (selection) {
        case kGraphTemperature:
            return units.OutTempUnit == kFahrenheit ? " (\u00B0F )" : " (\u00B0C )";
        case kGraphHumidity:
            return " (%)";
        case kGraphPressure:
            if (units.PressureUnit == kInchesOfMercury) {
                return " (inhg)";
            }
            return units.PressureUnit == kMillimetresOfMercury ? " (mmhg)" : " (hpa)";
        case kGraphWind:
            switch (units.WindUnit) {
                case kKilometresPerHour:
                    return " (km/h)";
                case kKnots:
                    return " (knot)";
                case kMilesPerHour:
                    return " (mph)";
                case kBeaufort:
                    return " (bft)";
                default:
                    return " (m/s)";
            }
        case kGraphRain:
            return units.RainUnit == kInches ? " (inch)" : " (mm)";
        case kGraphLight:
            if (units.LightUnit == kFootCandles) {
                return " (fc)";
            }
            return units.LightUnit == kWattsPerSquareMetre ? " (w/m2)" : " (lux)";
        default:
            return "  ";
    }
}

bool isAbsentIn(RecordColumn column, const HistoryRecord& record) {
    // The store's test of a value being there: different from 65535, whatever the type.
    return std::visit(
        [&record](auto member) { return static_cast<double>(record.*member) == kAbsent; },
        recordFields()[static_cast<std::size_t>(column)].member);
}

double plottedValue(RecordColumn column, const HistoryRecord& r, const ParamBlock& units) {
    switch (column) {
        case OutTemp:
            return roundedAsPrinted(ConvertTemperature(r.OutTemp, units.OutTempUnit), 1);
        case DewPoint:
            return roundedAsPrinted(ConvertTemperature(r.DewPoint, units.OutTempUnit), 1);
        case WindChill:
            return roundedAsPrinted(ConvertTemperature(r.WindChill, units.OutTempUnit), 1);
        case InTemp:
            // Drawn on the same axis as the outdoor series, so in the axis's (outdoor) unit.
            return roundedAsPrinted(ConvertTemperature(r.InTemp, units.OutTempUnit), 1);
        case RelPressure:
        case AbsPressure: {
            const float hectopascal = column == RelPressure ? r.RelPressure : r.AbsPressure;
            return roundedAsPrinted(ConvertPressure(hectopascal, units.PressureUnit),
                                    units.PressureUnit == kInchesOfMercury ? 2 : 1);
        }
        case InHumi:
            return r.InHumi;
        case OutHumi:
            return r.OutHumi;
        case UV:
            return r.UV;
        case Wind:
            return numberOfText(FormatWindSpeed(r.Wind, units.WindUnit, kNumberPart, false));
        case Gust:
            return numberOfText(FormatWindSpeed(r.Gust, units.WindUnit, kNumberPart, false));
        case Rain5:
            return roundedAsPrinted(ConvertRain(r.Rain5, units.RainUnit), 2);
        case Light:
            return numberOfText(FormatLight(r.Light, units.LightUnit, kNumberPart, false));
        default:
            return std::visit([&r](auto member) { return static_cast<double>(r.*member); },
                              recordFields()[static_cast<std::size_t>(column)].member);
    }
}

}  // namespace nimbra
