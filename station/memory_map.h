#pragma once

#include <cstdint>

#include "core/station_kind.h"

// The station console's 64 KiB memory: a 256-byte fixed block of settings, alarm
// thresholds, maxima and minima, followed by a ring of history records, 20 bytes each on
// a console with the solar sensor, 16 without. Every reader and writer of that memory
// takes its addresses from here, and every step round the ring is taken by the ring
// layout at the end, which derives from the record size and ring count alone.

namespace nimbra::memory_map {

inline constexpr std::uint32_t kMemorySize = 0x10000;
inline constexpr std::uint32_t kBlockSize = 32;

inline constexpr std::uint32_t kFixedBlockSize = 256;
inline constexpr std::uint16_t kRingStart = 256;
// The longer of the two records; buffers that hold either kind are this long.
inline constexpr std::uint32_t kMaxRecordSize = 20;

// The value the PC writes to the commit byte as the last write of every change.
inline constexpr std::uint8_t kCommitValue = 0xAA;

// Offsets in the fixed block. Two-byte and three-byte fields start at the offset given
// and are little-endian; a "Time" field is five BCD bytes year, month, day, hour, minute.
namespace fixed {
inline constexpr std::uint16_t kUvMaxTime = 6;
inline constexpr std::uint16_t kLightMaxTime = 11;
inline constexpr std::uint16_t kInterval = 16;
inline constexpr std::uint16_t kUnits = 17;
inline constexpr std::uint16_t kWindUnit = 18;
inline constexpr std::uint16_t kDisplay1 = 19;
inline constexpr std::uint16_t kDisplay2 = 20;
inline constexpr std::uint16_t kAlarmEnables1 = 21;
inline constexpr std::uint16_t kAlarmEnables2 = 22;
inline constexpr std::uint16_t kAlarmEnables3 = 23;
inline constexpr std::uint16_t kTimeZone = 24;
inline constexpr std::uint16_t kCommit = 26;
inline constexpr std::uint16_t kDataCount = 27;
inline constexpr std::uint16_t kFlags29 = 29;
inline constexpr std::uint16_t kCurrentPos = 30;
inline constexpr std::uint16_t kRelPressure = 32;
inline constexpr std::uint16_t kAbsPressure = 34;
// The solar sensor's light coefficient; a console without the sensor reads 0 here.
inline constexpr std::uint16_t kLightCoefficient = 36;

inline constexpr std::uint16_t kInHumiHighAlarm = 48;
inline constexpr std::uint16_t kInHumiLowAlarm = 49;
inline constexpr std::uint16_t kInTempHighAlarm = 50;
inline constexpr std::uint16_t kInTempLowAlarm = 52;
inline constexpr std::uint16_t kOutHumiHighAlarm = 54;
inline constexpr std::uint16_t kOutHumiLowAlarm = 55;
inline constexpr std::uint16_t kOutTempHighAlarm = 56;
inline constexpr std::uint16_t kOutTempLowAlarm = 58;
inline constexpr std::uint16_t kWindChillHighAlarm = 60;
inline constexpr std::uint16_t kWindChillLowAlarm = 62;
inline constexpr std::uint16_t kDewPointHighAlarm = 64;
inline constexpr std::uint16_t kDewPointLowAlarm = 66;
inline constexpr std::uint16_t kAbsPressureHighAlarm = 68;
inline constexpr std::uint16_t kAbsPressureLowAlarm = 70;
inline constexpr std::uint16_t kRelPressureHighAlarm = 72;
inline constexpr std::uint16_t kRelPressureLowAlarm = 74;
inline constexpr std::uint16_t kWindAlarmBeaufort = 76;
inline constexpr std::uint16_t kWindHighAlarm = 77;
inline constexpr std::uint16_t kGustAlarmBeaufort = 79;
inline constexpr std::uint16_t kGustHighAlarm = 80;
inline constexpr std::uint16_t kWindDirectionAlarm = 82;
inline constexpr std::uint16_t kRainHourHighAlarm = 83;
inline constexpr std::uint16_t kRainDayHighAlarm = 85;
inline constexpr std::uint16_t kAlarmHour = 87;
inline constexpr std::uint16_t kAlarmMinute = 88;
inline constexpr std::uint16_t kLightHighAlarm = 89;
inline constexpr std::uint16_t kUvHighAlarm = 92;

inline constexpr std::uint16_t kUvMax = 93;
inline constexpr std::uint16_t kLightMax = 94;
inline constexpr std::uint16_t kInHumiMax = 98;
inline constexpr std::uint16_t kInHumiMin = 99;
inline constexpr std::uint16_t kOutHumiMax = 100;
inline constexpr std::uint16_t kOutHumiMin = 101;
inline constexpr std::uint16_t kInTempMax = 102;
inline constexpr std::uint16_t kInTempMin = 104;
inline constexpr std::uint16_t kOutTempMax = 106;
inline constexpr std::uint16_t kOutTempMin = 108;
inline constexpr std::uint16_t kWindChillMax = 110;
inline constexpr std::uint16_t kWindChillMin = 112;
inline constexpr std::uint16_t kDewPointMax = 114;
inline constexpr std::uint16_t kDewPointMin = 116;
inline constexpr std::uint16_t kAbsPressureMax = 118;
inline constexpr std::uint16_t kAbsPressureMin = 120;
inline constexpr std::uint16_t kRelPressureMax = 122;
inline constexpr std::uint16_t kRelPressureMin = 124;
inline constexpr std::uint16_t kWindMax = 126;
inline constexpr std::uint16_t kGustMax = 128;
inline constexpr std::uint16_t kRainHourMax = 130;
inline constexpr std::uint16_t kRainDayMax = 132;
inline constexpr std::uint16_t kRainWeekMax = 134;
inline constexpr std::uint16_t kRainMonthMax = 136;  // low 16 bits; bits 16-19 in kRainHighBits
inline constexpr std::uint16_t kRainTotalMax = 138;  // low 16 bits; bits 16-19 in kRainHighBits
inline constexpr std::uint16_t kRainHighBits = 140;  // low nibble month, high nibble total

inline constexpr std::uint16_t kInHumiMaxTime = 141;
inline constexpr std::uint16_t kInHumiMinTime = 146;
inline constexpr std::uint16_t kOutHumiMaxTime = 151;
inline constexpr std::uint16_t kOutHumiMinTime = 156;
inline constexpr std::uint16_t kInTempMaxTime = 161;
inline constexpr std::uint16_t kInTempMinTime = 166;
inline constexpr std::uint16_t kOutTempMaxTime = 171;
inline constexpr std::uint16_t kOutTempMinTime = 176;
inline constexpr std::uint16_t kWindChillMaxTime = 181;
inline constexpr std::uint16_t kWindChillMinTime = 186;
inline constexpr std::uint16_t kDewPointMaxTime = 191;
inline constexpr std::uint16_t kDewPointMinTime = 196;
inline constexpr std::uint16_t kAbsPressureMaxTime = 201;
inline constexpr std::uint16_t kAbsPressureMinTime = 206;
inline constexpr std::uint16_t kRelPressureMaxTime = 211;
inline constexpr std::uint16_t kRelPressureMinTime = 216;
inline constexpr std::uint16_t kWindMaxTime = 221;
inline constexpr std::uint16_t kGustMaxTime = 226;
inline constexpr std::uint16_t kRainHourMaxTime = 231;
inline constexpr std::uint16_t kRainDayMaxTime = 236;
inline constexpr std::uint16_t kRainWeekMaxTime = 241;
inline constexpr std::uint16_t kRainMonthMaxTime = 246;
inline constexpr std::uint16_t kRainTotalMaxTime = 251;
}  // namespace fixed

// Offsets in a history record; light and UV exist only in the 20-byte one.
namespace record {
inline constexpr std::uint16_t kInterval = 0;  // minutes since the previous record
inline constexpr std::uint16_t kInHumi = 1;
inline constexpr std::uint16_t kInTemp = 2;
inline constexpr std::uint16_t kOutHumi = 4;
inline constexpr std::uint16_t kOutTemp = 5;
inline constexpr std::uint16_t kAbsPressure = 7;
inline constexpr std::uint16_t kWindLow = 9;        // wind speed bits 0-7
inline constexpr std::uint16_t kGustLow = 10;       // gust speed bits 0-7
inline constexpr std::uint16_t kWindGustHigh = 11;  // wind bits 8-11 low nibble, gust high nibble
inline constexpr std::uint16_t kWindDirection = 12;
inline constexpr std::uint16_t kRainCounter = 13;
inline constexpr std::uint16_t kStatus = 15;
inline constexpr std::uint16_t kLight = 16;
inline constexpr std::uint16_t kUv = 19;

inline constexpr std::uint8_t kRainOverflowBit = 0x80;
inline constexpr std::uint8_t kNoContactBit = 0x40;
}  // namespace record

// Stepping round the ring of one kind of console. Addresses are signed here, as the
// download arithmetic and the stored last position hold them.
struct RingLayout {
    std::int32_t recordSize;
    std::int32_t records;

