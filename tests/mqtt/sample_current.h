#pragma once

#include <ctime>

#include "core/history_record.h"
#include "core/ole_date.h"

namespace nimbra::testing {

// 5 March 2024, 09:07:05 UTC, as the station's local time of the reading.
inline constexpr const char* kSampleCurrentUtc = "2024-03-05T09:07:05Z";

// A current reading with every quantity present.
inline HistoryRecord sampleCurrent() {
    HistoryRecord r;
    std::tm utc{};
    utc.tm_year = 2024 - 1900;
    utc.tm_mon = 2;
    utc.tm_mday = 5;
    utc.tm_hour = 9;
    utc.tm_min = 7;
    utc.tm_sec = 5;
    r.Time = OleDate::fromTimeT(timegm(&utc)).value();
    r.InTemp = 21.5f;
    r.InHumi = 45;
    r.OutTemp = -5.3f;
    r.OutHumi = 87;
    r.RelPressure = 1013.2f;
    r.AbsPressure = 1003.5f;
    r.Wind = 3.4f;
    r.Gust = 10.0f;
    r.WindDirection = 3;
    r.WindChill = -9.1f;
    r.DewPoint = -8.0f;
    r.Rain1 = 0.3f;
    r.Rain2 = 25.4f;
    r.Rain3 = 25.7f;
    r.Rain4 = 60.0f;
    r.Rain5 = 1234.5f;
    r.Light = 12670.0f;
    r.UV = 3;
    return r;
}

}  // namespace nimbra::testing
