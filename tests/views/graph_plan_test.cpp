#include "report/graph_plan.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <cmath>
#include <cstdlib>
#include <ctime>

#include "core/units.h"
#include "tests/support/qt_application.h"
#include "views/epoch_msecs.h"
#include "views/ole_date_qt.h"
#include "views/point_decimation.h"

namespace nimbra {
namespace {

ParamBlock unitsOf(int outTemp, int pressure, int wind, int rain, int light, int inTemp = 0) {
    ParamBlock units;
    units.OutTempUnit = outTemp;
    units.InTempUnit = inTemp;
    units.PressureUnit = pressure;
    units.WindUnit = wind;
    units.RainUnit = rain;
    units.LightUnit = light;
    return units;
}

const MaxMin kNoValues{};

struct RangeCase {
    const char* name;
    int selection;
    ParamBlock units;
    std::vector<MaxMin> columns;  // stored range per range column, in the plan's order
    AxisRange expected;
    const char* title;
};

class AxisRangeTest : public ::testing::TestWithParam<RangeCase> {};

TEST_P(AxisRangeTest, RangeAndTitleInTheDisplayUnit) {
    const RangeCase& c = GetParam();
    const AxisRange range = displayAxisRange(
        c.selection, canonicalAxisRange(graphPlan(c.selection), c.columns), c.units);
    EXPECT_NEAR(range.min, c.expected.min, 1e-9);
    EXPECT_NEAR(range.max, c.expected.max, 1e-9);
    EXPECT_EQ(axisTitle(c.selection, c.units), c.title);
}

const ParamBlock kMetric = unitsOf(kCelsius, kHectopascal, kMetresPerSecond, kMillimetres, kLux);

INSTANTIATE_TEST_SUITE_P(
    Selections, AxisRangeTest,
    ::testing::Values(
        RangeCase{"TemperatureWithoutRecords",
                  kGraphTemperature,
                  kMetric,
                  {kNoValues, kNoValues, kNoValues, kNoValues},
                  {-25, 45},
                  " (\u00B0C )"},
        RangeCase{"TemperatureWithoutRecordsInFahrenheit",
                  kGraphTemperature,
                  unitsOf(kFahrenheit, 0, 0, 0, 0),
                  {kNoValues, kNoValues, kNoValues, kNoValues},
                  {-13, 113},
                  " (\u00B0F )"},
        RangeCase{"TemperatureSpansEveryColumn",
                  kGraphTemperature,
                  kMetric,
                  {{20, 10}, {22, 18}, {8, 5}, {19, 9}},
                  {0, 27},
                  " (\u00B0C )"},
        // A column without values in the period brings its default range in.
        RangeCase{"TemperatureWithOneColumnEmpty",
                  kGraphTemperature,
                  kMetric,
                  {{20, 10}, {22, 18}, {8, 5}, kNoValues},
                  {-25, 45},
                  " (\u00B0C )"},
        RangeCase{"HumidityIsFixed", kGraphHumidity, kMetric, {}, {0, 100}, " (%)"},
        RangeCase{"UvIsFixed", kGraphUv, kMetric, {}, {0, 15}, "  "},
        RangeCase{"PressureInHectopascals",
                  kGraphPressure,
                  kMetric,
                  {{1020, 1000}, {1010, 990}},
                  {940, 1070},
                  " (hpa)"},
        RangeCase{"PressureInInchesIsNotRounded",
                  kGraphPressure,
                  unitsOf(0, kInchesOfMercury, 0, 0, 0),
                  {{1020, 1000}, {1010, 990}},
                  {940 / 33.8638, 1070 / 33.8638},
                  " (inhg)"},
        RangeCase{"PressureInMillimetresIsTruncated",
                  kGraphPressure,
                  unitsOf(0, kMillimetresOfMercury, 0, 0, 0),
                  {{1020, 1000}, {1010, 990}},
                  {705, 802},
                  " (mmhg)"},
        RangeCase{"PressureWithoutRecords",
                  kGraphPressure,
                  kMetric,
                  {kNoValues, kNoValues},
                  {900, 1100},
                  " (hpa)"},
        RangeCase{"WindMinimumStopsAtZero", kGraphWind, kMetric, {{12, 0.5}}, {0, 22}, " (m/s)"},
        RangeCase{"WindInKilometresPerHour",
                  kGraphWind,
                  unitsOf(0, 0, kKilometresPerHour, 0, 0),
                  {{12, 4}},
                  {3 * 3.6, 22 * 3.6},
                  " (km/h)"},
        RangeCase{"WindInKnots",
                  kGraphWind,
                  unitsOf(0, 0, kKnots, 0, 0),
                  {kNoValues},
                  {0, 60 * 1.943844},
                  " (knot)"},
        RangeCase{"WindInMiles",
                  kGraphWind,
                  unitsOf(0, 0, kMilesPerHour, 0, 0),
                  {{12, 4}},
                  {3 * 2.236936, 22 * 2.236936},
                  " (mph)"},
        RangeCase{"WindInBeaufortIsFixed",
                  kGraphWind,
                  unitsOf(0, 0, kBeaufort, 0, 0),
                  {{40, 4}},
                  {0, 12},
                  " (bft)"},
        RangeCase{"RainWithoutRecords", kGraphRain, kMetric, {kNoValues}, {0, 250}, " (mm)"},
        RangeCase{"RainInInches",
                  kGraphRain,
                  unitsOf(0, 0, 0, kInches, 0),
                  {{100, 40}},
                  {38 * 0.0393700787, 150 * 0.0393700787},
                  " (inch)"},
        RangeCase{"LightInLux", kGraphLight, kMetric, {{50000, 100}}, {0, 51000}, " (lux)"},
        RangeCase{"LightInFootCandles",
                  kGraphLight,
                  unitsOf(0, 0, 0, 0, kFootCandles),
                  {{50000, 3000}},
                  {2000 / 10.7, 51000 / 10.7},
                  " (fc)"},
        RangeCase{"LightInWatts",
                  kGraphLight,
                  unitsOf(0, 0, 0, 0, kWattsPerSquareMetre),
                  {kNoValues},
                  {0, 3000 / 126.7},
                  " (w/m2)"}),
    [](const auto& info) { return std::string(info.param.name); });

struct ValueCase {
    RecordColumn column;
    ParamBlock units;
    HistoryRecord record;
    double expected;
};

HistoryRecord withValues(float temperature, float pressure, float wind, float rain, float light,
                         int whole) {
    HistoryRecord r;
    r.OutTemp = r.DewPoint = r.WindChill = r.InTemp = temperature;
    r.RelPressure = r.AbsPressure = pressure;
    r.Wind = r.Gust = wind;
    r.Rain5 = rain;
    r.Light = light;
    r.InHumi = r.OutHumi = r.UV = whole;
    return r;
}

TEST(PlottedValueTest, ConvertedAndRoundedAsTheTextShowsIt) {
    using enum RecordColumn;
    const ParamBlock imperial =
        unitsOf(kFahrenheit, kInchesOfMercury, kBeaufort, kInches, kFootCandles, kCelsius);
    const ParamBlock other = unitsOf(kCelsius, kMillimetresOfMercury, kKilometresPerHour,
                                     kMillimetres, kWattsPerSquareMetre);
    const HistoryRecord r = withValues(21.26f, 1013.25f, 10.0f, 10.0f, 1000.0f, 7);
    const HistoryRecord slow = withValues(21.26f, 1013.25f, 3.3f, 10.0f, 1000.0f, 7);
    const ValueCase cases[] = {
        {OutTemp, kMetric, r, 21.3},
        {OutTemp, imperial, r, 70.3},
        {DewPoint, imperial, r, 70.3},
        {WindChill, imperial, r, 70.3},
        {InTemp, imperial, r, 70.3},        // in the axis's unit, though the indoor unit is Celsius
        {RelPressure, kMetric, r, 1013.2},  // a tie, rounded as printf rounds it
        {AbsPressure, imperial, r, 29.92},
        {RelPressure, other, r, 760.0},  // points keep their decimal; only the axis is truncated
        {Wind, imperial, r, 5},
        {Gust, other, slow, 11.9},
        {Wind, kMetric, slow, 3.3},
        {Rain5, imperial, r, 0.39},
        {Rain5, kMetric, r, 10.0},
        {Light, imperial, r, 92.9},  // the exact foot-candle factor, unlike the axis
        {Light, other, r, 7.9},
        {InHumi, kMetric, r, 7},
        {UV, kMetric, r, 7},
    };
    for (const ValueCase& c : cases) {
        EXPECT_NEAR(plottedValue(c.column, c.record, c.units), c.expected, 1e-9)
            << columnName(c.column) << " units " << c.units.OutTempUnit << c.units.PressureUnit
            << c.units.WindUnit;
    }
}

TEST(DecimationTest, KeepsEveryColumnsExtremesAndEnds) {
    QList<QPointF> line;
    for (int i = 0; i < 1000; ++i) {
        line.append(QPointF(i, (i % 7) * 1.0));
    }
    line[503].setY(100.0);  // a single-sample peak
    line[777].setY(-50.0);  // and dip
    const QList<QPointF> kept = decimateToColumns(line, 0.0, 1000.0, 10);
    ASSERT_LE(kept.size(), 40);
    EXPECT_EQ(kept.front(), line.front());
    EXPECT_EQ(kept.back(), line.back());
    EXPECT_TRUE(kept.contains(line[503]));
    EXPECT_TRUE(kept.contains(line[777]));
    for (int column = 0; column < 10; ++column) {
        double low = 1e9;
        double high = -1e9;
        int count = 0;
        for (const QPointF& p : kept) {
            if (p.x() >= column * 100 && p.x() < (column + 1) * 100) {
                low = std::min(low, p.y());
                high = std::max(high, p.y());
                ++count;
            }
        }
        EXPECT_GE(count, 2) << column;
        EXPECT_LE(low, column == 7 ? -50.0 : 0.0) << column;
        EXPECT_GE(high, column == 5 ? 100.0 : 6.0) << column;
    }
    for (qsizetype i = 1; i < kept.size(); ++i) {
        EXPECT_LT(kept[i - 1].x(), kept[i].x());
    }
}

TEST(DecimationTest, PointsOutOfViewDoNotHideTheExtremesInView) {
    QList<QPointF> line;
    for (int i = -500; i < 1500; ++i) {
        line.append(QPointF(i, i == -300 || i == 1200 ? 1000.0 : (i % 5) * 1.0));
    }
    line[500 + 2].setY(50.0);    // in the first column in view
    line[500 + 997].setY(60.0);  // in the last
    const QList<QPointF> kept = decimateToColumns(line, 0.0, 1000.0, 10);
    EXPECT_TRUE(kept.contains(QPointF(2, 50.0)));
    EXPECT_TRUE(kept.contains(QPointF(997, 60.0)));
    EXPECT_TRUE(kept.contains(QPointF(-1, -1.0)));  // the line still enters the view
    EXPECT_TRUE(kept.contains(QPointF(1000, 0.0)));
}

TEST(DecimationTest, ShortLinesAndEmptyRangesStayWhole) {
    QList<QPointF> line;
    for (int i = 0; i < 40; ++i) {
        line.append(QPointF(i, i));
    }
    EXPECT_EQ(decimateToColumns(line, 0.0, 40.0, 10), line);
    EXPECT_EQ(decimateToColumns(line, 0.0, 40.0, 0), line);
    EXPECT_EQ(decimateToColumns(line, 5.0, 5.0, 2), line);
}

qint64 offsetMsAt(qint64 msecs) {
    return qint64{QDateTime::fromMSecsSinceEpoch(msecs).offsetFromUtc()} * 1000;
}

// Whether a wall-clock time (as milliseconds read as UTC) names exactly one instant: not
// skipped by a change to summer time, not repeated by the change back.
bool namesOneInstant(qint64 wallMs) {
    constexpr qint64 kThreeHours = 3 * 3600 * 1000;
    int instants = 0;
    const qint64 before = offsetMsAt(wallMs - kThreeHours);
    const qint64 after = offsetMsAt(wallMs + kThreeHours);
    for (const qint64 offset : {before, after}) {
        const qint64 instant = wallMs - offset;
        if (instant + offsetMsAt(instant) == wallMs) {
            ++instants;
        }
        if (before == after) {
            break;
        }
    }
    return instants == 1;
}

// Local dates become instants as a full conversion of each date would make them, also
// in the hours next to the changes to and from summer time.
TEST(EpochMsecsTest, AgreesWithTheFullConversionThroughTheYear) {
    testing::qtApplication();
    const char* saved = std::getenv("TZ");
    const std::string previous = saved != nullptr ? saved : "";
    for (const char* zone : {"Europe/Berlin", "America/Sao_Paulo", "Australia/Lord_Howe", "UTC"}) {
        setenv("TZ", zone, 1);
        tzset();
        EpochMsecs convert;
        const double first = OleDate::fromCivil(2018, 1, 1).value();
        for (double t = first; t < first + 366; t += 7.0 / 1440.0) {  // every 7 minutes
            const auto wallMs = std::llround((t - 25569.0) * 86400000.0);
            if (!namesOneInstant(wallMs)) {
                continue;
            }
            ASSERT_EQ(convert(t), toQDateTime(OleDate(t)).toMSecsSinceEpoch()) << zone << " " << t;
        }
    }
    if (saved != nullptr) {
        setenv("TZ", previous.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
}

}  // namespace
}  // namespace nimbra
