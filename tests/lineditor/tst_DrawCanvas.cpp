// The plot control's canvas: lines without their last pixel, polylines that meet without a gap in
// the invert mode, the dash pattern, rectangle frames of one and three pixels, the not-xor rule,
// texts on the brush, drawing off the image, and the areas collected for the screen.
#include "DrawTestSupport.h"

#include "lineditor/DrawCanvas.h"

#include <QTest>

using namespace drawtest;

namespace {

QRgb at(const TDrawCanvas& canvas, int x, int y) {
    return canvas.image().pixel(x, y);
}

int count(const TDrawCanvas& canvas, QRgb colour) {
    int n = 0;
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            n += at(canvas, x, y) == colour;
    return n;
}

} // namespace

class TestDrawCanvas : public QObject {
    Q_OBJECT

private slots:
    void a_line_leaves_out_its_last_pixel_and_a_point_draws_nothing() {
        TDrawCanvas canvas;
        canvas.setSize(20, 20);
        {
            // The pen starts in the top-left corner.
            TDrawCanvas fresh;
            fresh.setSize(20, 20);
            fresh.LineTo(3, 0);
            QCOMPARE(at(fresh, 0, 0), Black);
            QCOMPARE(at(fresh, 2, 0), Black);
            QCOMPARE(count(fresh, Black), 3);
        }
        canvas.MoveTo(2, 3);
        canvas.LineTo(12, 3);
        for (int x = 2; x <= 11; ++x)
            QCOMPARE(at(canvas, x, 3), Black);
        QCOMPARE(at(canvas, 12, 3), White);
        QCOMPARE(at(canvas, 1, 3), White);
        QCOMPARE(count(canvas, Black), 10);
        canvas.LineTo(12, 3);
        QCOMPARE(count(canvas, Black), 10);
        // Diagonal: one pixel per column, (0,0) to (4,4) exclusive.
        canvas.MoveTo(0, 10);
        canvas.LineTo(4, 14);
        for (int k = 0; k < 4; ++k)
            QCOMPARE(at(canvas, k, 10 + k), Black);
        QCOMPARE(at(canvas, 4, 14), White);
    }

    void a_polyline_in_not_xor_has_no_gap_at_its_joins() {
        TDrawCanvas canvas;
        canvas.setSize(30, 30);
        canvas.Pen.Mode = TPenMode::NotXor;
        canvas.MoveTo(2, 2);
        canvas.LineTo(20, 2);
        canvas.LineTo(20, 15);
        canvas.LineTo(5, 25);
        QCOMPARE(at(canvas, 20, 2), Black);
        QCOMPARE(at(canvas, 20, 15), Black);
        QCOMPARE(count(canvas, Black), 18 + 13 + 15);
    }

    void not_xor_inverts_under_black_keeps_under_white_and_twice_restores() {
        TDrawCanvas canvas;
        canvas.setSize(40, 40);
        canvas.Pen.Color = QColor(255, 0, 0);
        canvas.MoveTo(0, 10);
        canvas.LineTo(40, 10); // red in copy mode
        const QImage before = canvas.image();
        canvas.Pen.Mode = TPenMode::NotXor;
        canvas.Pen.Color = QColor(0, 0, 255);
        canvas.Brush = QBrush(Qt::white);
        for (int pass = 0; pass < 2; ++pass) {
            canvas.MoveTo(5, 0);
            canvas.LineTo(5, 40);
            canvas.Rectangle(15, 5, 25, 15);
            canvas.Pen.Width = 3;
            canvas.Rectangle(28, 5, 38, 15);
            canvas.MoveTo(0, 30);
            canvas.LineTo(39, 20);
            canvas.Pen.Width = 1;
            if (pass == 0) {
                QCOMPARE(at(canvas, 5, 3), Blue);                // on white
                QCOMPARE(at(canvas, 5, 10), notXor(Blue, Red));  // on red
                QCOMPARE(at(canvas, 20, 10), Red);               // white fill inside the square
                QCOMPARE(at(canvas, 15, 10), notXor(Blue, Red)); // its frame
            }
        }
        QCOMPARE(canvas.image(), before);
    }

    void the_dash_is_eighteen_on_and_six_off() {
        TDrawCanvas canvas;
        canvas.setSize(60, 5);
        canvas.Pen.Style = Qt::DashLine;
        canvas.MoveTo(0, 2);
        canvas.LineTo(60, 2);
        for (int x = 0; x < 60; ++x)
            QCOMPARE(at(canvas, x, 2), (x % 24) < 18 ? Black : White);
        // Drawn from the other end, the pattern starts there.
        canvas.setSize(1, 1);
        canvas.setSize(60, 5);
        canvas.MoveTo(59, 2);
        canvas.LineTo(0, 2);
        QCOMPARE(at(canvas, 59, 2), Black);
        QCOMPARE(at(canvas, 59 - 18, 2), White);
    }

