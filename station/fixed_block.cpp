#include "station/fixed_block.h"

#include <algorithm>
#include <array>

#include "core/absent.h"
#include "core/byte_order.h"
#include "core/station_data.h"
#include "station/field_codec.h"
#include "station/fixed_fields.h"

namespace nimbra {

namespace {

using namespace fixed_fields;

using enum TenthsFormat;
using enum SmallFormat;

constexpr int widthOf(TenthsFormat format) {
    return format == unsigned24 ? 3 : 2;
}

template <typename Table>
constexpr bool fitsFixedBlock(const Table& table, int width) {
    return std::all_of(table.begin(), table.end(), [width](const auto& field) {
        return field.offset + width <= static_cast<int>(memory_map::kFixedBlockSize);
    });
}
static_assert(fitsFixedBlock(kAlarmTenths, 3) && fitsFixedBlock(kExtremeTenths, 3));
static_assert(fitsFixedBlock(kAlarmSmall, 1) && fitsFixedBlock(kExtremeSmall, 1) &&
              fitsFixedBlock(kAlarmStationBytes, 1));
static_assert(fitsFixedBlock(kExtremeTimes, kBcdDateTimeSize) && fitsFixedBlock(kEnableBits, 1));

float decodeTenths(TenthsFormat format, const std::uint8_t* bytes) {
    switch (format) {
        case signed16:
            return decodeS16Tenths(bytes);
        case unsigned16:
            return decodeU16Tenths(bytes);
        case wind16:
            return decodeW16Tenths(bytes);
        case unsigned24:
            return decodeU24Tenths(bytes);
    }
    return 0.0f;
}

void encodeTenths(TenthsFormat format, std::uint8_t* bytes, float value) {
    switch (format) {
        case signed16:
            return encodeS16Tenths(bytes, value);
        case unsigned16:
            return encodeU16Tenths(bytes, value);
        case wind16:
            return encodeW16Tenths(bytes, value);
        case unsigned24:
            return encodeU24Tenths(bytes, value);
    }
}

std::int32_t decodeSmall(SmallFormat format, std::uint8_t byte) {
    switch (format) {
        case u8:
            return decodeU8(byte);
        case direction:
            return decodeDirection(byte);
        case uvIndex:
            return decodeUvIndex(byte);
        case bcd:
            return decodeBcd(byte);
    }
    return 0;
}

std::uint8_t encodeSmall(SmallFormat format, std::int32_t value) {
    switch (format) {
        case u8:
            return encodeU8(value);
        case direction:
            return encodeDirection(value);
        case uvIndex:
            return encodeUvIndex(value);
        case bcd:
            return encodeBcd(value);
    }
    return 0xFF;
}

template <typename Table>
void decodeTenthsFields(const Table& table, FixedBlockBytes block, CStationData& station) {
    for (const TenthsField& f : table) {
        (station.*f.record).*f.member = decodeTenths(f.format, &block[f.offset]);
    }
}

template <typename Table>
void encodeTenthsFields(const Table& table, const CStationData& station,
                        MutableFixedBlockBytes block) {
    for (const TenthsField& f : table) {
        encodeTenths(f.format, &block[f.offset], (station.*f.record).*f.member);
    }
}

template <typename Table>
void decodeSmallFields(const Table& table, FixedBlockBytes block, CStationData& station) {
    for (const SmallField& f : table) {
        (station.*f.record).*f.member = decodeSmall(f.format, block[f.offset]);
    }
}

template <typename Table>
void encodeSmallFields(const Table& table, const CStationData& station,
                       MutableFixedBlockBytes block) {
    for (const SmallField& f : table) {
        block[f.offset] = encodeSmall(f.format, (station.*f.record).*f.member);
    }
}

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
    for (const StationByte& f : kAlarmStationBytes) {
        station.*f.member = decodeSmall(f.format, block[f.offset]);
    }

    decodeTenthsFields(kExtremeTenths, block, station);
    decodeSmallFields(kExtremeSmall, block, station);
    const std::uint8_t rainHigh = block[fx::kRainHighBits];
    station.m_Max.Rain4 = decodeRain20Tenths(loadLe16(&block[fx::kRainMonthMax]), rainHigh & 0x0F);
    station.m_Max.Rain5 = decodeRain20Tenths(loadLe16(&block[fx::kRainTotalMax]), rainHigh >> 4);
    for (const TimeField& t : kExtremeTimes) {
        (station.*t.times)[t.slot] = decodeBcdDateTime(&block[t.offset]);
    }
}

void forgetSolarFields(CStationData& station) {
    station.m_Max.Light = station.m_AlarmHigh.Light = kAbsent;
    station.m_Max.UV = station.m_AlarmHigh.UV = kAbsentInt;
    station.m_MaxTime[kSlotLight] = station.m_MaxTime[kSlotUV] = 0.0;
    station.m_AlarmHighOn[kSlotLight] = station.m_AlarmHighOn[kSlotUV] = 0;
}

void encodeSettings(const CStationData& station, MutableFixedBlockBytes block) {
    block[fx::kInterval] = static_cast<std::uint8_t>(std::clamp(station.m_Interval, 0, 0xFF));
    block[fx::kUnits] = (block[fx::kUnits] & ~kUnitBits) | unitBits(station);
    block[fx::kWindUnit] = windUnitByte(station.WindUnit);
    block[fx::kDisplay1] = station.m_Display1;
    block[fx::kDisplay2] = station.m_Display2;
    block[fx::kTimeZone] = lowByte(station.m_TimeZone);
    block[fx::kFlags29] =
        (station.m_Flags29 & ~kLightUnitBits) | encodeLightUnit(station.LightUnit);
    encodeU16Tenths(&block[fx::kRelPressure], station.m_RelPressure);
}

void encodeAlarms(const CStationData& station, MutableFixedBlockBytes block) {
    for (const EnableByte& e : kEnableBytes) {
        const std::uint8_t others =
            e.offset == fx::kFlags29 ? block[e.offset] & ~enableMask(e.offset) : 0x00;
        block[e.offset] = others | enableBits(station, e.offset);
    }
    encodeTenthsFields(kAlarmTenths, station, block);
    encodeSmallFields(kAlarmSmall, station, block);
    for (const StationByte& f : kAlarmStationBytes) {
        block[f.offset] = encodeSmall(f.format, station.*f.member);
    }
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
