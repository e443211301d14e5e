#pragma once

#include <string_view>

namespace nimbra {

// The order of day, month and year in a locale's numeric dates.
enum class DateOrder { dayMonthYear, monthDayYear, yearMonthDay };

// The order a strftime date format puts its fields in ("%d.%m.%Y" is day, month, year).
DateOrder dateOrderOf(std::string_view dateFormat);
// The order of the user's own locale (LC_ALL, LC_TIME or LANG), whatever locale the
// program itself runs in; month first when it cannot be told.
DateOrder userDateOrder();

// The time of a record written as text: a numeric date in `order` (or year first with a
// four-digit year, as "2024-03-05", in any order), optionally followed by a time of day
// "h:mm[:ss]" with AM or PM, or a time of day alone (on the zero date). Gives the OLE date,
// 0.0 (the zero date) for text that is no date at all, and -1.0 for a date whose fields
// are out of range.
double readRecordTime(std::string_view text, DateOrder order);

// Whether `time` is one readRecordTime gives for a time it could not read (the zero date is
// also what a database's missing time reads as).
bool isUnreadableTime(double time);

}  // namespace nimbra
