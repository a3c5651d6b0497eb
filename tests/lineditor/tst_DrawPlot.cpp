// The curve plot control: construction, properties, the mappings, clipping, the full
// paint (pixels of the backing image at the positions the control must draw), the handles, the cross,
// the texts, the invert mode, undo and the range error. Expected pixels come from the drawing
// rules' numbers, not from the control's arithmetic.
#include "DrawTestSupport.h"

#include "lineditor/Clip.h"
#include "lineditor/Courbe.h"
#include "lineditor/DrawCanvas.h"
#include "lineditor/DrawMath.h"
#include "widgets/DecimalSeparator.h"

#include <QAction>
#include <QFontMetrics>
#include <QMenu>
#include <QPainter>
#include <QTest>

#include <cfloat>

using namespace drawtest;

namespace {

// The text as TextOut writes it (font without anti-aliasing, black on white).
QImage renderedText(const QFont& base, const QString& text) {
    QFont font = base;
    font.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics metrics(font);
    QImage image(metrics.horizontalAdvance(text), metrics.height(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QPoint(0, metrics.ascent()), text);
    return image;
}

bool showsText(const TDraw& draw, int x, int y, const QString& text) {
    const QImage expected = renderedText(draw.font(), text);
    return draw.image().copy(x, y, expected.width(), expected.height()) == expected;
}

int countColour(const QImage& image, QRgb colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == colour;
    return n;
}

// Pixel column of world x and row of world y on the editor's 409 x 401 default view, worked out
// from the mapping formulas with the numbers written out: W / span = 409 / 135, H / span = 401 / 135.
int col(double x) {
    return qRound((x + 25) * 409 / 135);
}
int row(double y) {
    return qRound((1 - (y + 25) / 135) * 401);
}

} // namespace

class TestDrawPlot : public QObject {
    Q_OBJECT

private slots:
    void pixels_round_halves_to_even_and_must_fit_32_bits() {
        using qv7::draw::roundPixel;
        const long double lowest = std::numeric_limits<std::int32_t>::min();
        const long double highest = std::numeric_limits<std::int32_t>::max();
        QCOMPARE(roundPixel(2.5L), 2);
        QCOMPARE(roundPixel(3.5L), 4);
        QCOMPARE(roundPixel(-2.5L), -2);
        QCOMPARE(roundPixel(lowest), std::numeric_limits<std::int32_t>::min());
        QCOMPARE(roundPixel(highest), std::numeric_limits<std::int32_t>::max());
        QCOMPARE(roundPixel(lowest - 0.5L),
                 std::numeric_limits<std::int32_t>::min()); // the half goes to even
        QVERIFY_THROWS_EXCEPTION(qv7::ERangeError, roundPixel(lowest - 1));
        QVERIFY_THROWS_EXCEPTION(qv7::ERangeError, roundPixel(highest + 1));
        QVERIFY_THROWS_EXCEPTION(qv7::ERangeError, roundPixel(std::numeric_limits<long double>::quiet_NaN()));
        QCOMPARE(qv7::draw::single(static_cast<long double>(FLT_MAX)), FLT_MAX);
        QVERIFY_THROWS_EXCEPTION(qv7::ERangeError, qv7::draw::single(2.0L * FLT_MAX));
        QVERIFY_THROWS_EXCEPTION(qv7::ERangeError, qv7::draw::single(-2.0L * FLT_MAX));
    }

