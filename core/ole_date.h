#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace nimbra {

// A calendar date and wall-clock time, local civil time unless said otherwise.
struct CivilTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;

    friend bool operator==(const CivilTime&, const CivilTime&) = default;
};

// An OLE automation date: days since 1899-12-30 00:00 in local civil time, the
// fraction being the time of day, plus a validity status. The history database,
// the temporary record files and the station record all hold times in this form.
// Before the epoch the integer part counts days back and the fraction still runs
// forward through the day: -1.25 is 1899-12-29 06:00.
class OleDate {
public:
    enum Status : std::int32_t { valid = 0, invalid = 1, null = 2 };

    constexpr OleDate() = default;
    constexpr explicit OleDate(double days, Status status = valid) : m_dt(days), m_status(status) {}

    // Invalid when a field is out of range or the year lies outside 100..9999.
    static OleDate fromCivil(const CivilTime& civil);
    static OleDate fromCivil(int year, int month, int day, int hour = 0, int minute = 0,
                             int second = 0);
    // System clock instant shown in local time.
    static OleDate fromTimeT(std::time_t instant);
    static OleDate currentTime();
    // Parses "Y-M-D h:m:s" (fields need no padding; the time may be left out).
    static OleDate fromText(std::string_view text);

    double value() const { return m_dt; }
    Status status() const { return m_status; }
    bool isValid() const { return m_status == valid; }

    // Calendar fields, rounded to the nearest second; nothing for an invalid date.
    std::optional<CivilTime> toCivil() const;
    // The system clock instant of this local time; in a repeated DST hour the
    // C library picks one of the two.
    std::optional<std::time_t> toTimeT() const;

    // "%d-%02d-%02d %d:%02d:%02d": the form the record queries take.
    std::string toQueryText() const;

    OleDate addSeconds(double seconds) const;

    friend bool operator==(const OleDate&, const OleDate&) = default;

private:
    double m_dt = 0.0;
    Status m_status = valid;
};

// Whole minutes from `from` to `to`, to the nearest minute after a bias of half a
// second away from zero (so 29.5 s counts as a minute and -29.5 s as minus one).
std::int64_t WholeMinutesBetween(const OleDate& from, const OleDate& to);

inline constexpr double kSecondsPerDay = 86400.0;

// Calendar boundaries of a date, in its own local civil time. An invalid date gives
// itself back.
OleDate startOfHour(const OleDate& date);
OleDate startOfDay(const OleDate& date);
OleDate startOfWeek(const OleDate& date);  // midnight of the Sunday that starts the week
OleDate startOfMonth(const OleDate& date);
OleDate startOfYear(const OleDate& date);
OleDate endOfDay(const OleDate& date);  // 23:59:59 of the same day

}  // namespace nimbra
