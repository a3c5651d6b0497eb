#include "sheet/CurvePlot.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace qv7::sheet {

namespace {

// The editor's default view, widened to every point (a table holds -25 ... 125 %).
struct View {
    double xMin = -25, xMax = 110, yMin = -25, yMax = 110;
};

View viewOf(const std::vector<LinFilePoint>& points) {
    View v;
    for (const LinFilePoint& p : points) {
        v.xMin = std::min(v.xMin, static_cast<double>(p.X));
        v.xMax = std::max(v.xMax, static_cast<double>(p.X));
        v.yMin = std::min(v.yMin, static_cast<double>(p.Y));
        v.yMax = std::max(v.yMax, static_cast<double>(p.Y));
    }
    return v;
}

} // namespace

void drawCurvePlot(QPainter& painter, const QRectF& area, const std::vector<LinFilePoint>& points,
                   double unit, const QString& xTitle, const QString& yTitle) {
    const View v = viewOf(points);
    const auto at = [&](double x, double y) {
        return QPointF(area.left() + (x - v.xMin) / (v.xMax - v.xMin) * area.width(),
                       area.bottom() - (y - v.yMin) / (v.yMax - v.yMin) * area.height());
    };
    painter.save();
    painter.setPen(QPen(Qt::black, 0.6 * unit));
    painter.setBrush(Qt::white);
    painter.drawRect(area);
    painter.setClipRect(area);

    // Axes and full-scale marks in pure red, as the editor draws them; a faint 25 % grid to read by.
    painter.setPen(QPen(QColor(220, 220, 220), 0.3 * unit));
    for (int g = -25; g <= 125; g += 25) {
        if (g >= v.xMin && g <= v.xMax) painter.drawLine(at(g, v.yMin), at(g, v.yMax));
        if (g >= v.yMin && g <= v.yMax) painter.drawLine(at(v.xMin, g), at(v.xMax, g));
    }
    const double mark = 5 * unit;
    painter.setPen(QPen(QColor(255, 0, 0), 0.6 * unit));
    painter.drawLine(at(v.xMin, 0), at(v.xMax, 0));
    painter.drawLine(at(0, v.yMin), at(0, v.yMax));
    painter.drawLine(at(0, 100) - QPointF(mark, 0), at(0, 100) + QPointF(mark, 0));
    painter.drawLine(at(100, 0) - QPointF(0, mark), at(100, 0) + QPointF(0, mark));
    QFont font = painter.font();
    font.setPointSizeF(7);
    painter.setFont(font);
    painter.drawText(at(100, 0) + QPointF(2 * unit, 9 * unit), QStringLiteral("100"));
    painter.drawText(at(0, 100) + QPointF(mark + 2 * unit, 3 * unit), QStringLiteral("100"));
    painter.drawText(at(0, 0) + QPointF(2 * unit, 9 * unit), QStringLiteral("0"));
    painter.setPen(Qt::black);
    const QRectF inside = area.adjusted(3 * unit, 2 * unit, -3 * unit, -2 * unit);
    painter.drawText(inside, Qt::AlignRight | Qt::AlignBottom, xTitle);
    painter.drawText(inside, Qt::AlignLeft | Qt::AlignTop, yTitle);

    if (!points.empty()) {
        QPainterPath curve(at(points.front().X, points.front().Y));
        for (const LinFilePoint& p : points)
            curve.lineTo(at(p.X, p.Y));
        painter.setPen(QPen(Qt::black, 0.9 * unit));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(curve);
        const double half = 2 * unit;
        painter.setPen(QPen(Qt::black, 0.6 * unit));
        for (const LinFilePoint& p : points)
            painter.drawRect(QRectF(at(p.X, p.Y) - QPointF(half, half), QSizeF(2 * half, 2 * half)));
    }
    painter.restore();
}

} // namespace qv7::sheet
