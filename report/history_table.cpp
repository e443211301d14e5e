#include "report/history_table.h"

#include <charconv>

#include "config/string_ids.h"
#include "core/absent.h"
#include "core/text_forms.h"
#include "core/units.h"

namespace nimbra {

namespace {

// Fixed decimals independent of the process locale: the program's numbers always use a
// point, whatever LC_NUMERIC the windowing toolkit selected.
std::string decimals(float value, int places) {
    if (isAbsent(value)) {
        return kAbsentText;
    }
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                                      std::chars_format::fixed, places);
    return std::string(buffer, result.ptr);
}

std::string integer(std::int32_t value) {
    return std::to_string(value);
}

std::string integerOrAbsent(std::int32_t value) {
    return isAbsent(value) ? std::string("--") : integer(value);
}

std::string bracketed(const std::string& unit) {
    return "(" + unit + ")";
}

}  // namespace

HistoryUnitTexts HistoryUnitTexts::from(const ParamBlock& units) {
    const auto temperature = [](int code) {
        return std::string(code == kFahrenheit ? "\u00B0F" : "\u00B0C");
    };
    HistoryUnitTexts texts;
    texts.inTemp = temperature(units.InTempUnit);
    texts.outTemp = temperature(units.OutTempUnit);
    texts.pressure = units.PressureUnit == kInchesOfMercury        ? "inHg"
                     : units.PressureUnit == kMillimetresOfMercury ? "mmHg"
                                                                   : "hpa";
    texts.wind = FormatWindSpeed(0.0f, units.WindUnit, kUnitPart, false);
    texts.rain = units.RainUnit == kInches ? "inch" : "mm";
    texts.light = units.LightUnit == kLux ? "lux" : units.LightUnit == kFootCandles ? "fc" : "W/M2";
    return texts;
}

HistoryTable::HistoryTable(const ParamBlock& units, const TextLookup& text,
                           HistoryTimeText timeText)
    : m_units(units), m_unitTexts(HistoryUnitTexts::from(units)), m_timeText(std::move(timeText)) {
    const HistoryUnitTexts& u = m_unitTexts;
    m_headers = {
        "NO.",
        text(kTextTime),
        text(kTextInterval),
        text(kTextIndoorTemperature) + bracketed(u.inTemp),
        text(kTextIndoorHumidity) + "(%)",
        text(kTextOutdoorTemperature) + bracketed(u.outTemp),
        text(kTextOutdoorHumidity) + "(%)",
        text(kTextRelativePressure) + bracketed(u.pressure),
        text(kTextAbsolutePressure) + bracketed(u.pressure),
        text(kTextWindSpeed) + bracketed(u.wind),
        text(kTextGust) + bracketed(u.wind),
        text(kTextWindDirection),
        text(kTextDewPoint) + bracketed(u.outTemp),
        text(kTextWindChill) + bracketed(u.outTemp),
        text(kTextHourRainfall) + bracketed(u.rain),
        text(kTextDayRainfall) + bracketed(u.rain),
        text(kTextWeekRainfall) + bracketed(u.rain),
        text(kTextMonthRainfall) + bracketed(u.rain),
        text(kTextTotalRainfall) + bracketed(u.rain),
        text(kTextLight) + bracketed(u.light),
        text(kTextUvi),
    };
    const std::string rainfall = text(kTextRainfall) + bracketed(u.rain);
    m_pdfLine1 = {
        "NO.",
        text(kTextTime),
        text(kTextInterval),
        text(kTextIndoor),
        text(kTextIndoor),
        text(kTextOutdoor),
        text(kTextOutdoor),
        text(kTextRelativeColumn),
        text(kTextAbsoluteColumn),
        text(kTextWindSpeed),
        text(kTextGust),
        text(kTextWindDirection),
        text(kTextDewPoint),
        text(kTextWindChill),
        text(kTextHourColumn),
        text(kTextDayColumn),
        text(kTextWeekColumn),
        text(kTextMonthColumn),
        text(kTextTotalColumn),
        text(kTextLight),
        "UVI",
    };
    m_pdfLine2 = {
        "",
        "",
        "",
        text(kTextTemperatureColumn) + bracketed(u.inTemp),
        text(kTextHumidityColumn) + "(%)",
        text(kTextTemperatureColumn) + bracketed(u.outTemp),
        text(kTextHumidityColumn) + "(%)",
        text(kTextPressure) + bracketed(u.pressure),
        text(kTextPressure) + bracketed(u.pressure),
        bracketed(u.wind),
        bracketed(u.wind),
        "",
        bracketed(u.outTemp),
        bracketed(u.outTemp),
        rainfall,
        rainfall,
        rainfall,
        rainfall,
        rainfall,
        bracketed(u.light),
        "",
    };
}

std::string HistoryTable::cell(const HistoryRecord& r, std::int64_t number, int column) const {
    const ParamBlock& u = m_units;
    const auto pressure = [&u](float value) {
        return decimals(ConvertPressure(value, u.PressureUnit),
                        u.PressureUnit == kInchesOfMercury ? 2 : 1);
    };
    switch (column) {
        case 0:
            return std::to_string(number);
        case 1:
            return m_timeText.format(OleDate(r.Time));
        case 2:
            return integer(r.Interval);
        case 3:
            return decimals(ConvertTemperature(r.InTemp, u.InTempUnit), 1);
        case 4:
            return integerOrAbsent(r.InHumi);
        case 5:
            return decimals(ConvertTemperature(r.OutTemp, u.OutTempUnit), 1);
        case 6:
            return integerOrAbsent(r.OutHumi);
        case 7:
            return pressure(r.RelPressure);
        case 8:
            return pressure(r.AbsPressure);
        case 9:
            return FormatWindSpeed(r.Wind, u.WindUnit, kNumberPart, false);
        case 10:
            return FormatWindSpeed(r.Gust, u.WindUnit, kNumberPart, false);
        case 11:
            return WindDirectionName(r.WindDirection);
        case 12:
            return decimals(ConvertTemperature(r.DewPoint, u.OutTempUnit), 1);
        case 13:
            return decimals(ConvertTemperature(r.WindChill, u.OutTempUnit), 1);
        case 14:
            return decimals(ConvertRain(r.Rain1, u.RainUnit), 2);
        case 15:
            return decimals(ConvertRain(r.Rain2, u.RainUnit), 2);
        case 16:
            return decimals(ConvertRain(r.Rain3, u.RainUnit), 2);
        case 17:
            return decimals(ConvertRain(r.Rain4, u.RainUnit), 2);
        case 18:
            return decimals(ConvertRain(r.Rain5, u.RainUnit), 2);
        case 19:
            return decimals(ConvertLight(r.Light, u.LightUnit), 1);
        case 20:
            return integerOrAbsent(r.UV);
        default:
            return {};
    }
}

void HistoryTable::cells(const HistoryRecord& record, std::int64_t number,
                         HistoryCells& out) const {
    for (int column = 0; column < kHistoryColumns; ++column) {
        out[static_cast<std::size_t>(column)] = cell(record, number, column);
    }
}

}  // namespace nimbra
