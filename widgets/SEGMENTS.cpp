#include "widgets/SEGMENTS.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int CellPitch = 40; // from one cell origin to the next
constexpr int FirstCell = 8;  // x of the leftmost full cell without half digit
constexpr int HalfShift = 20; // every x moves this far right with the half digit
constexpr int CellTop = 5;    // y of every cell origin
constexpr int Height = 52;

// The segments a ... g of a cell with origin (0, 0), bit 0x01 first.
struct Line {
    int x1, y1, x2, y2;
};
constexpr Line Segments[7] = {
    {12, 0, 36, 0},   // 0x01 a, top
    {32, 18, 36, 2},  // 0x02 b, upper right
    {28, 38, 32, 22}, // 0x04 c, lower right
    {4, 40, 28, 40},  // 0x08 d, bottom
    {2, 38, 6, 22},   // 0x10 e, lower left
    {6, 18, 10, 2},   // 0x20 f, upper left
    {8, 20, 32, 20},  // 0x40 g, middle
};
constexpr int PointBit = 0x80;

qint64 power10(int n) {
    qint64 value = 1;
    for (int i = 0; i < n; ++i)
        value *= 10;
    return value;
}

} // namespace

const TCustomSeg::SegmentEntry TCustomSeg::SegmentTable[TCustomSeg::TableSize] = {
    {0, 0x3F},  {1, 0x06}, {2, 0x5B}, {3, 0x4F}, {4, 0x66},  {5, 0x6D},
    {6, 0x7D},  {7, 0x07}, {8, 0x7F}, {9, 0x6F}, {10, 0x5E}, // d
    {11, 0x79},                                              // E
    {12, 0x73},                                              // P
    {-3, 0x40},                                              // minus ('-' is 45, 45 - 48 = -3)
};

TCustomSeg::TCustomSeg(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    // Every paint covers the whole control with its background.
    setAttribute(Qt::WA_OpaquePaintEvent);
    UpdateSize();
}

int TCustomSeg::maskOf(int key) {
    for (const SegmentEntry& entry : SegmentTable)
        if (entry.key == key) return entry.mask;
    return 0;
}

QSize TCustomSeg::layoutSize(int nbDigit, bool halfDigit) {
    return {nbDigit * CellPitch + (halfDigit ? 34 : 14), Height};
}

qint64 TCustomSeg::lowest(int nbDigit, bool halfDigit) {
    if (halfDigit) return -(2 * power10(nbDigit) - 1);
    return -(power10(nbDigit - 1) - 1);
}

qint64 TCustomSeg::highest(int nbDigit, bool halfDigit) {
    if (halfDigit) return 2 * power10(nbDigit) - 1;
    return power10(nbDigit) - 1;
}

QColor TCustomSeg::backgroundColour(TStyle style) {
    return style == TStyle::LCD ? QColor(223, 223, 223) : QColor(128, 0, 0);
}

QColor TCustomSeg::segmentColour(TStyle style) {
    return style == TStyle::LCD ? QColor(128, 128, 128) : QColor(255, 0, 0);
}

void TCustomSeg::setNb(int value) {
    if (value == nb_) return;
    nb_ = value;
    repaintNow();
}

void TCustomSeg::setPointDecimal(int value) {
    if (value == pointDecimal_) return;
    pointDecimal_ = value;
    repaintNow();
}

void TCustomSeg::setStyle(TStyle value) {
    if (value == style_) return;
    style_ = value;
    repaintNow();
}

void TCustomSeg::setNbDigit(int value) {
    if (value < 1 || value > 8 || value == nbDigit_) return;
    nbDigit_ = value;
    UpdateSize();
    repaintNow();
}

void TCustomSeg::setHalfDigit(bool value) {
    if (value == halfDigit_) return;
    halfDigit_ = value;
    UpdateSize();
    repaintNow();
}

void TCustomSeg::UpdateSize() {
    if (sizing_) return;
    sizing_ = true;
    setFixedSize(layoutSize(nbDigit_, halfDigit_));
    sizing_ = false;
}

void TCustomSeg::repaintNow() {
    // A hidden control draws nothing; it is drawn from its properties when it is shown.
    if (isVisible()) repaint();
}