    void construction_sets_the_documented_state() {
        TDraw draw;
        QCOMPARE(draw.Xmin(), -25.0f);
        QCOMPARE(draw.Xmax(), 110.0f);
        QCOMPARE(draw.Ymin(), -25.0f);
        QCOMPARE(draw.Ymax(), 110.0f);
        QCOMPARE(draw.ZoomLevel, 0);
        QCOMPARE(draw.ZoomMin, -1);
        QCOMPARE(draw.ZoomMax, 3);
        QCOMPARE(draw.NbSegment, 1);
        QCOMPARE(draw.Selected, -1);
        QCOMPARE(draw.Points[0], (TCurvePoint{0, 0}));
        QCOMPARE(draw.Points[1], (TCurvePoint{100, 100}));
        QCOMPARE(draw.Backup()[0], (TCurvePoint{0, 0}));
        QCOMPARE(draw.Backup()[1], (TCurvePoint{100, 100}));
        QCOMPARE(draw.BackupNbSegment(), 1);
        QCOMPARE(draw.DragIndex(), -1);
        QCOMPARE(draw.MovedIndex(), -1);
        QCOMPARE(draw.CursorX(), 0.0f);
        QCOMPARE(draw.CursorY(), 0.0f);
        // All other fields start at zero.
        QCOMPARE(draw.SpanX(), 0.0f);
        QCOMPARE(draw.SpanY(), 0.0f);
        QCOMPARE(draw.Clip(), false);
        QCOMPARE(draw.NbMaxSegment(), 0);
        QCOMPARE(draw.CursorDragging(), 0);
        QCOMPARE(draw.Shape(), TBackgroundShape::stRegangle);
        QCOMPARE(draw.cursor().shape(), Qt::CrossCursor);
        QCOMPARE(draw.Pen().color(), QColor(Qt::black));
        QCOMPARE(draw.Pen().width(), 1);
        QCOMPARE(draw.Brush().color(), QColor(Qt::white));
        QCOMPARE(draw.Brush().style(), Qt::SolidPattern);
        // The four edges went through the setters, each a change from zero: four repaints.
        QCOMPARE(draw.paintCount(), 4);
        // The owned curve description.
        QVERIFY(draw.Courbe() != nullptr);
        QCOMPARE(draw.Courbe()->Owner(), static_cast<QObject*>(&draw));
        QCOMPARE(draw.Courbe()->XStart(), 0.0);
        QCOMPARE(draw.Courbe()->XEnd(), 0.0);
        QCOMPARE(draw.Courbe()->Defined(), false);
        QCOMPARE(draw.Courbe()->Evaluate(42.0), 0.0);
    }

    void context_menu_holds_the_items_in_order_all_enabled() {
        TDraw draw;
        const QList<QAction*> top = draw.PopupMenu()->actions();
        QCOMPARE(top.size(), 3);
        QCOMPARE(top[0]->menu(), draw.ZoomMenu());
        QCOMPARE(top[0]->text(), QStringLiteral("Zoom"));
        QCOMPARE(draw.ZoomMenu()->objectName(), QStringLiteral("Z1"));
        QCOMPARE(top[1], draw.DeleteSegmentItem());
        QCOMPARE(top[1]->text(), QStringLiteral("Efface le segment"));
        QCOMPARE(top[2], draw.InsertSegmentItem());
        QCOMPARE(top[2]->text(), QStringLiteral("Insère un segment"));
        const QList<QAction*> zoom = draw.ZoomMenu()->actions();
        QCOMPARE(zoom.size(), 4);
        const QStringList captions{"1:1", "Centre", "Plus", "Moins"};
        const QList<QAction*> items{draw.ResetZoomItem(), draw.CentreItem(), draw.ZoomInItem(),
                                    draw.ZoomOutItem()};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(zoom[i], items[i]);
            QCOMPARE(zoom[i]->text(), captions[i]);
        }
        for (QAction* item : top + zoom)
            QVERIFY(item->isEnabled());
    }

    void before_the_first_UpdateCurve_paint_shows_only_background_and_DRAW() {
        TDraw draw;
        draw.resize(409, 401);
        draw.Paint();
        const QImage& image = draw.image();
        QCOMPARE(image.size(), QSize(409, 401));
        // One-pixel black frame around a white background.
        QCOMPARE(pixel(draw, 0, 0), Black);
        QCOMPARE(pixel(draw, 408, 400), Black);
        QCOMPARE(pixel(draw, 200, 0), Black);
        QCOMPARE(pixel(draw, 0, 200), Black);
        QCOMPARE(pixel(draw, 1, 1), White);
        QCOMPARE(pixel(draw, 407, 399), White);
        QVERIFY(showsText(draw, 5, 5, QStringLiteral("DRAW")));
        // Nothing else: no axis, no curve, no cross.
        QCOMPARE(countColour(image, Red), 0);
        const int textPixels = countColour(renderedText(draw.font(), QStringLiteral("DRAW")), Black);
        QCOMPARE(countColour(image, Black), 2 * 409 + 2 * 399 + textPixels);
    }

