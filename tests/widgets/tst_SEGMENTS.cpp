// The seven-segment display: size from the digit layout, the segment table, both
// styles' colours, pen width 4, the display range, "dEP", the half digit and its bar, the point,
// leading zeros, and setters that repaint only on a change.
//
// The pixel tests look at the middle of each segment. Every coordinate below is typed from the
// display's tables (cell origins 8 + 40 k, + 20 with the half digit, y = 5; the segment
// end points; the point's box), never taken from the control's own arithmetic.
#include "widgets/SEGMENTS.h"

#include <QMenu>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include <climits>
#include <map>
#include <memory>

Q_DECLARE_METATYPE(TStyle)

namespace {

// Segments of a cell with origin (0, 0): from, to. Midpoints are taken from these.
struct SpecSegment {
    char name;
    int x1, y1, x2, y2;
};
const SpecSegment specSegments[7] = {
    {'a', 12, 0, 36, 0}, {'b', 32, 18, 36, 2}, {'c', 28, 38, 32, 22}, {'d', 4, 40, 28, 40},
    {'e', 2, 38, 6, 22}, {'f', 6, 18, 10, 2},  {'g', 8, 20, 32, 20},
};

// The "Segments" column of the segment table, by the character shown.
const std::map<char, QString> specShows = {
    {'0', "abcdef"}, {'1', "bc"},     {'2', "abdeg"}, {'3', "abcdg"},   {'4', "bcfg"},
    {'5', "acdfg"},  {'6', "acdefg"}, {'7', "abc"},   {'8', "abcdefg"}, {'9', "abcdfg"},
    {'d', "bcdeg"},  {'E', "adefg"},  {'P', "abefg"}, {'-', "g"},       {' ', ""},
};

const QColor ledBackground(128, 0, 0);
const QColor ledSegment(255, 0, 0);
const QColor lcdBackground(223, 223, 223);
const QColor lcdSegment(128, 128, 128);

QImage draw(TSEG& seg) {
    QImage image(seg.size(), QImage::Format_RGB32);
    image.fill(Qt::blue); // anything the control leaves undrawn shows up
    seg.render(&image);
    return image;
}

QColor at(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

// Full cell k's origin: 8 + 40 k, 20 more with the half digit.
int cellX(int k, bool half) {
    return 8 + 40 * k + (half ? 20 : 0);
}
constexpr int cellY = 5;

// What one display should show: the characters of the full cells from the left, the half cell
// ("1" or blank), whether the half-digit bar is drawn, and which PointDecimal's dot is lit (0:
// none).
struct Expect {
    QString cells;
    bool halfOne = false;
    bool bar = false;
    bool halfMinus = false; // the minus of step 9 in the half cell (its g segment)
    int point = 0;
    // Characters in the cells left of the full cells (and of the half cell), nearest first, whose
    // slivers reach into the control (padding zeros of a PointDecimal beyond the cells).
    QString left = {};
};

// The display drawn from the display's tables alone: the background, then each expected
// character's segments as lines of the 4-pixel pen, the bar and the point's ellipse.
QImage reference(QSize size, const Expect& expect, bool half, const QColor& background,
                 const QColor& segment) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(background);
    QPainter painter(&image);
    painter.setPen(QPen(segment, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(background);
    auto character = [&](char shown, int x, int y) {
        for (const SpecSegment& s : specSegments)
            if (specShows.at(shown).contains(QLatin1Char(s.name)))
                painter.drawLine(x + s.x1, y + s.y1, x + s.x2, y + s.y2);
    };
    for (int k = 0; k < expect.cells.size(); ++k)
        character(expect.cells.at(k).toLatin1(), cellX(k, half), cellY);
    int k = -1;
    if (half) {
        // The half cell at origin (-12, 5).
        if (expect.halfOne) character('1', -12, cellY);
        if (expect.halfMinus) character('-', -12, cellY);
        --k;
    }
    for (QChar c : expect.left)
        character(c.toLatin1(), cellX(k--, half), cellY);
    if (expect.bar) painter.drawLine(8, 25, 16, 25);
    if (expect.point > 0) {
        // The box (x+2, y+38) - (x+6, y+42), right and bottom edges outside, of the cell with
        // origin (n - p) 40 (+ 20 with the half digit).
        const int x = (int(expect.cells.size()) - expect.point) * 40 + (half ? 20 : 0);
        painter.drawEllipse(QRect(x + 2, cellY + 38, 4, 4));
    }
    return image;
}

// Checks every visible segment's midpoint and every possible dot place against the expectation.
void checkDisplay(TSEG& seg, const Expect& expect, const QColor& background, const QColor& segment) {
    const QImage image = draw(seg);
    const int n = seg.NbDigit();
    const bool half = seg.HalfDigit();
    QCOMPARE(expect.cells.size(), n);
    // The whole picture, pixel for pixel, against the one drawn from the display's tables.
    const QImage wanted = reference(seg.size(), expect, half, background, segment);
    if (image != wanted) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != wanted.pixel(x, y))
                    QFAIL(qPrintable(
                        QStringLiteral(
                            "\"%1\": first difference from the reference at (%2, %3): %4, expected %5")
                            .arg(expect.cells)
                            .arg(x)
                            .arg(y)
                            .arg(at(image, x, y).name(), at(wanted, x, y).name())));
    }
    auto check = [&](int x, int y, bool want, const QString& what) {
        const QColor got = at(image, x, y);
        const QColor wanted = want ? segment : background;
        if (got != wanted)
            QFAIL(qPrintable(QStringLiteral("%1 at (%2, %3): %4, expected %5")
                                 .arg(what)
                                 .arg(x)
                                 .arg(y)
                                 .arg(got.name(), wanted.name())));
    };
    for (int k = 0; k < n; ++k) {
        const char shown = expect.cells.at(k).toLatin1();
        QVERIFY2(specShows.count(shown), &shown);
        const QString segments = specShows.at(shown);
        for (const SpecSegment& s : specSegments) {
            const int mx = cellX(k, half) + (s.x1 + s.x2) / 2;
            const int my = cellY + (s.y1 + s.y2) / 2;
            check(mx, my, segments.contains(QLatin1Char(s.name)),
                  QStringLiteral("cell %1 ('%2') segment %3")
                      .arg(k)
                      .arg(QLatin1Char(shown))
                      .arg(QLatin1Char(s.name)));
        }
    }
    // Possible dot places: PointDecimal p = 1 ... n, box (x+2, y+38)-(x+6, y+42) of the cell with
    // origin (n - p) 40 (+ 20), centre (x+4, y+40).
    for (int p = 1; p <= n; ++p) {
        const int x = (n - p) * 40 + (half ? 20 : 0);
        check(x + 4, cellY + 40, expect.point == p, QStringLiteral("point %1").arg(p));
    }
    if (half) {
        // The half cell's origin is (-12, 5): b from (20, 23) to (24, 7), c from (16, 43) to (20, 27).
        check(22, 15, expect.halfOne, QStringLiteral("half digit b"));
        check(18, 35, expect.halfOne, QStringLiteral("half digit c"));
        // a (0, 5)-(24, 5) and d (-8, 45)-(16, 45) are never part of a half digit.
        check(12, 5, false, QStringLiteral("half digit a"));
        check(4, 45, false, QStringLiteral("half digit d"));
        // The bar runs from (8, 25) to (16, 25); the half cell's g from (-4, 25) to (20, 25).
        check(12, 25, expect.bar || expect.halfMinus, QStringLiteral("half-digit bar"));
        check(1, 25, expect.halfMinus, QStringLiteral("half cell g left of the bar"));
    } else {
        QVERIFY(!expect.bar && !expect.halfOne && !expect.halfMinus);
    }
}

void checkDisplay(TSEG& seg, const Expect& expect) {
    checkDisplay(seg, expect, ledBackground, ledSegment);
}

bool onlyBackground(const QImage& image, const QColor& background) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != background) return false;
    return true;
}

