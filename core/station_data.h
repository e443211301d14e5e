#pragma once

#include <array>
#include <cstdint>

#include "core/history_record.h"
#include "core/ole_date.h"
#include "core/station_kind.h"

namespace nimbra {

class CWeatherDb;

// Number of entries of the per-measurement arrays, and their slot order.
inline constexpr int kMeasurementSlots = 17;
enum MeasurementSlot {
    kSlotInTemp = 0,
    kSlotInHumi,
    kSlotOutTemp,
    kSlotOutHumi,
    kSlotRelPressure,
    kSlotAbsPressure,
    kSlotWind,
    kSlotGust,
    kSlotWindChill,
    kSlotDewPoint,
    kSlotRainHour,
    kSlotRainDay,
    kSlotRainWeek,
    kSlotRainMonth,
    kSlotRainTotal,
    kSlotLight,
    kSlotUV,
};

// "Nothing downloaded yet": the address of the first history record.
inline constexpr std::int32_t kNothingDownloaded = 256;

// The members the one-row Param table mirrors: rain bookkeeping, the download position
// and the unit codes. The database layer reads and writes exactly this block.
struct ParamBlock {
    OleDate RecordTime = OleDate::currentTime();  // newest stored history record
    std::int32_t RainCounter = 0;                 // last rain counter accounted for
    std::int32_t Rain1Interval = 0;
    std::int32_t Rain2Interval = 0;
    std::int32_t Rain3Interval = 0;
    std::int32_t Rain4Interval = 0;
    std::int32_t Rain1Count = 0;
    std::int32_t Rain2Count = 0;
    std::int32_t Rain3Count = 0;
    std::int32_t Rain4Count = 0;
    std::int32_t LastCount = 0;                   // station record count at the last run
    std::int32_t LastPoint = kNothingDownloaded;  // station current-record address at the last run
    std::int32_t InTempUnit = 0;
    std::int32_t OutTempUnit = 0;
    std::int32_t PressureUnit = 0;
    std::int32_t RainUnit = 0;
    std::int32_t WindUnit = 0;
    std::uint8_t m_ParamLoaded = 0;  // set once a Param row exists or was read
    std::int32_t LightUnit = 0;

    friend bool operator==(const ParamBlock&, const ParamBlock&) = default;
};

// The in-memory image of one station: current reading, maxima and minima with their
// times, alarm thresholds and enables, settings, the Param block and the working state
// of an acquisition run. A plain value: copies are independent.
class CStationData : public ParamBlock {
public:
    CStationData();

    HistoryRecord m_Current;    // current reading; Rain1..Rain5 and RainYear hold running totals
    HistoryRecord m_Max;        // station maxima
    HistoryRecord m_Min;        // station minima
    HistoryRecord m_AlarmHigh;  // high alarm thresholds
    HistoryRecord m_AlarmLow;   // low alarm thresholds
    std::array<double, kMeasurementSlots> m_MaxTime{};  // OLE dates of the maxima
    std::array<double, kMeasurementSlots> m_MinTime{};  // OLE dates of the minima
    std::array<std::uint8_t, kMeasurementSlots> m_AlarmHighOn{};
    std::array<std::uint8_t, kMeasurementSlots> m_AlarmLowOn{};
    std::int32_t m_AlarmHour = 0;
    std::int32_t m_AlarmMinute = 0;
    std::uint8_t m_TimeAlarmOn = 0;

    // ParamBlock members (RecordTime .. LightUnit) come from the base.

    std::int32_t m_Interval = 0;  // history interval, minutes
    std::uint8_t m_Display1 = 0;  // display option bits
    std::uint8_t m_Display2 = 0;
    std::int32_t m_TimeZone = 0;
    float m_RelPressure = 0.0f;     // relative pressure setting, hPa
    float m_AbsPressure = 0.0f;     // absolute pressure, hPa
    std::int32_t m_DataCount = 0;   // records in the station, the one being filled included
    std::int32_t m_CurrentPos = 0;  // address of the record being filled
    std::int32_t m_WindAlarmBeaufort = 0;
    std::int32_t m_GustAlarmBeaufort = 0;
    std::uint8_t m_WindDirAlarmOn = 0;
    float m_RainPerCount = 0.3f;  // mm per rain counter step
    CWeatherDb* m_Db = nullptr;   // borrowed: the database acquisition writes to
    OleDate m_Now;                // wall clock at the start of the current acquisition
    std::int32_t m_TempFileOpen = 0;
    std::uint8_t m_Stop = 0;
    std::int32_t m_RecordValid = 0;
    std::int32_t m_ReadPos = 0;
    std::int32_t m_ToRead = 0;
    std::array<std::uint8_t, 256> m_Window{};
    std::array<std::uint8_t, 64> m_ReadBuffer{};
    std::uint8_t m_Flags29 = 0;        // fixed byte 29 as read
    std::int32_t m_StoredCount = 0;    // progress: records stored in this run
    std::int32_t m_RainDoneCount = 0;  // progress: rain totals computed in this run
    std::int32_t m_PrevInTempUnit = 0;
    std::int32_t m_PrevOutTempUnit = 0;
    std::int32_t m_PrevRainUnit = 0;
    std::int32_t m_PrevPressureUnit = 0;
    std::int32_t m_PrevWindUnit = 0;
    std::int32_t m_PrevLightUnit = 0;
    std::int32_t m_Reading = 0;
    std::int32_t m_Reanchor = 0;         // the station pointer went back: re-anchor to the PC clock
    std::int32_t m_FirstRainSample = 0;  // take the next rain counter as the base
    std::int32_t m_IntervalSum = 0;
    std::int32_t m_ReadFailed = 0;  // block 0 of the station was unreadable
    // Which console the station is, as detected or set: its record size and ring, and
    // whether light and UV exist.
    StationKind m_Kind = StationKind::records20;

    ParamBlock& paramBlock() { return *this; }
    const ParamBlock& paramBlock() const { return *this; }
};

}  // namespace nimbra
