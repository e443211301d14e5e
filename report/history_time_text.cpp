#include "report/history_time_text.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string_view>

namespace nimbra {

namespace {

bool isLanguageLocale(std::string_view name) {
    return !name.empty() && name != "C" && name != "POSIX" && !name.starts_with("C.");
}

}  // namespace

HistoryTimeText HistoryTimeText::fromEnvironment() {
    HistoryTimeText form;
    for (const char* variable : {"LC_ALL", "LC_TIME", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            if (isLanguageLocale(value)) {
                const locale_t locale =
                    newlocale(LC_TIME_MASK, value, static_cast<locale_t>(nullptr));
                if (locale != static_cast<locale_t>(nullptr)) {
                    form.m_locale.reset(locale, freelocale);
                }
            }
            break;
        }
    }
    return form;
}

HistoryTimeText HistoryTimeText::iso() {
    return HistoryTimeText();
}

std::string HistoryTimeText::format(const OleDate& date) const {
    const auto civil = date.toCivil();
    if (!civil) {
        return {};
    }
    const bool midnight = civil->hour == 0 && civil->minute == 0 && civil->second == 0;
    std::array<char, 128> buffer{};
    if (!m_locale) {
        if (midnight) {
            std::snprintf(buffer.data(), buffer.size(), "%04d-%02d-%02d", civil->year, civil->month,
                          civil->day);
        } else {
            std::snprintf(buffer.data(), buffer.size(), "%04d-%02d-%02d %02d:%02d:%02d",
                          civil->year, civil->month, civil->day, civil->hour, civil->minute,
                          civil->second);
        }
        return buffer.data();
    }
    std::tm fields{};
    fields.tm_year = civil->year - 1900;
    fields.tm_mon = civil->month - 1;
    fields.tm_mday = civil->day;
    fields.tm_hour = civil->hour;
    fields.tm_min = civil->minute;
    fields.tm_sec = civil->second;
    fields.tm_isdst = -1;
    // Only the weekday name formats need these; mktime would shift a time in a DST gap.
    fields.tm_wday = 0;
    fields.tm_yday = 0;
    const std::size_t length = strftime_l(buffer.data(), buffer.size(), midnight ? "%x" : "%x %X",
                                          &fields, m_locale.get());
    return std::string(buffer.data(), length);
}

}  // namespace nimbra