TSEG* make(int n, bool half, int nb, int point = 0, QWidget* parent = nullptr) {
    auto* seg = new TSEG(parent);
    seg->setNbDigit(n);
    seg->setHalfDigit(half);
    seg->setNb(nb);
    seg->setPointDecimal(point);
    return seg;
}

} // namespace

class TestSegments : public QObject {
    Q_OBJECT

private slots:
    void starts_as_specified() {
        TSEG seg;
        QCOMPARE(seg.Nb(), 0);
        QCOMPARE(seg.PointDecimal(), 0);
        QCOMPARE(seg.Style(), TStyle::LED);
        QCOMPARE(seg.NbDigit(), 4);
        QCOMPARE(seg.HalfDigit(), false);
        QCOMPARE(seg.size(), QSize(174, 52));
        QCOMPARE(seg.focusPolicy(), Qt::NoFocus);
        QCOMPARE(seg.property("Style").toInt(), 1);
        // 0 in the rightmost cell, nothing else.
        checkDisplay(seg, {"   0"});
    }

    void size_follows_the_digit_layout() {
        TSEG seg;
        QCOMPARE(seg.size(), QSize(174, 52));
        seg.setHalfDigit(true);
        QCOMPARE(seg.size(), QSize(194, 52));
        seg.setHalfDigit(false);
        seg.setNbDigit(1);
        QCOMPARE(seg.size(), QSize(54, 52));
        for (int n = 1; n <= 8; ++n) {
            seg.setNbDigit(n);
            seg.setHalfDigit(false);
            QCOMPARE(seg.size(), QSize(n * 40 + 14, 52));
            seg.setHalfDigit(true);
            QCOMPARE(seg.size(), QSize(n * 40 + 34, 52));
        }
    }

