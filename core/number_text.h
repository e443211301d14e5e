#pragma once

#include <charconv>
#include <optional>
#include <string_view>

namespace nimbra {

// The whole text as a number, or nothing: no space or plus sign is skipped, nothing may
// follow it, and a value beyond the type's range is refused rather than cut.
template <typename Number>
std::optional<Number> parseNumber(std::string_view text) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace nimbra