    void editor_control_after_UpdateCurve_shows_axes_marks_and_diagonal() {
        TDraw draw;
        setUpEditorControl(draw);
        // Axes cross at (round(409 * 25 / 135), round((1 - 25/135) * 401)) = (76, 327).
        QCOMPARE(draw.OriginPx(), 76);
        QCOMPARE(draw.OriginPy(), 327);
        // The cross starts at world (0, 0): column 76, and the curve's value there.
        // Move it out of the way of the axes to look at them.
        draw.SetCursorAt(col(50), 0);
        draw.Paint();
        // X axis along row 327 and Y axis down column 76, red (away from the curve and the cross).
        for (int x : {1, 40, 150, 300, 407})
            QCOMPARE(pixel(draw, x, 327), Red);
        for (int y : {1, 100, 250, 399})
            QCOMPARE(pixel(draw, 76, y), Red);
        QCOMPARE(pixel(draw, 75, 100), White);
        QCOMPARE(pixel(draw, 77, 100), White);
        QCOMPARE(pixel(draw, 150, 326), White);
        QCOMPARE(pixel(draw, 150, 328), White);
        // Full-scale mark on the Y axis: row of Y = 100 is 30, columns 71..80 (the last pixel left out).
        QCOMPARE(row(100), 30);
        for (int x = 71; x <= 80; ++x)
            QCOMPARE(pixel(draw, x, 30), Red);
        QCOMPARE(pixel(draw, 70, 30), White);
        QCOMPARE(pixel(draw, 81, 30), White);
        // Full-scale mark on the X axis: column of X = 100 is 379, rows 322..331.
        QCOMPARE(col(100), 379);
        for (int y = 322; y <= 331; ++y)
            QCOMPARE(pixel(draw, 379, y), Red);
        QCOMPARE(pixel(draw, 379, 321), White);
        QCOMPARE(pixel(draw, 379, 332), White);
        // The diagonal from (0, 0) to (100, 100): pixels (76, 327) to (379, 30), one black pixel in
        // each column on the straight line between them (away from the cross and the handles).
        for (int x = 90; x <= 360; ++x) {
            if (std::abs(x - col(50)) <= 1) continue;
            const double y = 327 - (x - 76) * 297.0 / 303.0;
            int found = -1;
            for (int yy = 1; yy < 400; ++yy) { // inside the frame
                if (pixel(draw, x, yy) == Black) {
                    QVERIFY2(found == -1, qPrintable(QStringLiteral("two pixels in column %1").arg(x)));
                    found = yy;
                }
            }
            QVERIFY2(std::abs(found - y) <= 1.0,
                     qPrintable(QStringLiteral("column %1 row %2").arg(x).arg(found)));
        }
        // The handles (Clip true): 10 x 10 squares around each point, frame columns px-5 and px+4.
        QCOMPARE(pixel(draw, 379 - 5, 30), Black);
        QCOMPARE(pixel(draw, 379 + 4, 30), Black);
        QCOMPARE(pixel(draw, 379 + 5, 30), White);
        QCOMPARE(pixel(draw, 379 - 6, 30), White);
        QCOMPARE(pixel(draw, 379, 30 - 5), Black);
        QCOMPARE(pixel(draw, 379, 30 + 4), Black);
        QCOMPARE(pixel(draw, 379, 30 + 5), White);
        // The curve's last pixel is left out: the point itself inside its square stays white.
        QCOMPARE(pixel(draw, 379, 30), White);
    }

    void pixel_points_follow_the_mapping_and_WorldToPixel_clamps() {
        TDraw draw;
        setUpEditorControl(draw);
        QCOMPARE(draw.PixelPoint(0), (TPixelPoint{76, 327}));
        QCOMPARE(draw.PixelPoint(1), (TPixelPoint{379, 30}));
        QCOMPARE(draw.WorldToPixel(0, 0), (TPixelPoint{76, 327}));
        // 2000 maps to round(2025 * 409 / 135) = 6135: clamped to 5000; -2000 to -5000 rows.
        QCOMPARE(draw.WorldToPixel(2000, 2000).x, 5000);
        QCOMPARE(draw.WorldToPixel(2000, 2000).y, -5000);
        QCOMPARE(draw.WorldToPixel(-2000, -2000), (TPixelPoint{-5000, 5000}));
        // Half to even: a world x whose column is exactly k + 0.5. W / span = 409/135, so with a
        // 270-pixel control and span 135 the factor is 2: x = -25 + 0.25 gives 0.5 -> 0, 0.75 -> 2.
        draw.resize(270, 270);
        draw.UpdateCurve();
        QCOMPARE(draw.WorldToPixel(-24.75f, 0).x, 0);
        QCOMPARE(draw.WorldToPixel(-24.25f, 0).x, 2);
    }

