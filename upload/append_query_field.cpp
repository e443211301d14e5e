#include "upload/append_query_field.h"

namespace nimbra {

void AppendQueryField(std::string& out, std::string_view name, std::int64_t value, int decimals,
                      std::int64_t absentMarker, std::optional<std::string_view> absentText) {
    out += name;
    out += '=';
    if (value == absentMarker) {
        out += absentText.value_or(std::string_view{});
        out += '&';
        return;
    }

    // The magnitude as unsigned, so that even the most negative value has one.
    std::uint64_t magnitude = static_cast<std::uint64_t>(value);
    if (value < 0) {
        out += '-';
        magnitude = 0 - magnitude;
    }
    std::string digits = std::to_string(magnitude);
    const std::size_t places = decimals == 1 ? 1 : decimals == 2 ? 2 : 0;
    if (places > 0) {
        // At least one digit before the point: 5 in hundredths is 0.05.
        if (digits.size() <= places) {
            digits.insert(0, places + 1 - digits.size(), '0');
        }
        digits.insert(digits.size() - places, 1, '.');
    }
    out += digits;
    out += '&';
}

}  // namespace nimbra
