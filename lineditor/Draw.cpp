// TDraw: construction, properties, the mappings, the rebuild, the undo copy and the
// cursor cross's place. The drawing is in DrawPaint.cpp, the editing in DrawEditing.cpp.
#include "lineditor/Draw.h"

#include "base/Component.h"
#include "base/Errors.h"
#include "lineditor/Courbe.h"
#include "lineditor/DrawMath.h"

#include <cfloat>
#include <cmath>

namespace {

using qv7::draw::roundPixel;
using qv7::draw::single;

std::int32_t clamp5000(std::int32_t value) {
    return value < -5000 ? -5000 : (value > 5000 ? 5000 : value);
}

} // namespace

TDraw::TDraw(QWidget* parent) : QWidget(parent) {
    // The inherited shape's construction: its default size, a surface drawn wholly by the control.
    resize(65, 65);
    setAttribute(Qt::WA_OpaquePaintEvent);
    FCanvas.setSize(width(), height());
    FCourbe = std::make_unique<TCourbe>(this);
    ZoomMin = -1;
    ZoomMax = 3;
    setXmin(-25);
    setXmax(110);
    setYmin(-25);
    setYmax(110);
    ZoomLevel = 0;
    Points[0] = {0, 0};
    Points[1] = {100, 100};
    NbSegment = 1;
    Selected = -1;
    FBackup[0] = {0, 0};
    FBackup[1] = {100, 100};
    FBackupNbSegment = 1;
    FDragIndex = -1;
    FMovedIndex = -1;
    FCursorX = 0;
    FCursorY = 0;
    setCursor(Qt::CrossCursor);
    buildMenu();
    // The control's own mouse handlers: moves are wanted with or without a button, and the
    // right press shows the menu itself.
    setMouseTracking(true);
    setContextMenuPolicy(Qt::PreventContextMenu);
}

TDraw::~TDraw() = default;

// ---- Properties

void TDraw::setShape(TBackgroundShape value) {
    if (value == FShape) return;
    FShape = value;
    refresh();
}

void TDraw::setXmax(float value) {
    if (value == FXmax) return;
    FXmax = value;
    refresh();
}

void TDraw::setXmin(float value) {
    if (value == FXmin) return;
    FXmin = value;
    refresh();
}

void TDraw::setYmax(float value) {
    if (value == FYmax) return;
    FYmax = value;
    refresh();
}

void TDraw::setYmin(float value) {
    if (value == FYmin) return;
    FYmin = value;
    refresh();
}

void TDraw::setClip(bool value) {
    if (value == FClip) return;
    FClip = value;
    refresh();
}

void TDraw::setNbMaxSegment(int value) {
    if (value >= 360) {
        FNbMaxSegment = 359;
        refresh();
        return;
    }
    if (value == FNbMaxSegment) return;
    FNbMaxSegment = value;
    refresh();
}

void TDraw::setPen(const QPen& pen) {
    FPen = pen;
    refresh();
}

void TDraw::setBrush(const QBrush& brush) {
    FBrush = brush;
    refresh();
}

// ---- Mappings

std::int32_t TDraw::pixelX(long double x) const {
    if (!(FSpanX > 0)) return 0;
    return roundPixel((x - FXmin) * width() / FSpanX);
}

std::int32_t TDraw::pixelY(long double y) const {
    if (!(FSpanY > 0)) return 0;
    return roundPixel((1.0L - (y - FYmin) / FSpanY) * height());
}

float TDraw::worldX(long double px) const {
    if (width() <= 0) return FXmin;
    return single(px * FSpanX / width() + FXmin);
}

float TDraw::worldY(long double py) const {
    if (height() <= 0) return single(static_cast<long double>(FSpanY) + FYmin);
    return single((1.0L - py / height()) * FSpanY + FYmin);
}

TPixelPoint TDraw::WorldToPixel(float X, float Y) const {
    return {clamp5000(pixelX(X)), clamp5000(pixelY(Y))};
}