    void a_pixel_beyond_32_bits_is_the_range_error_and_the_curve_stays() {
        TDraw draw;
        setUpEditorControl(draw);
        QVERIFY_THROWS_EXCEPTION(qv7::ERangeError, draw.WorldToPixel(1e12f, 0));
        draw.Points[1] = {1e12f, 100};
        QVERIFY_THROWS_EXCEPTION(qv7::ERangeError, draw.UpdateCurve());
        QCOMPARE(draw.Points[1], (TCurvePoint{1e12f, 100}));
        QCOMPARE(draw.PixelPoint(1), (TPixelPoint{379, 30})); // left as they were
        try {
            draw.WorldToPixel(1e12f, 0);
        } catch (const qv7::ERangeError& error) {
            QCOMPARE(QString::fromUtf8(error.what()), QStringLiteral("Erreur de vérification d'étendue"));
        }
    }

    void an_index_outside_0_to_360_is_the_range_error() {
        TDraw draw;
        QVERIFY_THROWS_EXCEPTION(qv7::ERangeError, draw.Points[361]);
        QVERIFY_THROWS_EXCEPTION(qv7::ERangeError, draw.Points[-1]);
        draw.Points[360] = {1, 2};
        QCOMPARE(draw.Points[360], (TCurvePoint{1, 2}));
        setUpEditorControl(draw);
        draw.NbSegment = 361;
        QVERIFY_THROWS_EXCEPTION(qv7::ERangeError, draw.UpdateCurve());
        draw.NbSegment = 1;
        draw.Selected = 400;
        QVERIFY_THROWS_EXCEPTION(qv7::ERangeError, draw.ShowPointInfo());
    }

    void the_range_error_ends_at_the_event_loop_with_the_curve_intact() {
        auto* app = TestApplication::instance();
        app->errors.clear();
        TDraw draw;
        setUpEditorControl(draw);
        draw.NbSegment = 400; // the hit test would index past 360
        const TCurvePoint before0 = draw.Points[0], before1 = draw.Points[1];
        // The press handler runs from the event loop (queued, so that the error does not unwind
        // through Qt's mouse delivery, which leaks its bookkeeping under LeakSanitizer).
        QMetaObject::invokeMethod(
            &draw, [&] { draw.DrawMouseDown(TMouseButton::mbLeft, ssLeft, 200, 200); }, Qt::QueuedConnection);
        QTRY_COMPARE(app->errors, QStringList{QStringLiteral("Erreur de vérification d'étendue")});
        QCOMPARE(draw.Points[0], before0);
        QCOMPARE(draw.Points[1], before1);
        QCOMPARE(draw.NbSegment, 400);
        // The control goes on working once the curve is whole again.
        draw.NbSegment = 1;
        draw.UpdateCurve();
        draw.DrawMouseDown(TMouseButton::mbLeft, ssLeft, 379, 30);
        QCOMPARE(draw.Selected, 1);
        app->errors.clear();
    }

    void setters_compare_then_repaint() {
        TDraw draw;
        const int start = draw.paintCount();
        draw.setXmin(-25); // its current value
        QCOMPARE(draw.paintCount(), start);
        draw.setXmin(-10);
        QCOMPARE(draw.paintCount(), start + 1);
        QCOMPARE(draw.Xmin(), -10.0f);
        QCOMPARE(draw.SpanX(), 0.0f); // not recomputed until UpdateCurve
        draw.setClip(false);
        QCOMPARE(draw.paintCount(), start + 1);
        draw.setClip(true);
        QCOMPARE(draw.paintCount(), start + 2);
        draw.setShape(TBackgroundShape::stRegangle);
        QCOMPARE(draw.paintCount(), start + 2);
        draw.UpdateCurve();
        QCOMPARE(draw.SpanX(), 120.0f);
    }

    void NbMaxSegment_is_held_to_359() {
        TDraw draw;
        int count = draw.paintCount();
        draw.setNbMaxSegment(400);
        QCOMPARE(draw.NbMaxSegment(), 359);
        QCOMPARE(draw.paintCount(), ++count);
        draw.setNbMaxSegment(400); // 360 or more always repaints
        QCOMPARE(draw.paintCount(), ++count);
        draw.setNbMaxSegment(360);
        QCOMPARE(draw.NbMaxSegment(), 359);
        QCOMPARE(draw.paintCount(), ++count);
        draw.setNbMaxSegment(359); // stored as it is, unchanged: no repaint
        QCOMPARE(draw.NbMaxSegment(), 359);
        QCOMPARE(draw.paintCount(), count);
        draw.setNbMaxSegment(32);
        QCOMPARE(draw.NbMaxSegment(), 32);
        QCOMPARE(draw.paintCount(), ++count);
    }

