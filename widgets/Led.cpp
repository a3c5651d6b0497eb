#include "widgets/Led.h"

#include "widgets/Bitmaps.h"

#include <QMouseEvent>
#include <QPainter>

Tled::Tled(QWidget* parent) : QWidget(parent) {
    setFixedSize(16, 16);
}

void Tled::setLedStatus(bool on) {
    if (on == status_) return;
    status_ = on;
    repaintNow();
}

void Tled::setKind(TLedKind kind) {
    if (kind == kind_) return;
    kind_ = kind;
    repaintNow();
}

QString Tled::bitmapName(bool on, TLedKind kind) {
    const bool green = kind == TLedKind::Green;
    if (on) return green ? QStringLiteral("LEDVON") : QStringLiteral("LEDRON");
    return green ? QStringLiteral("LEDVOFF") : QStringLiteral("LEDROFF");
}

void Tled::repaintNow() {
    if (isVisible()) {
        repaint();
        return;
    }
    // A hidden lamp draws nothing; the parent repaints the place where it was drawn last.
    if (drawn_ && parentWidget()) parentWidget()->update(geometry());
    drawn_ = false;
}

void Tled::paintEvent(QPaintEvent*) {
    // No image is kept between paints: each paint loads its bitmap and lets it go.
    const QString name = bitmapName(status_, kind_);
    const QImage image = qv7::loadTransparentBitmap(name);
    QPainter painter(this);
    painter.drawImage(0, 0, image);
    drawn_ = true;
    lastBitmap_ = name;
    ++paintCount_;
}

void Tled::hideEvent(QHideEvent* event) {
    // Qt repaints the parent under a hidden control itself.
    drawn_ = false;
    QWidget::hideEvent(event);
}

void Tled::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    QWidget::mousePressEvent(event);
}

void Tled::mouseReleaseEvent(QMouseEvent* event) {
    const bool click =
        pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    if (click) emit clicked();
    QWidget::mouseReleaseEvent(event);
}

void Tled::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit doubleClicked();
    QWidget::mouseDoubleClickEvent(event);
}