void TCustomSeg::DrawDigit(QPainter& painter, int key, int x, int y) const {
    const int mask = maskOf(key);
    for (int bit = 0; bit < 7; ++bit) {
        if (!(mask & (1 << bit))) continue;
        const Line& s = Segments[bit];
        painter.drawLine(x + s.x1, y + s.y1, x + s.x2, y + s.y2);
    }
    if (mask & PointBit) painter.drawEllipse(QRect(QPoint(x + 2, y + 38), QPoint(x + 5, y + 41)));
}

void TCustomSeg::paintEvent(QPaintEvent*) {
    ++paintCount_;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const int n = nbDigit_;
    const int shift = halfDigit_ ? HalfShift : 0;

    // 1. Origin of the rightmost cell.
    int x = (n - 1) * CellPitch + FirstCell + shift;
    const int y = CellTop;

    // 2. Background over the whole control, then the segment pen.
    const QColor background = backgroundColour(style_);
    painter.setPen(QPen(background, 1));
    painter.setBrush(background);
    painter.drawRect(QRect(0, 0, width() - 1, height() - 1));
    painter.setPen(QPen(segmentColour(style_), PenWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));

    // 3. A value that does not fit: "dEP" in the three rightmost cells, or nothing below three.
    if (nb_ < lowest(n, halfDigit_) || nb_ > highest(n, halfDigit_)) {
        if (n >= 3) {
            DrawDigit(painter, 12, x, y);
            DrawDigit(painter, 11, x - CellPitch, y);
            DrawDigit(painter, 10, x - 2 * CellPitch, y);
        }
        return;
    }

    // 4. The decimal point, in the gap left of the PointDecimal-th digit from the right. A point
    // left of the control is not drawn (the origin would not fit the drawing coordinates).
    if (pointDecimal_ > 0) {
        const qint64 xp = (qint64(n) - pointDecimal_) * CellPitch + shift;
        if (xp > -CellPitch) {
            const int px = int(xp);
            painter.drawEllipse(QRect(QPoint(px + 2, y + 38), QPoint(px + 5, y + 41)));
        }
    }

    // 5. The digits of |Nb| without sign or leading zeros.
    const qint64 magnitude = std::llabs(qint64(nb_));
    QString s = QString::number(magnitude);
    qint64 length = s.size();

    // 6. At most n digits, or n + 1 with the half digit (the range already keeps within this).
    const qint64 most = halfDigit_ ? n + 1 : n;
    if (length > most) length = most;

    // 7. Leading zeros up to one digit left of the point. The display pads up to
    // PointDecimal + 1 digits; cells more than n + 2 to the left of the rightmost one lie wholly
    // outside the control, so padding stops there and huge PointDecimal values cost nothing.
    const qint64 padTo = std::min<qint64>(pointDecimal_, n + 2);
    while (length <= padTo) {
        s.prepend(QLatin1Char('0'));
        ++length;
    }

    // 8. Right-aligned, the last character in the rightmost cell.
    for (qint64 i = length; i >= 1; --i) {
        DrawDigit(painter, s.at(int(i - 1)).unicode() - 48, x, y);
        x -= CellPitch;
    }

    // 9. The minus in the cell left of the leftmost digit drawn.
    if (nb_ < 0) DrawDigit(painter, '-' - 48, x, y);

    // 10. The half-digit minus bar.
    if (halfDigit_ && nb_ < 0) painter.drawLine(8, 25, 16, 25);
}

void TCustomSeg::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Whoever resized the control, its size snaps back to the digit layout.
    if (size() != layoutSize(nbDigit_, halfDigit_)) UpdateSize();
}

void TCustomSeg::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    QWidget::mousePressEvent(event);
}

void TCustomSeg::mouseReleaseEvent(QMouseEvent* event) {
    const bool click =
        pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    if (click) emit clicked();
    QWidget::mouseReleaseEvent(event);
}

void TCustomSeg::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit doubleClicked();
    QWidget::mouseDoubleClickEvent(event);
}

void TCustomSeg::contextMenuEvent(QContextMenuEvent* event) {
    emit contextPopup(event->pos());
    if (popupMenu_) {
        popupMenu_->popup(event->globalPos());
        event->accept();
        return;
    }
    QWidget::contextMenuEvent(event);
}

TSEG::TSEG(QWidget* parent) : TCustomSeg(parent) {}