    void the_brush_colours_the_background() {
        TDraw draw;
        setUpEditorControl(draw);
        draw.setBrush(QBrush(QColor(255, 255, 0)));
        QCOMPARE(pixel(draw, 0, 0), Black);
        QCOMPARE(pixel(draw, 30, 200), 0xFFFFFF00u);
        // The handles are filled with white in not-xor: the background shows through them.
        QCOMPARE(pixel(draw, 379 + 2, 30 + 2), 0xFFFFFF00u);
    }

    void clipping_follows_cohen_sutherland() {
        const TClipRect rect{0, 0, 100, 100};
        TClipSegment s{-100, 50, 50, 50};
        QVERIFY(qv7::clipSegment(rect, s));
        QCOMPARE(s.x1, 0);
        QCOMPARE(s.y1, 50);
        QCOMPARE(s.x2, 50);
        QCOMPARE(s.y2, 50);
        // Wholly left: not drawn.
        s = {-100, 10, -50, 90};
        QVERIFY(!qv7::clipSegment(rect, s));
        // The edges are inside.
        s = {0, 0, 100, 100};
        QVERIFY(qv7::clipSegment(rect, s));
        QCOMPARE(s.x1, 0);
        QCOMPARE(s.x2, 100);
        // The inside end comes second: ends swapped.
        s = {50, 50, 150, 50};
        QVERIFY(qv7::clipSegment(rect, s));
        QCOMPARE(s.x1, 100);
        QCOMPARE(s.y1, 50);
        QCOMPARE(s.x2, 50);
        // Slope rounded half to even: from (-1, 0) to (1, 1) the left edge is met at y 0.5 -> 0;
        // from (-1, 1) to (1, 4) at 1 + 1.5 -> 3.
        s = {-1, 0, 1, 1};
        QVERIFY(qv7::clipSegment(rect, s));
        QCOMPARE(s.x1, 0);
        QCOMPARE(s.y1, 0);
        s = {-1, 1, 1, 4};
        QVERIFY(qv7::clipSegment(rect, s));
        QCOMPARE(s.y1, 3);
        // Left and top in one pass (left first), then top again: from (-10, -20) to (50, 40).
        s = {-10, -20, 50, 40};
        QVERIFY(qv7::clipSegment(rect, s));
        QCOMPARE(s.x1, 10);
        QCOMPARE(s.y1, 0);
        // Through a corner region but missing the rectangle: (-50, 30) to (30, -50).
        s = {-50, 30, 30, -51};
        QVERIFY(!qv7::clipSegment(rect, s));
    }

    void a_clipped_line_is_drawn_from_the_edge_and_the_pen_moves_anyway() {
        TDraw draw;
        draw.resize(100, 100);
        draw.Paint(); // spans zero: the background and DRAW; pen black, copy mode
        TDraw::SetClipRect({0, 0, 100, 100});
        draw.ClipMoveTo(-100, 50);
        draw.ClipLineTo(50, 50);
        for (int x = 0; x <= 49; ++x)
            QCOMPARE(pixel(draw, x, 50), Black);
        QCOMPARE(pixel(draw, 50, 50), White); // the line's last pixel is left out
        QCOMPARE(TDraw::ClipPenPos(), (TPixelPoint{50, 50}));
        const QImage before = draw.image();
        draw.ClipMoveTo(-100, 10);
        draw.ClipLineTo(-50, 90);
        QCOMPARE(draw.image(), before);
        QCOMPARE(TDraw::ClipPenPos(), (TPixelPoint{-50, 90}));
    }

    void the_clip_rectangle_and_pen_are_shared_by_all_instances() {
        TDraw big, small;
        setUpEditorControl(big);
        small.resize(100, 100);
        small.UpdateCurve();
        QCOMPARE(TDraw::ClipRect().Right, 100);
        big.Paint();
        // The X axis of the big control lies on row 327, below the shared rectangle: not drawn.
        QCOMPARE(pixel(big, 200, 327), White);
        // The cross's vertical line there is clipped at row 100, which puts that end first: its
        // dashes count from row 100 upwards, off on rows 82..77.
        QCOMPARE(pixel(big, 76, 80), Red);
        QCOMPARE(pixel(big, 76, 90), notXor(Blue, Red));
        small.ClipMoveTo(7, 8);
        QCOMPARE(TDraw::ClipPenPos(), (TPixelPoint{7, 8}));
        big.UpdateCurve();
        QCOMPARE(pixel(big, 200, 327), Red);
    }

