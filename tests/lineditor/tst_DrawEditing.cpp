// The curve plot control's editing: picking and dragging points, insertion and deletion
// by key, menu and modifier, the context menu's states, the zoom steps and their limits, and the
// cursor cross's drag. Mouse input goes through Qt's events where the wiring matters and through
// the control's handlers where exact modifiers and double clicks are wanted.
#include "DrawTestSupport.h"

#include <QAction>
#include <QMenu>
#include <QTest>

using namespace drawtest;

namespace {

int col(double x) {
    return qRound((x + 25) * 409 / 135);
}
int row(double y) {
    return qRound((1 - (y + 25) / 135) * 401);
}

void press(TDraw& draw, int x, int y, TShiftState shift = 0) {
    draw.DrawMouseDown(TMouseButton::mbLeft, shift | ssLeft, x, y);
}
void release(TDraw& draw, int x, int y) {
    draw.DrawMouseUp(TMouseButton::mbLeft, 0, x, y);
}

} // namespace

class TestDrawEditing : public QObject {
    Q_OBJECT

private slots:
    void right_press_sets_the_segment_items_and_pops_the_menu_up() {
        TDraw draw;
        setUpEditorControl(draw);
        draw.show();
        QVERIFY(QTest::qWaitForWindowExposed(&draw));
        QTest::mousePress(&draw, Qt::RightButton, {}, QPoint(200, 100));
        QCOMPARE(draw.DownX(), 200);
        QCOMPARE(draw.DownY(), 100);
        QVERIFY(!draw.DeleteSegmentItem()->isEnabled());
        QVERIFY(!draw.InsertSegmentItem()->isEnabled());
        QVERIFY(draw.PopupMenu()->isVisible());
        QCOMPARE(draw.PopupMenu()->pos(), draw.mapToGlobal(QPoint(200, 100)));
        draw.PopupMenu()->hide();
        QCOMPARE(draw.Selected, -1); // nothing else happened
        // Pick a point, then the right press enables both.
        press(draw, 379, 30);
        release(draw, 379, 30);
        QCOMPARE(draw.Selected, 1);
        draw.DrawMouseDown(TMouseButton::mbRight, ssRight, 10, 10);
        QVERIFY(draw.DeleteSegmentItem()->isEnabled());
        QVERIFY(draw.InsertSegmentItem()->isEnabled());
        draw.PopupMenu()->hide();
    }

    void other_buttons_only_record_the_press() {
        TDraw draw;
        setUpEditorControl(draw);
        const int paints = draw.paintCount();
        draw.DrawMouseDown(TMouseButton::mbMiddle, ssMiddle, 379, 30);
        QCOMPARE(draw.DownX(), 379);
        QCOMPARE(draw.Selected, -1);
        QCOMPARE(draw.paintCount(), paints);
    }

    void a_press_picks_the_lowest_index_within_five_pixels() {
        TDraw draw;
        setUpEditorControl(draw);
        // Points 1 and 2 four pixels apart: columns 227 and 231 on the same row.
        const float x2 = float((231 + 0.2) * 135 / 409 - 25);
        setCurve(draw, {{0, 0}, {50, 50}, {x2, 50}, {100, 100}});
        QCOMPARE(draw.PixelPoint(1).x, 227);
        QCOMPARE(draw.PixelPoint(2).x, 231);
        int selects = 0;
        draw.OnSelect = [&](TDraw* sender) {
            QCOMPARE(sender, &draw);
            ++selects;
        };
        press(draw, 231, row(50));
        QCOMPARE(draw.Selected, 1);
        QCOMPARE(draw.DragIndex(), 1);
        QCOMPARE(selects, 1);
        release(draw, 231, row(50));
        // The bounds are strict: five pixels away is no hit.
        press(draw, 232, row(50));
        QCOMPARE(draw.Selected, 2);
        release(draw, 232, row(50));
        press(draw, 227, row(50) + 5);
        QCOMPARE(draw.Selected, -1);
        QCOMPARE(draw.DragIndex(), -1);
        QCOMPARE(selects, 3); // the cleared selection is said too
        release(draw, 227, row(50) + 5);
    }

