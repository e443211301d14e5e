#pragma once

#include <array>
#include <cstdint>

#include "core/station_data.h"
#include "station/memory_map.h"

// The fields of the fixed block as tables: where each lies, how the block stores it and
// which member of CStationData holds it. The decoder, the block encoder and the settings
// and alarm writes all walk these tables, so that each address and each bit is given
// here once. The writes send some values in a form of their own (`SentAs`), and the alarm
// write sends the fields in an order of its own (`writeOrder`, counted from 0 across all
// the alarm tables).

namespace nimbra::fixed_fields {

namespace fx = memory_map::fixed;

using Record = HistoryRecord CStationData::*;
using Times = std::array<double, kMeasurementSlots> CStationData::*;
using Enables = std::array<std::uint8_t, kMeasurementSlots> CStationData::*;

enum class TenthsFormat { kSigned16, kUnsigned16, kWind16, kUnsigned24 };
enum class SmallFormat { kU8, kDirection, kUvIndex, kBcd };

// How the settings and alarm writes send a threshold in tenths, each with the station's
// "none" pattern for an absent one; the tenths are truncated rather than rounded. They
// send a one-byte value as its low byte, and a BCD one as 0xFF when it has no two digits.
enum class SentAs {
    kSignedTenths,  // sign in bit 15
    kRainTenths,    // sign in bit 7 of the low byte
    kTenths,
    kWindTenths,  // a 12-bit speed whose "none" is 0x0FFF
    kTenths24,
};

// The unit setting a threshold is held in: when it changes, the settings write converts
// the threshold and sends it again.
enum class HeldIn { kInTemp, kOutTemp, kRain, kPressure, kWind, kLight };

// A float member of one of the HistoryRecord blocks, stored in tenths.
struct TenthsField {
    std::uint16_t offset;
    TenthsFormat format;
    Record record;
    float HistoryRecord::*member;
};

// An alarm threshold stored in tenths.
struct TenthsThreshold : TenthsField {
    SentAs sentAs;
    HeldIn heldIn;
    int writeOrder;
};

// An integer member of one of the HistoryRecord blocks, stored in one byte.
struct SmallField {
    std::uint16_t offset;
    SmallFormat format;
    Record record;
    std::int32_t HistoryRecord::*member;
};

struct SmallThreshold : SmallField {
    int writeOrder;
};

// A one-byte alarm setting held by the station record itself.
struct StationByte {
    std::uint16_t offset;
    SmallFormat format;
    std::int32_t CStationData::*member;
    int writeOrder;
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

// A byte holding enable bits, as the alarm write sends it.
struct EnableByte {
    std::uint16_t offset;
    int writeOrder;
};

inline constexpr Record kHigh = &CStationData::m_AlarmHigh;
inline constexpr Record kLow = &CStationData::m_AlarmLow;
inline constexpr Record kMax = &CStationData::m_Max;
inline constexpr Record kMin = &CStationData::m_Min;
inline constexpr Times kMaxTime = &CStationData::m_MaxTime;
inline constexpr Times kMinTime = &CStationData::m_MinTime;
inline constexpr Enables kHighOn = &CStationData::m_AlarmHighOn;
inline constexpr Enables kLowOn = &CStationData::m_AlarmLowOn;

// Unit byte 17: bit 0 indoor, bit 1 outdoor temperature, bit 2 rain, bits 6 and 7 pressure.
inline constexpr std::uint8_t kUnitBits = 0xC7;
// Byte 29: bit 5 W/m², else bit 0 foot-candles, else lux.
inline constexpr std::uint8_t kLightUnitBits = 0x21;

namespace rows {
using enum TenthsFormat;
using enum SmallFormat;
using enum SentAs;
using enum HeldIn;
using HR = HistoryRecord;

inline constexpr std::array kAlarmTenths = {
    TenthsThreshold{
        {fx::kInTempHighAlarm, kSigned16, kHigh, &HR::InTemp}, kSignedTenths, kInTemp, 8},
    TenthsThreshold{{fx::kInTempLowAlarm, kSigned16, kLow, &HR::InTemp}, kSignedTenths, kInTemp, 9},
    TenthsThreshold{
        {fx::kOutTempHighAlarm, kSigned16, kHigh, &HR::OutTemp}, kSignedTenths, kOutTemp, 12},
    TenthsThreshold{
        {fx::kOutTempLowAlarm, kSigned16, kLow, &HR::OutTemp}, kSignedTenths, kOutTemp, 13},
    TenthsThreshold{
        {fx::kWindChillHighAlarm, kSigned16, kHigh, &HR::WindChill}, kSignedTenths, kOutTemp, 14},
    TenthsThreshold{
        {fx::kWindChillLowAlarm, kSigned16, kLow, &HR::WindChill}, kSignedTenths, kOutTemp, 15},
    TenthsThreshold{
        {fx::kDewPointHighAlarm, kSigned16, kHigh, &HR::DewPoint}, kSignedTenths, kOutTemp, 16},
    TenthsThreshold{
        {fx::kDewPointLowAlarm, kSigned16, kLow, &HR::DewPoint}, kSignedTenths, kOutTemp, 17},
    TenthsThreshold{
        {fx::kAbsPressureHighAlarm, kUnsigned16, kHigh, &HR::AbsPressure}, kTenths, kPressure, 18},
    TenthsThreshold{
        {fx::kAbsPressureLowAlarm, kUnsigned16, kLow, &HR::AbsPressure}, kTenths, kPressure, 19},
    TenthsThreshold{
        {fx::kRelPressureHighAlarm, kUnsigned16, kHigh, &HR::RelPressure}, kTenths, kPressure, 20},
    TenthsThreshold{
        {fx::kRelPressureLowAlarm, kUnsigned16, kLow, &HR::RelPressure}, kTenths, kPressure, 21},
    TenthsThreshold{{fx::kWindHighAlarm, kWind16, kHigh, &HR::Wind}, kWindTenths, kWind, 23},
    TenthsThreshold{{fx::kGustHighAlarm, kWind16, kHigh, &HR::Gust}, kWindTenths, kWind, 25},
    TenthsThreshold{
        {fx::kRainHourHighAlarm, kUnsigned16, kHigh, &HR::Rain1}, kRainTenths, kRain, 27},
    TenthsThreshold{
        {fx::kRainDayHighAlarm, kUnsigned16, kHigh, &HR::Rain2}, kRainTenths, kRain, 28},
    TenthsThreshold{{fx::kLightHighAlarm, kUnsigned24, kHigh, &HR::Light}, kTenths24, kLight, 0},
};

inline constexpr std::array kAlarmSmall = {
    SmallThreshold{{fx::kInHumiHighAlarm, kU8, kHigh, &HR::InHumi}, 6},
    SmallThreshold{{fx::kInHumiLowAlarm, kU8, kLow, &HR::InHumi}, 7},
    SmallThreshold{{fx::kOutHumiHighAlarm, kU8, kHigh, &HR::OutHumi}, 10},
    SmallThreshold{{fx::kOutHumiLowAlarm, kU8, kLow, &HR::OutHumi}, 11},
    SmallThreshold{{fx::kWindDirectionAlarm, kDirection, kHigh, &HR::WindDirection}, 26},
    SmallThreshold{{fx::kUvHighAlarm, kUvIndex, kHigh, &HR::UV}, 1},
};

inline constexpr std::array kAlarmStationBytes = {
    StationByte{fx::kWindAlarmBeaufort, kU8, &CStationData::m_WindAlarmBeaufort, 22},
    StationByte{fx::kGustAlarmBeaufort, kU8, &CStationData::m_GustAlarmBeaufort, 24},
    StationByte{fx::kAlarmHour, kBcd, &CStationData::m_AlarmHour, 29},
    StationByte{fx::kAlarmMinute, kBcd, &CStationData::m_AlarmMinute, 30},
};

// Byte 29 shares its other bits with the light unit and the station's own flags.
inline constexpr std::array kEnableBytes = {
    EnableByte{fx::kFlags29, 2},
    EnableByte{fx::kAlarmEnables1, 3},
    EnableByte{fx::kAlarmEnables2, 4},
    EnableByte{fx::kAlarmEnables3, 5},
};

inline constexpr std::array kEnableBits = {
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

inline constexpr std::array kExtremeTenths = {
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

inline constexpr std::array kExtremeSmall = {
    SmallField{fx::kUvMax, kUvIndex, kMax, &HR::UV},
    SmallField{fx::kInHumiMax, kU8, kMax, &HR::InHumi},
    SmallField{fx::kInHumiMin, kU8, kMin, &HR::InHumi},
    SmallField{fx::kOutHumiMax, kU8, kMax, &HR::OutHumi},
    SmallField{fx::kOutHumiMin, kU8, kMin, &HR::OutHumi},
};

inline constexpr std::array kExtremeTimes = {
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
}  // namespace rows

using rows::kAlarmSmall;
using rows::kAlarmStationBytes;
using rows::kAlarmTenths;
using rows::kEnableBits;
using rows::kEnableBytes;
using rows::kExtremeSmall;
using rows::kExtremeTenths;
using rows::kExtremeTimes;

// The steps of the alarm write before its commit byte.
inline constexpr int kAlarmWriteSteps = static_cast<int>(
    kAlarmTenths.size() + kAlarmSmall.size() + kAlarmStationBytes.size() + kEnableBytes.size());

// The enable bits the tables place in the byte at `offset`.
constexpr std::uint8_t enableMask(std::uint16_t offset) {
    std::uint8_t mask = 0;
    for (const EnableBit& e : kEnableBits) {
        mask |= e.offset == offset ? static_cast<std::uint8_t>(1u << e.bit) : 0;
    }
    return mask;
}

inline std::uint8_t enableOf(const CStationData& station, const EnableBit& e) {
    return e.flag != nullptr ? station.*e.flag : (station.*e.enables)[e.slot];
}

inline std::uint8_t& enableOf(CStationData& station, const EnableBit& e) {
    return e.flag != nullptr ? station.*e.flag : (station.*e.enables)[e.slot];
}

// The byte at `offset` as the enables of `station` set its enable bits, the others clear.
inline std::uint8_t enableBits(const CStationData& station, std::uint16_t offset) {
    std::uint8_t bits = 0;
    for (const EnableBit& e : kEnableBits) {
        if (e.offset == offset && enableOf(station, e) != 0) {
            bits |= static_cast<std::uint8_t>(1u << e.bit);
        }
    }
    return bits;
}

// Unit byte 17's bits for the units of `station`.
constexpr std::uint8_t unitBits(const CStationData& station) {
    std::uint8_t units = station.InTempUnit == 1 ? 0x01 : 0x00;
    units |= station.OutTempUnit == 1 ? 0x02 : 0x00;
    units |= station.RainUnit == 1 ? 0x04 : 0x00;
    units |= station.PressureUnit == 1 ? 0x40 : station.PressureUnit == 2 ? 0x80 : 0x00;
    return units;
}

// Byte 18: one bit per wind unit after m/s, which has none.
constexpr std::uint8_t windUnitByte(int windUnit) {
    return windUnit >= 1 && windUnit <= 4 ? static_cast<std::uint8_t>(1u << windUnit) : 0x00;
}

}  // namespace nimbra::fixed_fields