    void drawing_curve_and_cross_twice_restores_the_image_data() {
        QTest::addColumn<int>("penWidth");
        QTest::addColumn<int>("penStyle");
        QTest::addColumn<bool>("clip");
        QTest::newRow("default pen, handles") << 1 << int(Qt::SolidLine) << true;
        QTest::newRow("no handles") << 1 << int(Qt::SolidLine) << false;
        QTest::newRow("wide pen") << 3 << int(Qt::SolidLine) << true;
        QTest::newRow("dotted pen") << 1 << int(Qt::DotLine) << true;
    }
    void drawing_curve_and_cross_twice_restores_the_image() {
        QFETCH(int, penWidth);
        QFETCH(int, penStyle);
        QFETCH(bool, clip);
        TDraw draw;
        setUpEditorControl(draw);
        draw.setClip(clip);
        draw.setPen(QPen(QColor(0, 128, 0), penWidth, Qt::PenStyle(penStyle)));
        setCurve(draw, {{-40, -10}, {10, 5}, {30, 40}, {30, 60}, {70, 50}, {120, 130}});
        draw.Selected = 2;
        draw.SetCursorAt(col(45), 0);
        draw.Paint();
        const QImage painted = draw.image();
        draw.DrawCurve();
        QVERIFY(draw.image() != painted);
        draw.DrawCurve();
        QCOMPARE(draw.image(), painted);
        draw.DrawCursor();
        QVERIFY(draw.image() != painted);
        draw.DrawCursor();
        QCOMPARE(draw.image(), painted);
        // Erasing both and drawing both again, in the other order.
        draw.DrawCursor();
        draw.DrawCurve();
        draw.DrawCursor();
        draw.DrawCurve();
        QCOMPARE(draw.image(), painted);
    }

    void the_curve_is_drawn_in_not_xor() {
        TDraw draw;
        setUpEditorControl(draw);
        const QRgb green = 0xFF008000;
        draw.setPen(QPen(QColor::fromRgb(green)));
        // A horizontal curve at Y = 50 across the Y axis; the cross on it at X = 35 draws its
        // horizontal line along the same row (18 pixels on, 6 off from column 0).
        setCurve(draw, {{-20, 50}, {80, 50}});
        draw.SetCursorAt(col(35), 0);
        draw.Paint();
        const int y = row(50);
        // On white, where the cross's dash is off (162 mod 24 = 18): the pen's colour.
        QCOMPARE(pixel(draw, 162, y), green);
        // Where the dash is on (150 mod 24 = 6): blue over green over white.
        QCOMPARE(pixel(draw, 150, y), notXor(Blue, notXor(green, White)));
        // On the red Y axis (76 mod 24 = 4, dash on): axis, curve and cross combined.
        QCOMPARE(pixel(draw, 76, y), notXor(Blue, notXor(green, Red)));
        QCOMPARE(pixel(draw, 76, y), 0xFFFF80FFu);
        QCOMPARE(pixel(draw, 100, y + 1), White);
    }

    void handles_selected_thick_even_without_clip_others_only_with_clip() {
        TDraw draw;
        setUpEditorControl(draw);
        setCurve(draw, {{20, 50}, {50, 50}, {80, 50}});
        draw.Selected = 1;
        draw.SetCursorAt(col(35), 0);
        const int py = row(50);
        for (bool clip : {true, false}) {
            draw.setClip(clip);
            draw.Paint();
            // Selected (50, 50): pen width 3 centred on the frame row py - 5, so rows py-6..py-4.
            const int sx = col(50);
            QCOMPARE(pixel(draw, sx, py - 7), White);
            QCOMPARE(pixel(draw, sx, py - 6), Black);
            QCOMPARE(pixel(draw, sx, py - 5), Black);
            QCOMPARE(pixel(draw, sx, py - 4), Black);
            QCOMPARE(pixel(draw, sx, py - 3), White);
            // The others: one-pixel frames at py - 5, only when Clip is true.
            for (double x : {20.0, 80.0}) {
                QCOMPARE(pixel(draw, col(x), py - 5), clip ? Black : White);
                QCOMPARE(pixel(draw, col(x), py - 6), White);
                QCOMPARE(pixel(draw, col(x), py - 4), White);
            }
        }
    }

