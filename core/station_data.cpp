#include "core/station_data.h"

#include "core/absent.h"

namespace nimbra {

namespace {

void markMeasurementsAbsent(HistoryRecord& r) {
    r.InTemp = r.OutTemp = r.RelPressure = r.AbsPressure = kAbsent;
    r.InHumi = r.OutHumi = kAbsentInt;
    r.Wind = r.Gust = r.DewPoint = r.WindChill = kAbsent;
}

}  // namespace

CStationData::CStationData() {
    markMeasurementsAbsent(m_Current);
    m_Current.WindDirection = kAbsentInt;
    m_Current.Rain1 = m_Current.Rain2 = m_Current.Rain3 = m_Current.Rain4 = m_Current.Rain5 =
        kAbsent;
    m_Current.Light = kAbsent;
    m_Current.UV = kAbsentInt;

    markMeasurementsAbsent(m_Max);
    m_Max.Rain1 = m_Max.Rain2 = m_Max.Rain3 = m_Max.Rain4 = m_Max.Rain5 = kAbsent;
    m_Max.Light = kAbsent;
    m_Max.UV = kAbsentInt;

    markMeasurementsAbsent(m_Min);

    markMeasurementsAbsent(m_AlarmHigh);
    m_AlarmHigh.Rain1 = m_AlarmHigh.Rain2 = kAbsent;
    m_AlarmHigh.Light = kAbsent;
    m_AlarmHigh.UV = kAbsentInt;

    m_AlarmLow.InTemp = m_AlarmLow.OutTemp = kAbsent;
    m_AlarmLow.InHumi = m_AlarmLow.OutHumi = kAbsentInt;
    m_AlarmLow.RelPressure = m_AlarmLow.AbsPressure = kAbsent;
    m_AlarmLow.DewPoint = m_AlarmLow.WindChill = kAbsent;

    m_MaxTime.fill(kAbsent);
    for (int slot = 0; slot <= kSlotRainTotal; ++slot) {
        m_MinTime[slot] = kAbsent;
    }
}

}  // namespace nimbra
