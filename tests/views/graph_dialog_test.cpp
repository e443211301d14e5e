#include "views/graph_dialog.h"

#include <gtest/gtest.h>

#include <QDateTimeAxis>
#include <QImageReader>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QValueAxis>
#include <optional>

#include "core/absent.h"
#include "core/units.h"
#include "report/graph_plan.h"
#include "tests/support/english_strings.h"
#include "tests/support/qt_application.h"
#include "tests/support/store_fixture.h"
#include "views/graph_chart.h"
#include "views/ole_date_qt.h"

namespace nimbra {
namespace {

// Answers the dialog's questions and keeps its messages.
class ScriptedGrapsh : public Grapsh {
public:
    ScriptedGrapsh(const CStationData& data, const std::filesystem::path& database)
        : Grapsh(data, database, testing::englishStrings()) {}

    std::vector<QString> errors;
    std::vector<QString> notes;
    QString exportPath;

protected:
    void showError(const QString& message) override { errors.push_back(message); }
    void showInformation(const QString& message) override { notes.push_back(message); }
    QString chooseExportPath() override { return exportPath; }
};

const QDateTime kStart(QDate(2024, 3, 10), QTime(12, 0, 0));

class GraphDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testing::qtApplication(); }

    void SetUp() override {
        CWeatherDb db;
        ASSERT_EQ(db.Connect(database()), 0);
        // Six records five minutes apart after the start; the third lacks its outdoor
        // temperature, the fourth its gust.
        for (int i = 1; i <= 6; ++i) {
            HistoryRecord r = testing::sampleRecord(fromQDateTime(kStart.addSecs(300 * i)).value());
            r.OutTemp = static_cast<float>(10 + i);
            r.InTemp = 20.0f;
            r.Wind = static_cast<float>(i);
            r.Gust = 2.0f * static_cast<float>(i);
            r.Light = 1000.0f * static_cast<float>(i);
            if (i == 3) {
                r.OutTemp = kAbsent;
            }
            if (i == 4) {
                r.Gust = kAbsent;
            }
            ASSERT_EQ(db.InsertRecord(r), 0);
        }
    }

    std::filesystem::path database() const { return m_folder.path() / "Nimbra7420.db"; }

    ScriptedGrapsh& dialog(const CStationData& data = CStationData{}) {
        m_dialog.emplace(data, database());
        return *m_dialog;
    }

    // Searches `selection` over the half hour holding every record.
    static void searchAll(ScriptedGrapsh& d, int selection) {
        d.setPeriod(kStart, kStart.addSecs(1800));
        d.setSelection(selection);
        d.search();
    }

    testing::TempFolder m_folder;
    std::optional<ScriptedGrapsh> m_dialog;
};

struct SelectionCase {
    int selection;
    const char* heading;
    std::array<const char*, 4> titles;
    std::array<bool, 4> shown;
    std::array<int, 4> points;
    bool legend;
    double min, max;
};

