#include "store/import/dat_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "core/absent.h"
#include "core/ole_date.h"
#include "store/import/column_text.h"

namespace nimbra {
namespace {

// A line as the text export writes it: field k follows the k-th comma.
std::string datLine(const std::string& time, const std::string& outTemp = "-7.9",
                    const std::string& tail = "") {
    return "\"1,x," + time + ",5,45,21.3,88," + outTemp +
           ",-9.1,-12.6,990.7,1013.2,3.4,n,6.8,n,11,n,77,n,0.3,1.2,3.4,5.6,7.8,901.2,5432.1,4," +
           tail;
}

TEST(DatLineTest, TakesEachColumnFromItsField) {
    const auto record = parseDatLine(datLine("2024-03-05 09:07:00"), DateOrder::dayMonthYear);
    ASSERT_TRUE(record);
    HistoryRecord expected;
    expected.Time = OleDate::fromCivil(2024, 3, 5, 9, 7, 0).value();
    expected.Interval = 5;
    expected.InHumi = 45;
    expected.InTemp = 21.3f;
    expected.OutHumi = 88;
    expected.OutTemp = -7.9f;
    expected.DewPoint = -9.1f;
    expected.WindChill = -12.6f;
    expected.AbsPressure = 990.7f;
    expected.RelPressure = 1013.2f;
    expected.Wind = 3.4f;
    expected.Gust = 6.8f;
    expected.WindDirection = 11;
    expected.Rcount = 77;
    expected.Rain = 0.3f;
    expected.Rain1 = 1.2f;
    expected.Rain2 = 3.4f;
    expected.Rain3 = 5.6f;
    expected.Rain4 = 7.8f;
    expected.Rain5 = 901.2f;
    expected.Light = 5432.1f;
    expected.UV = 4;
    EXPECT_EQ(*record, expected);
}

TEST(DatLineTest, ReadsAbsentValuesBlanksAndTimesThatAreNoDate) {
    const auto absent = parseDatLine(datLine("2024-03-05 09:07", " --- "), DateOrder::dayMonthYear);
    ASSERT_TRUE(absent);
    EXPECT_EQ(absent->OutTemp, kAbsent);

    const auto noDate = parseDatLine(datLine("not a date"), DateOrder::dayMonthYear);
    ASSERT_TRUE(noDate);
    EXPECT_EQ(noDate->Time, 0.0);

    // Fields past the 27th are ignored, however many there are.
    EXPECT_TRUE(parseDatLine(datLine("2024-03-05", "1", "x,y,z,,,,"), DateOrder::dayMonthYear));
}

TEST(DatLineTest, ALineWithFewerThan28CommasIsNoRecord) {
    std::string line = datLine("2024-03-05 09:07:00");
    ASSERT_EQ(std::count(line.begin(), line.end(), ','), 28);
    EXPECT_TRUE(parseDatLine(line, DateOrder::dayMonthYear));
    line.pop_back();
    EXPECT_FALSE(parseDatLine(line, DateOrder::dayMonthYear));
    EXPECT_FALSE(parseDatLine("", DateOrder::dayMonthYear));
    EXPECT_FALSE(parseDatLine(std::string(27, ','), DateOrder::dayMonthYear));
    EXPECT_TRUE(parseDatLine(std::string(28, ','), DateOrder::dayMonthYear));
}

TEST(PlainNumbersTest, TakeTheLeadingNumberOrZero) {
    const struct {
        const char* text;
        std::int32_t integer;
        float real;
    } cases[] = {
        {"12", 12, 12.0f},
        {" 12.75 ", 12, 12.75f},
        {"+3", 3, 3.0f},
        {"-4.5", -4, -4.5f},
        {"7abc", 7, 7.0f},
        {"abc", 0, 0.0f},
        {"", 0, 0.0f},
        {"1e3", 1, 1000.0f},
        {"65535", 65535, 65535.0f},
        {"99999999999", 2147483647, 99999999999.0f},
        {"-99999999999999999999999", -2147483647 - 1, -1e23f},
        {"1e60", 1, 0.0f},
        {"nan", 0, 0.0f},
        {"inf", 0, 0.0f},
        {"12,5", 12, 12.0f},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(leadingInteger(c.text), c.integer) << c.text;
        EXPECT_FLOAT_EQ(leadingFloat(c.text), c.real) << c.text;
    }
}

TEST(ColumnTextTest, ReadsTheTextsADatabaseLibraryGives) {
    const auto field = [](RecordColumn column) {
        return recordFields()[static_cast<std::size_t>(column)];
    };
    HistoryRecord record;
    setColumnFromText(field(RecordColumn::Time), "2024-03-05 09:07:00", record);
    setColumnFromText(field(RecordColumn::OutTemp), "-7,5", record);
    setColumnFromText(field(RecordColumn::Light), "5432.1", record);
    setColumnFromText(field(RecordColumn::UV), "65535", record);
    EXPECT_DOUBLE_EQ(record.Time, OleDate::fromCivil(2024, 3, 5, 9, 7).value());
    EXPECT_EQ(record.OutTemp, -7.5f);
    EXPECT_EQ(record.Light, 5432.1f);
    EXPECT_EQ(record.UV, kAbsentInt);

    // NULL columns.
    record.WindDirection = 3;
    for (const RecordColumn column : {RecordColumn::Time, RecordColumn::OutTemp, RecordColumn::UV,
                                      RecordColumn::WindDirection}) {
        setColumnFromText(field(column), "", record);
    }
    EXPECT_EQ(record.Time, 0.0);
    EXPECT_EQ(record.OutTemp, 0.0f);
    EXPECT_EQ(record.UV, 0);
    EXPECT_EQ(record.WindDirection, 16);
}

}  // namespace
}  // namespace nimbra
