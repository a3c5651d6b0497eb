// The linearisation curve drawn on a sheet as vector graphics, in the look of the editor's plot:
// white field in a black frame, red axes with their full-scale marks at 100 %, the curve in black
// with a square handle on each point. Any thread that owns the painter.
#pragma once

#include "indicator/LinFile.h"

#include <QRectF>
#include <QString>

#include <vector>

class QPainter;

namespace qv7::sheet {

// Draws `points` (percent of full scale) inside `area`; `unit` is one typographic point in the
// painter's units. The view spans -25 ... 110 % on both axes, widened to hold every point. The
// axes' titles go inside the frame: `xTitle` at the foot on the right, `yTitle` at the top on the left.
void drawCurvePlot(QPainter& painter, const QRectF& area, const std::vector<LinFilePoint>& points,
                   double unit, const QString& xTitle = {}, const QString& yTitle = {});

} // namespace qv7::sheet
