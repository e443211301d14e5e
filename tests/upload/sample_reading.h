#pragma once

#include "core/history_record.h"
#include "upload/utc_time.h"

namespace nimbra::testing {

// A full current reading whose upload values are worked out by hand in the tests.
inline HistoryRecord sampleReading() {
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

// 5 March 2024, 09:07:05 UTC.
inline constexpr UtcTime kSampleTime{2024, 3, 5, 9, 7, 5};

}  // namespace nimbra::testing
