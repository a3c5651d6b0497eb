// TDraw: drawing into the backing image: the full paint, the curve and its handles, the
// cross, the texts, the clipped lines, and the copy of the image to the screen.
#include "lineditor/Draw.h"

#include "base/Errors.h"
#include "base/Numbers.h"
#include "lineditor/DrawMath.h"
#include "widgets/DecimalSeparator.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QStringList>

#include <algorithm>

namespace {

using qv7::draw::roundPixel;

// x - 5 or x + 5 of a pixel coordinate, which must still fit 32 bits.
std::int32_t offset(std::int32_t value, int delta) {
    return qv7::checked<std::int32_t>(std::int64_t{value} + delta);
}

// "##0.0" with the process-wide decimal separator.
QString formatted(float value) {
    const char separator = qv7::decimalSeparator().toLatin1();
    return QString::fromStdString(qv7::formatPattern(value, "##0.0", separator ? separator : '.'));
}

} // namespace

// ---- Drawing

void TDraw::ensureCanvas() {
    if (FCanvas.width() != width() || FCanvas.height() != height()) Paint();
}

void TDraw::flush() {
    const QRegion drawn = FCanvas.takeDirty();
    if (drawn.isEmpty()) return;
    FUpdated += drawn;
    update(drawn);
}

QRegion TDraw::takeUpdatedRegion() {
    QRegion region = FUpdated;
    FUpdated = QRegion();
    return region;
}

void TDraw::ClipMoveTo(int x, int y) {
    clipPen_ = {x, y};
}

void TDraw::ClipLineTo(int x, int y) {
    TClipSegment segment{clipPen_.x, clipPen_.y, x, y};
    clipPen_ = {x, y};
    if (!qv7::clipSegment(clipRect_, segment)) return;
    ensureCanvas();
    FCanvas.MoveTo(segment.x1, segment.y1);
    FCanvas.LineTo(segment.x2, segment.y2);
}

void TDraw::Paint() {
    ++FPaintCount;
    FCanvas.setSize(width(), height());
    FCanvas.Font = font();
    const int W = width(), H = height();
    FCanvas.Brush = FBrush;
    FCanvas.Pen = TCanvasPen{Qt::black, 1, Qt::SolidLine, TPenMode::Copy};
    FCanvas.Rectangle(0, 0, W, H);
    if (spansPositive()) {
        FCanvas.Pen.Color = QColor(255, 0, 0);
        FCanvas.Pen.Style = Qt::SolidLine;
        FCanvas.Pen.Width = 1;
        const std::int32_t column100 = pixelX(100);
        const std::int32_t row100 = pixelY(100);
        FOriginPx = roundPixel(static_cast<long double>(W) * -static_cast<long double>(FXmin) / FSpanX);
        FOriginPy = roundPixel((FYmin / static_cast<long double>(FSpanY) + 1) * H);
        ClipMoveTo(offset(FOriginPx, -5), row100);
        ClipLineTo(offset(FOriginPx, 5), row100);
        ClipMoveTo(column100, offset(FOriginPy, -5));
        ClipLineTo(column100, offset(FOriginPy, 5));
        ClipMoveTo(0, FOriginPy);
        ClipLineTo(W, FOriginPy);
        ClipMoveTo(FOriginPx, 0);
        ClipLineTo(FOriginPx, H);
        DrawCurve();
        DrawCursor();
        ShowPointInfo();
    } else {
        FCanvas.TextOut(5, 5, QStringLiteral("DRAW"));
    }
    FCanvas.takeDirty();
    FUpdated = QRegion(rect());
    update();
}

void TDraw::handle(int index) {
    const TPixelPoint p = FPixelPoints[index];
    FCanvas.Rectangle(std::int64_t{p.x} - 5, std::int64_t{p.y} - 5, std::int64_t{p.x} + 5,
                      std::int64_t{p.y} + 5);
}

void TDraw::DrawCurve() {
    if (!spansPositive()) return;
    checkCurveLength();
    ensureCanvas();
    FCanvas.Brush = QBrush(Qt::white, Qt::SolidPattern);
    FCanvas.Pen.Mode = TPenMode::NotXor;
    FCanvas.Pen.Width = std::max(FPen.width(), 1);
    FCanvas.Pen.Style = FPen.style();
    FCanvas.Pen.Color = FPen.color();
    ClipMoveTo(FPixelPoints[0].x, FPixelPoints[0].y);
    for (int i = 0; i <= NbSegment; ++i) {
        ClipLineTo(FPixelPoints[i].x, FPixelPoints[i].y); // the first call draws nothing
        if (i == Selected) {
            FCanvas.Pen.Width = 3;
            handle(i);
            FCanvas.Pen.Width = 1;
        } else if (FClip) {
            handle(i);
        }
    }
    flush();
}

