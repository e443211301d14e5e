#include "upload/cwop_schedule.h"

#include <algorithm>

namespace nimbra {

CwopSlots cwopSlots(std::string_view station, int configuredInterval) {
    CwopSlots slots;
    const auto digit = station.find_last_of("0123456789");
    slots.firstMinute = digit == std::string_view::npos ? 0 : station[digit] - '0';
    slots.interval = configuredInterval <= 0
                         ? kCwopDefaultInterval
                         : std::clamp(configuredInterval, kCwopShortestInterval, 60);
    if (slots.interval == kCwopDefaultInterval && slots.firstMinute == 0) {
        slots.interval = 9;
    } else if (slots.interval == kCwopDefaultInterval && slots.firstMinute == 5) {
        slots.interval = 11;
    }
    return slots;
}

std::chrono::system_clock::time_point nextCwopSlot(const CwopSlots& slots,
                                                   std::chrono::system_clock::time_point last) {
    using namespace std::chrono;
    const auto earliest = floor<minutes>(last) + minutes(kCwopShortestInterval);
    // Slots repeat every hour, so the next one is at most an hour and the shortest
    // interval away.
    for (auto hour = floor<hours>(last);; hour += hours(1)) {
        for (int minute = slots.firstMinute; minute < 60; minute += slots.interval) {
            const auto slot = hour + minutes(minute);
            if (slot >= earliest) {
                return slot;
            }
        }
    }
}

}  // namespace nimbra
