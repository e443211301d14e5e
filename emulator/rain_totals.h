#pragma once

#include <array>
#include <string>

#include "core/ole_date.h"

namespace nimbra::emulator {

// The console's running rain sums in gauge counts: the last sixty minutes, and since
// midnight, since the start of the week (Sunday), since the first of the month and
// since the console started. Fed once per station minute.
class RainTotals {
public:
    void addMinute(const CivilTime& now, int tips);

    int hour() const { return m_hour; }
    int day() const { return m_day; }
    int week() const { return m_week; }
    int month() const { return m_month; }
    int total() const { return m_total; }

    // The sums as one line of numbers, for keeping a console between runs; restore()
    // takes such a line back, and changes nothing (false) for anything else.
    std::string text() const;
    bool restore(const std::string& text);

private:
    std::array<int, 60> m_lastHour{};
    int m_hour = 0;
    int m_day = 0;
    int m_week = 0;
    int m_month = 0;
    int m_total = 0;
    long m_dayNumber = -1;
    int m_monthNumber = -1;
};

}  // namespace nimbra::emulator
