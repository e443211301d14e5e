#pragma once

#include "upload/utc_time.h"

namespace nimbra::testing {

// 5 March 2024, 09:07:05 UTC: the moment the hand-worked requests are stamped with.
inline constexpr UtcTime kSampleTime{2024, 3, 5, 9, 7, 5};

}  // namespace nimbra::testing
