#include "station/record_codec.h"

#include <algorithm>

#include "core/absent.h"
#include "core/byte_order.h"
#include "core/derived.h"
#include "core/station_data.h"
#include "station/field_codec.h"

namespace nimbra {

namespace {

namespace rec = memory_map::record;

// Speeds above this are radio noise, not wind.
constexpr float kMaxPlausibleWind = 50.0f;

float plausibleWind(float metresPerSecond) {
    return metresPerSecond > kMaxPlausibleWind ? kAbsent : metresPerSecond;
}

bool outside(float value, float low, float high) {
    return !isAbsent(value) && (value < low || value > high);
}

bool outside(std::int32_t value, std::int32_t low, std::int32_t high) {
    return !isAbsent(value) && (value < low || value > high);
}

void markOutdoorAbsent(HistoryRecord& r) {
    r.OutHumi = r.WindDirection = r.UV = kAbsentInt;
    r.OutTemp = r.Wind = r.Gust = r.DewPoint = r.WindChill = r.Light = kAbsent;
    r.Rcount = -1;
}

bool holdsSolarReadings(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= memory_map::kMaxRecordSize;
}

}  // namespace

float relativePressureOffset(const CStationData& station) {
    if (isAbsent(station.m_RelPressure) || isAbsent(station.m_AbsPressure)) {
        return kAbsent;
    }
    return station.m_RelPressure - station.m_AbsPressure;
}

DecodedRecord decodeHistoryRecord(RecordBytes b, float pressureOffset) {
    DecodedRecord decoded;
    HistoryRecord& r = decoded.record;
    if (b.size() < static_cast<std::size_t>(memory_map::kRing16.recordSize)) {
        decoded.valid = false;  // not a record of either console
        return decoded;
    }
    r.Interval = b[rec::kInterval];
    r.InHumi = decodeU8(b[rec::kInHumi]);
    r.InTemp = decodeS16Tenths(&b[rec::kInTemp]);
    r.AbsPressure = decodeU16Tenths(&b[rec::kAbsPressure]);
    r.RelPressure = isAbsent(r.AbsPressure) || isAbsent(pressureOffset)
                        ? kAbsent
                        : r.AbsPressure + pressureOffset;

    decoded.valid = r.Interval != 0 && r.Interval <= 241 && !outside(r.InTemp, -40.0f, 60.0f) &&
                    !outside(r.InHumi, 1, 99) && !outside(r.AbsPressure, 300.0f, 2000.0f);

    const std::uint8_t status = b[rec::kStatus];
    if ((status & rec::kNoContactBit) != 0) {
        markOutdoorAbsent(r);
        return decoded;
    }

    r.OutHumi = decodeU8(b[rec::kOutHumi]);
    decoded.valid = decoded.valid && !outside(r.OutHumi, 1, 99);
    r.OutTemp = decodeS16Tenths(&b[rec::kOutTemp]);
    const std::uint8_t high = b[rec::kWindGustHigh];
    r.Wind = plausibleWind(
        decodeWind12Tenths(static_cast<std::uint16_t>(((high & 0x0F) << 8) | b[rec::kWindLow])));
    r.Gust = plausibleWind(
        decodeWind12Tenths(static_cast<std::uint16_t>(((high >> 4) << 8) | b[rec::kGustLow])));
    r.WindDirection = decodeDirection(b[rec::kWindDirection]);
    r.Light = holdsSolarReadings(b) ? decodeU24Tenths(&b[rec::kLight]) : kAbsent;
    r.UV = holdsSolarReadings(b) ? decodeUvIndex(b[rec::kUv]) : kAbsentInt;
    r.DewPoint = ComputeDewPoint(r.OutTemp, r.OutHumi);
    r.WindChill = ComputeWindChill(r.OutTemp, r.Wind);

    // The overflow bit stands for 0xFFFF counts, the value the console itself adds.
    r.Rcount =
        loadLe16(&b[rec::kRainCounter]) + ((status & rec::kRainOverflowBit) != 0 ? 0xFFFF : 0);
    return decoded;
}

HistoryRecord decodeHistoryRecord(RecordBytes bytes, CStationData& station) {
    const DecodedRecord decoded = decodeHistoryRecord(bytes, relativePressureOffset(station));
    station.m_RecordValid = decoded.valid ? 1 : 0;
    return decoded.record;
}

void encodeHistoryRecord(const HistoryRecord& r, OutdoorSensor sensor, MutableRecordBytes b) {
    b[rec::kInterval] = static_cast<std::uint8_t>(std::clamp(r.Interval, 0, 0xFF));
    b[rec::kInHumi] = encodeU8(r.InHumi);
    encodeS16Tenths(&b[rec::kInTemp], r.InTemp);
    encodeU16Tenths(&b[rec::kAbsPressure], r.AbsPressure);

    const bool contact = sensor == OutdoorSensor::inContact;
    b[rec::kOutHumi] = encodeU8(contact ? r.OutHumi : kAbsentInt);
    encodeS16Tenths(&b[rec::kOutTemp], contact ? r.OutTemp : kAbsent);
    const std::uint16_t wind = encodeWind12Tenths(contact ? r.Wind : kAbsent);
    const std::uint16_t gust = encodeWind12Tenths(contact ? r.Gust : kAbsent);
    b[rec::kWindLow] = static_cast<std::uint8_t>(wind);
    b[rec::kGustLow] = static_cast<std::uint8_t>(gust);
    b[rec::kWindGustHigh] = static_cast<std::uint8_t>((wind >> 8) | ((gust >> 8) << 4));
    b[rec::kWindDirection] = encodeDirection(contact ? r.WindDirection : kAbsentInt);
    if (holdsSolarReadings(b)) {
        encodeU24Tenths(&b[rec::kLight], contact ? r.Light : kAbsent);
        b[rec::kUv] = encodeUvIndex(contact ? r.UV : kAbsentInt);
    }

    std::uint8_t status = contact ? 0 : rec::kNoContactBit;
    std::uint16_t counter = 0xFFFF;
    if (r.Rcount >= 0) {
        const std::int32_t count = std::min(r.Rcount, kMaxRainCount);
        if (count > 0xFFFF) {
            status |= rec::kRainOverflowBit;
            counter = static_cast<std::uint16_t>(count - 0xFFFF);
        } else {
            counter = static_cast<std::uint16_t>(count);
        }
    }
    storeLe16(&b[rec::kRainCounter], counter);
    b[rec::kStatus] = status;
}

float takeRecordRain(std::int32_t rcount, std::int32_t& rainCounter, float rainPerCount) {
    if (rcount == -1) {
        return 0.0f;
    }
    const std::int64_t steps = static_cast<std::int64_t>(rcount) - rainCounter;
    rainCounter = rcount;
    return steps >= 0 && steps <= 128 ? rainPerCount * static_cast<float>(steps) : 0.0f;
}

}  // namespace nimbra
