// TDraw: the linearisation editor's curve plot control. It holds a curve of up
// to 361 points in fixed arrays, draws it in a zoomable world window with the axes, the full-scale
// marks, square handles and a dashed cursor cross that follows the curve, prints the selected
// point's or the cross's coordinates in its top-left corner, and is edited with the mouse, its
// context menu and the zoom steps.
//
// Drawing model: every drawing goes into a backing image (TDrawCanvas) at once, and paintEvent
// only copies the image to the screen; "paint now" is: draw into the image and ask for an update
// of the area drawn. The curve and the cross are drawn in the not-xor mode, so drawing a figure
// twice restores what was beneath: a drag erases the old figure by drawing it again and draws the
// new one, and only the area around the moved point is sent to the screen.
//
// Every index of the point arrays is checked (0..360) and every rounded pixel coordinate must fit
// 32 bits; otherwise qv7::ERangeError ("Erreur de vérification d'étendue") ends the operation,
// which the application reports at the event loop. The checks come before the points change, so
// the curve stays as it was.
//
// Window thread only.
#pragma once

#include "lineditor/Clip.h"
#include "lineditor/CurvePoints.h"
#include "lineditor/DrawCanvas.h"

#include <QBrush>
#include <QPen>
#include <QRegion>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

class QAction;
class QMenu;
class TCourbe;
class TDraw;

enum class TBackgroundShape : std::uint8_t { stRegangle };

enum class TMouseButton { mbLeft, mbRight, mbMiddle, mbExtra };

// The shift state of a mouse event: keys, buttons held, and ssDouble for a double click's press.
using TShiftState = unsigned;
inline constexpr TShiftState ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32,
                             ssDouble = 64;

// A notify event of the control; raised only when assigned, with the control as Sender.
using TDrawEvent = std::function<void(TDraw* Sender)>;

class TDraw : public QWidget {
    Q_OBJECT

public:
    explicit TDraw(QWidget* parent = nullptr);
    ~TDraw() override;

    // ---- Properties. The setters compare, and on a change store and repaint at once. Setting an
    // edge does not recompute the spans or the pixels: the owner calls UpdateCurve afterwards.
    TBackgroundShape Shape() const { return FShape; }
    void setShape(TBackgroundShape value);
    float Xmax() const { return FXmax; }
    void setXmax(float value);
    float Xmin() const { return FXmin; }
    void setXmin(float value);
    float Ymax() const { return FYmax; }
    void setYmax(float value);
    float Ymin() const { return FYmin; }
    void setYmin(float value);
    // Handles on every point (true), or only on the selected one; with false no point is picked.
    bool Clip() const { return FClip; }
    void setClip(bool value);
    // Insert key limit (SplitSegment); 360 or more is stored as 359, and then always repaints.
    int NbMaxSegment() const { return FNbMaxSegment; }
    void setNbMaxSegment(int value);
    // The inherited shape's pen (the curve's colour, width and style; black, 1, solid) and brush
    // (the background; white, solid). Setting one repaints.
    const QPen& Pen() const { return FPen; }
    void setPen(const QPen& pen);
    const QBrush& Brush() const { return FBrush; }
    void setBrush(const QBrush& brush);

    TDrawEvent OnChange; // after the points changed or the view was rebuilt
    TDrawEvent OnSelect; // when a mouse press picks a point, or clears the selection
    TDrawEvent OnZoom;   // after a zoom step or a view reset

    // ---- The curve and the zoom state, read and written by the editor window.
    TPointArray<TCurvePoint> Points; // entries 0..NbSegment are the curve
    std::int32_t NbSegment = 0;      // index of the last point (1 after construction)
    std::int32_t Selected = 0;       // selected point, -1 = none (-1 after construction)
    std::int32_t ZoomLevel = 0;
    std::int32_t ZoomMin = 0; // -1 after construction
    std::int32_t ZoomMax = 0; // 3 after construction

