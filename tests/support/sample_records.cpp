#include "tests/support/sample_records.h"

#include "core/absent.h"

namespace nimbra::testing {

HistoryRecord sampleRecord(double time) {
    HistoryRecord r;
    r.Time = time;
    r.Interval = 5;
    r.InTemp = 21.3f;
    r.InHumi = 45;
    r.OutTemp = -7.9f;
    r.OutHumi = 88;
    r.RelPressure = 1013.2f;
    r.AbsPressure = 990.7f;
    r.Wind = 3.4f;
    r.Gust = 6.8f;
    r.WindDirection = 11;
    r.DewPoint = -9.1f;
    r.WindChill = -12.6f;
    r.Rain = 0.3f;
    r.Rcount = 123;
    r.Rain1 = 1.2f;
    r.Rain2 = 3.4f;
    r.Rain3 = 5.6f;
    r.Rain4 = 7.8f;
    r.Rain5 = 901.2f;
    r.Light = 5432.1f;
    r.UV = 4;
    return r;
}

HistoryRecord absentRecord(double time) {
    HistoryRecord r;
    r.Time = time;
    r.Interval = 30;
    r.InTemp = r.OutTemp = r.RelPressure = r.AbsPressure = r.Wind = r.Gust = kAbsent;
    r.DewPoint = r.WindChill = r.Rain = r.Rain1 = r.Rain2 = r.Rain3 = r.Rain4 = r.Rain5 = kAbsent;
    r.RainYear = r.Light = kAbsent;
    r.InHumi = r.OutHumi = r.UV = r.WindDirection = kAbsentInt;
    return r;
}

HistoryRecord sampleReading() {
    HistoryRecord r;
    r.InTemp = 21.5f;
    r.OutTemp = -5.3f;
    r.DewPoint = -8.0f;
    r.WindChill = -9.1f;
    r.InHumi = 45;
    r.OutHumi = 87;
    r.Wind = 3.4f;
    r.Gust = 10.0f;
    r.WindDirection = 3;
    r.AbsPressure = 1003.5f;
    r.RelPressure = 1013.2f;
    r.Rain2 = 25.4f;
    r.Rain3 = 0.3f;
    r.Rain4 = 60.0f;
    r.RainYear = 123.4f;
    r.Light = 12670.0f;
    r.UV = 3;
    return r;
}

}  // namespace nimbra::testing