    void the_cross_is_dashed_blue_and_follows_the_curve() {
        TDraw draw;
        setUpEditorControl(draw);
        setCurve(draw, {{0, 0}, {50, 80}, {100, 100}});
        draw.SetCursorAt(col(25), 123);
        // The cross's world X is that of its column; Y the curve's value there.
        QCOMPARE(draw.CursorPx(), col(25));
        const double x = col(25) * 135.0 / 409.0 - 25;
        QVERIFY(qAbs(draw.CursorX() - x) < 1e-4);
        QVERIFY(qAbs(draw.CursorY() - x * 80 / 50) < 1e-3);
        QCOMPARE(draw.CursorSegment(), 0);
        QCOMPARE(draw.CursorPy(), qRound((1 - (x * 80 / 50 + 25) / 135) * 401));
        draw.Paint();
        // Vertical line from row 0 down: 18 pixels on, 6 off (the frame row 0 is black under it).
        const int cx = draw.CursorPx();
        QCOMPARE(pixel(draw, cx, 0), notXor(Blue, Black));
        for (int y = 1; y < 18; ++y)
            QCOMPARE(pixel(draw, cx, y), Blue);
        for (int y = 18; y < 24; ++y)
            QCOMPARE(pixel(draw, cx, y), White);
        QCOMPARE(pixel(draw, cx, 24), Blue);
        // Horizontal line from column 0.
        const int cy = draw.CursorPy();
        for (int x2 = 1; x2 < 18; ++x2)
            QCOMPARE(pixel(draw, x2, cy), Blue);
        QCOMPARE(pixel(draw, 20, cy), White);
    }

    void the_cross_stops_at_the_ends_of_the_curve() {
        TDraw draw;
        setUpEditorControl(draw);
        setCurve(draw, {{10, 20}, {60, 70}});
        draw.SetCursorAt(400, 0);
        QCOMPARE(draw.CursorX(), 60.0f);
        QCOMPARE(draw.CursorPx(), col(60));
        QCOMPARE(draw.CursorY(), 70.0f);
        draw.SetCursorAt(-30, 0);
        QCOMPARE(draw.CursorX(), 10.0f);
        QCOMPARE(draw.CursorPx(), col(10));
        QCOMPARE(draw.CursorPy(), row(20));
    }

    void interpolate_at_points_and_on_a_zero_width_last_segment() {
        TDraw draw;
        setUpEditorControl(draw);
        setCurve(draw, {{0, 0}, {30, 45}, {60, 20}, {100, 100}});
        QCOMPARE(draw.Interpolate(30), 45.0f);
        QCOMPARE(draw.CursorSegment(), 1);
        QCOMPARE(draw.Interpolate(60), 20.0f);
        QCOMPARE(draw.Interpolate(45), 32.5f);
        QCOMPARE(draw.Interpolate(200), 20 + 80 * 140 / 40.0f); // the last segment, extended
        QCOMPARE(draw.CursorSegment(), 2);
        // A last segment of zero width and zero rise: its Y.
        setCurve(draw, {{0, 0}, {60, 40}, {60, 40}});
        QCOMPARE(draw.Interpolate(60), 40.0f);
        // ... and with a rise: t = 1e38 is held within the single range, the cross's row within
        // -5000..5000, and no error.
        setCurve(draw, {{0, 0}, {60, 40}, {60, 90}});
        QCOMPARE(draw.Interpolate(60), FLT_MAX);
        draw.SetCursorAt(col(100), 0);
        QCOMPARE(draw.CursorX(), 60.0f);
        QCOMPARE(draw.CursorY(), FLT_MAX);
        QCOMPARE(draw.CursorPy(), -5000);
        draw.UpdateCurve(); // the cross's place is mapped again: held, no error
        QCOMPARE(draw.CursorPy(), -5000);
        setCurve(draw, {{0, 0}, {60, 40}, {60, -90}});
        draw.SetCursorAt(col(100), 0);
        QCOMPARE(draw.CursorPy(), 5000);
        draw.Paint();
    }

