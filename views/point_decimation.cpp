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
    const auto columnOf = [&](const QPointF& p) {
        return std::clamp(static_cast<int>(std::floor((p.x() - xMin) * scale)), 0, columns - 1);
    };

    QList<QPointF> kept;
    kept.reserve(4 * qsizetype{columns});
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
