#include "app/StatusText.h"

#include <QPainter>
#include <QStyle>

TStatusText::TStatusText(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
}

void TStatusText::setText(const QString& text) {
    QLabel::setText(text);
    updateTip();
}

QString TStatusText::shownText() const {
    return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
}

void TStatusText::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), Qt::AlignLeft | Qt::AlignVCenter, palette(), isEnabled(),
                          shownText(), foregroundRole());
}

void TStatusText::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    updateTip();
}

QSize TStatusText::minimumSizeHint() const {
    // A long text must not widen the status line beyond the window: it is cut instead.
    return {0, QLabel::minimumSizeHint().height()};
}

void TStatusText::updateTip() {
    setToolTip(shownText() == text() ? QString() : text());
}
