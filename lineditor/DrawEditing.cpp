// TDraw: the mouse handlers, point insertion and deletion, the context menu and the zoom
// steps around the cursor cross.
#include "lineditor/Draw.h"

#include "base/Component.h"
#include "base/Errors.h"
#include "lineditor/DrawMath.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>
#include <cmath>

namespace {

// A world span used as a pixel count (keeping the dragged cross in view).
std::int32_t roundCount(long double value) {
    return qv7::draw::roundPixel(value);
}

using qv7::draw::single;

TMouseButton buttonOf(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return TMouseButton::mbLeft;
    case Qt::RightButton:
        return TMouseButton::mbRight;
    case Qt::MiddleButton:
        return TMouseButton::mbMiddle;
    default:
        return TMouseButton::mbExtra;
    }
}

TShiftState shiftOf(const QMouseEvent* event) {
    TShiftState shift = 0;
    const Qt::KeyboardModifiers keys = event->modifiers();
    if (keys & Qt::ShiftModifier) shift |= ssShift;
    if (keys & Qt::AltModifier) shift |= ssAlt;
    if (keys & Qt::ControlModifier) shift |= ssCtrl;
    const Qt::MouseButtons buttons = event->buttons();
    if (buttons & Qt::LeftButton) shift |= ssLeft;
    if (buttons & Qt::RightButton) shift |= ssRight;
    if (buttons & Qt::MiddleButton) shift |= ssMiddle;
    return shift;
}

QPoint positionOf(const QMouseEvent* event) {
    return event->position().toPoint();
}

} // namespace

void TDraw::buildMenu() {
    FMenu = new QMenu(this);
    FMenu->setObjectName(QStringLiteral("PopupMenu"));
    FZoomMenu = FMenu->addMenu(QString());
    FZoomMenu->setObjectName(QStringLiteral("Z1"));
    const auto item = [this](QMenu* menu, const char* name, void (TDraw::*action)()) {
        QAction* added = menu->addAction(QString());
        added->setObjectName(QLatin1String(name));
        connect(added, &QAction::triggered, this, [this, action] { (this->*action)(); });
        return added;
    };
    FResetZoomItem = item(FZoomMenu, "ResetZoom", &TDraw::ResetZoomClick);
    FCentreItem = item(FZoomMenu, "Centre", &TDraw::CentreClick);
    FZoomInItem = item(FZoomMenu, "ZoomIn", &TDraw::ZoomInClick);
    FZoomOutItem = item(FZoomMenu, "ZoomOut", &TDraw::ZoomOutClick);
    FDeleteSegmentItem = item(FMenu, "DeleteSegment", &TDraw::DeleteSegmentClick);
    FInsertSegmentItem = item(FMenu, "InsertSegment", &TDraw::InsertSegmentClick);
    retranslateMenu();
}

void TDraw::retranslateMenu() {
    FZoomMenu->setTitle(tr("Zoom"));
    FResetZoomItem->setText(QStringLiteral("1:1"));
    FCentreItem->setText(tr("Centre"));
    FZoomInItem->setText(tr("Plus"));
    FZoomOutItem->setText(tr("Moins"));
    FDeleteSegmentItem->setText(tr("Efface le segment"));
    FInsertSegmentItem->setText(tr("Insère un segment"));
}

void TDraw::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) retranslateMenu();
}

void TDraw::beep() {
    ++FBeepCount;
    QApplication::beep();
}

// ---- Mouse

void TDraw::DrawMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    FDownX = X;
    FDownY = Y;
    if (Button == TMouseButton::mbRight) {
        const bool picked = Selected != -1;
        FDeleteSegmentItem->setEnabled(picked);
        FInsertSegmentItem->setEnabled(picked);
        FMenu->popup(mapToGlobal(QPoint(X, Y)));
        return;
    }
    if (Button != TMouseButton::mbLeft) return;
    if (Shift & ssCtrl) InsertSegmentClick();
    if (FClip) {
        const std::int32_t before = Selected;
        Selected = -1;
        checkCurveLength();
        for (int i = 0; i <= NbSegment; ++i) {
            const TPixelPoint p = FPixelPoints[i];
            if (std::int64_t{p.x} - 5 < X && X < std::int64_t{p.x} + 5 && std::int64_t{p.y} - 5 < Y &&
                Y < std::int64_t{p.y} + 5) {
                FDragIndex = i;
                Selected = i;
                ::raise(OnSelect, this);
                ShowPointInfo();
                break;
            }
        }
        // A press beside every point clears the selection: said too, so the grid lets its row go.
        if (Selected == -1 && before != -1) ::raise(OnSelect, this);
        Paint();
    }
    if (Shift & ssDouble) SetCursorAt(X, Y);
    if (std::int64_t{FCursorPx} - 2 < X && X < std::int64_t{FCursorPx} + 2) FCursorDragging = 1;
    if (Shift & ssAlt) DeleteSegmentClick();
}

