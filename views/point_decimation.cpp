#include "views/point_decimation.h"

#include <algorithm>
#include <cmath>

namespace nimbra {

QList<QPointF> decimateToColumns(const QList<QPointF>& points, double xMin, double xMax,
                                 int columns) {
    if (columns <= 0 || !(xMax > xMin) || points.size() <= 4 * qsizetype{columns}) {
        return points;
    }
    const double scale = columns / (xMax - xMin);
    // Points outside the range (out of view after a zoom) gather on either side of it,
    // so that the columns in view keep their own extremes.
    const auto columnOf = [&](const QPointF& p) {
        const double column = std::floor((p.x() - xMin) * scale);
        return static_cast<int>(std::clamp(column, -1.0, static_cast<double>(columns)));
    };

    QList<QPointF> kept;
    kept.reserve(4 * (qsizetype{columns} + 2));
    qsizetype begin = 0;
    while (begin < points.size()) {
        const int column = columnOf(points[begin]);
        qsizetype lowest = begin;
        qsizetype highest = begin;
        qsizetype end = begin + 1;
        for (; end < points.size() && columnOf(points[end]) == column; ++end) {
            if (points[end].y() < points[lowest].y()) {
                lowest = end;
            }
            if (points[end].y() > points[highest].y()) {
                highest = end;
            }
        }
        const qsizetype last = end - 1;
        qsizetype picked[] = {begin, std::min(lowest, highest), std::max(lowest, highest), last};
        qsizetype previous = -1;
        for (qsizetype index : picked) {
            if (index != previous) {
                kept.append(points[index]);
                previous = index;
            }
        }
        begin = end;
    }
    return kept;
}

}  // namespace nimbra