TEST_F(GraphDialogTest, EachSelectionDrawsItsSeriesOnItsRange) {
    // Each search follows the one before, as a user goes down the list: the series a
    // selection leaves alone keep what the previous one gave them.
    const SelectionCase cases[] = {
        {kGraphTemperature,
         "Outdoor Temperature",
         {"Outdoor Temperature", "DewPoint", "Indoor Temperature", "WindChill"},
         {true, true, true, true},
         {5, 6, 6, 6},
         true,
         -17.6,
         25},
        {kGraphHumidity,
         "Outdoor Humidity",
         {"Indoor Humidity", "Outdoor Humidity", "Indoor Temperature", "WindChill"},
         {true, true, false, false},
         {6, 6, 0, 0},
         true,
         0,
         100},
        {kGraphPressure,
         "Relative Pressure",
         {"Relative Pressure", "Absolute Pressure", "Indoor Temperature", "WindChill"},
         {true, true, false, false},
         {6, 6, 0, 0},
         true,
         990.7 - 50,
         1013.2 + 50},
        {kGraphWind,
         "Wind Speed",
         {"Wind Speed", "Gust", "Indoor Temperature", "WindChill"},
         {true, true, false, false},
         {6, 5, 0, 0},
         true,
         0,
         16},
        {kGraphRain,
         "Rainfall",
         {"Rainfall", " ", "Indoor Temperature", "WindChill"},
         {true, true, false, false},
         {6, 0, 0, 0},
         false,
         901.2 - 2,
         901.2 + 50},
        {kGraphTemperature,
         "Outdoor Temperature",
         {"Outdoor Temperature", "DewPoint", "Indoor Temperature", "WindChill"},
         {true, true, true, true},
         {5, 6, 6, 6},
         true,
         -17.6,
         25},
        {kGraphLight,
         "Light",
         {"Light", " ", "Indoor Temperature", "WindChill"},
         {true, true, true, true},
         {6, 0, 0, 0},
         false,
         0,
         7000 / 10.7},  // unit code 0, the foot-candle, taken as 10.7 lux
        {kGraphUv,
         "UVI",
         {"UVI", " ", "Indoor Temperature", "WindChill"},
         {true, true, true, true},
         {6, 0, 0, 0},
         false,
         0,
         15},
    };
    ScriptedGrapsh& d = dialog();
    for (const SelectionCase& c : cases) {
        SCOPED_TRACE(c.heading);
        searchAll(d, c.selection);
        GraphChart& chart = d.chart();
        EXPECT_EQ(chart.chart()->title(), c.heading);
        EXPECT_EQ(chart.chart()->legend()->isVisible(), c.legend);
        EXPECT_NEAR(chart.leftAxis()->min(), c.min, 1e-4);
        EXPECT_NEAR(chart.leftAxis()->max(), c.max, 1e-4);
        EXPECT_EQ(chart.bottomAxis()->min(), kStart);
        EXPECT_EQ(chart.bottomAxis()->max(), kStart.addSecs(1800));
        for (int i = 0; i < GraphChart::kSeriesCount; ++i) {
            const auto index = static_cast<std::size_t>(i);
            EXPECT_EQ(chart.series(i)->name(), c.titles[index]) << i;
            EXPECT_EQ(chart.series(i)->isVisible(), c.shown[index]) << i;
            EXPECT_EQ(chart.points(i).size(), c.points[index]) << i;
            EXPECT_EQ(chart.series(i)->count(), c.points[index]) << i;
        }
    }
    EXPECT_TRUE(d.errors.empty());
}

TEST_F(GraphDialogTest, PointsAreDatedAndInTheUsersUnit) {
    CStationData data;
    data.OutTempUnit = kFahrenheit;
    data.WindUnit = kBeaufort;
    ScriptedGrapsh& d = dialog(data);
    searchAll(d, kGraphTemperature);
    const QList<QPointF>& outdoor = d.chart().points(0);
    ASSERT_EQ(outdoor.size(), 5);
    // The record without an outdoor temperature is missing from this series only.
    const QList<double> expected = {51.8, 53.6, 57.2, 59.0, 60.8};
    for (qsizetype i = 0; i < outdoor.size(); ++i) {
        EXPECT_NEAR(outdoor[i].y(), expected[i], 1e-9) << i;
    }
    EXPECT_EQ(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(outdoor[2].x())),
              kStart.addSecs(1200));
    EXPECT_EQ(d.chart().leftAxis()->titleText(), QString::fromUtf8(" (\u00B0F )"));

    searchAll(d, kGraphWind);
    QList<double> beaufort;
    for (const QPointF& p : d.chart().points(1)) {
        beaufort.append(p.y());
    }
    EXPECT_EQ(beaufort, (QList<double>{2, 3, 4, 5, 6}));  // gusts of 2, 4, 6, 10, 12 m/s
    EXPECT_EQ(d.chart().leftAxis()->min(), 0.0);
    EXPECT_EQ(d.chart().leftAxis()->max(), 12.0);

    d.setSelection(kGraphSelectionCount);  // not in the list: wind stays chosen
    d.search();
    EXPECT_EQ(d.chart().chart()->title(), "Wind Speed");
    EXPECT_EQ(d.chart().leftAxis()->titleText(), " (bft)");
}

TEST_F(GraphDialogTest, MillimetresOfMercuryGiveWholeAxisLimits) {
    CStationData data;
    data.PressureUnit = kMillimetresOfMercury;
    ScriptedGrapsh& d = dialog(data);
    searchAll(d, kGraphPressure);
    EXPECT_EQ(d.chart().leftAxis()->min(), 705.0);  // (990.7 - 50) / 1.3333 = 705.6
    EXPECT_EQ(d.chart().leftAxis()->max(), 797.0);  // (1013.2 + 50) / 1.3333 = 797.4
    EXPECT_EQ(d.chart().leftAxis()->titleText(), " (mmhg)");
    EXPECT_NEAR(d.chart().points(0).front().y(), 759.9, 1e-9);
}