    constexpr std::int32_t ringBytes() const { return records * recordSize; }

    // History record addresses: 256, 256 + size, ..., after which the ring starts again.
    constexpr bool isRecordAddress(std::int32_t address) const {
        return address >= kRingStart && address < static_cast<std::int32_t>(kMemorySize) &&
               (address - kRingStart) % recordSize == 0;
    }

    // Whole records from the ring start to `address`.
    constexpr std::int32_t ringIndex(std::int32_t address) const {
        return (address - kRingStart) / recordSize;
    }

    // The address of the record `index` records on from the ring start, round the ring
    // as often as it takes, either way.
    constexpr std::uint16_t recordAddress(std::int32_t index) const {
        const std::int32_t wrapped = ((index % records) + records) % records;
        return static_cast<std::uint16_t>(kRingStart + wrapped * recordSize);
    }

    // The address `count` records on from `address`, back when negative, going round the
    // end of memory once at most.
    constexpr std::int32_t stepRecords(std::int32_t address, std::int32_t count) const {
        const std::int32_t stepped = address + count * recordSize;
        if (stepped < kRingStart) {
            return stepped + ringBytes();
        }
        return stepped >= static_cast<std::int32_t>(kMemorySize) ? stepped - ringBytes() : stepped;
    }

    constexpr std::uint16_t nextRecordAddress(std::int32_t address) const {
        return static_cast<std::uint16_t>(stepRecords(address, 1));
    }

