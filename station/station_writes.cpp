#include "station/station_writes.h"

#include <array>
#include <charconv>
#include <cstddef>

#include "core/absent.h"
#include "core/station_encoders.h"
#include "core/units.h"
#include "station/memory_map.h"

namespace nimbra {

namespace {

using namespace memory_map::fixed;
using memory_map::kCommitValue;

using Encoder = void (*)(std::uint8_t*, float);

class PlanBuilder {
public:
    void byte(int address, std::int32_t value) {
        m_plan.push_back({address, static_cast<std::uint8_t>(value & 0xFF)});
    }

    void flag(int address, std::uint8_t bits) { m_plan.push_back({address, bits}); }

    // A value of `width` bytes, low byte first; absent as `absentPattern`, whose
    // bytes are taken low byte first too.
    void field(int address, float value, Encoder encode, std::size_t width,
               std::uint32_t absentPattern) {
        std::array<std::uint8_t, 3> bytes{};
        if (isAbsent(value)) {
            for (std::size_t i = 0; i < width; ++i) {
                bytes[i] = static_cast<std::uint8_t>(absentPattern >> (8 * i));
            }
        } else {
            encode(bytes.data(), value);
        }
        for (std::size_t i = 0; i < width; ++i) {
            m_plan.push_back({address + static_cast<int>(i), bytes[i]});
        }
    }

    void signedTenths(int address, float value) {
        field(address, value, EncodeSignedTenths16, 2, 0xFFFF);
    }
    void tenths(int address, float value) { field(address, value, EncodeTenths16, 2, 0xFFFF); }
    void rainTenths(int address, float value) {
        field(address, value, EncodeSignedTenthsLow, 2, 0xFFFF);
    }
    // Wind speeds are 12-bit fields: the station's own "none" is 0x0FFF, and 0xFFFF
    // would read back as 6553.5 m/s.
    void windTenths(int address, float value) { field(address, value, EncodeTenths16, 2, 0x0FFF); }
    void tenths24(int address, float value) { field(address, value, EncodeTenths24, 3, 0xFFFFFF); }

    // Two decimal digits; anything else (a blank time alarm is -1) as 0xFF.
    void bcd(int address, std::int32_t value) {
        byte(address, value >= 0 && value <= 99 ? (value / 10) * 16 + value % 10 : 0xFF);
    }