    void with_clip_false_no_point_is_picked() {
        TDraw draw;
        setUpEditorControl(draw);
        draw.setClip(false);
        draw.Selected = 1;
        const int paints = draw.paintCount();
        press(draw, 379, 30);
        QCOMPARE(draw.Selected, 1);
        QCOMPARE(draw.DragIndex(), -1);
        QCOMPARE(draw.paintCount(), paints);
    }

    void dragging_stops_at_the_neighbours_column_and_at_row_zero() {
        TDraw draw;
        setUpEditorControl(draw);
        draw.show();
        QVERIFY(QTest::qWaitForWindowExposed(&draw));
        setCurve(draw, {{0, 0}, {50, 50}, {100, 100}});
        int changes = 0;
        draw.OnChange = [&](TDraw*) { ++changes; };
        // Through Qt's events: press on point 0 at (76, 327) and drag it right past point 1.
        QTest::mousePress(&draw, Qt::LeftButton, {}, QPoint(76, 327));
        QCOMPARE(draw.DragIndex(), 0);
        QCOMPARE(draw.MovedIndex(), -1);
        QTest::mouseMove(&draw, QPoint(300, 320));
        QCOMPARE(draw.MovedIndex(), 0);
        QCOMPARE(draw.PixelPoint(0), (TPixelPoint{col(50), 320}));
        QCOMPARE(changes, 0); // no event while dragging
        // Above the control: row 0.
        QTest::mouseMove(&draw, QPoint(150, -40));
        QCOMPARE(draw.PixelPoint(0), (TPixelPoint{150, 0}));
        // Left of the control: column 0 for the first point.
        QTest::mouseMove(&draw, QPoint(-20, 500));
        QCOMPARE(draw.PixelPoint(0), (TPixelPoint{0, 401}));
        QTest::mouseMove(&draw, QPoint(100, 300));
        QTest::mouseRelease(&draw, Qt::LeftButton, {}, QPoint(100, 300));
        QCOMPARE(changes, 1);
        QCOMPARE(draw.DragIndex(), -1);
        QCOMPARE(draw.MovedIndex(), -1);
        QCOMPARE(draw.CursorDragging(), -1);
        const float x = float(100 * 135.0 / 409 - 25), y = float((1 - 300.0 / 401) * 135 - 25);
        QVERIFY(qAbs(draw.Points[0].X - x) < 1e-4);
        QVERIFY(qAbs(draw.Points[0].Y - y) < 1e-4);
        // The undo copy holds the dragged curve.
        QCOMPARE(draw.Backup()[0], draw.Points[0]);
        // The last point stops at the control's right edge, point 1 between its neighbours.
        press(draw, col(100), row(100));
        draw.DrawMouseMove(ssLeft, 600, 30);
        QCOMPARE(draw.PixelPoint(2).x, 409);
        release(draw, 600, 30);
        press(draw, col(50), row(50));
        draw.DrawMouseMove(ssLeft, 20, 600);
        QCOMPARE(draw.PixelPoint(1), (TPixelPoint{100, 401}));
        release(draw, 20, 600);
    }

    void a_drag_step_draws_what_a_full_paint_draws_and_updates_a_small_area_data() {
        QTest::addColumn<int>("penWidth");
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("selected"); // false: the selection is cleared once the drag began
        QTest::newRow("middle point") << 1 << 3 << true;
        QTest::newRow("first point") << 1 << 0 << true;
        QTest::newRow("last point") << 1 << 6 << true;
        QTest::newRow("wide pen, middle") << 2 << 3 << true;
        QTest::newRow("wide pen, nothing selected") << 2 << 3 << false;
    }
    void a_drag_step_draws_what_a_full_paint_draws_and_updates_a_small_area() {
        QFETCH(int, penWidth);
        QFETCH(int, index);
        QFETCH(bool, selected);
        TDraw draw;
        setUpEditorControl(draw);
        draw.setPen(QPen(Qt::black, penWidth));
        setCurve(draw, {{0, 0}, {12, 4}, {30, 18}, {48, 41}, {65, 63}, {82, 86}, {100, 100}});
        const TPixelPoint start = draw.PixelPoint(index);
        press(draw, start.x, start.y);
        QCOMPARE(draw.Selected, index);
        if (!selected) {
            draw.Selected = -1;
            draw.Paint();
        }
        draw.takeUpdatedRegion();
        for (int step = 1; step <= 5; ++step) {
            draw.DrawMouseMove(ssLeft, start.x + 3 * step, start.y - 2 * step);
            const QRegion updated = draw.takeUpdatedRegion();
            int area = 0;
            QStringList rects;
            for (const QRect& r : updated) {
                area += r.width() * r.height();
                rects << QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
            }
            QVERIFY2(area < 409 * 401 / 8, qPrintable(rects.join(QStringLiteral("; "))));
            // The erased and redrawn figure is the one a full paint draws now.
            const QImage stepped = draw.image();
            draw.Paint();
            QCOMPARE(stepped, draw.image());
            draw.takeUpdatedRegion();
        }
        release(draw, start.x + 15, start.y - 10);
    }