    void rectangles_frame_l_to_r_minus_1_and_wide_pens_centre_on_it() {
        TDrawCanvas canvas;
        canvas.setSize(40, 40);
        canvas.Brush = QBrush(QColor(0, 255, 0));
        canvas.Rectangle(5, 5, 15, 15);
        QCOMPARE(at(canvas, 5, 5), Black);
        QCOMPARE(at(canvas, 14, 14), Black);
        QCOMPARE(at(canvas, 15, 10), White);
        QCOMPARE(at(canvas, 10, 15), White);
        QCOMPARE(at(canvas, 6, 6), 0xFF00FF00u);
        QCOMPARE(at(canvas, 13, 13), 0xFF00FF00u);
        QCOMPARE(count(canvas, Black), 36);
        canvas.setSize(1, 1);
        canvas.setSize(40, 40);
        canvas.Pen.Width = 3;
        canvas.Brush = QBrush(Qt::NoBrush);
        canvas.Rectangle(10, 10, 20, 20);
        // Band columns 9..11 and 18..20, rows the same; 12 x 12 outside, 6 x 6 inside.
        QCOMPARE(count(canvas, Black), 12 * 12 - 6 * 6);
        QCOMPARE(at(canvas, 9, 15), Black);
        QCOMPARE(at(canvas, 8, 15), White);
        QCOMPARE(at(canvas, 20, 15), Black);
        QCOMPARE(at(canvas, 21, 15), White);
        QCOMPARE(at(canvas, 12, 12), White);
    }

    void text_is_written_on_a_box_of_the_brush() {
        TDrawCanvas canvas;
        canvas.setSize(100, 40);
        canvas.Brush = QBrush(QColor(255, 255, 0));
        canvas.MoveTo(0, 10);
        canvas.LineTo(100, 10);
        canvas.TextOut(5, 5, QStringLiteral("X=1.0  "));
        QCOMPARE(at(canvas, 5, 5), 0xFFFFFF00u); // the box covers the line
        QVERIFY(count(canvas, Black) > 10);
        QCOMPARE(at(canvas, 99, 10), Black); // beyond the box the line stays
        // The same text again gives the same pixels (it is kept rendered).
        const QImage once = canvas.image();
        canvas.TextOut(5, 5, QStringLiteral("X=1.0  "));
        QCOMPARE(canvas.image(), once);
    }

    void drawing_off_the_image_is_clipped() {
        TDrawCanvas canvas;
        canvas.setSize(10, 10);
        canvas.MoveTo(-2000000000, 5);
        canvas.LineTo(2000000000, 5);
        QCOMPARE(count(canvas, Black), 10);
        canvas.Rectangle(-2147483648LL, -5, 2147483647LL, 100);
        canvas.TextOut(-50, -50, QStringLiteral("far"));
        canvas.TextOut(500, 500, QStringLiteral("far"));
        canvas.setSize(0, 0);
        canvas.MoveTo(0, 0);
        canvas.LineTo(5, 5);
    }

    void the_areas_drawn_are_collected_for_the_screen() {
        TDrawCanvas canvas;
        canvas.setSize(100, 100);
        canvas.MoveTo(10, 10);
        canvas.LineTo(20, 10);
        canvas.Rectangle(50, 50, 60, 60);
        const QRegion drawn = canvas.takeDirty();
        QVERIFY(drawn.contains(QPoint(10, 10)));
        QVERIFY(drawn.contains(QPoint(55, 50)));
        QVERIFY(!drawn.contains(QPoint(30, 30)));
        QVERIFY(canvas.takeDirty().isEmpty());
        // What reaches past the edges is collected up to the edges only.
        canvas.Rectangle(90, 90, 150, 150);
        QCOMPARE(canvas.takeDirty().boundingRect(), QRect(QPoint(90, 90), QPoint(99, 99)));
        canvas.Rectangle(-20, -20, 5, 5);
        QCOMPARE(canvas.takeDirty().boundingRect(), QRect(QPoint(0, 0), QPoint(4, 4)));
        canvas.Pen.Width = 5; // a wide pen's line, its width around it
        canvas.MoveTo(90, 97);
        canvas.LineTo(99, 97);
        QCOMPARE(canvas.takeDirty().boundingRect(), QRect(QPoint(85, 92), QPoint(99, 99)));
    }
};

QV7_DRAW_TEST_MAIN(TestDrawCanvas)
#include "tst_DrawCanvas.moc"
