#include "widgets/Bitmaps.h"

#include <QPixmap>

namespace qv7 {

QImage loadTransparentBitmap(const QString& name) {
    QImage image(QStringLiteral(":/") + name);
    if (image.isNull()) return image;
    image = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (line[x] == key) line[x] = qRgba(0, 0, 0, 0);
        }
    }
    return image;
}

QIcon glyphIcon(const QString& name, int numGlyphs) {
    const QImage strip = loadTransparentBitmap(name);
    if (strip.isNull() || numGlyphs < 1) return {};
    const int width = strip.width() / numGlyphs;
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(strip.copy(0, 0, width, strip.height())), QIcon::Normal);
    if (numGlyphs > 1) {
        icon.addPixmap(QPixmap::fromImage(strip.copy(width, 0, width, strip.height())), QIcon::Disabled);
    }
    return icon;
}

} // namespace qv7
