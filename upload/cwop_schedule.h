#pragma once

#include <chrono>
#include <string_view>

namespace nimbra {

// The minutes of each hour a CWOP station sends in: the first in the minute whose last
// digit is the station number's last digit, then every `interval` minutes within the
// hour. Stations whose digit is 0 or 5 and that keep the usual 10 minutes take 9 or 11,
// so that they do not all send on the same minutes as each other.
struct CwopSlots {
    int firstMinute = 0;  // 0-9
    int interval = 10;    // minutes, 5-60
};

inline constexpr int kCwopDefaultInterval = 10;
inline constexpr int kCwopShortestInterval = 5;

// From the station ("CW1234": 4; the last digit in it, 0 when it has none) and the
// configured interval (below 5 is 5, above 60 is 60; 0 or unreadable the default).
CwopSlots cwopSlots(std::string_view station, int configuredInterval);

// The first slot, as the start of its minute, at least the shortest interval (counted in
// whole minutes) after the minute of `last`.
std::chrono::system_clock::time_point nextCwopSlot(const CwopSlots& slots,
                                                   std::chrono::system_clock::time_point last);

}  // namespace nimbra
