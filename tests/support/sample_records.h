#pragma once

#include "core/history_record.h"

namespace nimbra::testing {

// A record with a distinct value in every stored column, stamped `time`.
HistoryRecord sampleRecord(double time);

// A record with every reading absent.
HistoryRecord absentRecord(double time = 0.0);

// A full current reading whose upload values are worked out by hand in the tests.
HistoryRecord sampleReading();

}  // namespace nimbra::testing
