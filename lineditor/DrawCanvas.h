// TDrawCanvas: the plot control's canvas, a backing image drawn with the rules of the original
// toolkit's canvas, so that the pixel positions are exact and a figure drawn twice in
// the invert mode leaves the image as it was.
//
// - A pen (colour, width, style, mode) and a brush (colour, style) stay set between drawings, as
//   on the original canvas: an operation draws with whatever the last one left.
// - Lines exclude their last pixel, and a line from a point to itself draws nothing, so the
//   segments of a polyline meet without drawing their common pixel twice. One-pixel lines are
//   rasterised here; wider ones go through QPainter (solid, round ends).
// - Rectangle(l, t, r, b) frames the pixels l..r-1 and t..b-1 and fills the inside with the brush;
//   a wider pen is centred on that frame. Every pixel of a figure is touched once.
// - Mode NotXor stores ~(pen xor pixel): a white brush leaves pixels as they are and drawing the
//   same figure twice restores them (QPainter::RasterOp_NotSourceXorDestination for wide lines).
// - TextOut writes with the font on a box of the brush's colour (copy mode, no anti-aliasing);
//   the text is clipped to that box (its advance by the font's height). The last few texts are
//   kept rendered, so that a drag, which writes the same texts again and again, does not lay
//   them out anew.
// - Nothing is drawn outside the image; the areas drawn are collected for the widget's update.
// Window thread only.
#pragma once

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QRegion>

#include <array>
#include <cstdint>

enum class TPenMode { Copy, NotXor };

struct TCanvasPen {
    QColor Color = Qt::black;
    int Width = 1;
    Qt::PenStyle Style = Qt::SolidLine; // Dash is 18 pixels on, 6 off, as the original toolkit's
    TPenMode Mode = TPenMode::Copy;
};

class TDrawCanvas {
public:
    TCanvasPen Pen;
    QBrush Brush{Qt::white, Qt::SolidPattern};
    QFont Font;
    QColor FontColor = Qt::black;

    // (Re)allocates the image, white; a new size only.
    void setSize(int width, int height);
    int width() const { return image_.width(); }
    int height() const { return image_.height(); }
    const QImage& image() const { return image_; }

    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Rectangle(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom);
    void TextOut(int x, int y, const QString& text);

    // The areas drawn since the last call (up to a few rectangles, merged beyond that).
    QRegion takeDirty();

private:
    void thinLine(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2);
    void wideLine(int x1, int y1, int x2, int y2);
    void fillSpan(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom, QRgb colour);
    void fillBrush(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom);
    void markDirty(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom);

    // The text's box rendered with the font (a recent one when it is kept).
    const QImage& renderedText(const QString& text, QRgb background);

    struct TRenderedText {
        QString text;
        QRgb background = 0;
        QRgb colour = 0;
        QFont font;
        QImage image;
    };
    static constexpr int KeptTexts = 12;
    std::array<TRenderedText, KeptTexts> texts_{};
    int nextText_ = 0;

    QImage image_;
    int penX_ = 0;
    int penY_ = 0;
    static constexpr int MaxDirty = 8;
    std::array<QRect, MaxDirty> dirty_{};
    int dirtyCount_ = 0;
};