void TDraw::DrawMouseMove(TShiftState, int X, int Y) {
    if (FDragIndex >= 0) {
        FMovedIndex = FDragIndex;
        int px = X, py = Y;
        ConstrainPoint(px, py);
        moveDraggedPoint(px, py);
        ShowPointInfo();
    }
    if (FCursorDragging == 1) {
        SetCursorAt(X, Y);
        keepCursorInView();
    }
}

void TDraw::moveDraggedPoint(int X, int Y) {
    const int i = FDragIndex;
    const TCurvePoint world{worldX(X), worldY(Y)};
    (void)PixelPoint(i); // index check before anything is drawn
    if (!spansPositive()) {
        // DrawCurve draws nothing: only the values move.
        FPixelPoints[i] = {X, Y};
        Points[i] = world;
        return;
    }
    checkCurveLength();
    if (i <= NbSegment) {
        // Only what the move changes is drawn again: the pixels are those of DrawCurve twice.
        drawCurveAround(i);
        FPixelPoints[i] = {X, Y};
        Points[i] = world;
        drawCurveAround(i);
    } else {
        DrawCurve();
        FPixelPoints[i] = {X, Y};
        Points[i] = world;
        DrawCurve();
    }
}

void TDraw::keepCursorInView() {
    // Three quarters of the world span, used as a pixel count; CentreClick re-centres on it.
    const int W = width(), H = height();
    if (FCursorPx < 0) {
        FCursorPx = roundCount(3.0L * FSpanX / 4);
        CentreClick();
    }
    if (FCursorPx > W) {
        FCursorPx = qv7::checked<std::int32_t>(std::int64_t{W} - roundCount(3.0L * FSpanX / 4));
        CentreClick();
    }
    if (FCursorPy < 0) {
        FCursorPy = roundCount(3.0L * FSpanY / 4);
        CentreClick();
    }
    if (FCursorPy > H) {
        FCursorPy = qv7::checked<std::int32_t>(std::int64_t{H} - roundCount(3.0L * FSpanY / 4));
        CentreClick();
    }
}

void TDraw::DrawMouseUp(TMouseButton, TShiftState, int, int) {
    if (FDragIndex >= 0) {
        if (FMovedIndex != -1) {
            const TPixelPoint p = FPixelPoints[FDragIndex];
            Points[FDragIndex] = {worldX(p.x), worldY(p.y)};
            ::raise(OnChange, this);
        }
        SaveBackup();
        SetCursorAt(FCursorPx, FCursorPy);
        FDragIndex = -1;
        FMovedIndex = -1;
    }
    FCursorDragging = -1;
}

void TDraw::mousePressEvent(QMouseEvent* event) {
    const QPoint at = positionOf(event);
    DrawMouseDown(buttonOf(event->button()), shiftOf(event), at.x(), at.y());
}

void TDraw::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click: the original toolkit's press with ssDouble.
    const QPoint at = positionOf(event);
    DrawMouseDown(buttonOf(event->button()), shiftOf(event) | ssDouble, at.x(), at.y());
}

void TDraw::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = positionOf(event);
    DrawMouseMove(shiftOf(event), at.x(), at.y());
}

void TDraw::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = positionOf(event);
    DrawMouseUp(buttonOf(event->button()), shiftOf(event), at.x(), at.y());
}

// ---- Placing, inserting and deleting points

bool TDraw::ConstrainPoint(int& PX, int& PY) {
    const int s = Selected;
    if (s < 0 || s > NbSegment || NbSegment > qv7::MaxPointIndex) {
        // A selection left beyond the curve (the curve was replaced): no bounds, nothing placed.
        Selected = -1;
        return false;
    }
    std::int64_t low, high;
    if (s > 0 && s < NbSegment) {
        low = FPixelPoints[s - 1].x;
        high = FPixelPoints[s + 1].x;
    } else if (s == 0) {
        low = 0;
        high = FPixelPoints[1].x;
    } else {
        low = FPixelPoints[s - 1].x;
        high = width();
    }
    bool unchanged = true;
    if (PX < low) {
        PX = static_cast<int>(low);
        unchanged = false;
    }
    if (PX > high) {
        PX = static_cast<int>(high);
        unchanged = false;
    }
    if (PY < 0) {
        PY = 0;
        unchanged = false;
    }
    if (PY > height()) {
        PY = height();
        unchanged = false;
    }
    return unchanged;
}

