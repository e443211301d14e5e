#pragma once

#include <QString>
#include <cstdint>

// Numbers as the station dialogs show and read them: always with a "." whatever the
// user's locale, and read leniently from the start of a text (what follows a number
// is ignored, no number at all reads as 0).

namespace nimbra {

// `value` with a fixed number of decimals, or the absent text when it is absent.
QString decimalText(float value, int decimals);
QString decimalText(double value, int decimals);

// An integer, or "--" when absent.
QString integerText(std::int32_t value);

// The decimal number a text starts with (after blanks, with an optional sign); 0 when
// there is none or it is not finite.
double leadingDecimal(const QString& text);

// The integer a text starts with; saturated at the limits of int.
int leadingInteger(const QString& text);

// Whether a field still shows the absent marker's text ("--.-" or "--").
bool showsAbsent(const QString& text);

}  // namespace nimbra