TEST_F(GraphDialogTest, AnEqualStartAndEndIsAPeriodWithoutRecords) {
    ScriptedGrapsh& d = dialog();
    const QDateTime onARecord = kStart.addSecs(600);
    d.setPeriod(onARecord, onARecord);
    d.search();
    EXPECT_TRUE(d.errors.empty());
    EXPECT_EQ(d.chart().leftAxis()->min(), -25.0);
    EXPECT_EQ(d.chart().leftAxis()->max(), 45.0);
    for (int i = 0; i < GraphChart::kSeriesCount; ++i) {
        EXPECT_TRUE(d.chart().points(i).isEmpty()) << i;
    }
    // The moment is shown in the middle of an hour, and the next search draws as usual.
    EXPECT_EQ(d.chart().bottomAxis()->min(), onARecord.addSecs(-1800));
    EXPECT_EQ(d.chart().bottomAxis()->max(), onARecord.addSecs(1800));
    searchAll(d, kGraphTemperature);
    EXPECT_EQ(d.chart().bottomAxis()->min(), kStart);
    EXPECT_EQ(d.chart().bottomAxis()->max(), kStart.addSecs(1800));
    EXPECT_EQ(d.chart().points(0).size(), 5);
}

TEST_F(GraphDialogTest, AStartAfterTheEndIsRefusedAndTheChartKeepsItsContent) {
    ScriptedGrapsh& d = dialog();
    searchAll(d, kGraphRain);
    d.setPeriod(kStart.addSecs(1), kStart);
    d.setSelection(kGraphHumidity);
    d.search();
    EXPECT_EQ(d.errors, std::vector<QString>{"Time Error"});
    EXPECT_EQ(d.chart().chart()->title(), "Rainfall");
    EXPECT_FALSE(d.chart().chart()->legend()->isVisible());
    EXPECT_EQ(d.chart().points(0).size(), 6);
    EXPECT_NEAR(d.chart().leftAxis()->max(), 951.2, 1e-4);
    EXPECT_EQ(d.chart().bottomAxis()->max(), kStart.addSecs(1800));
}

TEST_F(GraphDialogTest, AFailedQueryIsReportedOnceAndEndsTheSearch) {
    ScriptedGrapsh& d = dialog();
    searchAll(d, kGraphWind);
    testing::executeRaw(database(), "ALTER TABLE Records RENAME COLUMN WindChill TO Chill");
    searchAll(d, kGraphTemperature);
    ASSERT_EQ(d.errors.size(), 1u);
    EXPECT_TRUE(d.errors.front().contains(QStringLiteral("WindChill")))
        << d.errors.front().toStdString();
    EXPECT_EQ(d.chart().chart()->title(), "Outdoor Temperature");
    EXPECT_TRUE(d.chart().points(0).isEmpty());
    EXPECT_EQ(d.chart().series(0)->name(), "Wind Speed");
}

TEST_F(GraphDialogTest, ExportWritesAJpegOfTheChartsSize) {
    ScriptedGrapsh& d = dialog();
    d.setAttribute(Qt::WA_DontShowOnScreen);
    d.show();
    d.resize(1000, 640);
    searchAll(d, kGraphTemperature);
    d.exportPath = QString::fromStdString((m_folder.path() / "graph.jpeg").string());
    d.exportImage();
    EXPECT_TRUE(d.errors.empty());
    EXPECT_EQ(d.notes, std::vector<QString>{"Export succeeded"});
    QImageReader reader(d.exportPath);
    EXPECT_EQ(reader.format(), "jpeg");
    const QImage picture = reader.read();
    EXPECT_EQ(picture.size(), QSize(980, 540));
    EXPECT_EQ(picture.size(), d.chart().size());
}

