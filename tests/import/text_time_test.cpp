#include "store/import/text_time.h"

#include <gtest/gtest.h>

#include "core/ole_date.h"

namespace nimbra {
namespace {

TEST(DateOrderTest, FollowsTheFieldsOfTheFormat) {
    const struct {
        const char* format;
        DateOrder order;
    } cases[] = {
        {"%m/%d/%Y", DateOrder::monthDayYear},     {"%d.%m.%Y", DateOrder::dayMonthYear},
        {"%d/%m/%y", DateOrder::dayMonthYear},     {"%Y-%m-%d", DateOrder::yearMonthDay},
        {"%Y年%m月%d日", DateOrder::yearMonthDay}, {"%D", DateOrder::monthDayYear},
        {"%F", DateOrder::yearMonthDay},           {"%-d. %-m. %Y", DateOrder::dayMonthYear},
        {"%e %b %Y", DateOrder::dayMonthYear},     {"", DateOrder::monthDayYear},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(dateOrderOf(c.format), c.order) << c.format;
    }
}

double at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return OleDate::fromCivil(y, mo, d, h, mi, s).value();
}

TEST(ReadRecordTimeTest, ReadsDatesInTheLocaleOrderAndIsoEverywhere) {
    using enum DateOrder;
    const struct {
        const char* text;
        DateOrder order;
        double expected;
    } cases[] = {
        {"2024-03-05 09:07:00", dayMonthYear, at(2024, 3, 5, 9, 7)},
        {"2024-03-05 09:07:00", monthDayYear, at(2024, 3, 5, 9, 7)},
        {"2024-03-05T09:07:00", dayMonthYear, at(2024, 3, 5, 9, 7)},
        {"2024-3-5 9:07", monthDayYear, at(2024, 3, 5, 9, 7)},
        {"2024-03-05", dayMonthYear, at(2024, 3, 5)},
        {"05.03.2024 09:07:30", dayMonthYear, at(2024, 3, 5, 9, 7, 30)},
        {"05.03.2024. 09:07", dayMonthYear, at(2024, 3, 5, 9, 7)},
        {"3/5/2024 9:07:00 PM", monthDayYear, at(2024, 3, 5, 21, 7)},
        {"3/5/2024 12:07:00 am", monthDayYear, at(2024, 3, 5, 0, 7)},
        {"3/5/2024 12:07 PM", monthDayYear, at(2024, 3, 5, 12, 7)},
        {"05/03/24 23:59:59", dayMonthYear, at(2024, 3, 5, 23, 59, 59)},
        {"05/03/95", dayMonthYear, at(1995, 3, 5)},
        {"24/03/05", yearMonthDay, at(2024, 3, 5)},
        {"  2024-03-05 09:07:00.250  ", dayMonthYear, at(2024, 3, 5, 9, 7)},
        {"9:07", dayMonthYear, at(1899, 12, 30, 9, 7)},
        // No date at all: the zero date.
        {"", dayMonthYear, 0.0},
        {"Time", dayMonthYear, 0.0},
        {"---", dayMonthYear, 0.0},
        {"65535", dayMonthYear, 0.0},
        {"2024-03-05 09:07:00 trailing", dayMonthYear, 0.0},
        {"2024-03/05", dayMonthYear, 0.0},
        {"2024-03-05 09", dayMonthYear, 0.0},
        {"12345678901-1-1", dayMonthYear, 0.0},
        // A date whose fields are out of range.
        {"2024-13-05", dayMonthYear, -1.0},
        {"31.02.2024", dayMonthYear, -1.0},
        {"2024-03-05 24:00:00", dayMonthYear, -1.0},
        {"3/5/2024 13:07 PM", monthDayYear, -1.0},
        {"10000-01-01", dayMonthYear, -1.0},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(readRecordTime(c.text, c.order), c.expected) << '"' << c.text << '"';
    }
}

}  // namespace
}  // namespace nimbra
