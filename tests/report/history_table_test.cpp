#include "report/history_table.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/history_fixture.h"

namespace nimbra {
namespace {

using testing::englishTable;

HistoryRecord roundValues() {
    HistoryRecord r;
    r.Time = OleDate::fromCivil(2024, 3, 5, 9, 7, 0).value();
    r.Interval = 5;
    r.InTemp = 20.0f;
    r.InHumi = 41;
    r.OutTemp = -10.0f;
    r.OutHumi = 97;
    r.RelPressure = 1015.9f;
    r.AbsPressure = 1000.0f;
    r.Wind = 10.0f;
    r.Gust = 20.0f;
    r.WindDirection = 4;
    r.DewPoint = 0.0f;
    r.WindChill = 100.0f;
    r.Rain1 = 25.4f;
    r.Rain2 = 0.0f;
    r.Rain3 = 2.54f;
    r.Rain4 = 127.0f;
    r.Rain5 = 254.0f;
    r.Light = 10763.91f;
    r.UV = 11;
    return r;
}

struct UnitCase {
    const char* name;
    int inTemp, outTemp, pressure, wind, rain, light;
    // Headings of columns 3, 5, 7, 9, 14, 19 and the cells that depend on the units.
    std::array<const char*, 6> headings;
    std::array<std::pair<int, const char*>, 13> cells;
};

const UnitCase kUnitCases[] = {
    {"canonical",
     0,
     0,
     0,
     0,
     0,
     1,
     {"Indoor Temperature(\u00B0C)", "Outdoor Temperature(\u00B0C)", "Relative Pressure(hpa)",
      "Wind Speed(m/s)", "Hour Rainfall(mm)", "Light(lux)"},
     {{{3, "20.0"},
       {5, "-10.0"},
       {7, "1015.9"},
       {8, "1000.0"},
       {9, "10.0"},
       {10, "20.0"},
       {12, "0.0"},
       {13, "100.0"},
       {14, "25.40"},
       {16, "2.54"},
       {18, "254.00"},
       {19, "10763.9"},
       {15, "0.00"}}}},
    {"imperial",
     1,
     1,
     1,
     3,
     1,
     0,
     {"Indoor Temperature(\u00B0F)", "Outdoor Temperature(\u00B0F)", "Relative Pressure(inHg)",
      "Wind Speed(mph)", "Hour Rainfall(inch)", "Light(fc)"},
     {{{3, "68.0"},
       {5, "14.0"},
       {7, "30.00"},
       {8, "29.53"},
       {9, "22.4"},
       {10, "44.7"},
       {12, "32.0"},
       {13, "212.0"},
       {14, "1.00"},
       {16, "0.10"},
       {18, "10.00"},
       {19, "1000.0"},
       {15, "0.00"}}}},
    {"mixed",
     1,
     0,
     2,
     1,
     0,
     2,
     {"Indoor Temperature(\u00B0F)", "Outdoor Temperature(\u00B0C)", "Relative Pressure(mmHg)",
      "Wind Speed(km/h)", "Hour Rainfall(mm)", "Light(W/M2)"},
     {{{3, "68.0"},
       {5, "-10.0"},
       {7, "761.9"},
       {8, "750.0"},
       {9, "36.0"},
       {10, "72.0"},
       {12, "0.0"},
       {13, "100.0"},
       {14, "25.40"},
       {16, "2.54"},
       {18, "254.00"},
       {19, "85.0"},
       {15, "0.00"}}}},
    {"knots",
     0,
     0,
     0,
     2,
     0,
     1,
     {"Indoor Temperature(\u00B0C)", "Outdoor Temperature(\u00B0C)", "Relative Pressure(hpa)",
      "Wind Speed(knot)", "Hour Rainfall(mm)", "Light(lux)"},
     {{{3, "20.0"},
       {5, "-10.0"},
       {7, "1015.9"},
       {8, "1000.0"},
       {9, "19.4"},
       {10, "38.9"},
       {12, "0.0"},
       {13, "100.0"},
       {14, "25.40"},
       {16, "2.54"},
       {18, "254.00"},
       {19, "10763.9"},
       {15, "0.00"}}}},
    {"beaufort",
     0,
     0,
     0,
     4,
     0,
     1,
     {"Indoor Temperature(\u00B0C)", "Outdoor Temperature(\u00B0C)", "Relative Pressure(hpa)",
      "Wind Speed(bft)", "Hour Rainfall(mm)", "Light(lux)"},
     {{{3, "20.0"},
       {5, "-10.0"},
       {7, "1015.9"},
       {8, "1000.0"},
       {9, "5"},
       {10, "8"},
       {12, "0.0"},
       {13, "100.0"},
       {14, "25.40"},
       {16, "2.54"},
       {18, "254.00"},
       {19, "10763.9"},
       {15, "0.00"}}}},
};

TEST(HistoryTableTest, HeadingsAndCellsFollowEveryUnitCode) {
    for (const UnitCase& c : kUnitCases) {
        SCOPED_TRACE(c.name);
        ParamBlock units;
        units.InTempUnit = c.inTemp;
        units.OutTempUnit = c.outTemp;
        units.PressureUnit = c.pressure;
        units.WindUnit = c.wind;
        units.RainUnit = c.rain;
        units.LightUnit = c.light;
        const HistoryTable table = englishTable(units);
        const int headingColumns[] = {3, 5, 7, 9, 14, 19};
        for (std::size_t i = 0; i < 6; ++i) {
            EXPECT_EQ(table.headers()[static_cast<std::size_t>(headingColumns[i])], c.headings[i]);
        }
        for (const auto& [column, text] : c.cells) {
            EXPECT_EQ(table.cell(roundValues(), 1, column), text) << "column " << column;
        }
    }
}

TEST(HistoryTableTest, UnitFreeColumnsAndNumbering) {
    const HistoryTable table = englishTable();
    HistoryCells cells;
    table.cells(roundValues(), 12345, cells);
    EXPECT_EQ(cells[0], "12345");
    EXPECT_EQ(cells[1], "2024-03-05 09:07:00");
    EXPECT_EQ(cells[2], "5");
    EXPECT_EQ(cells[4], "41");
    EXPECT_EQ(cells[6], "97");
    EXPECT_EQ(cells[11], "E");
    EXPECT_EQ(cells[20], "11");
    const HistoryCells expectedHeadings = {"NO.",
                                           "Time",
                                           "Interval",
                                           "Indoor Temperature(\u00B0C)",
                                           "Indoor Humidity(%)",
                                           "Outdoor Temperature(\u00B0C)",
                                           "Outdoor Humidity(%)",
                                           "Relative Pressure(hpa)",
                                           "Absolute Pressure(hpa)",
                                           "Wind Speed(m/s)",
                                           "Gust(m/s)",
                                           "Wind Direction",
                                           "DewPoint(\u00B0C)",
                                           "WindChill(\u00B0C)",
                                           "Hour Rainfall(mm)",
                                           "24 Hour Rainfall(mm)",
                                           "Week Rainfall(mm)",
                                           "Month Rainfall(mm)",
                                           "Total Rainfall(mm)",
                                           "Light(fc)",
                                           "UVI"};
    EXPECT_EQ(table.headers(), expectedHeadings);
}

TEST(HistoryTableTest, AbsentReadingsShowTheirMarkersInEveryColumn) {
    for (const int windUnit : {0, 4}) {
        ParamBlock units;
        units.WindUnit = windUnit;
        units.PressureUnit = 1;
        HistoryCells cells;
        englishTable(units).cells(testing::absentRecord(OleDate::fromCivil(2024, 3, 5, 12).value()),
                                  7, cells);
        const HistoryCells expected = {"7",    "2024-03-05 12:00:00",
                                       "30",   "--.-",
                                       "--",   "--.-",
                                       "--",   "--.-",
                                       "--.-", "--.-",
                                       "--.-", "---",
                                       "--.-", "--.-",
                                       "--.-", "--.-",
                                       "--.-", "--.-",
                                       "--.-", "--.-",
                                       "--"};
        EXPECT_EQ(cells, expected) << "wind unit " << windUnit;
    }
}

TEST(HistoryTableTest, TimeTextDropsAZeroTimeOfDay) {
    const HistoryTimeText iso = HistoryTimeText::iso();
    EXPECT_EQ(iso.format(OleDate::fromCivil(2024, 3, 5)), "2024-03-05");
    EXPECT_EQ(iso.format(OleDate::fromCivil(2024, 3, 5, 0, 0, 1)), "2024-03-05 00:00:01");
    EXPECT_EQ(iso.format(OleDate(0.0)), "1899-12-30");
    EXPECT_EQ(iso.format(OleDate(1e12)), "");  // no calendar date: nothing rather than garbage
}

TEST(HistoryTableTest, TimeTextWithoutALanguageLocaleIsIso) {
    for (const char* locale : {"C", "POSIX", "C.UTF-8"}) {
        ::setenv("LC_ALL", locale, 1);
        EXPECT_EQ(HistoryTimeText::fromEnvironment().format(OleDate::fromCivil(2024, 3, 5, 9, 7)),
                  "2024-03-05 09:07:00")
            << locale;
    }
    ::unsetenv("LC_ALL");
}

TEST(HistoryTableTest, PdfHeadingLinesSplitNameAndUnit) {
    ParamBlock units;
    units.RainUnit = 1;
    const HistoryTable table = englishTable(units);
    EXPECT_EQ(table.pdfLine1()[3], "Indoor");
    EXPECT_EQ(table.pdfLine2()[3], "Temperature(\u00B0C)");
    EXPECT_EQ(table.pdfLine1()[8], "Absolute");
    EXPECT_EQ(table.pdfLine2()[8], "Pressure(hpa)");
    EXPECT_EQ(table.pdfLine1()[18], "Total ");
    EXPECT_EQ(table.pdfLine2()[18], "Rainfall(inch)");
    EXPECT_EQ(table.pdfLine1()[20], "UVI");
    EXPECT_EQ(table.pdfLine2()[20], "");
    const HistoryTable chinese(units, testing::textsOf("zh_CN"), HistoryTimeText::iso());
    EXPECT_EQ(chinese.pdfLine1()[14], "\u5C0F\u65F6");  // hour
    EXPECT_EQ(chinese.pdfLine1()[0], "NO.");
}

}  // namespace
}  // namespace nimbra