    void point_and_cross_texts_use_the_pattern_and_the_separator() {
        TDraw draw;
        setUpEditorControl(draw);
        setCurve(draw, {{0, 0}, {48.04f, -3.25f}, {100, 100}});
        draw.Selected = 1;
        qv7::setDecimalSeparator(QLatin1Char('.'));
        draw.Paint();
        QVERIFY(showsText(draw, 5, 5, QStringLiteral("S=1  ")));
        QVERIFY(showsText(draw, 5, 25, QStringLiteral("X=48.0  ")));
        QVERIFY(showsText(draw, 5, 45, QStringLiteral("Y=-3.3  ")));
        qv7::setDecimalSeparator(QLatin1Char(','));
        draw.Paint();
        QVERIFY(showsText(draw, 5, 25, QStringLiteral("X=48,0  ")));
        // The cross's text: segment, X and Y of the cross.
        draw.SetCursorAt(col(100), 0);
        QVERIFY(showsText(draw, 5, 5, QStringLiteral("S=1  ")));
        QVERIFY(showsText(draw, 5, 25, QStringLiteral("X=100,0  ")));
        QVERIFY(showsText(draw, 5, 45, QStringLiteral("Y=100,0  ")));
        qv7::setDecimalSeparator(qv7::systemDecimalSeparator());
        // Nothing selected: Paint leaves the cross's text... no text is written by ShowPointInfo.
        draw.Selected = -1;
        draw.Paint();
        QVERIFY(!showsText(draw, 5, 5, QStringLiteral("S=1  ")));
    }

    void undo_restores_the_backup_but_not_the_selection() {
        TDraw draw;
        setUpEditorControl(draw);
        int changes = 0;
        draw.OnChange = [&](TDraw* sender) {
            QCOMPARE(sender, &draw);
            ++changes;
        };
        setCurve(draw, {{0, 0}, {40, 60}, {100, 100}}); // UpdateCurve takes the backup
        QCOMPARE(changes, 1);
        draw.Points[1] = {45, 10};
        draw.Points[3] = {120, 120};
        draw.NbSegment = 3;
        draw.Selected = 3;
        draw.Undo();
        QCOMPARE(changes, 2);
        QCOMPARE(draw.NbSegment, 2);
        QCOMPARE(draw.Points[1], (TCurvePoint{40, 60}));
        QCOMPARE(draw.Points[3], (TCurvePoint{0, 0}));
        QCOMPARE(draw.Selected, 3);
        QCOMPARE(draw.PixelPoint(1), (TPixelPoint{col(40), row(60)}));
    }

    void update_curve_raises_on_change_before_painting() {
        TDraw draw;
        draw.resize(409, 401);
        draw.Paint();
        int paintsAtChange = -1;
        draw.OnChange = [&](TDraw*) { paintsAtChange = draw.paintCount(); };
        const int before = draw.paintCount();
        draw.UpdateCurve();
        QCOMPARE(paintsAtChange, before);
        QCOMPARE(draw.paintCount(), before + 1);
    }

    void a_span_that_is_not_positive_draws_DRAW_and_maps_to_pixel_zero() {
        TDraw draw;
        setUpEditorControl(draw);
        draw.setXmax(-25); // span 0
        draw.UpdateCurve();
        QVERIFY(showsText(draw, 5, 5, QStringLiteral("DRAW")));
        QCOMPARE(countColour(draw.image(), Red), 0);
        QCOMPARE(draw.CursorPx(), 0);
        QCOMPARE(draw.WorldToPixel(50, 50).x, 0);
        draw.setXmax(-100); // negative
        draw.UpdateCurve();
        QCOMPARE(draw.WorldToPixel(50, 50).x, 0);
        // The pixels were left as they were; editing and zooming raise nothing.
        QCOMPARE(draw.PixelPoint(1), (TPixelPoint{379, 30}));
        draw.DrawMouseDown(TMouseButton::mbLeft, ssLeft | ssDouble, 100, 100);
        draw.DrawMouseMove(ssLeft, 120, 100);
        draw.DrawMouseUp(TMouseButton::mbLeft, 0, 120, 100);
        draw.ZoomInClick();
        draw.CentreClick();
        // A control of no size.
        draw.ResetZoomClick();
        draw.resize(0, 0);
        draw.UpdateCurve();
        draw.SetCursorAt(10, 10);
        QCOMPARE(draw.CursorX(), draw.Points[0].X);
    }

    void paint_event_copies_the_image_to_the_screen() {
        TDraw draw;
        setUpEditorControl(draw);
        draw.show();
        QVERIFY(QTest::qWaitForWindowExposed(&draw));
        const QImage screen = draw.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(screen.size(), draw.image().size());
        QCOMPARE(screen, draw.image());
        // A new size repaints the image at that size.
        draw.resize(300, 200);
        QCOMPARE(draw.image().size(), QSize(300, 200));
    }
};

QV7_DRAW_TEST_MAIN(TestDrawPlot)
#include "tst_DrawPlot.moc"
