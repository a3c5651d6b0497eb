#include "lineditor/FitPlot.h"

#include "base/Numbers.h"
#include "widgets/DecimalSeparator.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

// A pixel for world coordinates, the world box [x0, x1] × [y0, y1] mapped onto `area` (Y upwards).
struct Mapping {
    QRectF area;
    double x0, x1, y0, y1;
    QPointF operator()(double x, double y) const {
        return {area.left() + (x - x0) / (x1 - x0) * area.width(),
                area.bottom() - (y - y0) / (y1 - y0) * area.height()};
    }
};

// The signed deviation of each pair from the polyline (pair minus curve).
std::vector<double> deviations(const std::vector<qv7::FitPoint>& curve,
                               const std::vector<qv7::FitPoint>& data) {
    std::vector<double> out;
    std::size_t s = 0;
    for (const qv7::FitPoint& p : data) {
        while (s + 2 < curve.size() && p.x > curve[s + 1].x)
            ++s;
        const qv7::FitPoint a = curve[s], b = curve[s + 1];
        out.push_back(p.y - (b.x == a.x ? b.y : a.y + (b.y - a.y) * (p.x - a.x) / (b.x - a.x)));
    }
    return out;
}

} // namespace

TFitPlot::TFitPlot(Kind kind, QWidget* parent) : QWidget(parent), kind_(kind) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TFitPlot::setContent(std::vector<qv7::FitPoint> data, std::vector<qv7::FitPoint> curve) {
    data_ = std::move(data);
    curve_ = std::move(curve);
    update();
}

void TFitPlot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(Qt::gray);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (data_.size() < 2 || curve_.size() < 2) return;
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect()).adjusted(8, 8, -8, -8);
    kind_ == Kind::Curve ? paintCurve(painter, area) : paintError(painter, area);
}

void TFitPlot::paintCurve(QPainter& painter, const QRectF& area) {
    const auto [low, high] = std::minmax_element(data_.begin(), data_.end(),
                                                 [](const auto& a, const auto& b) { return a.y < b.y; });
    const double span = std::max(high->y - low->y, 1e-9);
    const Mapping map{area, data_.front().x, data_.back().x, low->y - 0.02 * span, high->y + 0.02 * span};
    // A dot per pair, at most about one per pixel column: 100 000 pairs draw as fast as 500.
    const std::size_t step = std::max<std::size_t>(1, data_.size() / static_cast<std::size_t>(area.width()));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(200, 40, 40));
    for (std::size_t i = 0; i < data_.size(); i += step)
        painter.drawEllipse(map(data_[i].x, data_[i].y), 2.0, 2.0);
    QPainterPath path(map(curve_[0].x, curve_[0].y));
    for (const qv7::FitPoint& p : curve_)
        path.lineTo(map(p.x, p.y));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(20, 60, 200), 1.5));
    painter.drawPath(path);
    for (const qv7::FitPoint& p : curve_)
        painter.drawRect(QRectF(map(p.x, p.y) - QPointF(2.5, 2.5), QSizeF(5, 5)));
}

void TFitPlot::paintError(QPainter& painter, const QRectF& area) {
    const std::vector<double> errors = deviations(curve_, data_);
    double largest = 0;
    for (const double e : errors)
        largest = std::max(largest, std::abs(e));
    const double bound = largest > 0 ? largest * 1.4 : 1.0; // room for the scale's text
    const Mapping map{area, data_.front().x, data_.back().x, -bound, bound};
    painter.setPen(QPen(Qt::gray, 1, Qt::DashLine));
    for (const double y : {-largest, largest})
        painter.drawLine(map(data_.front().x, y), map(data_.back().x, y));
    painter.setPen(Qt::gray);
    painter.drawLine(map(data_.front().x, 0), map(data_.back().x, 0));
    QPainterPath path(map(data_[0].x, errors[0]));
    for (std::size_t i = 1; i < data_.size(); ++i)
        path.lineTo(map(data_[i].x, errors[i]));
    painter.setPen(QPen(QColor(200, 40, 40), 1));
    painter.drawPath(path);
    painter.setPen(Qt::darkGray);
    painter.drawText(rect().adjusted(4, 2, -4, -2), Qt::AlignLeft | Qt::AlignTop,
                     QStringLiteral("± %1 %").arg(QString::fromStdString(
                         qv7::formatPattern(largest, "##0.000", qv7::decimalSeparator().toLatin1()))));
}
