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

enum class TenthsFormat { signed16, unsigned16, wind16, unsigned24 };
enum class SmallFormat { u8, direction, uvIndex, bcd };

// How the settings and alarm writes send a threshold in tenths, each with the station's
// "none" pattern for an absent one; the tenths are truncated rather than rounded. They
// send a one-byte value as its low byte, and a BCD one as 0xFF when it has no two digits.
enum class SentAs {
    signedTenths,  // sign in bit 15
    rainTenths,    // sign in bit 7 of the low byte
    tenths,
    windTenths,  // a 12-bit speed whose "none" is 0x0FFF
    tenths24,
};

// The unit setting a threshold is held in: when it changes, the settings write converts
// the threshold and sends it again.
enum class HeldIn { inTemp, outTemp, rain, pressure, wind, light };

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

// Unit byte 17: bit 0 indoor, bit 1 outdoor temperature, bit 2 rain, bit 5 hPa, bits 6
// and 7 the other pressure units.
inline constexpr std::uint8_t kUnitBits = 0xE7;
// Byte 29: bit 5 W/m², else bit 0 foot-candles, else lux.
inline constexpr std::uint8_t kLightUnitBits = 0x21;

namespace rows {
using enum TenthsFormat;
using enum SmallFormat;
using enum SentAs;
using enum HeldIn;
using HR = HistoryRecord;

inline constexpr std::array kAlarmTenths = {
    TenthsThreshold{{fx::kInTempHighAlarm, signed16, kHigh, &HR::InTemp}, signedTenths, inTemp, 8},
    TenthsThreshold{{fx::kInTempLowAlarm, signed16, kLow, &HR::InTemp}, signedTenths, inTemp, 9},
    TenthsThreshold{
        {fx::kOutTempHighAlarm, signed16, kHigh, &HR::OutTemp}, signedTenths, outTemp, 12},
    TenthsThreshold{
        {fx::kOutTempLowAlarm, signed16, kLow, &HR::OutTemp}, signedTenths, outTemp, 13},
    TenthsThreshold{
        {fx::kWindChillHighAlarm, signed16, kHigh, &HR::WindChill}, signedTenths, outTemp, 14},
    TenthsThreshold{
        {fx::kWindChillLowAlarm, signed16, kLow, &HR::WindChill}, signedTenths, outTemp, 15},
    TenthsThreshold{
        {fx::kDewPointHighAlarm, signed16, kHigh, &HR::DewPoint}, signedTenths, outTemp, 16},
    TenthsThreshold{
        {fx::kDewPointLowAlarm, signed16, kLow, &HR::DewPoint}, signedTenths, outTemp, 17},
    TenthsThreshold{
        {fx::kAbsPressureHighAlarm, unsigned16, kHigh, &HR::AbsPressure}, tenths, pressure, 18},
    TenthsThreshold{
        {fx::kAbsPressureLowAlarm, unsigned16, kLow, &HR::AbsPressure}, tenths, pressure, 19},
    TenthsThreshold{
        {fx::kRelPressureHighAlarm, unsigned16, kHigh, &HR::RelPressure}, tenths, pressure, 20},
    TenthsThreshold{
        {fx::kRelPressureLowAlarm, unsigned16, kLow, &HR::RelPressure}, tenths, pressure, 21},
    TenthsThreshold{{fx::kWindHighAlarm, wind16, kHigh, &HR::Wind}, windTenths, wind, 23},
    TenthsThreshold{{fx::kGustHighAlarm, wind16, kHigh, &HR::Gust}, windTenths, wind, 25},
    TenthsThreshold{{fx::kRainHourHighAlarm, unsigned16, kHigh, &HR::Rain1}, rainTenths, rain, 27},
    TenthsThreshold{{fx::kRainDayHighAlarm, unsigned16, kHigh, &HR::Rain2}, rainTenths, rain, 28},
    TenthsThreshold{{fx::kLightHighAlarm, unsigned24, kHigh, &HR::Light}, tenths24, light, 0},
};

inline constexpr std::array kAlarmSmall = {
    SmallThreshold{{fx::kInHumiHighAlarm, u8, kHigh, &HR::InHumi}, 6},
    SmallThreshold{{fx::kInHumiLowAlarm, u8, kLow, &HR::InHumi}, 7},
    SmallThreshold{{fx::kOutHumiHighAlarm, u8, kHigh, &HR::OutHumi}, 10},
    SmallThreshold{{fx::kOutHumiLowAlarm, u8, kLow, &HR::OutHumi}, 11},
    SmallThreshold{{fx::kWindDirectionAlarm, direction, kHigh, &HR::WindDirection}, 26},
    SmallThreshold{{fx::kUvHighAlarm, uvIndex, kHigh, &HR::UV}, 1},
};

inline constexpr std::array kAlarmStationBytes = {
    StationByte{fx::kWindAlarmBeaufort, u8, &CStationData::m_WindAlarmBeaufort, 22},
    StationByte{fx::kGustAlarmBeaufort, u8, &CStationData::m_GustAlarmBeaufort, 24},
    StationByte{fx::kAlarmHour, bcd, &CStationData::m_AlarmHour, 29},
    StationByte{fx::kAlarmMinute, bcd, &CStationData::m_AlarmMinute, 30},
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
    TenthsField{fx::kLightMax, unsigned24, kMax, &HR::Light},
    TenthsField{fx::kInTempMax, signed16, kMax, &HR::InTemp},
    TenthsField{fx::kInTempMin, signed16, kMin, &HR::InTemp},
    TenthsField{fx::kOutTempMax, signed16, kMax, &HR::OutTemp},
    TenthsField{fx::kOutTempMin, signed16, kMin, &HR::OutTemp},
    TenthsField{fx::kWindChillMax, signed16, kMax, &HR::WindChill},
    TenthsField{fx::kWindChillMin, signed16, kMin, &HR::WindChill},
    TenthsField{fx::kDewPointMax, signed16, kMax, &HR::DewPoint},
    TenthsField{fx::kDewPointMin, signed16, kMin, &HR::DewPoint},
    TenthsField{fx::kAbsPressureMax, unsigned16, kMax, &HR::AbsPressure},
    TenthsField{fx::kAbsPressureMin, unsigned16, kMin, &HR::AbsPressure},
    TenthsField{fx::kRelPressureMax, unsigned16, kMax, &HR::RelPressure},
    TenthsField{fx::kRelPressureMin, unsigned16, kMin, &HR::RelPressure},
    TenthsField{fx::kWindMax, wind16, kMax, &HR::Wind},
    TenthsField{fx::kGustMax, wind16, kMax, &HR::Gust},
    TenthsField{fx::kRainHourMax, unsigned16, kMax, &HR::Rain1},
    TenthsField{fx::kRainDayMax, unsigned16, kMax, &HR::Rain2},
    TenthsField{fx::kRainWeekMax, unsigned16, kMax, &HR::Rain3},
};

inline constexpr std::array kExtremeSmall = {
    SmallField{fx::kUvMax, uvIndex, kMax, &HR::UV},
    SmallField{fx::kInHumiMax, u8, kMax, &HR::InHumi},
    SmallField{fx::kInHumiMin, u8, kMin, &HR::InHumi},
    SmallField{fx::kOutHumiMax, u8, kMax, &HR::OutHumi},
    SmallField{fx::kOutHumiMin, u8, kMin, &HR::OutHumi},
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
    // Consoles hold a bit for hPa too (bit 5), and for m/s (byte 18 bit 0); one left with
    // no unit bit set is not one they ever show.
    units |= station.PressureUnit == 1 ? 0x40 : station.PressureUnit == 2 ? 0x80 : 0x20;
    return units;
}

// Byte 18: one bit per wind unit, bit 0 for m/s.
constexpr std::uint8_t windUnitByte(int windUnit) {
    return windUnit >= 1 && windUnit <= 4 ? static_cast<std::uint8_t>(1u << windUnit) : 0x01;
}

}  // namespace nimbra::fixed_fields