namespace {
// Held to -5000..5000 before rounding: the same pixel as WorldToPixel's wherever that one fits
// 32 bits, and a 32-bit pixel for any finite value.
std::int32_t held5000(long double value) {
    if (std::isnan(value)) throw qv7::ERangeError();
    return value < -5000 ? -5000 : (value > 5000 ? 5000 : roundPixel(value));
}
} // namespace

std::int32_t TDraw::crossColumn(long double x) const {
    if (!(FSpanX > 0)) return 0;
    return held5000((x - FXmin) * width() / FSpanX);
}

std::int32_t TDraw::crossRow(long double y) const {
    if (!(FSpanY > 0)) return 0;
    return held5000((1.0L - (y - FYmin) / FSpanY) * height());
}

void TDraw::checkCurveLength() const {
    if (NbSegment > qv7::MaxPointIndex) throw qv7::ERangeError();
}

void TDraw::RecomputePixels() {
    FSpanX = FXmax - FXmin;
    FSpanY = FYmax - FYmin;
    if (spansPositive()) {
        checkCurveLength();
        // All points first, so that a point off the 32-bit range leaves the pixels as they were.
        TPointArray<TPixelPoint> fresh = FPixelPoints;
        for (int i = 0; i <= NbSegment; ++i)
            fresh[i] = {pixelX(Points[i].X), pixelY(Points[i].Y)};
        FPixelPoints = fresh;
    }
    FCursorPx = crossColumn(FCursorX);
    FCursorPy = crossRow(FCursorY);
}

void TDraw::UpdateCurve() {
    SetClipRect({0, 0, width(), height()});
    SaveBackup();
    RecomputePixels();
    SetCursorAt(FCursorPx, FCursorPy);
    ::raise(OnChange, this);
    Paint();
}

void TDraw::SaveBackup() {
    FBackupNbSegment = NbSegment;
    FBackup = Points;
}

void TDraw::Undo() {
    NbSegment = FBackupNbSegment;
    Points = FBackup;
    FMovedIndex = -1;
    FDragIndex = -1;
    RecomputePixels();
    ::raise(OnChange, this);
    Paint();
}

// ---- The cross

float TDraw::Interpolate(float X) {
    checkCurveLength();
    int k = 1;
    while (!(X < Points[k].X || k >= NbSegment))
        ++k;
    const int s = k - 1;
    FCursorSegment = s;
    const TCurvePoint a = Points[s], b = Points[s + 1];
    const long double dx = static_cast<long double>(b.X) - a.X;
    const long double t = dx == 0 ? 1e38L : (X - static_cast<long double>(a.X)) / dx;
    const long double value = a.Y + (static_cast<long double>(b.Y) - a.Y) * t;
    // A last segment of zero width gives t = 1e38: the value is held within the single range.
    if (value > static_cast<long double>(FLT_MAX)) return FLT_MAX;
    if (value < -static_cast<long double>(FLT_MAX)) return -FLT_MAX;
    return static_cast<float>(value);
}

void TDraw::SetCursorAt(int PixelX, int PixelY) {
    (void)PixelY;
    // The new place is worked out before the old cross is erased, so that an error leaves the
    // cross as it was on the screen; the pixels drawn are those of the original drawing order.
    checkCurveLength();
    const TCurvePoint first = Points[0];
    const TCurvePoint last = Points[NbSegment];
    std::int32_t px = PixelX;
    float x = worldX(px);
    if (x < first.X) {
        x = first.X;
        px = pixelX(x);
    }
    if (x > last.X) {
        x = last.X;
        px = pixelX(x);
    }
    const float y = Interpolate(x);
    // The row is held to -5000..5000 as WorldToPixel holds it: a value far off the view (a last
    // segment of zero width under the cross) keeps a row of 32 bits.
    const std::int32_t py = crossRow(y);
    DrawCursor();
    FCursorPx = px;
    FCursorX = x;
    FCursorY = y;
    FCursorPy = py;
    DrawCursor();
    ShowCursorInfo();
}
