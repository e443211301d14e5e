#include "views/dialog_numbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "core/absent.h"
#include "core/text_forms.h"

namespace nimbra {

namespace {

const QString kAbsentInteger = QStringLiteral("--");

// The text after leading blanks, as bytes for the character conversions; a leading
// "+" is accepted as the C library's readers accept it.
std::string numberStart(const QString& text) {
    std::string bytes = text.trimmed().toStdString();
    if (!bytes.empty() && bytes.front() == '+') {
        bytes.erase(0, 1);
    }
    return bytes;
}

}  // namespace

QString decimalText(float value, int decimals) {
    return isAbsent(value) ? QString::fromLatin1(kAbsentText)
                           : decimalText(static_cast<double>(value), decimals);
}

QString decimalText(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}

QString integerText(std::int32_t value) {
    return isAbsent(value) ? kAbsentInteger : QString::number(value);
}

double leadingDecimal(const QString& text) {
    const std::string bytes = numberStart(text);
    double value = 0.0;
    const auto result =
        std::from_chars(bytes.data(), bytes.data() + bytes.size(), value, std::chars_format::fixed);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large reads as the largest number, so that no range check lets it pass;
        // too small is 0.
        const auto integerEnd = bytes.find('.');
        const bool large =
            bytes.substr(0, integerEnd).find_first_of("123456789") != std::string::npos;
        const double magnitude = large ? std::numeric_limits<double>::max() : 0.0;
        return bytes.front() == '-' ? -magnitude : magnitude;
    }
    return result.ec == std::errc() && std::isfinite(value) ? value : 0.0;
}

int leadingInteger(const QString& text) {
    const std::string bytes = numberStart(text);
    long long value = 0;
    const auto result = std::from_chars(bytes.data(), bytes.data() + bytes.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        return bytes.front() == '-' ? std::numeric_limits<int>::min()
                                    : std::numeric_limits<int>::max();
    }
    if (result.ec != std::errc()) {
        return 0;
    }
    if (value > std::numeric_limits<int>::max()) {
        return std::numeric_limits<int>::max();
    }
    if (value < std::numeric_limits<int>::min()) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(value);
}

bool showsAbsent(const QString& text) {
    const QString trimmed = text.trimmed();
    return trimmed == QLatin1String(kAbsentText) || trimmed == kAbsentInteger;
}

}  // namespace nimbra