    StationWritePlan finish() {
        flag(kCommit, kCommitValue);
        return std::move(m_plan);
    }

private:
    StationWritePlan m_plan;
};

std::uint8_t bitIf(bool condition, int bit) {
    return condition ? static_cast<std::uint8_t>(1u << bit) : 0;
}

bool on(const std::array<std::uint8_t, kMeasurementSlots>& enables, MeasurementSlot slot) {
    return enables[static_cast<std::size_t>(slot)] != 0;
}

// Absent thresholds stay absent through every conversion.
template <typename Convert>
void convertThreshold(float& value, Convert convert) {
    if (!isAbsent(value)) {
        value = static_cast<float>(convert(static_cast<double>(value)));
    }
}

double temperatureBetween(double x, int previousUnit) {
    return previousUnit != 0 ? (x - 32.0) / 1.8 : x * 1.8 + 32.0;
}

// One decimal, as the station's tenths hold it, rounded the way "%0.1f" prints.
double toOneDecimal(double x) {
    std::array<char, 64> text{};
    const auto printed =
        std::to_chars(text.data(), text.data() + text.size(), x, std::chars_format::fixed, 1);
    double rounded = x;
    if (printed.ec == std::errc()) {
        std::from_chars(text.data(), printed.ptr, rounded);
    }
    return rounded;
}

// Rain thresholds are held as mm, or as tenths of an inch.
double rainBetween(double x, int previousUnit) {
    constexpr double kTenthInchesPerMillimetre = 0.393700787;
    return previousUnit != 0 ? x / kTenthInchesPerMillimetre
                             : toOneDecimal(x * kTenthInchesPerMillimetre);
}

// Pressure thresholds are held as hPa, tenths of an inch of mercury or mm of mercury.
double pressureBetween(double x, int previousUnit, int newUnit) {
    constexpr double kHectopascalPerTenthInch = 3.38638;
    constexpr double kHectopascalPerMillimetre = 1.33322;
    const double hectopascal = previousUnit == kInchesOfMercury ? x * kHectopascalPerTenthInch
                               : previousUnit == kMillimetresOfMercury
                                   ? x * kHectopascalPerMillimetre
                                   : x;
    return newUnit == kInchesOfMercury        ? hectopascal / kHectopascalPerTenthInch
           : newUnit == kMillimetresOfMercury ? hectopascal / kHectopascalPerMillimetre
                                              : hectopascal;
}

double lightBetween(double x, int previousUnit, int newUnit) {
    constexpr double kLuxPerFootCandle = 10.76391;
    constexpr double kLuxPerWattPerSquareMetre = 126.7;
    const double lux = previousUnit == kFootCandles           ? x * kLuxPerFootCandle
                       : previousUnit == kWattsPerSquareMetre ? x * kLuxPerWattPerSquareMetre
                                                              : x;
    return ConvertLight(static_cast<float>(lux), newUnit);
}

std::uint8_t unitByte(const CStationData& d) {
    return bitIf(d.InTempUnit == kFahrenheit, 0) | bitIf(d.OutTempUnit == kFahrenheit, 1) |
           bitIf(d.RainUnit == kInches, 2) | bitIf(d.PressureUnit == kInchesOfMercury, 6) |
           bitIf(d.PressureUnit == kMillimetresOfMercury, 7);
}

std::uint8_t windUnitByte(int windUnit) {
    switch (windUnit) {
        case kKilometresPerHour:
            return 0x02;
        case kKnots:
            return 0x04;
        case kMilesPerHour:
            return 0x08;
        case kBeaufort:
            return 0x10;
        default:
            return 0x00;
    }
}

}  // namespace

StationWritePlan PlanSettingsWrite(CStationData& d) {
    PlanBuilder plan;
    plan.byte(kInterval, d.m_Interval);
    plan.flag(kFlags29, d.m_Flags29);
    plan.flag(kUnits, unitByte(d));
    plan.flag(kWindUnit, windUnitByte(d.WindUnit));
    plan.flag(kDisplay1, d.m_Display1);
    plan.flag(kDisplay2, d.m_Display2);
    plan.byte(kTimeZone, d.m_TimeZone);
    plan.tenths(kRelPressure, d.m_RelPressure);

    HistoryRecord& high = d.m_AlarmHigh;
    HistoryRecord& low = d.m_AlarmLow;

    if (d.m_PrevInTempUnit != d.InTempUnit) {
        const auto convert = [&](double x) { return temperatureBetween(x, d.m_PrevInTempUnit); };
        convertThreshold(high.InTemp, convert);
        convertThreshold(low.InTemp, convert);
        plan.signedTenths(kInTempHighAlarm, high.InTemp);
        plan.signedTenths(kInTempLowAlarm, low.InTemp);
        d.m_PrevInTempUnit = d.InTempUnit;
    }

    if (d.m_PrevOutTempUnit != d.OutTempUnit) {
        const auto convert = [&](double x) { return temperatureBetween(x, d.m_PrevOutTempUnit); };
        for (float* threshold : {&high.OutTemp, &low.OutTemp, &high.WindChill, &low.WindChill,
                                 &high.DewPoint, &low.DewPoint}) {
            convertThreshold(*threshold, convert);
        }
        plan.signedTenths(kOutTempHighAlarm, high.OutTemp);
        plan.signedTenths(kOutTempLowAlarm, low.OutTemp);
        plan.signedTenths(kWindChillHighAlarm, high.WindChill);
        plan.signedTenths(kWindChillLowAlarm, low.WindChill);
        plan.signedTenths(kDewPointHighAlarm, high.DewPoint);
        plan.signedTenths(kDewPointLowAlarm, low.DewPoint);
        d.m_PrevOutTempUnit = d.OutTempUnit;
    }

    if (d.m_PrevRainUnit != d.RainUnit) {
        const auto convert = [&](double x) { return rainBetween(x, d.m_PrevRainUnit); };
        convertThreshold(high.Rain1, convert);
        convertThreshold(high.Rain2, convert);
        plan.rainTenths(kRainHourHighAlarm, high.Rain1);
        plan.rainTenths(kRainDayHighAlarm, high.Rain2);
        d.m_PrevRainUnit = d.RainUnit;
    }

    if (d.m_PrevPressureUnit != d.PressureUnit) {
        const auto convert = [&](double x) {
            return pressureBetween(x, d.m_PrevPressureUnit, d.PressureUnit);
        };
        for (float* threshold :
             {&high.AbsPressure, &low.AbsPressure, &high.RelPressure, &low.RelPressure}) {
            convertThreshold(*threshold, convert);
        }
        plan.tenths(kAbsPressureHighAlarm, high.AbsPressure);
        plan.tenths(kAbsPressureLowAlarm, low.AbsPressure);
        plan.tenths(kRelPressureHighAlarm, high.RelPressure);
        plan.tenths(kRelPressureLowAlarm, low.RelPressure);
        d.m_PrevPressureUnit = d.PressureUnit;
    }

    if (d.m_PrevWindUnit != d.WindUnit) {
        // The record keeps the thresholds in the unit the station now holds them in.
        const auto convert = [&](double x) {
            return ConvertWindSpeed(WindSpeedToMetres(static_cast<float>(x), d.m_PrevWindUnit),
                                    d.WindUnit);
        };
        convertThreshold(high.Wind, convert);
        convertThreshold(high.Gust, convert);
        plan.windTenths(kWindHighAlarm, high.Wind);
        plan.windTenths(kGustHighAlarm, high.Gust);
        d.m_PrevWindUnit = d.WindUnit;
    }

    if (d.m_PrevLightUnit != d.LightUnit) {
        convertThreshold(high.Light,
                         [&](double x) { return lightBetween(x, d.m_PrevLightUnit, d.LightUnit); });
        plan.tenths24(kLightHighAlarm, high.Light);
        d.m_PrevLightUnit = d.LightUnit;
    }

    return plan.finish();
}

StationWritePlan PlanAlarmWrite(CStationData& d) {
    const auto& hi = d.m_AlarmHighOn;
    const auto& lo = d.m_AlarmLowOn;
    const HistoryRecord& high = d.m_AlarmHigh;
    const HistoryRecord& low = d.m_AlarmLow;

    PlanBuilder plan;
    plan.tenths24(kLightHighAlarm, high.Light);
    plan.byte(kUvHighAlarm, high.UV);

    // Bits 0 and 5 are the light unit, which only the settings write changes.
    d.m_Flags29 = static_cast<std::uint8_t>((d.m_Flags29 & 0x21) | bitIf(on(hi, kSlotLight), 1) |
                                            bitIf(on(hi, kSlotUV), 2));
    plan.flag(kFlags29, d.m_Flags29);

    plan.flag(kAlarmEnables1, bitIf(d.m_TimeAlarmOn != 0, 1) | bitIf(d.m_WindDirAlarmOn != 0, 2) |
                                  bitIf(on(lo, kSlotInHumi), 4) | bitIf(on(hi, kSlotInHumi), 5) |
                                  bitIf(on(lo, kSlotOutHumi), 6) | bitIf(on(hi, kSlotOutHumi), 7));
    plan.flag(kAlarmEnables2,
              bitIf(on(hi, kSlotWind), 0) | bitIf(on(hi, kSlotGust), 1) |
                  bitIf(on(hi, kSlotRainHour), 2) | bitIf(on(hi, kSlotRainDay), 3) |
                  bitIf(on(lo, kSlotAbsPressure), 4) | bitIf(on(hi, kSlotAbsPressure), 5) |
                  bitIf(on(lo, kSlotRelPressure), 6) | bitIf(on(hi, kSlotRelPressure), 7));
    plan.flag(kAlarmEnables3,
              bitIf(on(lo, kSlotInTemp), 0) | bitIf(on(hi, kSlotInTemp), 1) |
                  bitIf(on(lo, kSlotOutTemp), 2) | bitIf(on(hi, kSlotOutTemp), 3) |
                  bitIf(on(lo, kSlotWindChill), 4) | bitIf(on(hi, kSlotWindChill), 5) |
                  bitIf(on(lo, kSlotDewPoint), 6) | bitIf(on(hi, kSlotDewPoint), 7));

    plan.byte(kInHumiHighAlarm, high.InHumi);
    plan.byte(kInHumiLowAlarm, low.InHumi);
    plan.signedTenths(kInTempHighAlarm, high.InTemp);
    plan.signedTenths(kInTempLowAlarm, low.InTemp);
    plan.byte(kOutHumiHighAlarm, high.OutHumi);
    plan.byte(kOutHumiLowAlarm, low.OutHumi);
    plan.signedTenths(kOutTempHighAlarm, high.OutTemp);
    plan.signedTenths(kOutTempLowAlarm, low.OutTemp);
    plan.signedTenths(kWindChillHighAlarm, high.WindChill);
    plan.signedTenths(kWindChillLowAlarm, low.WindChill);
    plan.signedTenths(kDewPointHighAlarm, high.DewPoint);
    plan.signedTenths(kDewPointLowAlarm, low.DewPoint);
    plan.tenths(kAbsPressureHighAlarm, high.AbsPressure);
    plan.tenths(kAbsPressureLowAlarm, low.AbsPressure);
    plan.tenths(kRelPressureHighAlarm, high.RelPressure);
    plan.tenths(kRelPressureLowAlarm, low.RelPressure);
    plan.byte(kWindAlarmBeaufort, d.m_WindAlarmBeaufort);
    plan.windTenths(kWindHighAlarm, high.Wind);
    plan.byte(kGustAlarmBeaufort, d.m_GustAlarmBeaufort);
    plan.windTenths(kGustHighAlarm, high.Gust);
    plan.byte(kWindDirectionAlarm, high.WindDirection);
    plan.rainTenths(kRainHourHighAlarm, high.Rain1);
    plan.rainTenths(kRainDayHighAlarm, high.Rain2);
    plan.bcd(kAlarmHour, d.m_AlarmHour);
    plan.bcd(kAlarmMinute, d.m_AlarmMinute);
    return plan.finish();
}

StationWritePlan PlanClearMemory() {
    PlanBuilder plan;
    plan.byte(kDataCount, 0);
    plan.byte(kDataCount + 1, 0);
    return plan.finish();
}

int SendStationWrites(const StationWritePlan& plan, const WriteByteFunction& writeByte) {
    for (const StationByteWrite& write : plan) {
        if (writeByte(write.address, write.value) != 1) {
            return 0;
        }
    }
    return 1;
}

int WriteSettings(CStationData& data, const WriteByteFunction& writeByte) {
    return SendStationWrites(PlanSettingsWrite(data), writeByte);
}

int WriteAlarms(CStationData& data, const WriteByteFunction& writeByte) {
    return SendStationWrites(PlanAlarmWrite(data), writeByte);
}

int ClearMemory(const WriteByteFunction& writeByte) {
    return SendStationWrites(PlanClearMemory(), writeByte);
}

}  // namespace nimbra