    void nb_digit_outside_one_to_eight_is_ignored() {
        TSEG seg;
        seg.setNbDigit(0);
        QCOMPARE(seg.NbDigit(), 4);
        seg.setNbDigit(9);
        QCOMPARE(seg.NbDigit(), 4);
        seg.setNbDigit(-1);
        QCOMPARE(seg.NbDigit(), 4);
        QCOMPARE(seg.size(), QSize(174, 52));
    }

    void any_resize_snaps_back() {
        QWidget parent;
        auto* seg = new TSEG(&parent);
        seg->setHalfDigit(true);
        seg->resize(300, 100);
        QCOMPARE(seg->size(), QSize(194, 52));
        seg->setGeometry(10, 20, 20, 20);
        QCOMPARE(seg->size(), QSize(194, 52));
        QCOMPARE(seg->pos(), QPoint(10, 20));
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        seg->resize(50, 200);
        QCOMPARE(seg->size(), QSize(194, 52));
    }

    void segment_table_is_the_specified_one() {
        // Keys and segment masks, in table order.
        const int keys[14] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, -3};
        const int masks[14] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D,
                               0x07, 0x7F, 0x6F, 0x5E, 0x79, 0x73, 0x40};
        for (int i = 0; i < 14; ++i) {
            QCOMPARE(TCustomSeg::SegmentTable[i].key, keys[i]);
            QCOMPARE(TCustomSeg::SegmentTable[i].mask, masks[i]);
            QCOMPARE(TCustomSeg::maskOf(keys[i]), masks[i]);
            QVERIFY(!(masks[i] & 0x80));
        }
        // The masks agree with the "Segments" column (bit 0x01 is a, ... 0x40 is g).
        const char shows[14] = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'd', 'E', 'P', '-'};
        for (int i = 0; i < 14; ++i) {
            int mask = 0;
            for (QChar c : specShows.at(shows[i]))
                mask |= 1 << (c.toLatin1() - 'a');
            QCOMPARE(masks[i], mask);
        }
        // Unknown keys draw nothing; '-' is 45, key -3.
        QCOMPARE(TCustomSeg::maskOf(13), 0);
        QCOMPARE(TCustomSeg::maskOf(-1), 0);
        QCOMPARE(TCustomSeg::maskOf(-16), 0); // ' ' - 48
        QCOMPARE(TCustomSeg::maskOf('-' - 48), 0x40);
    }

    void display_range_is_the_specified_table() {
        // The display range table, n = 1 ... 8: without half digit, with half digit.
        const qint64 table[8][4] = {
            {0, 9, -19, 19},
            {-9, 99, -199, 199},
            {-99, 999, -1999, 1999},
            {-999, 9999, -19999, 19999},
            {-9999, 99999, -199999, 199999},
            {-99999, 999999, -1999999, 1999999},
            {-999999, 9999999, -19999999, 19999999},
            {-9999999, 99999999, -199999999, 199999999},
        };
        for (int n = 1; n <= 8; ++n) {
            QCOMPARE(TCustomSeg::lowest(n, false), table[n - 1][0]);
            QCOMPARE(TCustomSeg::highest(n, false), table[n - 1][1]);
            QCOMPARE(TCustomSeg::lowest(n, true), table[n - 1][2]);
            QCOMPARE(TCustomSeg::highest(n, true), table[n - 1][3]);
        }
    }

    void styles_have_the_specified_colours() {
        QCOMPARE(TCustomSeg::backgroundColour(TStyle::LCD), lcdBackground);
        QCOMPARE(TCustomSeg::segmentColour(TStyle::LCD), lcdSegment);
        QCOMPARE(TCustomSeg::backgroundColour(TStyle::LED), ledBackground);
        QCOMPARE(TCustomSeg::segmentColour(TStyle::LED), ledSegment);
        std::unique_ptr<TSEG> seg(make(4, true, -12345, 2));
        checkDisplay(*seg, {"2345", true, true, false, 2}, ledBackground, ledSegment);
        seg->setStyle(TStyle::LCD);
        checkDisplay(*seg, {"2345", true, true, false, 2}, lcdBackground, lcdSegment);
        // The background covers the whole control, corners included.
        const QImage image = draw(*seg);
        QCOMPARE(at(image, 0, 0), lcdBackground);
        QCOMPARE(at(image, 193, 0), lcdBackground);
        QCOMPARE(at(image, 0, 51), lcdBackground);
        QCOMPARE(at(image, 193, 51), lcdBackground);
    }

    void pen_is_four_pixels_wide_and_not_anti_aliased() {
        for (TStyle style : {TStyle::LED, TStyle::LCD}) {
            std::unique_ptr<TSEG> seg(make(4, true, -18888, 3));
            seg->setStyle(style);
            const QImage image = draw(*seg);
            const QColor background = TCustomSeg::backgroundColour(style);
            const QColor segment = TCustomSeg::segmentColour(style);
            // Two colours only: no blended edge pixels.
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) {
                    const QColor c = image.pixelColor(x, y);
                    QVERIFY2(c == background || c == segment,
                             qPrintable(QStringLiteral("(%1, %2) %3").arg(x).arg(y).arg(c.name())));
                }
            // Segment a of the rightmost cell (origin (148, 5)) across its middle column x = 172,
            // segment g at y = 25 and segment d at y = 45: four lit rows each.
            for (int centre : {5, 25, 45}) {
                int rows = 0;
                for (int y = centre - 6; y <= centre + 6; ++y)
                    if (y >= 0 && y < 52 && image.pixelColor(172, y) == segment) ++rows;
                QCOMPARE(rows, 4);
            }
            // The vertical thickness of b at its middle row y = 15 (from (180, 23) to (184, 7)).
            int columns = 0;
            for (int x = 174; x < 194; ++x)
                if (image.pixelColor(x, 15) == segment) ++columns;
            QCOMPARE(columns, 4);
        }
    }

    // The display's edge cases, one by one.
    void half_digit_shows_19999_and_dep_for_20000() {
        std::unique_ptr<TSEG> seg(make(4, true, 19999));
        checkDisplay(*seg, {"9999", true});
        seg->setNb(20000);
        checkDisplay(*seg, {" dEP"});
    }

    void half_digit_negative_values_carry_the_bar() {
        std::unique_ptr<TSEG> seg(make(4, true, -19999));
        checkDisplay(*seg, {"9999", true, true});
        seg->setNb(-5);
        checkDisplay(*seg, {"  -5", false, true});
        seg->setNb(-1999);
        // The minus of step 9 falls in the half cell, under the bar.
        checkDisplay(*seg, {"1999", false, true, true});
        seg->setNb(-20000);
        checkDisplay(*seg, {" dEP"});
        seg->setNb(-1);
        checkDisplay(*seg, {"  -1", false, true});
    }

    void four_digits_without_half_digit() {
        std::unique_ptr<TSEG> seg(make(4, false, -999));
        checkDisplay(*seg, {"-999"});
        seg->setNb(-1000);
        checkDisplay(*seg, {" dEP"});
        seg->setNb(9999);
        checkDisplay(*seg, {"9999"});
        seg->setNb(10000);
        checkDisplay(*seg, {" dEP"});
        seg->setNb(1234);
        checkDisplay(*seg, {"1234"});
        seg->setNb(567);
        checkDisplay(*seg, {" 567"});
    }

    void one_digit_out_of_range_stays_empty() {
        std::unique_ptr<TSEG> seg(make(1, false, -1));
        QVERIFY(onlyBackground(draw(*seg), ledBackground));
        seg->setNb(10);
        QVERIFY(onlyBackground(draw(*seg), ledBackground));
        seg->setNb(7);
        checkDisplay(*seg, {"7"});
        seg->setNb(0);
        checkDisplay(*seg, {"0"});
        // Two digits: no "dEP" either.
        seg->setNbDigit(2);
        seg->setNb(100);
        QVERIFY(onlyBackground(draw(*seg), ledBackground));
        seg->setNb(-9);
        checkDisplay(*seg, {"-9"});
        // One digit with the half digit: -19 ... 19.
        seg->setNbDigit(1);
        seg->setHalfDigit(true);
        seg->setNb(19);
        checkDisplay(*seg, {"9", true});
        seg->setNb(-19);
        checkDisplay(*seg, {"9", true, true});
        seg->setNb(20);
        QVERIFY(onlyBackground(draw(*seg), ledBackground));
    }

    void point_and_leading_zeros() {
        std::unique_ptr<TSEG> seg(make(4, false, 5, 2));
        checkDisplay(*seg, {" 005", false, false, false, 2}); // 0.05
        seg->setNb(-5);
        checkDisplay(*seg, {"-005", false, false, false, 2}); // -0.05
        seg->setNb(1234);
        seg->setPointDecimal(1);
        checkDisplay(*seg, {"1234", false, false, false, 1}); // 123.4
        seg->setPointDecimal(3);
        checkDisplay(*seg, {"1234", false, false, false, 3}); // 1.234
        seg->setNb(0);
        checkDisplay(*seg, {"0000", false, false, false, 3}); // 0.000
        seg->setPointDecimal(0);
        checkDisplay(*seg, {"   0"});
        seg->setPointDecimal(-2);
        checkDisplay(*seg, {"   0"});
        // No point when the value does not fit.
        seg->setPointDecimal(2);
        seg->setNb(10000);
        checkDisplay(*seg, {" dEP"});
        // With the half digit every x moves 20 to the right, the dot too.
        seg->setHalfDigit(true);
        seg->setNb(-12345);
        checkDisplay(*seg, {"2345", true, true, false, 2}); // -123.45
        seg->setNb(7);
        checkDisplay(*seg, {" 007", false, false, false, 2});
    }

    void point_beyond_the_cells_is_drawn_off_the_control() {
        // The caller keeps PointDecimal below NbDigit; larger values put the point and the padding
        // zeros left of the visible cells.
        // 5 with PointDecimal 6 is "0000005": the fourth zero's cell at x = -32 reaches into
        // the control (its b segment from (0, 23) to (4, 7), its a segment to x = 4).
        std::unique_ptr<TSEG> seg(make(4, false, 5, 6));
        checkDisplay(*seg, {"0005", false, false, false, 0, "0"});
        seg->setPointDecimal(INT_MAX);
        checkDisplay(*seg, {"0005", false, false, false, 0, "0"});
        seg->setNb(-5);
        checkDisplay(*seg, {"0005", false, false, false, 0, "0"});
        // PointDecimal = NbDigit puts the dot left of the first cell, at (4, 45).
        seg->setPointDecimal(4);
        checkDisplay(*seg, {"0005", false, false, false, 4, "0"});
        seg->setNb(5);
        checkDisplay(*seg, {"0005", false, false, false, 4, "0"});
    }

    void three_digits_with_half_digit() {
        std::unique_ptr<TSEG> seg(make(3, true, 1999));
        checkDisplay(*seg, {"999", true});
        seg->setNb(2000);
        checkDisplay(*seg, {"dEP"});
        seg->setNb(-2000);
        checkDisplay(*seg, {"dEP"});
    }

    void dep_in_the_three_rightmost_cells() {
        for (int n = 3; n <= 8; ++n) {
            std::unique_ptr<TSEG> seg(make(n, false, INT_MAX, 1));
            checkDisplay(*seg, {QString(n - 3, QLatin1Char(' ')) + QStringLiteral("dEP")});
            seg->setNb(INT_MIN);
            checkDisplay(*seg, {QString(n - 3, QLatin1Char(' ')) + QStringLiteral("dEP")});
            seg->setHalfDigit(true);
            checkDisplay(*seg, {QString(n - 3, QLatin1Char(' ')) + QStringLiteral("dEP")});
        }
    }

    void every_digit_of_the_range_edges() {
        for (int n = 1; n <= 8; ++n) {
            std::unique_ptr<TSEG> seg(make(n, false, 0));
            seg->setNb(int(TCustomSeg::highest(n, false)));
            checkDisplay(*seg, {QString(n, QLatin1Char('9'))});
            if (n > 1) {
                seg->setNb(int(TCustomSeg::lowest(n, false)));
                checkDisplay(*seg, {QStringLiteral("-") + QString(n - 1, QLatin1Char('9'))});
            }
            seg->setHalfDigit(true);
            seg->setNb(int(TCustomSeg::highest(n, true)));
            checkDisplay(*seg, {QString(n, QLatin1Char('9')), true});
            seg->setNb(int(TCustomSeg::lowest(n, true)));
            checkDisplay(*seg, {QString(n, QLatin1Char('9')), true, true});
        }
        // Every character of the table in one place.
        std::unique_ptr<TSEG> seg(make(8, false, 12345678));
        checkDisplay(*seg, {"12345678"});
        seg->setNb(90123456);
        checkDisplay(*seg, {"90123456"});
    }

    void setters_repaint_at_once_and_only_on_a_change() {
        QWidget parent;
        parent.resize(260, 80);
        auto* seg = new TSEG(&parent);
        seg->move(10, 10);
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        QCoreApplication::processEvents();
        auto same = [&](auto set) {
            const int before = seg->paintCount();
            set();
            QCOMPARE(seg->paintCount(), before);
        };
        auto changed = [&](auto set) {
            const int before = seg->paintCount();
            set();
            QCOMPARE(seg->paintCount(), before + 1);
        };
        same([&] { seg->setNb(0); });
        changed([&] { seg->setNb(42); });
        same([&] { seg->setNb(42); });
        same([&] { seg->setPointDecimal(0); });
        changed([&] { seg->setPointDecimal(1); });
        same([&] { seg->setPointDecimal(1); });
        same([&] { seg->setStyle(TStyle::LED); });
        changed([&] { seg->setStyle(TStyle::LCD); });
        same([&] { seg->setStyle(TStyle::LCD); });
        same([&] { seg->setNbDigit(4); });
        same([&] { seg->setNbDigit(0); });
        same([&] { seg->setNbDigit(9); });
        changed([&] { seg->setNbDigit(5); });
        QCOMPARE(seg->size(), QSize(214, 52));
        same([&] { seg->setNbDigit(5); });
        same([&] { seg->setHalfDigit(false); });
        changed([&] { seg->setHalfDigit(true); });
        QCOMPARE(seg->size(), QSize(234, 52));
        same([&] { seg->setHalfDigit(true); });
        // Through the properties as well.
        same([&] { seg->setProperty("Nb", 42); });
        changed([&] { seg->setProperty("Nb", 43); });
        changed([&] { seg->setProperty("Style", 1); });
        QCOMPARE(seg->Style(), TStyle::LED);
        // A hidden control takes the values without drawing.
        seg->hide();
        same([&] { seg->setNb(44); });
        QCOMPARE(seg->Nb(), 44);
    }

    void clicks_and_popup() {
        QWidget parent;
        auto* seg = new TSEG(&parent);
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        QSignalSpy clicked(seg, &TCustomSeg::clicked);
        QSignalSpy doubled(seg, &TCustomSeg::doubleClicked);
        QSignalSpy popup(seg, &TCustomSeg::contextPopup);
        QTest::mouseClick(seg, Qt::LeftButton, {}, QPoint(20, 20));
        QCOMPARE(clicked.count(), 1);
        QTest::mouseDClick(seg, Qt::LeftButton, {}, QPoint(20, 20));
        QCOMPARE(doubled.count(), 1);
        QMenu menu;
        menu.addAction(QStringLiteral("x"));
        seg->setPopupMenu(&menu);
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 6), seg->mapToGlobal(QPoint(5, 6)));
        QCoreApplication::sendEvent(seg, &event);
        QCOMPARE(popup.count(), 1);
        QCOMPARE(popup.at(0).at(0).toPoint(), QPoint(5, 6));
        QTRY_VERIFY(menu.isVisible());
        menu.close();
    }
};

QTEST_MAIN(TestSegments)
#include "tst_SEGMENTS.moc"
