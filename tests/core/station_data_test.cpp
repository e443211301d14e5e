#include "core/station_data.h"

#include <gtest/gtest.h>

#include "core/absent.h"

namespace nimbra {
namespace {

TEST(StationData, NewRecordShowsEveryMeasurementAbsentAndDownloadsEverything) {
    const CStationData data;
    const HistoryRecord& c = data.m_Current;
    for (float v : {c.InTemp, c.OutTemp, c.RelPressure, c.AbsPressure, c.Wind, c.Gust, c.DewPoint,
                    c.WindChill, c.Rain1, c.Rain2, c.Rain3, c.Rain4, c.Rain5, c.Light}) {
        EXPECT_EQ(v, kAbsent);
    }
    for (std::int32_t v : {c.InHumi, c.OutHumi, c.WindDirection, c.UV}) {
        EXPECT_EQ(v, kAbsentInt);
    }
    EXPECT_EQ(data.LastPoint, 256);
    EXPECT_EQ(data.LastCount, 0);
    EXPECT_EQ(data.m_ParamLoaded, 0);
    EXPECT_TRUE(data.RecordTime.isValid());
    EXPECT_FLOAT_EQ(data.m_RainPerCount, 0.3f);
}

TEST(StationData, AbsentDefaultsOfMaximaMinimaAndAlarms) {
    const CStationData data;
    EXPECT_EQ(data.m_Max.WindDirection, 0);  // the one measurement the maxima leave at zero
    EXPECT_EQ(data.m_Max.UV, kAbsentInt);
    EXPECT_EQ(data.m_Min.Rain1, 0.0f);
    EXPECT_EQ(data.m_Min.Wind, kAbsent);
    EXPECT_EQ(data.m_AlarmHigh.Rain2, kAbsent);
    EXPECT_EQ(data.m_AlarmHigh.Rain3, 0.0f);
    EXPECT_EQ(data.m_AlarmLow.Wind, 0.0f);
    EXPECT_EQ(data.m_AlarmLow.DewPoint, kAbsent);
    for (int slot = 0; slot < kMeasurementSlots; ++slot) {
        EXPECT_EQ(data.m_MaxTime[slot], kAbsent);
        EXPECT_EQ(data.m_MinTime[slot], slot <= kSlotRainTotal ? kAbsent : 0.0) << slot;
        EXPECT_EQ(data.m_AlarmHighOn[slot], 0);
    }
}

TEST(StationData, CopiesAreIndependent) {
    CStationData source;
    source.m_Window[10] = 7;
    source.m_Current.OutTemp = 12.5f;
    CStationData copy;
    copy = source;
    copy.m_Window[10] = 9;
    copy.m_Current.OutTemp = -3.0f;
    copy.m_MaxTime[3] = 1.0;
    copy.LastPoint = 900;
    EXPECT_EQ(source.m_Window[10], 7);
    EXPECT_EQ(source.m_Current.OutTemp, 12.5f);
    EXPECT_EQ(source.m_MaxTime[3], kAbsent);
    EXPECT_EQ(source.LastPoint, 256);
    EXPECT_EQ(copy.paramBlock().LastPoint, 900);
}

}  // namespace
}  // namespace nimbra
