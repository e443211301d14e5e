#include "store/repeat_rule.h"

#include <algorithm>
#include <variant>

namespace nimbra {

namespace {
constexpr double kLeastToleranceSeconds = 30.0;
}  // namespace

bool SameReadings(const HistoryRecord& a, const HistoryRecord& b) {
    return std::ranges::all_of(kRepeatReadings, [&](RecordColumn column) {
        return std::visit([&](auto member) { return a.*member == b.*member; },
                          recordFields()[static_cast<std::size_t>(column)].member);
    });
}

double RepeatToleranceSeconds(const HistoryRecord& record, bool readAgain) {
    const double interval = std::clamp(record.Interval * 60.0, 0.0, kLongestIntervalSeconds);
    return std::max(kLeastToleranceSeconds,
                    readAgain ? interval - kLeastToleranceSeconds : interval / 2.0);
}

}  // namespace nimbra