    void ctrl_press_inserts_at_the_press_selects_the_new_point_and_drags_it() {
        TDraw draw;
        setUpEditorControl(draw);
        draw.show();
        QVERIFY(QTest::qWaitForWindowExposed(&draw));
        setCurve(draw, {{0, 0}, {30, 20}, {60, 70}, {100, 100}});
        draw.Selected = 3;
        int changes = 0;
        draw.OnChange = [&](TDraw*) { ++changes; };
        const QPoint at(320, 150); // between the columns of points 2 (258) and 3 (379)
        QTest::mousePress(&draw, Qt::LeftButton, Qt::ControlModifier, at);
        QCOMPARE(draw.NbSegment, 4);
        QCOMPARE(draw.PixelPoint(3), (TPixelPoint{320, 150}));
        QCOMPARE(draw.Points[4], (TCurvePoint{100, 100}));
        QCOMPARE(draw.Selected, 3);
        QCOMPARE(draw.DragIndex(), 3);
        QCOMPARE(changes, 1);
        QTest::mouseMove(&draw, QPoint(330, 140));
        QTest::mouseRelease(&draw, Qt::LeftButton, Qt::ControlModifier, QPoint(330, 140));
        QCOMPARE(draw.PixelPoint(3), (TPixelPoint{330, 140}));
        QVERIFY(qAbs(draw.Points[3].X - float(330 * 135.0 / 409 - 25)) < 1e-4);
        QVERIFY(qAbs(draw.Points[3].Y - float((1 - 140.0 / 401) * 135 - 25)) < 1e-4);
        QCOMPARE(changes, 2);
        QCOMPARE(draw.BackupNbSegment(), 4); // committed by the release
    }

    void ctrl_press_outside_the_selected_segment_beeps_and_snaps() {
        TDraw draw;
        setUpEditorControl(draw);
        setCurve(draw, {{0, 0}, {30, 20}, {60, 70}, {100, 100}});
        draw.Selected = 2;
        draw.Points[2] = {60.01f, 70.01f}; // not yet on its pixel
        int changes = 0;
        draw.OnChange = [&](TDraw*) { ++changes; };
        const int beeps = draw.beepCount();
        press(draw, 350, 200, ssCtrl); // right of point 2's column
        QCOMPARE(draw.beepCount(), beeps + 1);
        QCOMPARE(draw.NbSegment, 3);
        QCOMPARE(changes, 1);
        const TPixelPoint p = draw.PixelPoint(2);
        QCOMPARE(draw.Points[2].X, float(p.x * 135.0L / 409 - 25));
        release(draw, 350, 200);
        // No selection, or the first point: nothing, no beep, no event; the control repaints.
        for (int selected : {-1, 0}) {
            draw.Selected = selected;
            const int paints = draw.paintCount();
            draw.InsertSegmentClick();
            QCOMPARE(draw.beepCount(), beeps + 1);
            QCOMPARE(changes, 1);
            QCOMPARE(draw.paintCount(), paints + 1);
        }
    }

