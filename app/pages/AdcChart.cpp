#include "app/pages/AdcChart.h"

#include "widgets/DecimalSeparator.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace qv7::pages {

namespace {

const QColor ChannelColour[2] = {QColor(0, 70, 200), QColor(200, 40, 0)};

QString valueText(float value) {
    if (!std::isfinite(value)) return QStringLiteral("—");
    QString text = QString::number(static_cast<double>(value), 'g', 6);
    text.replace(u'.', decimalSeparator());
    return text;
}

} // namespace

TAdcChart::TAdcChart(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("AdcChart"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TAdcChart::addReading(qint64 ms, float adc1, float adc2) {
    samples_.push_back({ms, {adc1, adc2}});
    while (!samples_.empty() && samples_.front().ms < ms - SpanMs)
        samples_.pop_front();
    update();
}

void TAdcChart::clear() {
    samples_.clear();
    update();
}

std::optional<std::pair<float, float>> TAdcChart::range(int channel) const {
    std::optional<std::pair<float, float>> r;
    for (const Sample& s : samples_) {
        const float v = s.value[channel];
        if (!std::isfinite(v)) continue;
        r = r ? std::pair(std::min(r->first, v), std::max(r->second, v)) : std::pair(v, v);
    }
    return r;
}

void TAdcChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    const int half = height() / 2;
    painter.drawLine(1, half, width() - 2, half);
    // The window sets its fonts in pixels: a fifth smaller, so both texts fit a band.
    QFont small = font();
    small.setPixelSize(std::max(8, QFontInfo(font()).pixelSize() * 4 / 5));
    painter.setFont(small);
    paintBand(painter, QRect(1, 1, width() - 2, half - 1), 0);
    paintBand(painter, QRect(1, half + 1, width() - 2, height() - half - 2), 1);
}

// One channel: its trace across the minute (the newest reading at the right edge), its name and
// latest value on the left, its range on the right.
void TAdcChart::paintBand(QPainter& painter, const QRect& band, int channel) const {
    const QColor colour = ChannelColour[channel];
    painter.setPen(colour);
    const QString name = tr("ADC %1 : %2")
                             .arg(channel + 1)
                             .arg(samples_.empty() ? QString() : valueText(samples_.back().value[channel]));
    painter.drawText(band.adjusted(3, 0, -3, 0), Qt::AlignLeft | Qt::AlignTop, name);
    const auto r = range(channel);
    if (!r) return;
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawText(band.adjusted(3, 0, -3, 0), Qt::AlignRight | Qt::AlignTop,
                     QStringLiteral("%1 … %2").arg(valueText(r->first), valueText(r->second)));
    // A flat channel sits in the middle of its band.
    const double low = r->first, span = r->second > r->first ? r->second - r->first : 0.0;
    const double top = band.top() + painter.fontMetrics().height(), bottom = band.bottom() - 2;
    const qint64 newest = samples_.back().ms;
    QPainterPath path;
    bool drawing = false;
    for (const Sample& s : samples_) {
        const float v = s.value[channel];
        if (!std::isfinite(v)) {
            drawing = false;
            continue;
        }
        const double x = band.right() - static_cast<double>(newest - s.ms) * (band.width() - 1) / SpanMs;
        const double y = span > 0 ? bottom - (v - low) / span * (bottom - top) : (top + bottom) / 2;
        drawing ? path.lineTo(x, y) : path.moveTo(x, y);
        drawing = true;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, 1.5));
    painter.drawPath(path);
    painter.setRenderHint(QPainter::Antialiasing, false);
}

} // namespace qv7::pages
