#include "emulator/rain_totals.h"

#include <cmath>

namespace nimbra::emulator {

void RainTotals::addMinute(const CivilTime& now, int tips) {
    const long dayNumber =
        std::lround(std::floor(OleDate::fromCivil(now.year, now.month, now.day).value()));
    if (dayNumber != m_dayNumber) {
        const bool sunday = (dayNumber + 6) % 7 == 0;  // day 0, 1899-12-30, was a Saturday
        m_day = 0;
        if (sunday) {
            m_week = 0;
        }
        m_dayNumber = dayNumber;
    }
    const int monthNumber = now.year * 12 + now.month;
    if (monthNumber != m_monthNumber) {
        m_month = 0;
        m_monthNumber = monthNumber;
    }
    int& slot = m_lastHour[static_cast<std::size_t>(now.minute)];
    m_hour += tips - slot;
    slot = tips;
    m_day += tips;
    m_week += tips;
    m_month += tips;
    m_total += tips;
}

}  // namespace nimbra::emulator