void TDraw::InsertPoint(int Index) {
    if (!(Index > 0 && Index <= NbSegment)) return;
    // The first move would write entry NbSegment + 1: refused before anything moves.
    if (NbSegment + 1 > qv7::MaxPointIndex) throw qv7::ERangeError();
    for (int i = NbSegment; i >= Index; --i) {
        Points[i + 1] = Points[i];
        FPixelPoints[i + 1] = FPixelPoints[i];
    }
    Points[Index] = {};
    FPixelPoints[Index] = {};
    ++NbSegment;
}

void TDraw::DeletePoint(int Index) {
    if (!(Index <= NbSegment)) return;
    if (Index + 1 <= NbSegment && (Index < 0 || NbSegment > qv7::MaxPointIndex)) throw qv7::ERangeError();
    for (int i = Index + 1; i <= NbSegment; ++i) {
        Points[i - 1] = Points[i];
        FPixelPoints[i - 1] = FPixelPoints[i];
    }
    --NbSegment;
}

void TDraw::InsertSegmentClick() {
    const int s = Selected;
    if (s > 0 && NbSegment < 359) {
        if (FPixelPoints[s - 1].x <= FDownX && FDownX <= FPixelPoints[s].x) {
            InsertPoint(s);
            FPixelPoints[s] = {FDownX, FDownY};
        } else {
            beep();
        }
        const TPixelPoint p = FPixelPoints[s];
        Points[s] = {worldX(p.x), worldY(p.y)};
        ::raise(OnChange, this);
    }
    Paint();
}

void TDraw::DeleteSegmentClick() {
    RemovePoint(Selected);
    ::raise(OnChange, this);
    Paint();
}

void TDraw::RemovePoint(int Index) {
    if (Index != -1 && NbSegment > 1) {
        DeletePoint(Index);
        ::raise(OnChange, this);
    }
    Selected = std::min(Index, NbSegment);
    FDragIndex = -1;
    Paint();
}

void TDraw::SplitSegment(int Index) {
    const int i = Index;
    if (i > 0 && NbSegment < FNbMaxSegment - 1) {
        const TPixelPoint a = FPixelPoints[i];
        const TPixelPoint b = FPixelPoints[i - 1];
        InsertPoint(Selected);
        // Each sum halved with truncation toward zero.
        const TPixelPoint middle{static_cast<std::int32_t>((std::int64_t{a.x} + b.x) / 2),
                                 static_cast<std::int32_t>((std::int64_t{a.y} + b.y) / 2)};
        FPixelPoints[i] = middle;
        Points[i] = {worldX(middle.x), worldY(middle.y)};
        Selected = i;
        ::raise(OnChange, this);
    }
    FDragIndex = -1;
    Paint();
}

// ---- Zoom around the cross

void TDraw::setEdgesAroundCross(long double spanFactor) {
    // c: the world position of the cross's pixel, as singles. All four edges are worked out
    // before one is stored, and go straight into the fields (not through the setters).
    const long double cx = worldX(FCursorPx), cy = worldY(FCursorPy);
    const float xmin = single(cx - FSpanX * spanFactor), xmax = single(cx + FSpanX * spanFactor);
    const float ymin = single(cy - FSpanY * spanFactor), ymax = single(cy + FSpanY * spanFactor);
    FXmin = xmin;
    FXmax = xmax;
    FYmin = ymin;
    FYmax = ymax;
}

void TDraw::ZoomInClick() {
    FZoomInItem->setEnabled(ZoomLevel <= ZoomMax - 2);
    FZoomOutItem->setEnabled(true);
    if (ZoomLevel > ZoomMax) {
        beep();
        return;
    }
    setEdgesAroundCross(1.0L / 8);
    UpdateCurve();
    ++ZoomLevel;
    ::raise(OnZoom, this);
}

void TDraw::ZoomOutClick() {
    FZoomOutItem->setEnabled(ZoomLevel >= ZoomMin + 2);
    FZoomInItem->setEnabled(true);
    if (ZoomLevel < ZoomMin) {
        beep();
        return;
    }
    setEdgesAroundCross(2);
    UpdateCurve();
    --ZoomLevel;
    ::raise(OnZoom, this);
}

void TDraw::CentreClick() {
    setEdgesAroundCross(1.0L / 2);
    UpdateCurve();
}

void TDraw::ResetZoomClick() {
    FResetZoomItem->setEnabled(true);
    FZoomInItem->setEnabled(true);
    FZoomOutItem->setEnabled(true);
    ZoomLevel = 0;
    FXmin = -25;
    FXmax = 110;
    FYmin = -25;
    FYmax = 110;
    ::raise(OnZoom, this);
    UpdateCurve();
}
