#include "emulator/rain_totals.h"

#include <cmath>
#include <sstream>

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

std::string RainTotals::text() const {
    std::ostringstream out;
    out << m_hour << ' ' << m_day << ' ' << m_week << ' ' << m_month << ' ' << m_total << ' '
        << m_dayNumber << ' ' << m_monthNumber;
    for (const int tips : m_lastHour) {
        out << ' ' << tips;
    }
    return out.str();
}

bool RainTotals::restore(const std::string& text) {
    std::istringstream in(text);
    RainTotals read;
    in >> read.m_hour >> read.m_day >> read.m_week >> read.m_month >> read.m_total >>
        read.m_dayNumber >> read.m_monthNumber;
    for (int& tips : read.m_lastHour) {
        in >> tips;
    }
    std::string rest;
    if (in.fail() || (in >> rest)) {
        return false;
    }
    *this = read;
    return true;
}

}  // namespace nimbra::emulator
