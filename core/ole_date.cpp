#include "core/ole_date.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace nimbra {

namespace {

// Days from 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
constexpr std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

// Constant-initialized, so dates made during static initialization elsewhere are right.
constexpr std::int64_t kEpochDaysFrom1970 = daysFromCivil(1899, 12, 30);

// OLE dates between the years 100 and 9999, as the platform accepted them.
constexpr double kMinValue = -657434.0;
constexpr double kMaxValue = 2958465.99999;

// Before the epoch the OLE fraction runs forward while the integer part runs back;
// a linear day count makes differences and offsets plain arithmetic.
double toLinearDays(double ole) {
    const double days = std::trunc(ole);
    return ole >= 0 ? ole : days + (days - ole);
}

double fromLinearDays(double linear) {
    const double days = std::floor(linear);
    const double fraction = linear - days;
    return days >= 0 ? days + fraction : days - fraction;
}

bool parseInt(std::string_view& text, int& out) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    const auto* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, out);
    if (result.ec != std::errc{}) {
        return false;
    }
    text.remove_prefix(static_cast<std::size_t>(result.ptr - text.data()));
    return true;
}

bool expect(std::string_view& text, char c) {
    if (text.empty() || text.front() != c) {
        return false;
    }
    text.remove_prefix(1);
    return true;
}

}  // namespace

OleDate OleDate::fromCivil(const CivilTime& c) {
    if (c.year < 100 || c.year > 9999 || c.month < 1 || c.month > 12 || c.day < 1 ||
        c.day > daysInMonth(c.year, c.month) || c.hour < 0 || c.hour > 23 || c.minute < 0 ||
        c.minute > 59 || c.second < 0 || c.second > 59) {
        return OleDate(0.0, invalid);
    }
    const auto days = static_cast<double>(
        daysFromCivil(c.year, static_cast<unsigned>(c.month), static_cast<unsigned>(c.day)) -
        kEpochDaysFrom1970);
    const double fraction = (c.hour * 3600.0 + c.minute * 60.0 + c.second) / kSecondsPerDay;
    return OleDate(days >= 0 ? days + fraction : days - fraction);
}

OleDate OleDate::fromCivil(int year, int month, int day, int hour, int minute, int second) {
    return fromCivil(CivilTime{year, month, day, hour, minute, second});
}

OleDate OleDate::fromTimeT(std::time_t instant) {
    std::tm local{};
    if (localtime_r(&instant, &local) == nullptr) {
        return OleDate(0.0, invalid);
    }
    return fromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                     local.tm_min, local.tm_sec);
}

OleDate OleDate::currentTime() {
    return fromTimeT(std::time(nullptr));
}

OleDate OleDate::fromText(std::string_view text) {
    CivilTime c{};
    c.hour = c.minute = c.second = 0;
    if (!parseInt(text, c.year) || !expect(text, '-') || !parseInt(text, c.month) ||
        !expect(text, '-') || !parseInt(text, c.day)) {
        return OleDate(0.0, invalid);
    }
    if (!text.empty()) {
        if (!parseInt(text, c.hour) || !expect(text, ':') || !parseInt(text, c.minute) ||
            !expect(text, ':') || !parseInt(text, c.second)) {
            return OleDate(0.0, invalid);
        }
        while (!text.empty() && text.front() == ' ') {
            text.remove_prefix(1);
        }
        if (!text.empty()) {
            return OleDate(0.0, invalid);
        }
    }
    return fromCivil(c);
}

std::optional<CivilTime> OleDate::toCivil() const {
    if (!isValid() || !(m_dt >= kMinValue && m_dt <= kMaxValue)) {
        return std::nullopt;
    }
    auto days = static_cast<std::int64_t>(std::trunc(m_dt));
    auto seconds = static_cast<std::int64_t>(
        std::llround(std::fabs(m_dt - static_cast<double>(days)) * kSecondsPerDay));
    if (seconds >= 86400) {  // rounded up into the next calendar day
        seconds -= 86400;
        days += 1;
    }
    CivilTime c;
    civilFromDays(days + kEpochDaysFrom1970, c.year, c.month, c.day);
    c.hour = static_cast<int>(seconds / 3600);
    c.minute = static_cast<int>(seconds / 60 % 60);
    c.second = static_cast<int>(seconds % 60);
    return c;
}

std::optional<std::time_t> OleDate::toTimeT() const {
    const auto c = toCivil();
    if (!c) {
        return std::nullopt;
    }
    std::tm local{};
    local.tm_year = c->year - 1900;
    local.tm_mon = c->month - 1;
    local.tm_mday = c->day;
    local.tm_hour = c->hour;
    local.tm_min = c->minute;
    local.tm_sec = c->second;
    local.tm_isdst = -1;
    const std::time_t instant = std::mktime(&local);
    if (instant == static_cast<std::time_t>(-1)) {
        return std::nullopt;
    }
    return instant;
}

std::string OleDate::toQueryText() const {
    const auto c = toCivil();
    if (!c) {
        return {};
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%d-%02d-%02d %d:%02d:%02d", c->year, c->month, c->day,
                  c->hour, c->minute, c->second);
    return buffer;
}

OleDate OleDate::addSeconds(double seconds) const {
    if (!isValid()) {
        return *this;
    }
    return OleDate(fromLinearDays(toLinearDays(m_dt) + seconds / kSecondsPerDay), m_status);
}

std::int64_t WholeMinutesBetween(const OleDate& from, const OleDate& to) {
    const double seconds = (toLinearDays(to.value()) - toLinearDays(from.value())) * kSecondsPerDay;
    if (!std::isfinite(seconds)) {
        return 0;
    }
    const double biased = seconds + std::copysign(0.5, seconds);
    return static_cast<std::int64_t>(std::round(biased / 60.0));
}

namespace {

template <typename Adjust>
OleDate withCivil(const OleDate& date, Adjust adjust) {
    auto civil = date.toCivil();
    if (!civil) {
        return date;
    }
    adjust(*civil);
    return OleDate::fromCivil(*civil);
}

}  // namespace

OleDate startOfHour(const OleDate& date) {
    return withCivil(date, [](CivilTime& c) { c.minute = c.second = 0; });
}

OleDate startOfDay(const OleDate& date) {
    return withCivil(date, [](CivilTime& c) { c.hour = c.minute = c.second = 0; });
}

OleDate startOfWeek(const OleDate& date) {
    const OleDate midnight = startOfDay(date);
    if (!midnight.isValid()) {
        return midnight;
    }
    // Day 0 of the OLE calendar, 1899-12-30, was a Saturday.
    const auto day = static_cast<std::int64_t>(std::floor(toLinearDays(midnight.value()) + 0.5));
    const auto sinceSunday = ((day - 1) % 7 + 7) % 7;
    return midnight.addSeconds(-static_cast<double>(sinceSunday) * kSecondsPerDay);
}

OleDate startOfMonth(const OleDate& date) {
    return withCivil(date, [](CivilTime& c) {
        c.day = 1;
        c.hour = c.minute = c.second = 0;
    });
}

OleDate startOfYear(const OleDate& date) {
    return withCivil(date, [](CivilTime& c) {
        c.month = c.day = 1;
        c.hour = c.minute = c.second = 0;
    });
}

OleDate endOfDay(const OleDate& date) {
    return withCivil(date, [](CivilTime& c) {
        c.hour = 23;
        c.minute = c.second = 59;
    });
}

}  // namespace nimbra
