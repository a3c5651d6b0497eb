#include "widgets/WindowLook.h"

#include <QAbstractButton>
#include <QApplication>
#include <QScreen>
#include <QWidget>

namespace qv7 {

QFont windowFont() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

QFont makerFont() {
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(21);
    font.setBold(true);
    return font;
}

void applyWindowFont(QApplication& app) {
    app.setFont(windowFont());
}

void fitText(QAbstractButton& button) {
    if (button.sizeHint().width() <= button.width()) return;
    QFont font = button.font();
    font.setStretch(QFont::Condensed);
    button.setFont(font);
}

void centreOnScreen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    const QSize frame = window.frameGeometry().size();
    window.move(area.x() + (area.width() - frame.width()) / 2,
                area.y() + (area.height() - frame.height()) / 2);
}

} // namespace qv7
