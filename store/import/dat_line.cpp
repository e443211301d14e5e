#include "store/import/dat_line.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "core/absent.h"

namespace nimbra {

namespace {

constexpr std::size_t kCommasNeeded = 28;
constexpr std::string_view kAbsentField = "---";
constexpr std::string_view kAbsentText = "65535";

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// The number text without a leading "+", which from_chars does not take.
std::string_view numberText(std::string_view text) {
    text = trimmed(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    return text;
}

}  // namespace

std::int32_t leadingInteger(std::string_view text) {
    text = numberText(text);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) {
        return text.starts_with('-') ? std::numeric_limits<std::int32_t>::min()
                                     : std::numeric_limits<std::int32_t>::max();
    }
    if (error != std::errc()) {
        return 0;
    }
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

float leadingFloat(std::string_view text) {
    text = numberText(text);
    double value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    // "nan", "inf" and values past a float's range would store no number at all.
    if (error != std::errc() || !std::isfinite(value) ||
        std::fabs(value) > std::numeric_limits<float>::max()) {
        return 0.0f;
    }
    return static_cast<float>(value);
}

std::optional<HistoryRecord> parseDatLine(std::string_view line, DateOrder order) {
    // commas[k - 1] is the position of the k-th comma.
    std::array<std::size_t, kCommasNeeded> commas{};
    std::size_t found = 0;
    for (std::size_t i = 0; i < line.size() && found < kCommasNeeded; ++i) {
        if (line[i] == ',') {
            commas[found++] = i;
        }
    }
    if (found < kCommasNeeded) {
        return std::nullopt;
    }
    const auto field = [&](std::size_t k) {
        const std::size_t begin = commas[k - 1] + 1;
        const std::string_view text = trimmed(line.substr(begin, commas[k] - begin));
        return text == kAbsentField ? kAbsentText : text;
    };
    const auto integer = [&](std::size_t k) { return leadingInteger(field(k)); };
    const auto real = [&](std::size_t k) { return leadingFloat(field(k)); };

    HistoryRecord record;
    record.Time = readRecordTime(field(2), order);
    record.Interval = integer(3);
    record.InHumi = integer(4);
    record.InTemp = real(5);
    record.OutHumi = integer(6);
    record.OutTemp = real(7);
    record.DewPoint = real(8);
    record.WindChill = real(9);
    record.AbsPressure = real(10);
    record.RelPressure = real(11);
    record.Wind = real(12);
    record.Gust = real(14);
    record.WindDirection = integer(16);
    record.Rcount = integer(18);
    record.Rain = real(20);
    record.Rain1 = real(21);
    record.Rain2 = real(22);
    record.Rain3 = real(23);
    record.Rain4 = real(24);
    record.Rain5 = real(25);
    record.Light = real(26);
    record.UV = integer(27);
    return record;
}

}  // namespace nimbra
