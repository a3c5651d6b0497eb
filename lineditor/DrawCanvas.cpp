#include "lineditor/DrawCanvas.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <span>

namespace {

// Runs of on and off pixels of the one-pixel pen styles, the original toolkit's lengths.
constexpr int DashRuns[] = {18, 6};
constexpr int DotRuns[] = {3, 3};
constexpr int DashDotRuns[] = {9, 6, 3, 6};
constexpr int DashDotDotRuns[] = {9, 3, 3, 3, 3, 3};

std::span<const int> runsOf(Qt::PenStyle style) {
    switch (style) {
    case Qt::DashLine:
        return DashRuns;
    case Qt::DotLine:
        return DotRuns;
    case Qt::DashDotLine:
        return DashDotRuns;
    case Qt::DashDotDotLine:
        return DashDotDotRuns;
    default:
        return {};
    }
}

// On/off table of one period of a pen style, indexed by the pixel's place in the period.
struct Pattern {
    std::array<bool, 32> on{};
    int period = 1;
    explicit Pattern(Qt::PenStyle style) {
        const std::span<const int> runs = runsOf(style);
        if (runs.empty()) {
            on[0] = true;
            return;
        }
        period = 0;
        bool drawn = true;
        for (int run : runs) {
            for (int k = 0; k < run; ++k)
                on[static_cast<size_t>(period++)] = drawn;
            drawn = !drawn;
        }
    }
};

inline QRgb opaque(const QColor& colour) {
    return 0xFF000000u | (colour.rgb() & 0x00FFFFFFu);
}

} // namespace

void TDrawCanvas::setSize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (image_.width() == width && image_.height() == height && !image_.isNull()) return;
    image_ = QImage(width, height, QImage::Format_RGB32);
    image_.fill(Qt::white);
    dirtyCount_ = 0;
}

void TDrawCanvas::MoveTo(int x, int y) {
    penX_ = x;
    penY_ = y;
}

void TDrawCanvas::LineTo(int x, int y) {
    const int x1 = penX_, y1 = penY_;
    penX_ = x;
    penY_ = y;
    if (Pen.Style == Qt::NoPen || (x1 == x && y1 == y)) return;
    if (Pen.Width > 1)
        wideLine(x1, y1, x, y);
    else
        thinLine(x1, y1, x, y);
}

void TDrawCanvas::thinLine(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) {
    if (x1 == x2 && y1 == y2) return;
    const std::int64_t adx = x2 >= x1 ? x2 - x1 : x1 - x2;
    const std::int64_t ady = y2 >= y1 ? y2 - y1 : y1 - y2;
    const bool xMajor = adx >= ady;
    // Major axis m (one pixel per step), minor axis k (rounded, halves away from the start).
    const std::int64_t n = xMajor ? adx : ady; // pixels drawn: the last one is left out
    const std::int64_t dk = xMajor ? ady : adx;
    const std::int64_t m0 = xMajor ? x1 : y1;
    const std::int64_t k0 = xMajor ? y1 : x1;
    const int sm = (xMajor ? x2 >= x1 : y2 >= y1) ? 1 : -1;
    const int sk = (xMajor ? y2 >= y1 : x2 >= x1) ? 1 : -1;
    const std::int64_t mLimit = xMajor ? image_.width() : image_.height();
    const std::int64_t kLimit = xMajor ? image_.height() : image_.width();
    // Only the steps whose major coordinate lies in the image: the same pixels, fewer steps.
    std::int64_t from, to;
    if (sm > 0) {
        from = std::max<std::int64_t>(0, -m0);
        to = std::min<std::int64_t>(n, mLimit - m0);
    } else {
        from = std::max<std::int64_t>(0, m0 - (mLimit - 1));
        to = std::min<std::int64_t>(n, m0 + 1);
    }
    if (from >= to) return;

    const Pattern pattern(Pen.Style);
    const QRgb colour = opaque(Pen.Color);
    const bool invert = Pen.Mode == TPenMode::NotXor;
    uchar* const bits = image_.bits();
    const qsizetype stride = image_.bytesPerLine();

    // Minor offset at step i: floor((2 i dk + n) / (2 n)), kept as quotient and remainder.
    const std::int64_t twoN = 2 * n;
    const __int128 start = static_cast<__int128>(2) * from * dk + n;
    std::int64_t q = static_cast<std::int64_t>(start / twoN);
    std::int64_t rem = static_cast<std::int64_t>(start % twoN);
    int phase = static_cast<int>(from % pattern.period);
    for (std::int64_t i = from; i < to; ++i) {
        if (pattern.on[static_cast<size_t>(phase)]) {
            const std::int64_t m = m0 + sm * i;
            const std::int64_t k = k0 + sk * q;
            if (k >= 0 && k < kLimit) {
                const std::int64_t x = xMajor ? m : k;
                const std::int64_t y = xMajor ? k : m;
                QRgb* pixel = reinterpret_cast<QRgb*>(bits + y * stride) + x;
                *pixel = invert ? ~(colour ^ *pixel) : colour;
            }
        }
        if (++phase == pattern.period) phase = 0;
        rem += 2 * dk;
        if (rem >= twoN) {
            rem -= twoN;
            ++q;
        }
    }
    const std::int64_t mA = m0 + sm * from, mB = m0 + sm * (to - 1);
    const std::int64_t kA = k0 + sk * ((static_cast<__int128>(2) * from * dk + n) / twoN);
    const std::int64_t kB = k0 + sk * q;
    if (xMajor)
        markDirty(std::min(mA, mB), std::min(kA, kB), std::max(mA, mB), std::max(kA, kB));
    else
        markDirty(std::min(kA, kB), std::min(mA, mB), std::max(kA, kB), std::max(mA, mB));
}