    void alt_press_deletes_the_picked_point_but_never_below_two_points() {
        TDraw draw;
        setUpEditorControl(draw);
        int changes = 0;
        draw.OnChange = [&](TDraw*) { ++changes; };
        // Two points: nothing deleted, the menu path still raises OnChange.
        press(draw, 379, 30, ssAlt);
        QCOMPARE(draw.NbSegment, 1);
        QCOMPARE(draw.Selected, 1);
        QCOMPARE(draw.DragIndex(), -1);
        QCOMPARE(changes, 1);
        release(draw, 379, 30);
        // Three points: the middle one goes, the point that took its index is selected.
        setCurve(draw, {{0, 0}, {50, 30}, {100, 100}});
        changes = 0;
        press(draw, col(50), row(30), ssAlt);
        QCOMPARE(draw.NbSegment, 1);
        QCOMPARE(draw.Points[1], (TCurvePoint{100, 100}));
        QCOMPARE(draw.Selected, 1);
        QCOMPARE(changes, 2); // RemovePoint's and the menu action's
        release(draw, col(50), row(30));
        // The last of three: the new last point is selected.
        setCurve(draw, {{0, 0}, {50, 30}, {100, 100}});
        press(draw, col(100), row(100), ssAlt);
        QCOMPARE(draw.NbSegment, 1);
        QCOMPARE(draw.Points[1], (TCurvePoint{50, 30}));
        QCOMPARE(draw.Selected, 1);
        release(draw, col(100), row(100));
        // Through Qt's events with the Alt key.
        setCurve(draw, {{0, 0}, {50, 30}, {100, 100}});
        draw.show();
        QVERIFY(QTest::qWaitForWindowExposed(&draw));
        QTest::mouseClick(&draw, Qt::LeftButton, Qt::AltModifier, QPoint(col(50), row(30)));
        QCOMPARE(draw.NbSegment, 1);
    }

    void the_insert_key_stops_at_NbMaxSegment_the_menu_at_360_points() {
        TDraw draw;
        setUpEditorControl(draw); // NbMaxSegment 32
        draw.Selected = 1;
        for (int k = 0; k < 50; ++k)
            draw.SplitSegment(draw.Selected);
        QCOMPARE(draw.NbSegment, 31); // 32 points
        // Each split halves the segment before the selection and selects the new point.
        QCOMPARE(draw.DragIndex(), -1);
        // Ctrl + left press goes on: each press inserts at the press and picks the new point.
        setCurve(draw, {{0, 0}, {100, 100}});
        draw.Selected = 1;
        const int beeps = draw.beepCount();
        for (int k = 0; k < 400; ++k) {
            press(draw, 200, 200, ssCtrl);
            release(draw, 200, 200);
        }
        QCOMPARE(draw.NbSegment, 359); // 360 points
        QCOMPARE(draw.beepCount(), beeps);
        // The menu item too stops there.
        draw.InsertSegmentClick();
        QCOMPARE(draw.NbSegment, 359);
    }

    void split_segment_puts_the_pixel_midpoint_before_the_selection() {
        TDraw draw;
        setUpEditorControl(draw);
        setCurve(draw, {{0, 0}, {50, 50}, {100, 100}});
        draw.Selected = 2;
        int changes = 0;
        draw.OnChange = [&](TDraw*) { ++changes; };
        draw.SplitSegment(2);
        QCOMPARE(draw.NbSegment, 3);
        QCOMPARE(draw.Selected, 2);
        // (227 + 379) / 2 = 303, (178 + 30) / 2 = 104.
        QCOMPARE(draw.PixelPoint(2), (TPixelPoint{303, 104}));
        QCOMPARE(draw.Points[3], (TCurvePoint{100, 100}));
        QCOMPARE(changes, 1);
        // Nothing for the first point or no selection; the control still repaints.
        draw.Selected = 0;
        const int paints = draw.paintCount();
        draw.SplitSegment(0);
        draw.SplitSegment(-1);
        QCOMPARE(draw.NbSegment, 3);
        QCOMPARE(changes, 1);
        QCOMPARE(draw.paintCount(), paints + 2);
    }

    void remove_point_keeps_two_points_and_clamps_the_selection() {
        TDraw draw;
        setUpEditorControl(draw);
        setCurve(draw, {{0, 0}, {30, 10}, {60, 70}, {100, 100}});
        draw.RemovePoint(-1);
        QCOMPARE(draw.NbSegment, 3);
        QCOMPARE(draw.Selected, -1);
        draw.RemovePoint(3);
        QCOMPARE(draw.NbSegment, 2);
        QCOMPARE(draw.Selected, 2);
        draw.RemovePoint(0);
        QCOMPARE(draw.NbSegment, 1);
        QCOMPARE(draw.Points[0], (TCurvePoint{30, 10}));
        QCOMPARE(draw.Selected, 0);
        draw.RemovePoint(0);
        QCOMPARE(draw.NbSegment, 1);
    }