    // ---- Drawing and mapping operations.
    // Clip rectangle (0, 0, W, H), SaveBackup, RecomputePixels, SetCursorAt the cross, OnChange,
    // Paint: the full rebuild after points or edges were changed from outside.
    void UpdateCurve();
    // Spans from the edges; the points' pixels when both spans are positive; the cross's pixel.
    void RecomputePixels();
    // World to pixel, each coordinate rounded (halves to even) and then clamped to -5000..5000.
    TPixelPoint WorldToPixel(float X, float Y) const;
    void SaveBackup();
    void Undo();
    // Puts the cross on the curve at the world X of column PixelX (PixelY is not used).
    void SetCursorAt(int PixelX, int PixelY);
    // The curve's value at X; sets the segment under the cross.
    float Interpolate(float X);
    // Clamps a pixel position for the selected point (between its neighbours' columns, within the
    // rows); true when nothing was changed. A selection outside 0..NbSegment is cleared first and
    // the position is refused unchanged (false).
    bool ConstrainPoint(int& PX, int& PY);
    // Redraws everything: background and frame, axes, marks, curve, cross, point text.
    void Paint();
    // The curve with its handles, in not-xor (drawing it twice restores the image).
    void DrawCurve();
    // The dashed blue cross, in the pen mode the last drawing left.
    void DrawCursor();
    void ShowPointInfo();
    void ShowCursorInfo();
    // Clipped drawing with a pen position and a clip rectangle shared by all instances.
    void ClipMoveTo(int x, int y);
    void ClipLineTo(int x, int y);
    static void SetClipRect(const TClipRect& rect) { clipRect_ = rect; }
    static TClipRect ClipRect() { return clipRect_; }
    static TPixelPoint ClipPenPos() { return clipPen_; }

    // ---- Editing: the control's own mouse handlers, the menu actions, the keys' operations.
    void DrawMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    void DrawMouseMove(TShiftState Shift, int X, int Y);
    void DrawMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    void InsertSegmentClick();    // "Insère un segment", Ctrl + left press
    void DeleteSegmentClick();    // "Efface le segment", Alt + left press
    void ZoomInClick();           // "Plus"
    void ZoomOutClick();          // "Moins"
    void CentreClick();           // "Centre"
    void ResetZoomClick();        // "1:1"
    void SplitSegment(int Index); // Insert key
    void RemovePoint(int Index);  // Delete key
    void InsertPoint(int Index);
    void DeletePoint(int Index);

    // The context menu and its items.
    QMenu* PopupMenu() const { return FMenu; }
    QMenu* ZoomMenu() const { return FZoomMenu; } // "Zoom", component name "Z1"
    QAction* ResetZoomItem() const { return FResetZoomItem; }
    QAction* CentreItem() const { return FCentreItem; }
    QAction* ZoomInItem() const { return FZoomInItem; }
    QAction* ZoomOutItem() const { return FZoomOutItem; }
    QAction* DeleteSegmentItem() const { return FDeleteSegmentItem; }
    QAction* InsertSegmentItem() const { return FInsertSegmentItem; }

    // ---- Read-only views of the other fields (tests, benchmark, pictures).
    float SpanX() const { return FSpanX; }
    float SpanY() const { return FSpanY; }
    std::int32_t OriginPx() const { return FOriginPx; }
    std::int32_t OriginPy() const { return FOriginPy; }
    std::int32_t DownX() const { return FDownX; }
    std::int32_t DownY() const { return FDownY; }
    float CursorX() const { return FCursorX; }
    float CursorY() const { return FCursorY; }
    std::int32_t CursorPx() const { return FCursorPx; }
    std::int32_t CursorPy() const { return FCursorPy; }
    std::int32_t CursorSegment() const { return FCursorSegment; }
    const TPixelPoint& PixelPoint(int index) const { return FPixelPoints[index]; }
    const TPointArray<TCurvePoint>& Backup() const { return FBackup; }
    std::int32_t BackupNbSegment() const { return FBackupNbSegment; }
    std::int32_t DragIndex() const { return FDragIndex; }
    std::int32_t MovedIndex() const { return FMovedIndex; }
    std::int32_t CursorDragging() const { return FCursorDragging; }
    TCourbe* Courbe() const { return FCourbe.get(); }
    const TDrawCanvas& Canvas() const { return FCanvas; }
    const QImage& image() const { return FCanvas.image(); }