    // Records from the one at `from` on to the one at `to`, round the end of memory when
    // `to` lies before `from`; 0 when they are the same.
    constexpr std::int32_t recordsFromTo(std::int32_t from, std::int32_t to) const {
        return (to - from + (to < from ? ringBytes() : 0)) / recordSize;
    }

    // Whether a record at `address` ends within memory; past its end the ring goes on at
    // its start.
    constexpr bool endsInMemory(std::int32_t address) const {
        return address + recordSize <= static_cast<std::int32_t>(kMemorySize);
    }
};

// Both rings fill the memory after the fixed block exactly.
inline constexpr RingLayout kRing20{20, 3264};
inline constexpr RingLayout kRing16{16, 4080};
static_assert(kRingStart + kRing20.ringBytes() == kMemorySize);
static_assert(kRingStart + kRing16.ringBytes() == kMemorySize);

constexpr const RingLayout& ringLayout(StationKind kind) {
    return kind == StationKind::records16 ? kRing16 : kRing20;
}

static_assert(kRing20.nextRecordAddress(65516) == kRingStart &&
              kRing20.stepRecords(kRingStart, -1) == 65516 &&
              kRing20.recordsFromTo(65476, 296) == 5);
static_assert(kRing16.nextRecordAddress(65520) == kRingStart &&
              kRing16.stepRecords(kRingStart, -1) == 65520 &&
              kRing16.recordsFromTo(65504, 288) == 4);

}  // namespace nimbra::memory_map