    void insert_and_delete_point_shift_both_arrays() {
        TDraw draw;
        setUpEditorControl(draw);
        setCurve(draw, {{0, 0}, {30, 10}, {100, 100}});
        draw.InsertPoint(0); // only 0 < index <= NbSegment
        draw.InsertPoint(3);
        QCOMPARE(draw.NbSegment, 2);
        draw.InsertPoint(1);
        QCOMPARE(draw.NbSegment, 3);
        QCOMPARE(draw.Points[1], (TCurvePoint{0, 0}));
        QCOMPARE(draw.PixelPoint(1), (TPixelPoint{0, 0}));
        QCOMPARE(draw.Points[2], (TCurvePoint{30, 10}));
        QCOMPARE(draw.PixelPoint(2), (TPixelPoint{col(30), row(10)}));
        draw.DeletePoint(1);
        QCOMPARE(draw.NbSegment, 2);
        QCOMPARE(draw.Points[1], (TCurvePoint{30, 10}));
        QCOMPARE(draw.PixelPoint(1), (TPixelPoint{col(30), row(10)}));
        draw.DeletePoint(5); // beyond the last point: nothing
        QCOMPARE(draw.NbSegment, 2);
        // A full curve: the insertion would write entry 361, refused before anything moves.
        draw.NbSegment = 360;
        draw.Points[360] = {7, 7};
        QVERIFY_THROWS_EXCEPTION(qv7::ERangeError, draw.InsertPoint(1));
        QCOMPARE(draw.NbSegment, 360);
        QCOMPARE(draw.Points[1], (TCurvePoint{30, 10}));
        QCOMPARE(draw.Points[360], (TCurvePoint{7, 7}));
    }

    void constrain_point_clamps_and_clears_a_selection_beyond_the_curve() {
        TDraw draw;
        setUpEditorControl(draw);
        setCurve(draw, {{0, 0}, {50, 50}, {100, 100}});
        draw.Selected = 1;
        int x = 200, y = 200;
        QVERIFY(draw.ConstrainPoint(x, y));
        x = 76; // the neighbour's column itself is allowed
        QVERIFY(draw.ConstrainPoint(x, y));
        x = 75;
        y = 402;
        QVERIFY(!draw.ConstrainPoint(x, y));
        QCOMPARE(x, 76);
        QCOMPARE(y, 401);
        x = 500;
        y = -1;
        QVERIFY(!draw.ConstrainPoint(x, y));
        QCOMPARE(x, 379);
        QCOMPARE(y, 0);
        draw.Selected = 2;
        x = 500;
        QVERIFY(!draw.ConstrainPoint(x, y));
        QCOMPARE(x, 409);
        // A selection left beyond the last point: cleared, the position refused as it is.
        draw.Selected = 5;
        x = 200;
        y = 200;
        QVERIFY(!draw.ConstrainPoint(x, y));
        QCOMPARE(draw.Selected, -1);
        QCOMPARE(x, 200);
        QVERIFY(!draw.ConstrainPoint(x, y));
    }

