#include "upload/station_location.h"

#include <charconv>
#include <cmath>
#include <string>

namespace nimbra {

std::optional<double> parseCoordinate(std::string_view text, double limit) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    std::string number(text);
    for (char& c : number) {
        if (c == ',') {
            c = '.';
        }
    }
    const char* begin = number.data();
    if (!number.empty() && number.front() == '+') {
        ++begin;
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(begin, number.data() + number.size(), value);
    if (number.empty() || error != std::errc() || end != number.data() + number.size() ||
        !std::isfinite(value) || std::fabs(value) > limit) {
        return std::nullopt;
    }
    return value;
}

}  // namespace nimbra
