#include "store/import/text_time.h"

#include <langinfo.h>
#include <locale.h>

#include <cctype>
#include <optional>
#include <string>

#include "core/ole_date.h"

namespace nimbra {

namespace {

constexpr double kNotADate = 0.0;
constexpr double kOutOfRange = -1.0;

// Walks a time text from left to right.
class Scanner {
public:
    explicit Scanner(std::string_view text) : m_text(text) {}

    bool atEnd() const { return m_pos >= m_text.size(); }
    char peek() const { return atEnd() ? '\0' : m_text[m_pos]; }

    // A run of up to nine digits.
    std::optional<int> number(int& digits) {
        int value = 0;
        digits = 0;
        while (!atEnd() && std::isdigit(static_cast<unsigned char>(peek())) != 0) {
            if (digits == 9) {
                return std::nullopt;
            }
            value = value * 10 + (peek() - '0');
            ++digits;
            ++m_pos;
        }
        return digits > 0 ? std::optional<int>(value) : std::nullopt;
    }
    std::optional<int> number() {
        int digits = 0;
        return number(digits);
    }

    bool take(char c) {
        if (peek() != c) {
            return false;
        }
        ++m_pos;
        return true;
    }
    bool takeSpaces() {
        const std::size_t start = m_pos;
        while (!atEnd() && std::isspace(static_cast<unsigned char>(peek())) != 0) {
            ++m_pos;
        }
        return m_pos > start;
    }
    // A word such as "PM", compared without regard to case.
    bool takeWord(std::string_view word) {
        if (m_text.size() - m_pos < word.size()) {
            return false;
        }
        for (std::size_t i = 0; i < word.size(); ++i) {
            if (std::toupper(static_cast<unsigned char>(m_text[m_pos + i])) != word[i]) {
                return false;
            }
        }
        m_pos += word.size();
        return true;
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// "h:mm[:ss[.fff]] [AM|PM]" after the hour has been read. A fraction of a second is
// dropped: records are kept to the second.
std::optional<TimeOfDay> timeAfterHour(Scanner& scan, int hour) {
    TimeOfDay time{hour, 0, 0};
    const auto minute = scan.number();
    if (!minute) {
        return std::nullopt;
    }
    time.minute = *minute;
    if (scan.take(':')) {
        const auto second = scan.number();
        if (!second) {
            return std::nullopt;
        }
        time.second = *second;
        if (scan.take('.') || scan.take(',')) {
            scan.number();
        }
    }
    scan.takeSpaces();
    const bool am = scan.takeWord("AM");
    const bool pm = !am && scan.takeWord("PM");
    if (am || pm) {
        // An hour of 13 with PM is out of range; marked so for the range check below.
        if (time.hour < 1 || time.hour > 12) {
            time.hour = 99;
        } else {
            time.hour = time.hour % 12 + (pm ? 12 : 0);
        }
    }
    return time;
}

int fullYear(int year, int digits) {
    if (digits > 2) {
        return year;
    }
    return year < 30 ? 2000 + year : 1900 + year;
}

double dateValue(int year, int month, int day, const TimeOfDay& time) {
    const OleDate date = OleDate::fromCivil(year, month, day, time.hour, time.minute, time.second);
    return date.isValid() ? date.value() : kOutOfRange;
}

}  // namespace

DateOrder dateOrderOf(std::string_view format) {
    std::size_t day = std::string_view::npos;
    std::size_t month = std::string_view::npos;
    std::size_t year = std::string_view::npos;
    for (std::size_t i = 0; i + 1 < format.size(); ++i) {
        if (format[i] != '%') {
            continue;
        }
        std::size_t conversion = i + 1;
        // Flags and modifiers of glibc ("%-d", "%Ey", "%Od").
        while (conversion < format.size() &&
               std::string_view("-_0^#EO").find(format[conversion]) != std::string_view::npos) {
            ++conversion;
        }
        if (conversion >= format.size()) {
            break;
        }
        switch (format[conversion]) {
            case 'd':
            case 'e':
                day = std::min(day, i);
                break;
            case 'm':
            case 'b':
            case 'B':
            case 'h':
                month = std::min(month, i);
                break;
            case 'y':
            case 'Y':
            case 'C':
                year = std::min(year, i);
                break;
            case 'D':
                return DateOrder::monthDayYear;
            case 'F':
                return DateOrder::yearMonthDay;
            default:
                break;
        }
        i = conversion;
    }
    if (year < month && year < day) {
        return DateOrder::yearMonthDay;
    }
    if (day < month) {
        return DateOrder::dayMonthYear;
    }
    return DateOrder::monthDayYear;
}

DateOrder userDateOrder() {
    // The environment's locale, not the program's: a program may run in "C" while the
    // user's exports were written in their own date form.
    locale_t user = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr));
    if (user == static_cast<locale_t>(nullptr)) {
        return DateOrder::monthDayYear;
    }
    const DateOrder order = dateOrderOf(nl_langinfo_l(D_FMT, user));
    freelocale(user);
    return order;
}

bool isUnreadableTime(double time) {
    return time == kNotADate || time == kOutOfRange;
}

double readRecordTime(std::string_view text, DateOrder order) {
    Scanner scan(text);
    scan.takeSpaces();
    int firstDigits = 0;
    const auto first = scan.number(firstDigits);
    if (!first) {
        return kNotADate;
    }
    // A time of day alone falls on the zero date.
    if (scan.take(':')) {
        const auto time = timeAfterHour(scan, *first);
        scan.takeSpaces();
        if (!time || !scan.atEnd()) {
            return kNotADate;
        }
        return dateValue(1899, 12, 30, *time);
    }
    const char separator = scan.peek();
    if (separator != '-' && separator != '/' && separator != '.') {
        return kNotADate;
    }
    scan.take(separator);
    const auto second = scan.number();
    int thirdDigits = 0;
    if (!second || !scan.take(separator)) {
        return kNotADate;
    }
    const auto third = scan.number(thirdDigits);
    if (!third) {
        return kNotADate;
    }
    if (separator == '.') {
        scan.take('.');  // "05.03.2024." in the locales that end dates with a dot
    }
    TimeOfDay time;
    const bool spaced = scan.takeSpaces();
    if (!scan.atEnd()) {
        if (!spaced && !scan.take('T')) {
            return kNotADate;
        }
        const auto hour = scan.number();
        if (!hour || !scan.take(':')) {
            return kNotADate;
        }
        const auto parsed = timeAfterHour(scan, *hour);
        scan.takeSpaces();
        if (!parsed || !scan.atEnd()) {
            return kNotADate;
        }
        time = *parsed;
    }
    if (firstDigits > 2 || order == DateOrder::yearMonthDay) {
        return dateValue(fullYear(*first, firstDigits), *second, *third, time);
    }
    const int year = fullYear(*third, thirdDigits);
    return order == DateOrder::dayMonthYear ? dateValue(year, *second, *first, time)
                                            : dateValue(year, *first, *second, time);
}

}  // namespace nimbra
