#pragma once

#include <QList>
#include <QPointF>

namespace nimbra {

// The points of a line, ascending in x, reduced to what `columns` pixel columns over
// [xMin, xMax] can show: per column the first, lowest, highest and last point, in x
// order; the points before and after the range count as one column each. The line drawn
// through them covers the same pixels as the full line, so peaks and dips stay visible.
// A line with no more than four points per column is kept whole.
QList<QPointF> decimateToColumns(const QList<QPointF>& points, double xMin, double xMax,
                                 int columns);

}  // namespace nimbra