    // Test seams: Paint calls, beeps, and the area sent to the screen since the last call.
    int paintCount() const { return FPaintCount; }
    int beepCount() const { return FBeepCount; }
    QRegion takeUpdatedRegion();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // The three lines of coordinates top left, each padded to cover every one written before.
    void showInfo(const QString& segment, const QString& x, const QString& y);
    // The mappings, evaluated in extended precision. A span that is not positive maps
    // every value to pixel 0; a control of no width or height maps every pixel to the low edge.
    std::int32_t pixelX(long double x) const;
    std::int32_t pixelY(long double y) const;
    float worldX(long double px) const;
    float worldY(long double py) const;
    // The cross's pixel: as WorldToPixel, but held to -5000..5000 before the rounding, so that a
    // value far off the view (a last segment of zero width under the cross) raises nothing.
    std::int32_t crossColumn(long double x) const;
    std::int32_t crossRow(long double y) const;
    bool spansPositive() const { return FSpanX > 0 && FSpanY > 0; }
    // Reallocates the image (and repaints it) when the control's size changed.
    void ensureCanvas();
    // Sends what was drawn since the last flush to the screen.
    void flush();
    void refresh() { Paint(); }
    void handle(int index);
    // The part of DrawCurve that changes when point `index` moves: its two segments and its
    // square, with the pens DrawCurve would use. Drawing it over DrawCurve's figure gives the
    // same pixels as DrawCurve before and after the move (not-xor drawings commute).
    void drawCurveAround(int index);
    void moveDraggedPoint(int X, int Y);
    void keepCursorInView();
    // Edges c - span * factor .. c + span * factor around the cross's world position c.
    void setEdgesAroundCross(long double spanFactor);
    void buildMenu();
    // The context menu's captions in the current language.
    void retranslateMenu();
    void beep();
    void checkCurveLength() const;

    TBackgroundShape FShape = TBackgroundShape::stRegangle;
    float FXmax = 0, FXmin = 0, FYmax = 0, FYmin = 0;
    float FSpanX = 0, FSpanY = 0;
    std::int32_t FOriginPx = 0, FOriginPy = 0;
    std::int32_t FDownX = 0, FDownY = 0;
    float FCursorX = 0, FCursorY = 0;
    std::int32_t FCursorPx = 0, FCursorPy = 0;
    std::int32_t FCursorSegment = 0;
    TPointArray<TPixelPoint> FPixelPoints;
    std::unique_ptr<TCourbe> FCourbe;
    TPointArray<TCurvePoint> FBackup;
    std::int32_t FBackupNbSegment = 0;
    std::int32_t FDragIndex = 0;
    std::int32_t FMovedIndex = 0;
    bool FClip = false;
    std::int32_t FCursorDragging = 0;
    int FInfoWidth = 0; // the widest coordinate text written so far, in pixels
    std::int32_t FNbMaxSegment = 0;

    QPen FPen{Qt::black, 1, Qt::SolidLine};
    QBrush FBrush{Qt::white, Qt::SolidPattern};
    TDrawCanvas FCanvas;

    QMenu* FMenu = nullptr;
    QMenu* FZoomMenu = nullptr;
    QAction* FResetZoomItem = nullptr;
    QAction* FCentreItem = nullptr;
    QAction* FZoomInItem = nullptr;
    QAction* FZoomOutItem = nullptr;
    QAction* FDeleteSegmentItem = nullptr;
    QAction* FInsertSegmentItem = nullptr;

    int FPaintCount = 0;
    int FBeepCount = 0;
    QRegion FUpdated;

    // Shared by all instances: the clip rectangle and the clipped drawing's pen position.
    static inline TClipRect clipRect_{};
    static inline TPixelPoint clipPen_{};
};