    void zoom_steps_quarter_the_spans_around_the_cross_up_to_the_limits() {
        TDraw draw;
        setUpEditorControl(draw);
        int zooms = 0;
        draw.OnZoom = [&](TDraw*) { ++zooms; };
        draw.SetCursorAt(col(40), 0);
        const float cx = float(draw.CursorPx() * 135.0 / 409 - 25);
        const float expected[] = {33.75f, 8.4375f, 2.109375f};
        for (int k = 0; k < 3; ++k) {
            draw.ZoomInClick();
            QCOMPARE(draw.ZoomLevel, k + 1);
            QCOMPARE(zooms, k + 1);
            QVERIFY2(qAbs(draw.SpanX() - expected[k]) < 1e-5f * 135,
                     qPrintable(QString::number(draw.SpanX())));
            QVERIFY(qAbs(draw.SpanY() - expected[k]) < 1e-5f * 135);
            QCOMPARE(draw.ZoomInItem()->isEnabled(), k < 2);
            QVERIFY(draw.ZoomOutItem()->isEnabled());
        }
        // Centred on the cross (the cross's world X moves by less than a pixel each step).
        QVERIFY(qAbs((draw.Xmin() + draw.Xmax()) / 2 - cx) < 0.5f);
        // Called once more (the menu item is off, the key is not): the level passes ZoomMax once.
        draw.ZoomInClick();
        QCOMPARE(draw.ZoomLevel, 4);
        const int beeps = draw.beepCount();
        const float span = draw.SpanX();
        draw.ZoomInClick();
        QCOMPARE(draw.beepCount(), beeps + 1);
        QCOMPARE(draw.ZoomLevel, 4);
        QCOMPARE(draw.SpanX(), span);
        QCOMPARE(zooms, 4);
        // "1:1": level 0, the default view, all enabled, OnZoom.
        draw.ResetZoomClick();
        QCOMPARE(draw.ZoomLevel, 0);
        QCOMPARE(draw.Xmin(), -25.0f);
        QCOMPARE(draw.Ymax(), 110.0f);
        QCOMPARE(draw.SpanX(), 135.0f);
        QCOMPARE(zooms, 5);
        QVERIFY(draw.ZoomInItem()->isEnabled() && draw.ZoomOutItem()->isEnabled() &&
                draw.ResetZoomItem()->isEnabled());
        // "Moins" from level 0: span 540 and "Moins" disabled.
        draw.ZoomOutClick();
        QCOMPARE(draw.ZoomLevel, -1);
        QVERIFY(qAbs(draw.SpanX() - 540) < 1e-3f);
        QVERIFY(qAbs(draw.SpanY() - 540) < 1e-3f);
        QVERIFY(!draw.ZoomOutItem()->isEnabled());
        QVERIFY(draw.ZoomInItem()->isEnabled());
        draw.ZoomOutClick();
        QCOMPARE(draw.ZoomLevel, -2);
        draw.ZoomOutClick();
        QCOMPARE(draw.ZoomLevel, -2);
        QCOMPARE(draw.beepCount(), beeps + 2);
        // "Centre": same spans, centred on the cross, level and OnZoom unchanged.
        draw.ResetZoomClick();
        zooms = 0;
        draw.SetCursorAt(col(80), 0);
        draw.CentreClick();
        QCOMPARE(draw.ZoomLevel, 0);
        QCOMPARE(zooms, 0);
        QVERIFY(qAbs(draw.SpanX() - 135) < 1e-3f);
        QVERIFY(qAbs((draw.Xmin() + draw.Xmax()) / 2 - float(col(80) * 135.0 / 409 - 25)) < 1e-3f);
    }

    void the_menu_items_run_their_actions() {
        TDraw draw;
        setUpEditorControl(draw);
        draw.ZoomInItem()->trigger();
        QCOMPARE(draw.ZoomLevel, 1);
        draw.ResetZoomItem()->trigger();
        QCOMPARE(draw.ZoomLevel, 0);
        draw.ZoomOutItem()->trigger();
        QCOMPARE(draw.ZoomLevel, -1);
        draw.ResetZoomItem()->trigger();
        setCurve(draw, {{0, 0}, {50, 50}, {100, 100}});
        draw.Selected = 1;
        draw.DeleteSegmentItem()->trigger();
        QCOMPARE(draw.NbSegment, 1);
    }

    void a_double_click_right_of_the_last_point_puts_the_cross_on_it() {
        TDraw draw;
        setUpEditorControl(draw);
        draw.show();
        QVERIFY(QTest::qWaitForWindowExposed(&draw));
        setCurve(draw, {{0, 0}, {40, 70}, {80, 90}});
        QTest::mouseDClick(&draw, Qt::LeftButton, {}, QPoint(400, 100));
        QCOMPARE(draw.CursorX(), 80.0f);
        QCOMPARE(draw.CursorY(), 90.0f);
        QCOMPARE(draw.CursorPx(), col(80));
        QCOMPARE(draw.CursorPy(), row(90));
        QCOMPARE(draw.CursorSegment(), 1);
        // The cross is on the image: its vertical line's first dash from row 1 down.
        QCOMPARE(pixel(draw, col(80), 5), Blue);
        QCOMPARE(pixel(draw, col(80), 20), White);
        // A plain press does not move it.
        press(draw, 200, 100);
        QCOMPARE(draw.CursorX(), 80.0f);
        release(draw, 200, 100);
    }

