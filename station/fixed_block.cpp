#include "station/fixed_block.h"

#include <algorithm>
#include <array>

#include "core/byte_order.h"
#include "core/station_data.h"
#include "station/field_codec.h"

namespace nimbra {

namespace {

namespace fx = memory_map::fixed;

using Record = HistoryRecord CStationData::*;
using Times = std::array<double, kMeasurementSlots> CStationData::*;
using Enables = std::array<std::uint8_t, kMeasurementSlots> CStationData::*;

enum class TenthsFormat { kSigned16, kUnsigned16, kWind16, kUnsigned24 };
enum class SmallFormat { kU8, kDirection, kUvIndex };

// A float member of one of the HistoryRecord blocks, stored in tenths.
struct TenthsField {
    std::uint16_t offset;
    TenthsFormat format;
    Record record;
    float HistoryRecord::*member;
};

// An integer member of one of the HistoryRecord blocks, stored in one byte.
struct SmallField {
    std::uint16_t offset;
    SmallFormat format;
    Record record;
    std::int32_t HistoryRecord::*member;
};

struct TimeField {
    std::uint16_t offset;
    Times times;
    int slot;
};

// One enable bit: either a slot of an enable array or a single flag.
struct EnableBit {
    std::uint16_t offset;
    int bit;
    Enables enables;
    int slot;
    std::uint8_t CStationData::*flag = nullptr;
};

constexpr Record kHigh = &CStationData::m_AlarmHigh;
constexpr Record kLow = &CStationData::m_AlarmLow;
constexpr Record kMax = &CStationData::m_Max;
constexpr Record kMin = &CStationData::m_Min;
constexpr Times kMaxTime = &CStationData::m_MaxTime;
constexpr Times kMinTime = &CStationData::m_MinTime;
constexpr Enables kHighOn = &CStationData::m_AlarmHighOn;
constexpr Enables kLowOn = &CStationData::m_AlarmLowOn;

using enum TenthsFormat;
using enum SmallFormat;
using HR = HistoryRecord;

constexpr std::array kAlarmTenths = {
    TenthsField{fx::kInTempHighAlarm, kSigned16, kHigh, &HR::InTemp},
    TenthsField{fx::kInTempLowAlarm, kSigned16, kLow, &HR::InTemp},
    TenthsField{fx::kOutTempHighAlarm, kSigned16, kHigh, &HR::OutTemp},
    TenthsField{fx::kOutTempLowAlarm, kSigned16, kLow, &HR::OutTemp},
    TenthsField{fx::kWindChillHighAlarm, kSigned16, kHigh, &HR::WindChill},
    TenthsField{fx::kWindChillLowAlarm, kSigned16, kLow, &HR::WindChill},
    TenthsField{fx::kDewPointHighAlarm, kSigned16, kHigh, &HR::DewPoint},
    TenthsField{fx::kDewPointLowAlarm, kSigned16, kLow, &HR::DewPoint},
    TenthsField{fx::kAbsPressureHighAlarm, kUnsigned16, kHigh, &HR::AbsPressure},
    TenthsField{fx::kAbsPressureLowAlarm, kUnsigned16, kLow, &HR::AbsPressure},
    TenthsField{fx::kRelPressureHighAlarm, kUnsigned16, kHigh, &HR::RelPressure},
    TenthsField{fx::kRelPressureLowAlarm, kUnsigned16, kLow, &HR::RelPressure},
    TenthsField{fx::kWindHighAlarm, kWind16, kHigh, &HR::Wind},
    TenthsField{fx::kGustHighAlarm, kWind16, kHigh, &HR::Gust},
    TenthsField{fx::kRainHourHighAlarm, kUnsigned16, kHigh, &HR::Rain1},
    TenthsField{fx::kRainDayHighAlarm, kUnsigned16, kHigh, &HR::Rain2},
    TenthsField{fx::kLightHighAlarm, kUnsigned24, kHigh, &HR::Light},
};

constexpr std::array kAlarmSmall = {
    SmallField{fx::kInHumiHighAlarm, kU8, kHigh, &HR::InHumi},
    SmallField{fx::kInHumiLowAlarm, kU8, kLow, &HR::InHumi},
    SmallField{fx::kOutHumiHighAlarm, kU8, kHigh, &HR::OutHumi},
    SmallField{fx::kOutHumiLowAlarm, kU8, kLow, &HR::OutHumi},
    SmallField{fx::kWindDirectionAlarm, kDirection, kHigh, &HR::WindDirection},
    SmallField{fx::kUvHighAlarm, kUvIndex, kHigh, &HR::UV},
};

constexpr std::array kExtremeTenths = {
    TenthsField{fx::kLightMax, kUnsigned24, kMax, &HR::Light},
    TenthsField{fx::kInTempMax, kSigned16, kMax, &HR::InTemp},
    TenthsField{fx::kInTempMin, kSigned16, kMin, &HR::InTemp},
    TenthsField{fx::kOutTempMax, kSigned16, kMax, &HR::OutTemp},
    TenthsField{fx::kOutTempMin, kSigned16, kMin, &HR::OutTemp},
    TenthsField{fx::kWindChillMax, kSigned16, kMax, &HR::WindChill},
    TenthsField{fx::kWindChillMin, kSigned16, kMin, &HR::WindChill},
    TenthsField{fx::kDewPointMax, kSigned16, kMax, &HR::DewPoint},
    TenthsField{fx::kDewPointMin, kSigned16, kMin, &HR::DewPoint},
    TenthsField{fx::kAbsPressureMax, kUnsigned16, kMax, &HR::AbsPressure},
    TenthsField{fx::kAbsPressureMin, kUnsigned16, kMin, &HR::AbsPressure},
    TenthsField{fx::kRelPressureMax, kUnsigned16, kMax, &HR::RelPressure},
    TenthsField{fx::kRelPressureMin, kUnsigned16, kMin, &HR::RelPressure},
    TenthsField{fx::kWindMax, kWind16, kMax, &HR::Wind},
    TenthsField{fx::kGustMax, kWind16, kMax, &HR::Gust},
    TenthsField{fx::kRainHourMax, kUnsigned16, kMax, &HR::Rain1},
    TenthsField{fx::kRainDayMax, kUnsigned16, kMax, &HR::Rain2},
    TenthsField{fx::kRainWeekMax, kUnsigned16, kMax, &HR::Rain3},
};

constexpr std::array kExtremeSmall = {
    SmallField{fx::kUvMax, kUvIndex, kMax, &HR::UV},
    SmallField{fx::kInHumiMax, kU8, kMax, &HR::InHumi},
    SmallField{fx::kInHumiMin, kU8, kMin, &HR::InHumi},
    SmallField{fx::kOutHumiMax, kU8, kMax, &HR::OutHumi},
    SmallField{fx::kOutHumiMin, kU8, kMin, &HR::OutHumi},
};

constexpr std::array kExtremeTimes = {
    TimeField{fx::kUvMaxTime, kMaxTime, kSlotUV},
    TimeField{fx::kLightMaxTime, kMaxTime, kSlotLight},
    TimeField{fx::kInHumiMaxTime, kMaxTime, kSlotInHumi},
    TimeField{fx::kInHumiMinTime, kMinTime, kSlotInHumi},
    TimeField{fx::kOutHumiMaxTime, kMaxTime, kSlotOutHumi},
    TimeField{fx::kOutHumiMinTime, kMinTime, kSlotOutHumi},
    TimeField{fx::kInTempMaxTime, kMaxTime, kSlotInTemp},
    TimeField{fx::kInTempMinTime, kMinTime, kSlotInTemp},
    TimeField{fx::kOutTempMaxTime, kMaxTime, kSlotOutTemp},
    TimeField{fx::kOutTempMinTime, kMinTime, kSlotOutTemp},
    TimeField{fx::kWindChillMaxTime, kMaxTime, kSlotWindChill},
    TimeField{fx::kWindChillMinTime, kMinTime, kSlotWindChill},
    TimeField{fx::kDewPointMaxTime, kMaxTime, kSlotDewPoint},
    TimeField{fx::kDewPointMinTime, kMinTime, kSlotDewPoint},
    TimeField{fx::kAbsPressureMaxTime, kMaxTime, kSlotAbsPressure},
    TimeField{fx::kAbsPressureMinTime, kMinTime, kSlotAbsPressure},
    TimeField{fx::kRelPressureMaxTime, kMaxTime, kSlotRelPressure},
    TimeField{fx::kRelPressureMinTime, kMinTime, kSlotRelPressure},
    TimeField{fx::kWindMaxTime, kMaxTime, kSlotWind},
    TimeField{fx::kGustMaxTime, kMaxTime, kSlotGust},
    TimeField{fx::kRainHourMaxTime, kMaxTime, kSlotRainHour},
    TimeField{fx::kRainDayMaxTime, kMaxTime, kSlotRainDay},
    TimeField{fx::kRainWeekMaxTime, kMaxTime, kSlotRainWeek},
    TimeField{fx::kRainMonthMaxTime, kMaxTime, kSlotRainMonth},
    TimeField{fx::kRainTotalMaxTime, kMaxTime, kSlotRainTotal},
};

constexpr std::array kEnableBits = {
    EnableBit{fx::kAlarmEnables1, 1, nullptr, 0, &CStationData::m_TimeAlarmOn},
    EnableBit{fx::kAlarmEnables1, 2, nullptr, 0, &CStationData::m_WindDirAlarmOn},
    EnableBit{fx::kAlarmEnables1, 4, kLowOn, kSlotInHumi},
    EnableBit{fx::kAlarmEnables1, 5, kHighOn, kSlotInHumi},
    EnableBit{fx::kAlarmEnables1, 6, kLowOn, kSlotOutHumi},
    EnableBit{fx::kAlarmEnables1, 7, kHighOn, kSlotOutHumi},
    EnableBit{fx::kAlarmEnables2, 0, kHighOn, kSlotWind},
    EnableBit{fx::kAlarmEnables2, 1, kHighOn, kSlotGust},
    EnableBit{fx::kAlarmEnables2, 2, kHighOn, kSlotRainHour},
    EnableBit{fx::kAlarmEnables2, 3, kHighOn, kSlotRainDay},
    EnableBit{fx::kAlarmEnables2, 4, kLowOn, kSlotAbsPressure},
    EnableBit{fx::kAlarmEnables2, 5, kHighOn, kSlotAbsPressure},
    EnableBit{fx::kAlarmEnables2, 6, kLowOn, kSlotRelPressure},
    EnableBit{fx::kAlarmEnables2, 7, kHighOn, kSlotRelPressure},
    EnableBit{fx::kAlarmEnables3, 0, kLowOn, kSlotInTemp},
    EnableBit{fx::kAlarmEnables3, 1, kHighOn, kSlotInTemp},
    EnableBit{fx::kAlarmEnables3, 2, kLowOn, kSlotOutTemp},
    EnableBit{fx::kAlarmEnables3, 3, kHighOn, kSlotOutTemp},
    EnableBit{fx::kAlarmEnables3, 4, kLowOn, kSlotWindChill},
    EnableBit{fx::kAlarmEnables3, 5, kHighOn, kSlotWindChill},
    EnableBit{fx::kAlarmEnables3, 6, kLowOn, kSlotDewPoint},
    EnableBit{fx::kAlarmEnables3, 7, kHighOn, kSlotDewPoint},
    EnableBit{fx::kFlags29, 1, kHighOn, kSlotLight},
    EnableBit{fx::kFlags29, 2, kHighOn, kSlotUV},
};

constexpr int widthOf(TenthsFormat format) {
    return format == kUnsigned24 ? 3 : 2;
}

template <typename Table>
constexpr bool fitsFixedBlock(const Table& table, int width) {
    return std::all_of(table.begin(), table.end(), [width](const auto& field) {
        return field.offset + width <= static_cast<int>(memory_map::kFixedBlockSize);
    });
}
static_assert(fitsFixedBlock(kAlarmTenths, 3) && fitsFixedBlock(kExtremeTenths, 3));
static_assert(fitsFixedBlock(kAlarmSmall, 1) && fitsFixedBlock(kExtremeSmall, 1));
static_assert(fitsFixedBlock(kExtremeTimes, kBcdDateTimeSize) && fitsFixedBlock(kEnableBits, 1));

float decodeTenths(TenthsFormat format, const std::uint8_t* bytes) {
    switch (format) {
        case kSigned16:
            return decodeS16Tenths(bytes);
        case kUnsigned16:
            return decodeU16Tenths(bytes);
        case kWind16:
            return decodeW16Tenths(bytes);
        case kUnsigned24:
            return decodeU24Tenths(bytes);
    }
    return 0.0f;
}

void encodeTenths(TenthsFormat format, std::uint8_t* bytes, float value) {
    switch (format) {
        case kSigned16:
            return encodeS16Tenths(bytes, value);
        case kUnsigned16:
            return encodeU16Tenths(bytes, value);
        case kWind16:
            return encodeW16Tenths(bytes, value);
        case kUnsigned24:
            return encodeU24Tenths(bytes, value);
    }
}

std::int32_t decodeSmall(SmallFormat format, std::uint8_t byte) {
    switch (format) {
        case kU8:
            return decodeU8(byte);
        case kDirection:
            return decodeDirection(byte);
        case kUvIndex:
            return decodeUvIndex(byte);
    }
    return 0;
}

std::uint8_t encodeSmall(SmallFormat format, std::int32_t value) {
    switch (format) {
        case kU8:
            return encodeU8(value);
        case kDirection:
            return encodeDirection(value);
        case kUvIndex:
            return encodeUvIndex(value);
    }
    return 0xFF;
}

template <std::size_t N>
void decodeTenthsFields(const std::array<TenthsField, N>& table, FixedBlockBytes block,
                        CStationData& station) {
    for (const TenthsField& f : table) {
        (station.*f.record).*f.member = decodeTenths(f.format, &block[f.offset]);
    }
}

template <std::size_t N>
void encodeTenthsFields(const std::array<TenthsField, N>& table, const CStationData& station,
                        MutableFixedBlockBytes block) {
    for (const TenthsField& f : table) {
        encodeTenths(f.format, &block[f.offset], (station.*f.record).*f.member);
    }
}

template <std::size_t N>
void decodeSmallFields(const std::array<SmallField, N>& table, FixedBlockBytes block,
                       CStationData& station) {
    for (const SmallField& f : table) {
        (station.*f.record).*f.member = decodeSmall(f.format, block[f.offset]);
    }
}

template <std::size_t N>
void encodeSmallFields(const std::array<SmallField, N>& table, const CStationData& station,
                       MutableFixedBlockBytes block) {
    for (const SmallField& f : table) {
        block[f.offset] = encodeSmall(f.format, (station.*f.record).*f.member);
    }
}

std::uint8_t& enableOf(CStationData& station, const EnableBit& e) {
    return e.flag != nullptr ? station.*e.flag : (station.*e.enables)[e.slot];
}

std::uint8_t enableOf(const CStationData& station, const EnableBit& e) {
    return e.flag != nullptr ? station.*e.flag : (station.*e.enables)[e.slot];
}

// Unit byte 17: bit 0 indoor, bit 1 outdoor temperature, bit 2 rain, bits 6 and 7 pressure.
constexpr std::uint8_t kUnitBits = 0xC7;
// Byte 29: bit 5 W/m², else bit 0 foot-candles, else lux.
constexpr std::uint8_t kLightUnitBits = 0x21;

int decodePressureUnit(std::uint8_t units) {
    if ((units & 0x80) != 0) {
        return 2;
    }
    return (units & 0x40) != 0 ? 1 : 0;
}

int decodeWindUnit(std::uint8_t byte) {
    for (int unit = 1; unit <= 4; ++unit) {
        if ((byte & (1 << unit)) != 0) {
            return unit;
        }
    }
    return 0;
}

int decodeLightUnit(std::uint8_t flags) {
    if ((flags & 0x20) != 0) {
        return 2;
    }
    return (flags & 0x01) != 0 ? 0 : 1;
}

std::uint8_t encodeLightUnit(int unit) {
    switch (unit) {
        case 0:
            return 0x01;
        case 2:
            return 0x20;
        default:
            return 0x00;
    }
}

std::uint8_t lowByte(std::int32_t value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

std::uint16_t clampedU16(std::int32_t value) {
    return static_cast<std::uint16_t>(std::clamp(value, 0, 0xFFFF));
}

}  // namespace

void decodeFixedBlock(FixedBlockBytes block, CStationData& station) {
    station.m_Interval = block[fx::kInterval];
    const std::uint8_t units = block[fx::kUnits];
    station.InTempUnit = units & 0x01;
    station.OutTempUnit = (units >> 1) & 0x01;
    station.RainUnit = (units >> 2) & 0x01;
    station.PressureUnit = decodePressureUnit(units);
    station.WindUnit = decodeWindUnit(block[fx::kWindUnit]);
    station.m_Display1 = block[fx::kDisplay1];
    station.m_Display2 = block[fx::kDisplay2];
    station.m_TimeZone = block[fx::kTimeZone];
    station.m_DataCount = loadLe16(&block[fx::kDataCount]);
    station.m_Flags29 = block[fx::kFlags29];
    station.LightUnit = decodeLightUnit(station.m_Flags29);
    station.m_CurrentPos = loadLe16(&block[fx::kCurrentPos]);
    station.m_RelPressure = decodeU16Tenths(&block[fx::kRelPressure]);
    station.m_AbsPressure = decodeU16Tenths(&block[fx::kAbsPressure]);

    for (const EnableBit& e : kEnableBits) {
        enableOf(station, e) = (block[e.offset] >> e.bit) & 0x01;
    }
    decodeTenthsFields(kAlarmTenths, block, station);
    decodeSmallFields(kAlarmSmall, block, station);
    station.m_WindAlarmBeaufort = decodeU8(block[fx::kWindAlarmBeaufort]);
    station.m_GustAlarmBeaufort = decodeU8(block[fx::kGustAlarmBeaufort]);
    station.m_AlarmHour = decodeBcd(block[fx::kAlarmHour]);
    station.m_AlarmMinute = decodeBcd(block[fx::kAlarmMinute]);

    decodeTenthsFields(kExtremeTenths, block, station);
    decodeSmallFields(kExtremeSmall, block, station);
    const std::uint8_t rainHigh = block[fx::kRainHighBits];
    station.m_Max.Rain4 = decodeRain20Tenths(loadLe16(&block[fx::kRainMonthMax]), rainHigh & 0x0F);
    station.m_Max.Rain5 = decodeRain20Tenths(loadLe16(&block[fx::kRainTotalMax]), rainHigh >> 4);
    for (const TimeField& t : kExtremeTimes) {
        (station.*t.times)[t.slot] = decodeBcdDateTime(&block[t.offset]);
    }
}

void encodeSettings(const CStationData& station, MutableFixedBlockBytes block) {
    static constexpr std::array<std::uint8_t, 5> kWindUnitBytes = {0x00, 0x02, 0x04, 0x08, 0x10};
    block[fx::kInterval] = static_cast<std::uint8_t>(std::clamp(station.m_Interval, 0, 0xFF));
    std::uint8_t units = block[fx::kUnits] & ~kUnitBits;
    units |= station.InTempUnit == 1 ? 0x01 : 0x00;
    units |= station.OutTempUnit == 1 ? 0x02 : 0x00;
    units |= station.RainUnit == 1 ? 0x04 : 0x00;
    units |= station.PressureUnit == 1 ? 0x40 : station.PressureUnit == 2 ? 0x80 : 0x00;
    block[fx::kUnits] = units;
    block[fx::kWindUnit] = station.WindUnit >= 0 && station.WindUnit <= 4
                               ? kWindUnitBytes[static_cast<std::size_t>(station.WindUnit)]
                               : 0x00;
    block[fx::kDisplay1] = station.m_Display1;
    block[fx::kDisplay2] = station.m_Display2;
    block[fx::kTimeZone] = lowByte(station.m_TimeZone);
    block[fx::kFlags29] =
        (station.m_Flags29 & ~kLightUnitBits) | encodeLightUnit(station.LightUnit);
    encodeU16Tenths(&block[fx::kRelPressure], station.m_RelPressure);
}

void encodeAlarms(const CStationData& station, MutableFixedBlockBytes block) {
    block[fx::kAlarmEnables1] = block[fx::kAlarmEnables2] = block[fx::kAlarmEnables3] = 0;
    block[fx::kFlags29] &= ~0x06;
    for (const EnableBit& e : kEnableBits) {
        if (enableOf(station, e) != 0) {
            block[e.offset] |= static_cast<std::uint8_t>(1 << e.bit);
        }
    }
    encodeTenthsFields(kAlarmTenths, station, block);
    encodeSmallFields(kAlarmSmall, station, block);
    block[fx::kWindAlarmBeaufort] = encodeU8(station.m_WindAlarmBeaufort);
    block[fx::kGustAlarmBeaufort] = encodeU8(station.m_GustAlarmBeaufort);
    block[fx::kAlarmHour] = encodeBcd(station.m_AlarmHour);
    block[fx::kAlarmMinute] = encodeBcd(station.m_AlarmMinute);
}

void encodeExtremes(const CStationData& station, MutableFixedBlockBytes block) {
    encodeTenthsFields(kExtremeTenths, station, block);
    encodeSmallFields(kExtremeSmall, station, block);
    const std::uint8_t monthHigh =
        encodeRain20Tenths(&block[fx::kRainMonthMax], station.m_Max.Rain4);
    const std::uint8_t totalHigh =
        encodeRain20Tenths(&block[fx::kRainTotalMax], station.m_Max.Rain5);
    block[fx::kRainHighBits] = static_cast<std::uint8_t>(monthHigh | (totalHigh << 4));
    for (const TimeField& t : kExtremeTimes) {
        encodeBcdDateTime(&block[t.offset], (station.*t.times)[t.slot]);
    }
}

void encodeStatus(const CStationData& station, MutableFixedBlockBytes block) {
    storeLe16(&block[fx::kDataCount], clampedU16(station.m_DataCount));
    storeLe16(&block[fx::kCurrentPos], clampedU16(station.m_CurrentPos));
    encodeU16Tenths(&block[fx::kAbsPressure], station.m_AbsPressure);
}

void encodeFixedBlock(const CStationData& station, MutableFixedBlockBytes block) {
    encodeSettings(station, block);
    encodeAlarms(station, block);
    encodeExtremes(station, block);
    encodeStatus(station, block);
}

}  // namespace nimbra
