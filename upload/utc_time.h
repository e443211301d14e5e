#pragma once

#include <chrono>
#include <functional>

namespace nimbra {

// A moment in UTC broken down as the services want it in their time stamps.
struct UtcTime {
    int year = 1970;
    int month = 1;  // 1-12
    int day = 1;    // 1-31
    int hour = 0;
    int minute = 0;
    int second = 0;

    friend bool operator==(const UtcTime&, const UtcTime&) = default;
};

UtcTime utcTimeOf(std::chrono::system_clock::time_point moment);

// Where uploads take the time from; tests put a fixed moment in.
using UploadClock = std::function<std::chrono::system_clock::time_point()>;

}  // namespace nimbra
