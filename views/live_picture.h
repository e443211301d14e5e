#pragma once

#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>
#include <array>
#include <functional>
#include <vector>

#include "core/station_data.h"

class QPainter;

namespace nimbra {

// The 36 texts of the live picture, looked up once from the string table.
struct LiveLabels {
    static constexpr int kCount = 36;
    std::array<QString, kCount> text;

    // `lookup` answers a string id with its text in the chosen language.
    static LiveLabels fromStrings(const std::function<QString(int)>& lookup);
};

inline constexpr int kLivePictureWidth = 900;
inline constexpr int kLivePictureHeight = 600;

// The fixed artwork under the values: panels, value boxes, compass dial and the
// thermometer panel. Drawn once and reused for every frame.
QImage livePictureBackground();

// One label of the live picture where it is drawn: its text, rectangle, font and
// alignment. A text wider than its rectangle is cut off on the screen.
struct PlacedLabel {
    QString text;
    QRect rect;
    QFont font;
    int align;
};

// Every label of the live picture (row labels, headings, column headings,
// thermometer titles) as it is drawn, in drawing order.
std::vector<PlacedLabel> livePictureLabels(const LiveLabels& labels);

// The scale texts beside the two thermometers, in each thermometer's unit.
std::vector<PlacedLabel> thermometerScaleLabels(const CStationData& data);

// Draws one complete frame of the live picture (900 x 600) over `background`.
void paintLivePicture(QPainter& painter, const QImage& background, const CStationData& data,
                      const LiveLabels& labels);

}  // namespace nimbra
