#include "views/live_picture.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <cmath>
#include <vector>

#include "config/string_ids.h"
#include "core/absent.h"
#include "core/text_forms.h"
#include "core/units.h"
#include "report/live_texts.h"

namespace nimbra {

namespace {

// Label table slots and the string ids that fill them.
constexpr std::pair<int, int> kLabelIds[] = {
    {0, kTextPressure},
    {1, kTextIndoorOutdoor},
    {2, kTextDewPointWindChill},
    {3, kTextWind},
    {4, kTextRainfall},
    {5, kTextRelativePressure},
    {6, kTextAbsolutePressure},
    {7, kTextIndoorTemperature},
    {8, kTextIndoorHumidity},
    {9, kTextOutdoorTemperature},
    {10, kTextOutdoorHumidity},
    {11, kTextDewPoint},
    {12, kTextWindChill},
    {13, kTextWindSpeed},
    {14, kTextGust},
    {15, kTextHourRainfall},
    {16, kTextDayRainfall},
    {17, kTextWeekRainfall},
    {18, kTextMonthRainfall},
    {19, kTextTotalRainfall},
    {20, kTextCurrent},
    {21, kTextMax},
    {22, kTextMin},
    {23, kTextUsbConnected},
    {24, kTextUsbUnconnected},
    {25, kTextDataReading},
    {26, kTextComputeRain},
    {27, kTextComplete},
    {28, kTextSuccess},
    {30, kTextClearingSucceeded},
    {31, kTextTemperature},
    {32, kTextIndoor},
    {33, kTextOutdoor},
    {34, kTextLight},
    {35, kTextUvi},
};

enum Label {
    kCurrentLabel = 20,
    kMaxLabel = 21,
    kMinLabel = 22,
    kTemperatureLabel = 31,
    kIndoorLabel = 32,
    kOutdoorLabel = 33,
    kLightLabel = 34,
    kUvLabel = 35,
};

const QColor kBarColour(181, 204, 255);
const QColor kOutlineColour(70, 70, 70);

// Text heights are cell heights in pixels; a sans face's em is about 1/1.15 of that.
QFont arial(int cellHeight) {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(static_cast<int>(std::lround(cellHeight / 1.15)));
    return font;
}

QRect box(int left, int top, int right, int bottom) {
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

void text(QPainter& p, int l, int t, int r, int b, const QString& s,
          int align = Qt::AlignLeft | Qt::AlignTop) {
    p.drawText(box(l, t, r, b), align | Qt::TextSingleLine, s);
}

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

// A doubled ampersand stands for one in the string table.
QString plain(const QString& label) {
    QString s = label;
    return s.replace(QStringLiteral("&&"), QStringLiteral("&"));
}

struct ValueRow {
    int top, bottom;
};

constexpr ValueRow kLeftRows[] = {{63, 80},   {121, 140}, {215, 230}, {278, 298},
                                  {355, 370}, {418, 435}, {509, 525}, {565, 580}};
constexpr int kLeftColumns[][2] = {{20, 105}, {125, 210}, {230, 320}};
constexpr int kLeftHeadingTops[] = {48, 106, 200, 263, 340, 403, 494, 550};

constexpr int kRainTops[] = {170, 245, 320, 398, 468};
constexpr int kRainHeadingTops[] = {150, 225, 302, 380, 450};
constexpr int kGaugeBottoms[] = {180, 255, 330, 410, 480};

void drawPanel(QPainter& p, int l, int t, int r, int b) {
    p.setPen(QPen(QColor(160, 168, 180), 1));
    p.setBrush(QColor(226, 230, 236));
    p.drawRoundedRect(QRectF(l, t, r - l, b - t), 10, 10);
}

void drawValueBox(QPainter& p, int l, int t, int r, int b) {
    p.setPen(QPen(QColor(175, 182, 192), 1));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(l - 5, t - 3, r - l + 8, b - t + 5), 5, 5);
}

void drawCompass(QPainter& p) {
    const QPointF centre(795, 105);
    p.setPen(QPen(QColor(150, 158, 170), 2));
    p.setBrush(QColor(245, 247, 250));
    p.drawEllipse(centre, 92, 92);
    p.setPen(QPen(kOutlineColour, 1));
    for (int i = 0; i < 16; ++i) {
        const double a = (i * 22.5 - 90.0) * M_PI / 180.0;
        const double inner = i % 4 == 0 ? 70 : i % 2 == 0 ? 76 : 80;
        p.drawLine(QPointF(centre.x() + std::cos(a) * inner, centre.y() + std::sin(a) * inner),
                   QPointF(centre.x() + std::cos(a) * 86, centre.y() + std::sin(a) * 86));
    }
    QFont font = arial(18);
    font.setBold(true);
    p.setFont(font);
    const std::pair<const char*, QPointF> letters[] = {
        {"N", {795, 43}}, {"E", {857, 105}}, {"S", {795, 167}}, {"W", {733, 105}}};
    for (const auto& [letter, at] : letters) {
        p.drawText(QRectF(at.x() - 12, at.y() - 12, 24, 24), Qt::AlignCenter,
                   QString::fromLatin1(letter));
    }
}

void drawValue(QPainter& p, int l, int t, int r, int b, const std::string& s) {
    text(p, l, t, r, b, q(s));
}

void drawLeftColumn(QPainter& p, const CStationData& d) {
    const HistoryRecord* blocks[] = {&d.m_Current, &d.m_Max, &d.m_Min};
    for (int column = 0; column < 3; ++column) {
        const HistoryRecord& r = *blocks[column];
        const std::string rows[] = {
            PressureText(r.RelPressure, d.PressureUnit),
            PressureText(r.AbsPressure, d.PressureUnit),
            TemperatureText(r.InTemp, d.InTempUnit),
            HumidityText(r.InHumi),
            TemperatureText(r.OutTemp, d.OutTempUnit),
            HumidityText(r.OutHumi),
            TemperatureText(r.DewPoint, d.OutTempUnit),
            TemperatureText(r.WindChill, d.OutTempUnit),
        };
        for (int row = 0; row < 8; ++row) {
            drawValue(p, kLeftColumns[column][0], kLeftRows[row].top, kLeftColumns[column][1],
                      kLeftRows[row].bottom, rows[row]);
        }
    }
}

void drawMiddleColumn(QPainter& p, const CStationData& d) {
    const HistoryRecord* blocks[] = {&d.m_Current, &d.m_Max};
    constexpr int kColumns[][2] = {{400, 500}, {580, 680}};
    constexpr int kRainColumns[][2] = {{350, 460}, {490, 590}};
    for (int column = 0; column < 2; ++column) {
        const HistoryRecord& r = *blocks[column];
        const auto [l, rr] = kColumns[column];
        drawValue(p, l, 40, rr, 55, FormatWindSpeed(r.Wind, d.WindUnit, kNumberAndUnit, false));
        drawValue(p, l, 80, rr, 95, FormatWindSpeed(r.Gust, d.WindUnit, kNumberAndUnit, false));
        const float rains[] = {r.Rain1, r.Rain2, r.Rain3, r.Rain4, r.Rain5};
        for (int row = 0; row < 5; ++row) {
            drawValue(p, kRainColumns[column][0], kRainTops[row], kRainColumns[column][1],
                      kRainTops[row] + 20, RainText(rains[row], d.RainUnit));
        }
        drawValue(p, l, 532, rr, 547, LightText(r.Light, d.LightUnit));
        drawValue(p, l, 570, rr, 585, UvText(r.UV));
    }
}

void drawLabels(QPainter& p, const LiveLabels& labels) {
    for (const PlacedLabel& placed : livePictureLabels(labels)) {
        p.setFont(placed.font);
        p.drawText(placed.rect, placed.align | Qt::TextSingleLine, placed.text);
    }
}

float shownOr(const std::string& s, float fallback) {
    float value = fallback;
    return shownNumber(s, value) ? value : fallback;
}

void drawBars(QPainter& p, const CStationData& d) {
    p.setPen(Qt::NoPen);
    p.setBrush(kBarColour);
    const float indoor = shownOr(TemperatureText(d.m_Current.InTemp, d.InTempUnit), -40.0f);
    const float outdoor = shownOr(TemperatureText(d.m_Current.OutTemp, d.OutTempUnit), -40.0f);
    const auto bar = [&p](int left, float top) {
        const int t = static_cast<int>(top);
        if (t < 570) {
            p.drawRect(box(left, t, left + 10, 570));
        }
    };
    bar(750, ThermometerTop(indoor, d.InTempUnit));
    bar(850, ThermometerTop(outdoor, d.OutTempUnit));

    const float rains[] = {d.m_Current.Rain1, d.m_Current.Rain2, d.m_Current.Rain3,
                           d.m_Current.Rain4, d.m_Current.Rain5};
    p.setFont(arial(14));
    for (int gauge = 0; gauge < 5; ++gauge) {
        const int y0 = kGaugeBottoms[gauge];
        const float v = shownOr(RainText(rains[gauge], d.RainUnit), 0.0f);
        const float full = RainGaugeFullScale(v, gauge, d.RainUnit);
        p.setPen(Qt::black);
        const int align = Qt::AlignRight | Qt::AlignTop;
        text(p, 580, y0 - 45, 612, y0 - 30, QString::number(static_cast<int>(full)), align);
        text(p, 580, y0 - 25, 612, y0 - 10, QString::number(static_cast<int>(full) / 2), align);
        text(p, 580, y0 - 5, 612, y0 + 10, QStringLiteral("0"), align);
        p.setPen(Qt::NoPen);
        const int top = static_cast<int>(static_cast<float>(y0) - 40.0f / full * v);
        if (v > 0.0f) {
            p.drawRect(box(625, top, 656, y0 + 1));
        }
    }
}

void drawOutlines(QPainter& p, const CStationData& d) {
    p.setPen(QPen(kOutlineColour, 1));
    p.setBrush(Qt::NoBrush);
    for (int y0 : kGaugeBottoms) {
        const QPoint outline[] = {
            {615, y0 - 40}, {625, y0 - 40}, {625, y0}, {655, y0}, {655, y0 - 40}};
        p.drawPolyline(outline, 5);
        p.drawLine(620, y0 - 20, 625, y0 - 20);
        p.drawLine(615, y0, 625, y0);
    }

    const std::int32_t direction = d.m_Current.WindDirection;
    p.setBrush(kBarColour);
    if (!isAbsent(direction)) {
        const double theta = direction * 22.5;
        // Angles run clockwise from straight up; the arrow's point sits on the rim.
        const auto point = [](double degrees, double radius) {
            const double a = degrees * 3.14 / 180.0;
            return QPoint(static_cast<int>(std::cos(a) * radius + 795),
                          static_cast<int>(std::sin(a) * radius + 105));
        };
        const QPoint arrow[] = {
            {795, 105}, point(theta - 70, 20), point(theta - 90, 70), point(theta - 110, 20)};
        p.drawPolygon(arrow, 4);
    }
    p.drawEllipse(box(790, 100, 800, 110));
}

void drawThermometerScales(QPainter& p, const CStationData& d) {
    p.setPen(QPen(kOutlineColour, 1));
    for (int x : {750, 758, 850, 858}) {
        p.drawLine(x, 270, x, 570);
    }
    p.setPen(Qt::black);
    for (const PlacedLabel& placed : thermometerScaleLabels(d)) {
        p.setFont(placed.font);
        p.drawText(placed.rect, placed.align | Qt::TextSingleLine, placed.text);
    }
    p.setPen(QPen(kOutlineColour, 1));
    for (int i = 0; i <= 20; ++i) {
        const int y = 270 + 15 * i;
        if (i == 20) {
            p.drawLine(740, 570, 770, 570);
            p.drawLine(840, 570, 870, 570);
        } else {
            const int from = i % 2 == 0 ? 0 : 5;
            p.drawLine(740 + from, y, 750, y);
            p.drawLine(840 + from, y, 850, y);
        }
    }
}

}  // namespace

LiveLabels LiveLabels::fromStrings(const std::function<QString(int)>& lookup) {
    LiveLabels labels;
    for (const auto& [slot, id] : kLabelIds) {
        labels.text[static_cast<std::size_t>(slot)] = lookup(id);
    }
    return labels;
}

std::vector<PlacedLabel> thermometerScaleLabels(const CStationData& data) {
    // Right-aligned against the ticks; the boxes reach left far enough for three digits
    // ("140", "-40") so that no label loses its first digit.
    std::vector<PlacedLabel> placed;
    const int align = Qt::AlignRight | Qt::AlignTop;
    for (int i = 0; i <= 20; ++i) {
        const int y = 270 + 15 * i;
        const auto scale = [i](int unit) {
            return QString::number(unit == kFahrenheit ? 140 - 9 * i : 60 - 5 * i);
        };
        placed.push_back({scale(data.InTempUnit), box(705, y - 7, 740, y + 8), arial(14), align});
        placed.push_back({scale(data.OutTempUnit), box(805, y - 7, 840, y + 8), arial(14), align});
    }
    return placed;
}

std::vector<PlacedLabel> livePictureLabels(const LiveLabels& labels) {
    const auto& L = labels.text;
    std::vector<PlacedLabel> placed;
    const auto place = [&placed](int cellHeight, int l, int t, int r, int b, const QString& s,
                                 int align = Qt::AlignLeft | Qt::AlignTop) {
        placed.push_back({s, box(l, t, r, b), arial(cellHeight), align});
    };
    struct Row {
        int label, l, t, r, b;
    };
    constexpr Row kRowLabels[] = {
        {5, 12, 27, 140, 45},     {6, 12, 88, 140, 105},    {7, 12, 178, 170, 200},
        {8, 12, 245, 170, 265},   {9, 12, 318, 170, 335},   {10, 12, 383, 120, 400},
        {11, 12, 472, 120, 595},  {12, 12, 535, 140, 550},  {13, 340, 22, 460, 40},
        {14, 340, 60, 460, 75},   {15, 340, 125, 500, 140}, {16, 340, 195, 500, 210},
        {17, 340, 270, 500, 285}, {18, 340, 345, 500, 360}, {19, 340, 423, 500, 438},
        {0, 12, 5, 120, 20},      {1, 12, 153, 170, 170},   {2, 12, 450, 190, 470},
        {3, 340, 5, 440, 20},     {4, 340, 105, 440, 125},  {34, 340, 515, 500, 530},
        {35, 340, 552, 500, 567},
    };
    for (const Row& row : kRowLabels) {
        place(15, row.l, row.t, row.r, row.b, plain(L[row.label]));
    }
    place(15, 340, 497, 440, 512, plain(L[kLightLabel] + QStringLiteral("&&") + L[kUvLabel]));

    const QString current = L[kCurrentLabel] + QLatin1Char(':');
    const QString maximum = L[kMaxLabel] + QLatin1Char(':');
    const QString minimum = L[kMinLabel] + QLatin1Char(':');
    for (int y : kLeftHeadingTops) {
        place(14, 12, y, 105, y + 15, current);
        place(14, 115, y, 210, y + 15, maximum);
        place(14, 220, y, 320, y + 15, minimum);
    }
    for (int y : kRainHeadingTops) {
        place(14, 340, y, 460, y + 20, current);
        place(14, 480, y, 590, y + 20, maximum);
    }
    for (int y : {40, 80, 532, 570}) {
        place(14, 335, y, 393, y + 15, current, Qt::AlignRight | Qt::AlignTop);
        place(14, 500, y, 570, y + 15, maximum, Qt::AlignRight | Qt::AlignTop);
    }

    place(18, 690, 222, 890, 245, L[kTemperatureLabel], Qt::AlignHCenter | Qt::AlignTop);
    place(18, 715, 245, 800, 275, L[kIndoorLabel]);
    place(18, 805, 245, 890, 275, L[kOutdoorLabel]);
    return placed;
}

QImage livePictureBackground() {
    QImage image(kLivePictureWidth, kLivePictureHeight, QImage::Format_RGB32);
    image.fill(QColor(208, 212, 218));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawPanel(p, 4, 2, 328, 146);
    drawPanel(p, 4, 150, 328, 442);
    drawPanel(p, 4, 446, 328, 596);
    drawPanel(p, 332, 2, 688, 102);
    drawPanel(p, 332, 103, 688, 493);
    drawPanel(p, 332, 494, 688, 596);
    drawPanel(p, 695, 210, 895, 590);
    for (const auto& row : kLeftRows) {
        for (const auto& column : kLeftColumns) {
            drawValueBox(p, column[0], row.top, column[1], row.bottom);
        }
    }
    for (int top : {40, 80, 532, 570}) {
        drawValueBox(p, 400, top, 500, top + 15);
        drawValueBox(p, 580, top, 680, top + 15);
    }
    for (int top : kRainTops) {
        drawValueBox(p, 350, top, 460, top + 20);
        drawValueBox(p, 490, top, 580, top + 20);
    }
    drawCompass(p);
    return image;
}

void paintLivePicture(QPainter& p, const QImage& background, const CStationData& data,
                      const LiveLabels& labels) {
    p.drawImage(0, 0, background);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setPen(Qt::black);
    p.setFont(arial(16));
    drawLeftColumn(p, data);
    drawMiddleColumn(p, data);
    drawLabels(p, labels);
    drawBars(p, data);
    drawOutlines(p, data);
    drawThermometerScales(p, data);
}

}  // namespace nimbra
