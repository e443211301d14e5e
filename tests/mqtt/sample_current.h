#pragma once

#include <ctime>

#include "core/history_record.h"
#include "core/ole_date.h"
#include "tests/support/sample_records.h"

namespace nimbra::testing {

// 5 March 2024, 09:07:05 UTC, as the station's local time of the reading.
inline constexpr const char* kSampleCurrentUtc = "2024-03-05T09:07:05Z";

// The shared sample reading, stamped, with every rain total present and each one distinct.
inline HistoryRecord sampleCurrent() {
    HistoryRecord r = sampleReading();
    std::tm utc{};
    utc.tm_year = 2024 - 1900;
    utc.tm_mon = 2;
    utc.tm_mday = 5;
    utc.tm_hour = 9;
    utc.tm_min = 7;
    utc.tm_sec = 5;
    r.Time = OleDate::fromTimeT(timegm(&utc)).value();
    r.Rain1 = 0.3f;
    r.Rain3 = 25.7f;
    r.Rain5 = 1234.5f;
    return r;
}

}  // namespace nimbra::testing
