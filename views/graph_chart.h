#pragma once

#include <QChartView>
#include <QDateTime>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QString>
#include <array>

class QDateTimeAxis;
class QLineSeries;
class QValueAxis;

namespace nimbra {

// The graph dialog's chart: four line series of dated points under a heading, the legend
// at the top, a value axis on the left and a date-time axis at the bottom, both on ranges
// set from outside. Point x values are milliseconds since the epoch.
//
// A series keeps every point it is given but draws at most four per pixel column of the
// plot (see decimateToColumns); the reduction is redone whenever the plot's size or its
// time range changes (the user may zoom into a stretch of time), so the picture, on
// screen and exported, is that of the full line.
class GraphChart : public QChartView {
    Q_OBJECT

public:
    static constexpr int kSeriesCount = 4;

    explicit GraphChart(QWidget* parent = nullptr);

    // Readies the chart for a search: any zoom undone, the axes and the legend shown (the
    // chart is blank until the first search), the axes on the ranges they are given, not
    // on the data.
    void prepareSearch();

    void clearSeries(int index);
    void setSeriesTitle(int index, const QString& title);
    void setSeriesShown(int index, bool shown);
    // Replaces the series' points in one step; `points` ascend in x.
    void addPoints(int index, QList<QPointF> points);

    void setHeading(const QString& text);
    void setLegendShown(bool shown);

    // An equal start and end show the hour around that moment.
    void setBottomRange(const QDateTime& start, const QDateTime& end);
    void setLeftRange(double min, double max);
    void setLeftTitle(const QString& title);

    // The chart as it is shown, at its current size.
    QImage picture();
    // Saves picture() as a JPEG of quality 100; on failure `error` says why.
    bool saveJpeg(const QString& path, QString& error);

    // What the chart holds, for tests and screenshots.
    const QList<QPointF>& points(int index) const;
    QLineSeries* series(int index) const;
    QValueAxis* leftAxis() const { return m_left; }
    QDateTimeAxis* bottomAxis() const { return m_bottom; }

private:
    void redraw(int index);
    void redrawAll();
    void fitTicks();
    void fitLeftTicks(double span);

    QChart* m_chart;
    QValueAxis* m_left;
    QDateTimeAxis* m_bottom;
    std::array<QLineSeries*, kSeriesCount> m_series{};
    std::array<QList<QPointF>, kSeriesCount> m_points;
    int m_plotWidth = 0;
};

}  // namespace nimbra