    void a_press_within_two_pixels_of_the_cross_drags_it() {
        TDraw draw;
        setUpEditorControl(draw);
        setCurve(draw, {{0, 0}, {100, 100}});
        draw.SetCursorAt(col(40), 0);
        const int c = draw.CursorPx();
        press(draw, c + 2, 100);
        QCOMPARE(draw.CursorDragging(), 0);
        release(draw, c + 2, 100);
        QCOMPARE(draw.CursorDragging(), -1);
        press(draw, c - 1, 100);
        QCOMPARE(draw.CursorDragging(), 1);
        draw.takeUpdatedRegion();
        draw.DrawMouseMove(ssLeft, c + 30, 100);
        QCOMPARE(draw.CursorPx(), c + 30);
        QVERIFY(qAbs(draw.CursorX() - float((c + 30) * 135.0 / 409 - 25)) < 1e-4);
        QCOMPARE(draw.CursorY(), draw.CursorX());
        // Only the two crosses and the text went to the screen.
        const QRegion updated = draw.takeUpdatedRegion();
        QVERIFY(!updated.intersects(QRect(c + 10, 350, 10, 10)));
        QVERIFY(updated.contains(QRect(c + 29, 350, 2, 10)));
        // The cross drawn by the step is the one a full paint draws; the text is the cross's.
        const QImage stepped = draw.image();
        draw.Paint();
        draw.ShowCursorInfo();
        QCOMPARE(stepped, draw.image());
        release(draw, c + 30, 100);
        QCOMPARE(draw.CursorDragging(), -1);
        draw.DrawMouseMove(0, c + 60, 100);
        QCOMPARE(draw.CursorPx(), c + 30);
    }

    void dragging_the_cross_past_the_left_edge_recentres_the_view() {
        TDraw draw;
        setUpEditorControl(draw);
        setCurve(draw, {{-80, -80}, {100, 100}});
        draw.SetCursorAt(col(0), 0);
        press(draw, draw.CursorPx(), 200);
        QCOMPARE(draw.CursorDragging(), 1);
        draw.DrawMouseMove(ssLeft, -10, 200);
        // CursorPx was -10: round(3 * 135 / 4) = 101 is taken as the pixel to centre on.
        const float c = float(101 * 135.0 / 409 - 25);
        QVERIFY(qAbs(draw.Xmin() - (c - 67.5f)) < 1e-3f);
        QVERIFY(qAbs(draw.SpanX() - 135) < 1e-3f);
        QCOMPARE(draw.ZoomLevel, 0);
        release(draw, -10, 200);
    }

    void undo_cancels_a_drag_in_progress() {
        TDraw draw;
        setUpEditorControl(draw);
        setCurve(draw, {{0, 0}, {50, 50}, {100, 100}});
        press(draw, col(50), row(50));
        draw.DrawMouseMove(ssLeft, 300, 100);
        QVERIFY(draw.Points[1] != (TCurvePoint{50, 50}));
        draw.Undo();
        QCOMPARE(draw.Points[1], (TCurvePoint{50, 50}));
        QCOMPARE(draw.DragIndex(), -1);
        QCOMPARE(draw.MovedIndex(), -1);
        draw.DrawMouseMove(ssLeft, 310, 110);
        QCOMPARE(draw.Points[1], (TCurvePoint{50, 50}));
        QCOMPARE(draw.PixelPoint(1), (TPixelPoint{col(50), row(50)}));
        release(draw, 310, 110);
    }

    void moves_without_a_drag_draw_nothing() {
        TDraw draw;
        setUpEditorControl(draw);
        const QImage before = draw.image();
        const int paints = draw.paintCount();
        draw.takeUpdatedRegion();
        draw.DrawMouseMove(0, 200, 200);
        QCOMPARE(draw.image(), before);
        QCOMPARE(draw.paintCount(), paints);
        QVERIFY(draw.takeUpdatedRegion().isEmpty());
    }
};

QV7_DRAW_TEST_MAIN(TestDrawEditing)
#include "tst_DrawEditing.moc"
