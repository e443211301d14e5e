#include "views/dialog_numbers.h"

#include <gtest/gtest.h>

#include <limits>

#include "core/absent.h"

namespace nimbra {
namespace {

TEST(DialogNumbers, TextsAreReadFromTheirStartAndNothingUsableIsZero) {
    const std::pair<const char*, double> decimals[] = {
        {"29.92", 29.92}, {" 29.92 inHg", 29.92},
        {"+5", 5},        {"-12.3", -12.3},
        {".5", 0.5},      {"1,5", 1},
        {"", 0},          {"--.-", 0},
        {"abc", 0},       {"inf", 0},
        {"nan", 0},       {"1e3", 1},
    };
    for (const auto& [text, value] : decimals) {
        EXPECT_DOUBLE_EQ(leadingDecimal(QString::fromLatin1(text)), value) << text;
    }
    // Far too large never passes a range check; far too small is nothing.
    EXPECT_EQ(leadingDecimal(QString(400, QLatin1Char('9'))), std::numeric_limits<double>::max());
    EXPECT_EQ(leadingDecimal(QStringLiteral("0.") + QString(400, QLatin1Char('0')) + "1"), 0.0);

    const std::pair<const char*, int> integers[] = {
        {"70", 70},
        {"70.9", 70},
        {" -3x", -3},
        {"--", 0},
        {"", 0},
        {"99999999999", std::numeric_limits<int>::max()},
        {"-99999999999", std::numeric_limits<int>::min()},
    };
    for (const auto& [text, value] : integers) {
        EXPECT_EQ(leadingInteger(QString::fromLatin1(text)), value) << text;
    }
}

TEST(DialogNumbers, AbsentValuesHaveTheirOwnTexts) {
    EXPECT_EQ(decimalText(kAbsent, 1), "--.-");
    EXPECT_EQ(decimalText(1013.25f, 2), "1013.25");
    EXPECT_EQ(integerText(kAbsentInt), "--");
    EXPECT_TRUE(showsAbsent(" --.- "));
    EXPECT_TRUE(showsAbsent("--"));
    EXPECT_FALSE(showsAbsent("-"));
}

}  // namespace
}  // namespace nimbra
