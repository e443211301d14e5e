#include "views/graph_chart.h"

#include <QChart>
#include <QDateTimeAxis>
#include <QGraphicsLayout>
#include <QImageWriter>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QPen>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "views/point_decimation.h"

namespace nimbra {

namespace {

const std::array<QColor, GraphChart::kSeriesCount> kSeriesColours = {
    QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 128, 255), QColor(255, 128, 0)};

constexpr int kPixelsPerValueTick = 45;
constexpr int kPixelsPerTimeTick = 170;  // room for one "yyyy-mm-dd hh:mm:ss" label
constexpr qint64 kMomentMargin = 1800;   // seconds either side of a zero-length period

// A round step (1, 2 or 5 times a power of ten) that gives about `ticks` steps over `span`.
double roundStep(double span, int ticks) {
    const double raw = span / std::max(ticks, 1);
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double scaled = raw / magnitude;
    const double factor = scaled < 1.5 ? 1.0 : scaled < 3.5 ? 2.0 : scaled < 7.5 ? 5.0 : 10.0;
    return factor * magnitude;
}

}  // namespace

GraphChart::GraphChart(QWidget* parent)
    : QChartView(parent), m_chart(new QChart), m_left(new QValueAxis), m_bottom(new QDateTimeAxis) {
    setObjectName(QStringLiteral("1220"));
    setRenderHint(QPainter::Antialiasing);
    setChart(m_chart);  // the view owns the chart, the chart its axes and series

    m_chart->setBackgroundRoundness(0);
    m_chart->setDropShadowEnabled(false);
    // White to the edges, on screen and in the exported picture.
    m_chart->layout()->setContentsMargins(0, 0, 0, 0);
    m_chart->setMargins(QMargins(8, 8, 16, 8));
    QFont headingFont = m_chart->titleFont();
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.3);
    headingFont.setBold(true);
    m_chart->setTitleFont(headingFont);
    m_chart->legend()->setAlignment(Qt::AlignTop);

    m_bottom->setFormat(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    m_chart->addAxis(m_bottom, Qt::AlignBottom);
    m_chart->addAxis(m_left, Qt::AlignLeft);
    m_left->setTickType(QValueAxis::TicksDynamic);
    m_left->setTickAnchor(0.0);
    // Blank until the first search.
    const QDateTime now = QDateTime::currentDateTime();
    m_bottom->setRange(now.addSecs(-3600), now);
    m_left->setVisible(false);
    m_bottom->setVisible(false);
    m_chart->legend()->setVisible(false);

    for (int i = 0; i < kSeriesCount; ++i) {
        auto* series = new QLineSeries;
        QPen pen(kSeriesColours[static_cast<std::size_t>(i)]);
        pen.setWidth(2);
        series->setPen(pen);
        series->setPointsVisible(false);
        series->setName(QStringLiteral(" "));
        m_chart->addSeries(series);
        series->attachAxis(m_bottom);
        series->attachAxis(m_left);
        m_series[static_cast<std::size_t>(i)] = series;
    }

    connect(m_chart, &QChart::plotAreaChanged, this, [this](const QRectF& area) {
        fitTicks();
        const int width = static_cast<int>(area.width());
        if (width != m_plotWidth) {
            m_plotWidth = width;
            redrawAll();
        }
    });
    // Dragging across the plot zooms into that time, a right click zooms back out; the
    // lines are reduced anew for what is then in view.
    setRubberBand(QChartView::HorizontalRubberBand);
    connect(m_bottom, &QDateTimeAxis::rangeChanged, this, [this] { redrawAll(); });
}

void GraphChart::prepareSearch() {
    m_chart->zoomReset();
    m_chart->legend()->setVisible(true);
    m_left->setVisible(true);
    m_bottom->setVisible(true);
}

void GraphChart::clearSeries(int index) {
    addPoints(index, {});
}

void GraphChart::setSeriesTitle(int index, const QString& title) {
    series(index)->setName(title);
}

void GraphChart::setSeriesShown(int index, bool shown) {
    series(index)->setVisible(shown);
    for (QLegendMarker* marker : m_chart->legend()->markers(series(index))) {
        marker->setVisible(shown);
    }
}

void GraphChart::addPoints(int index, QList<QPointF> points) {
    m_points.at(static_cast<std::size_t>(index)) = std::move(points);
    redraw(index);
}

void GraphChart::setHeading(const QString& text) {
    m_chart->setTitle(text);
}

void GraphChart::setLegendShown(bool shown) {
    m_chart->legend()->setVisible(shown);
}

void GraphChart::setBottomRange(const QDateTime& start, const QDateTime& end) {
    // A moment rather than a period has no scale: it is shown in the middle of an hour.
    if (start == end) {
        m_bottom->setRange(start.addSecs(-kMomentMargin), end.addSecs(kMomentMargin));
    } else {
        m_bottom->setRange(start, end);
    }
}

void GraphChart::setLeftRange(double min, double max) {
    // The ticks first: the old interval on a much wider range would mean a myriad of ticks.
    fitLeftTicks(max - min);
    m_left->setRange(min, max);
}

void GraphChart::setLeftTitle(const QString& title) {
    m_left->setTitleText(title);
}

QImage GraphChart::picture() {
    QImage image(size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QWidget::render(&image);
    return image;
}

bool GraphChart::saveJpeg(const QString& path, QString& error) {
    QImageWriter writer(path, "jpeg");
    writer.setQuality(100);
    if (!writer.write(picture())) {
        error = writer.errorString();
        return false;
    }
    return true;
}

const QList<QPointF>& GraphChart::points(int index) const {
    return m_points.at(static_cast<std::size_t>(index));
}

QLineSeries* GraphChart::series(int index) const {
    return m_series.at(static_cast<std::size_t>(index));
}

void GraphChart::redraw(int index) {
    const double start = static_cast<double>(m_bottom->min().toMSecsSinceEpoch());
    const double end = static_cast<double>(m_bottom->max().toMSecsSinceEpoch());
    series(index)->replace(decimateToColumns(points(index), start, end, m_plotWidth));
}

void GraphChart::redrawAll() {
    for (int i = 0; i < kSeriesCount; ++i) {
        redraw(i);
    }
}

void GraphChart::fitTicks() {
    const auto width = static_cast<int>(m_chart->plotArea().width());
    m_bottom->setTickCount(std::clamp(width / kPixelsPerTimeTick + 1, 2, 12));
    fitLeftTicks(m_left->max() - m_left->min());
}

void GraphChart::fitLeftTicks(double span) {
    if (!(span > 0.0)) {
        return;
    }
    const auto height = static_cast<int>(m_chart->plotArea().height());
    const double step = roundStep(span, std::max(height / kPixelsPerValueTick, 2));
    m_left->setTickInterval(step);
    const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
    m_left->setLabelFormat(QStringLiteral("%.%1f").arg(decimals));
}

}  // namespace nimbra