void TDraw::drawCurveAround(int index) {
    ensureCanvas();
    const int penWidth = std::max(FPen.width(), 1);
    const bool selectedDrawn = Selected >= 0 && Selected <= NbSegment;
    // The width DrawCurve has in force when it reaches point k: 1 once the selected square is drawn.
    const auto widthAt = [&](int k) { return selectedDrawn && Selected < k ? 1 : penWidth; };
    FCanvas.Brush = QBrush(Qt::white, Qt::SolidPattern);
    FCanvas.Pen.Mode = TPenMode::NotXor;
    FCanvas.Pen.Style = FPen.style();
    FCanvas.Pen.Color = FPen.color();
    if (index >= 1) {
        FCanvas.Pen.Width = widthAt(index);
        ClipMoveTo(FPixelPoints[index - 1].x, FPixelPoints[index - 1].y);
        ClipLineTo(FPixelPoints[index].x, FPixelPoints[index].y);
    }
    if (index == Selected) {
        FCanvas.Pen.Width = 3;
        handle(index);
    } else if (FClip) {
        FCanvas.Pen.Width = widthAt(index);
        handle(index);
    }
    if (index + 1 <= NbSegment) {
        FCanvas.Pen.Width = widthAt(index + 1);
        ClipMoveTo(FPixelPoints[index].x, FPixelPoints[index].y);
        ClipLineTo(FPixelPoints[index + 1].x, FPixelPoints[index + 1].y);
    }
    // Leave the pen as DrawCurve leaves it.
    FCanvas.Pen.Width = selectedDrawn ? 1 : penWidth;
    ClipMoveTo(FPixelPoints[NbSegment].x, FPixelPoints[NbSegment].y);
    flush();
}

void TDraw::DrawCursor() {
    ensureCanvas();
    FCanvas.Pen.Style = Qt::DashLine;
    FCanvas.Pen.Color = QColor(0, 0, 255);
    ClipMoveTo(FCursorPx, 0);
    ClipLineTo(FCursorPx, height());
    ClipMoveTo(0, FCursorPy);
    ClipLineTo(width(), FCursorPy);
    flush();
}

void TDraw::ShowPointInfo() {
    if (Selected == -1) return;
    const int s = Selected;
    float x, y;
    if (FMovedIndex != -1) {
        const TPixelPoint p = FPixelPoints[s];
        x = worldX(p.x);
        y = worldY(p.y);
    } else {
        const TCurvePoint p = Points[s];
        x = p.X;
        y = p.Y;
    }
    ensureCanvas();
    FCanvas.Font = font();
    showInfo(QString::number(s), formatted(x), formatted(y));
}

void TDraw::showInfo(const QString& segment, const QString& x, const QString& y) {
    QStringList lines{QStringLiteral("S=") + segment + QStringLiteral("  "),
                      QStringLiteral("X=") + x + QStringLiteral("  "),
                      QStringLiteral("Y=") + y + QStringLiteral("  ")};
    // A text box only covers its own width: every line covers the widest text written so far, so
    // no digit of a longer one is left behind.
    const QFontMetrics metrics(font());
    for (const QString& line : lines)
        FInfoWidth = std::max(FInfoWidth, metrics.horizontalAdvance(line));
    for (int i = 0; i < 3; ++i) {
        QString& line = lines[i];
        while (metrics.horizontalAdvance(line) < FInfoWidth)
            line += u' ';
        FCanvas.TextOut(5, 5 + 20 * i, line);
    }
    flush();
}

void TDraw::ShowCursorInfo() {
    ensureCanvas();
    FCanvas.Font = font();
    showInfo(QString::number(FCursorSegment), formatted(FCursorX), formatted(FCursorY));
}

// ---- Qt events

void TDraw::paintEvent(QPaintEvent* event) {
    ensureCanvas();
    QPainter painter(this);
    painter.drawImage(event->rect(), FCanvas.image(), event->rect());
}

void TDraw::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // A new size is repainted, as the original control is; spans and pixels wait for UpdateCurve.
    if (FCanvas.width() != width() || FCanvas.height() != height()) Paint();
}