void TDrawCanvas::wideLine(int x1, int y1, int x2, int y2) {
    QPainter painter(&image_);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setCompositionMode(Pen.Mode == TPenMode::NotXor ? QPainter::RasterOp_NotSourceXorDestination
                                                            : QPainter::CompositionMode_Source);
    // Wide pens of the original toolkit are solid whatever their style.
    painter.setPen(
        QPen(QColor::fromRgb(opaque(Pen.Color)), Pen.Width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawLine(QPoint(x1, y1), QPoint(x2, y2));
    const std::int64_t w = Pen.Width;
    markDirty(std::min<std::int64_t>(x1, x2) - w, std::min<std::int64_t>(y1, y2) - w,
              std::max<std::int64_t>(x1, x2) + w, std::max<std::int64_t>(y1, y2) + w);
}

void TDrawCanvas::Rectangle(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom) {
    std::int64_t l = left, t = top, r = right, b = bottom;
    if (l > r) std::swap(l, r);
    if (t > b) std::swap(t, b);
    if (Pen.Style == Qt::NoPen) {
        fillBrush(l, t, r - 1, b - 1);
        return;
    }
    if (Pen.Width <= 1) {
        // The frame is the four sides of l..r-1, t..b-1, each drawn without its last pixel.
        fillBrush(l + 1, t + 1, r - 2, b - 2);
        if (r - l < 1 || b - t < 1) return;
        thinLine(l, t, r - 1, t);
        thinLine(r - 1, t, r - 1, b - 1);
        thinLine(r - 1, b - 1, l, b - 1);
        thinLine(l, b - 1, l, t);
        return;
    }
    // A wide pen is centred on the frame: a band of Width pixels around l..r-1, t..b-1.
    const std::int64_t lo = Pen.Width / 2, hi = (Pen.Width - 1) / 2;
    const std::int64_t ol = l - lo, ot = t - lo, orr = r - 1 + hi, ob = b - 1 + hi;
    const std::int64_t il = l + hi + 1, it = t + hi + 1, ir = r - 1 - lo - 1, ib = b - 1 - lo - 1;
    const QRgb colour = opaque(Pen.Color);
    if (il > ir || it > ib) {
        fillSpan(ol, ot, orr, ob, colour);
        return;
    }
    fillBrush(il, it, ir, ib);
    fillSpan(ol, ot, orr, it - 1, colour); // top band
    fillSpan(ol, ib + 1, orr, ob, colour); // bottom band
    fillSpan(ol, it, il - 1, ib, colour);  // left band
    fillSpan(ir + 1, it, orr, ib, colour); // right band
}

void TDrawCanvas::fillSpan(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom,
                           QRgb colour) {
    left = std::max<std::int64_t>(left, 0);
    top = std::max<std::int64_t>(top, 0);
    right = std::min<std::int64_t>(right, image_.width() - 1);
    bottom = std::min<std::int64_t>(bottom, image_.height() - 1);
    if (left > right || top > bottom) return;
    const bool invert = Pen.Mode == TPenMode::NotXor;
    uchar* const bits = image_.bits();
    const qsizetype stride = image_.bytesPerLine();
    for (std::int64_t y = top; y <= bottom; ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(bits + y * stride);
        for (std::int64_t x = left; x <= right; ++x)
            row[x] = invert ? ~(colour ^ row[x]) : colour;
    }
    markDirty(left, top, right, bottom);
}

void TDrawCanvas::fillBrush(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom) {
    if (Brush.style() == Qt::NoBrush) return;
    if (Brush.style() == Qt::SolidPattern) {
        fillSpan(left, top, right, bottom, opaque(Brush.color()));
        return;
    }
    left = std::max<std::int64_t>(left, 0);
    top = std::max<std::int64_t>(top, 0);
    right = std::min<std::int64_t>(right, image_.width() - 1);
    bottom = std::min<std::int64_t>(bottom, image_.height() - 1);
    if (left > right || top > bottom) return;
    QPainter painter(&image_);
    painter.setCompositionMode(Pen.Mode == TPenMode::NotXor ? QPainter::RasterOp_NotSourceXorDestination
                                                            : QPainter::CompositionMode_SourceOver);
    painter.fillRect(QRect(QPoint(static_cast<int>(left), static_cast<int>(top)),
                           QPoint(static_cast<int>(right), static_cast<int>(bottom))),
                     Brush);
    markDirty(left, top, right, bottom);
}

const QImage& TDrawCanvas::renderedText(const QString& text, QRgb background) {
    const QRgb colour = opaque(FontColor);
    for (const TRenderedText& kept : texts_) {
        if (kept.background == background && kept.colour == colour && !kept.image.isNull() &&
            kept.text == text && kept.font == Font)
            return kept.image;
    }
    QFont font = Font;
    font.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics metrics(font);
    QImage image(std::max(metrics.horizontalAdvance(text), 1), std::max(metrics.height(), 1),
                 QImage::Format_RGB32);
    image.fill(background);
    {
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(QColor::fromRgb(colour));
        painter.drawText(QPoint(0, metrics.ascent()), text);
    }
    TRenderedText& slot = texts_[static_cast<size_t>(nextText_)];
    nextText_ = (nextText_ + 1) % KeptTexts;
    slot = {text, background, colour, Font, std::move(image)};
    return slot.image;
}

void TDrawCanvas::TextOut(int x, int y, const QString& text) {
    if (image_.isNull()) return;
    if (Brush.style() != Qt::SolidPattern) {
        // No box: the glyphs alone, straight onto the image.
        QFont font = Font;
        font.setStyleStrategy(QFont::NoAntialias);
        const QFontMetrics metrics(font);
        QPainter painter(&image_);
        painter.setFont(font);
        painter.setPen(FontColor);
        painter.drawText(QPoint(x, y + metrics.ascent()), text);
        markDirty(x, y, std::int64_t{x} + metrics.horizontalAdvance(text),
                  std::int64_t{y} + metrics.height());
        return;
    }
    const QImage& box = renderedText(text, opaque(Brush.color()));
    // Copy the box, clipped to the image.
    const int left = std::max(x, 0), top = std::max(y, 0);
    const int right = std::min(x + box.width(), image_.width()),
              bottom = std::min(y + box.height(), image_.height());
    if (left >= right || top >= bottom) return;
    for (int row = top; row < bottom; ++row) {
        const QRgb* from = reinterpret_cast<const QRgb*>(box.constScanLine(row - y)) + (left - x);
        QRgb* to = reinterpret_cast<QRgb*>(image_.scanLine(row)) + left;
        std::copy(from, from + (right - left), to);
    }
    markDirty(left, top, right - 1, bottom - 1);
}

void TDrawCanvas::markDirty(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom) {
    left = std::max<std::int64_t>(left, 0);
    top = std::max<std::int64_t>(top, 0);
    right = std::min<std::int64_t>(right, image_.width() - 1);
    bottom = std::min<std::int64_t>(bottom, image_.height() - 1);
    if (left > right || top > bottom) return;
    const QRect area(QPoint(static_cast<int>(left), static_cast<int>(top)),
                     QPoint(static_cast<int>(right), static_cast<int>(bottom)));
    for (int k = 0; k < dirtyCount_; ++k) {
        if (dirty_[static_cast<size_t>(k)].contains(area)) return;
    }
    if (dirtyCount_ < MaxDirty)
        dirty_[static_cast<size_t>(dirtyCount_++)] = area;
    else
        dirty_[MaxDirty - 1] |= area;
}

QRegion TDrawCanvas::takeDirty() {
    QRegion region;
    for (int k = 0; k < dirtyCount_; ++k)
        region += dirty_[static_cast<size_t>(k)];
    dirtyCount_ = 0;
    return region;
}