TEST_F(GraphDialogTest, AnExportThatCannotBeWrittenIsNotReportedAsDone) {
    ScriptedGrapsh& d = dialog();
    d.exportPath = QString::fromStdString((m_folder.path() / "missing" / "graph.jpeg").string());
    d.exportImage();
    EXPECT_TRUE(d.notes.empty());
    ASSERT_EQ(d.errors.size(), 1u);
    EXPECT_TRUE(d.errors.front().contains(QStringLiteral("graph.jpeg")));
    EXPECT_FALSE(std::filesystem::exists(m_folder.path() / "missing" / "graph.jpeg"));

    d.exportPath.clear();  // the user cancels the file dialog
    d.exportImage();
    EXPECT_EQ(d.errors.size(), 1u);
    EXPECT_TRUE(d.notes.empty());
}

TEST_F(GraphDialogTest, TheChartFillsTheWindowBelowTheControls) {
    ScriptedGrapsh& d = dialog();
    EXPECT_EQ(d.minimumSize(), QSize(800, 500));
    d.setAttribute(Qt::WA_DontShowOnScreen);
    d.show();
    d.resize(1200, 800);
    EXPECT_EQ(d.chart().geometry(), QRect(10, 90, 1180, 700));
}

TEST_F(GraphDialogTest, TheLeftAxisKeepsAReadableNumberOfTicks) {
    {
        CWeatherDb db;
        ASSERT_EQ(db.Connect(database()), 0);
        HistoryRecord bright = testing::sampleRecord(fromQDateTime(kStart.addSecs(1500)).value());
        bright.Light = 120000.0f;
        ASSERT_EQ(db.InsertRecord(bright), 0);
    }
    CStationData data;
    data.LightUnit = kLux;
    ScriptedGrapsh& d = dialog(data);
    d.setAttribute(Qt::WA_DontShowOnScreen);
    d.show();
    QApplication::processEvents();
    for (int selection : {kGraphLight, kGraphUv, kGraphPressure, kGraphLight}) {
        searchAll(d, selection);
        QApplication::processEvents();
        const QValueAxis& axis = *d.chart().leftAxis();
        const double ticks = (axis.max() - axis.min()) / axis.tickInterval();
        EXPECT_GE(ticks, 3) << selection;
        EXPECT_LE(ticks, 15) << selection;
    }
    EXPECT_EQ(d.chart().leftAxis()->max(), 121000.0);
}

TEST_F(GraphDialogTest, ALongLineIsDrawnWithAtMostFourPointsPerPixelColumn) {
    {
        CWeatherDb db;
        ASSERT_EQ(db.Connect(database()), 0);
        Transaction batch(db);
        for (int i = 0; i < 20000; ++i) {
            HistoryRecord r =
                testing::sampleRecord(fromQDateTime(kStart.addSecs(-60 * (i + 1))).value());
            r.OutTemp = static_cast<float>(i % 50);
            ASSERT_EQ(db.InsertRecord(r), 0);
        }
        ASSERT_EQ(batch.commit(), 0);
    }
    ScriptedGrapsh& d = dialog();
    d.setAttribute(Qt::WA_DontShowOnScreen);
    d.show();
    d.setPeriod(kStart.addSecs(-60 * 20000), kStart.addSecs(1800));
    d.search();
    QApplication::processEvents();
    const int width = static_cast<int>(d.chart().chart()->plotArea().width());
    ASSERT_GT(width, 0);
    // Every stored outdoor temperature after the start, the added ones and five of six.
    EXPECT_EQ(d.chart().points(0).size(), 19999 + 5);
    EXPECT_LE(d.chart().series(0)->count(), 4 * width);
    EXPECT_GT(d.chart().series(0)->count(), width);

    // Zoomed into a stretch of time, every point in view is drawn.
    d.chart().chart()->zoom(100.0);
    const double from = static_cast<double>(d.chart().bottomAxis()->min().toMSecsSinceEpoch());
    const double to = static_cast<double>(d.chart().bottomAxis()->max().toMSecsSinceEpoch());
    const QList<QPointF> drawn = d.chart().series(0)->points();
    qsizetype inView = 0;
    for (const QPointF& p : d.chart().points(0)) {
        if (p.x() >= from && p.x() <= to) {
            ++inView;
            EXPECT_TRUE(drawn.contains(p)) << p.x();
        }
    }
    EXPECT_GT(inView, 100);
    d.chart().chart()->zoomReset();

    d.resize(1600, 600);
    QApplication::processEvents();
    const int wider = static_cast<int>(d.chart().chart()->plotArea().width());
    EXPECT_GT(wider, width);
    EXPECT_GT(d.chart().series(0)->count(), wider);
}

}  // namespace
}  // namespace nimbra
