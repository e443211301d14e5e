#pragma once

#include <locale.h>

#include <memory>
#include <string>
#include <type_traits>

#include "core/ole_date.h"

namespace nimbra {

// The time of a history row as the user's locale writes a date and a time of day
// ("%x %X" of LC_TIME). Without a language locale (C, POSIX or nothing set) the ISO form
// "2026-03-05 09:07:00" is used instead of the C library's two-digit years. A time of
// exactly midnight shows the date alone. The list, both exports and the command line
// share this one form, so an export always reads as the list did.
class HistoryTimeText {
public:
    // The form of the locale the environment selects (LC_ALL, LC_TIME, LANG).
    static HistoryTimeText fromEnvironment();
    // The ISO form, whatever the environment says.
    static HistoryTimeText iso();

    std::string format(const OleDate& date) const;

private:
    HistoryTimeText() = default;

    // The LC_TIME locale; none: the ISO form.
    std::shared_ptr<std::remove_pointer_t<locale_t>> m_locale;
};

}  // namespace nimbra
