// The curve against the indicator's table: the range check of a table read (its bounds, a NaN, the
// points in use only), the scale of 100 both ways, and the rising X check before a write.
#include "base/Errors.h"
#include "indicator/LinCurve.h"

#include <QTest>

#include <cmath>
#include <limits>

using qv7::LinFilePoint;
using Points = std::vector<LinFilePoint>;

Q_DECLARE_METATYPE(Points)

namespace {
const float NaN = std::numeric_limits<float>::quiet_NaN();

// A table whose points run (0.03 i, 0.02 i), all in range, with point `index` set to (ordinate, abscissa).
TLinTable tableWith(int index, float ordinate, float abscissa) {
    TLinTable table{};
    for (int i = 0; i < 32; ++i)
        table[static_cast<std::size_t>(i)] = {0.03f * static_cast<float>(i), 0.02f * static_cast<float>(i)};
    table[static_cast<std::size_t>(index)] = {ordinate, abscissa};
    return table;
}
} // namespace

class tst_LinCurve : public QObject {
    Q_OBJECT
private slots:
    void table_read_is_checked_on_the_points_in_use_data();
    void table_read_is_checked_on_the_points_in_use();
    void last_point_beyond_the_table_is_a_range_error();
    void curve_and_table_differ_by_a_scale_of_100_data();
    void curve_and_table_differ_by_a_scale_of_100();
    void first_point_whose_x_does_not_rise_data();
    void first_point_whose_x_does_not_rise();
};

void tst_LinCurve::table_read_is_checked_on_the_points_in_use_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<float>("ordinate");
    QTest::addColumn<float>("abscissa");
    QTest::addColumn<int>("lastPoint");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("-0.25 and 1.25 are in") << 2 << -0.25f << 1.25f << 5 << true;
    QTest::newRow("1.3 at point 3 of 6") << 3 << 1.3f << 0.3f << 5 << false;
    QTest::newRow("abscissa just under -0.25") << 1 << 0.0f << std::nextafter(-0.25f, -1.0f) << 5 << false;
    QTest::newRow("ordinate just over 1.25") << 5 << std::nextafter(1.25f, 2.0f) << 0.5f << 5 << false;
    QTest::newRow("NaN ordinate") << 0 << NaN << 0.0f << 5 << false;
    QTest::newRow("NaN abscissa") << 4 << 0.0f << NaN << 5 << false;
    QTest::newRow("1.3 past the last point in use") << 6 << 1.3f << 1.3f << 5 << true;
    QTest::newRow("last point 0: only point 0") << 1 << NaN << NaN << 0 << true;
    QTest::newRow("last point 31") << 31 << 1.25f << -0.25f << 31 << true;
}

void tst_LinCurve::table_read_is_checked_on_the_points_in_use() {
    QFETCH(int, index);
    QFETCH(float, ordinate);
    QFETCH(float, abscissa);
    QFETCH(int, lastPoint);
    QFETCH(bool, accepted);
    const TLinTable table = tableWith(index, ordinate, abscissa);
    const auto curve = qv7::linCurveFromTable(table, lastPoint);
    QCOMPARE(curve.has_value(), accepted);
    if (!accepted) return;
    QCOMPARE(curve->size(), static_cast<std::size_t>(lastPoint + 1));
    for (int i = 0; i <= lastPoint; ++i) {
        const TLinPoint& p = table[static_cast<std::size_t>(i)];
        QCOMPARE((*curve)[static_cast<std::size_t>(i)].X, static_cast<float>(double(p.Abscissa) * 100));
        QCOMPARE((*curve)[static_cast<std::size_t>(i)].Y, static_cast<float>(double(p.Ordinate) * 100));
    }
}

void tst_LinCurve::last_point_beyond_the_table_is_a_range_error() {
    // A parameter file may carry any byte there; the table has 32 points.
    QVERIFY_THROWS_EXCEPTION(qv7::ERangeError, qv7::linCurveFromTable(TLinTable{}, 32));
    QVERIFY_THROWS_EXCEPTION(qv7::ERangeError, qv7::linCurveFromTable(TLinTable{}, -1));
}

void tst_LinCurve::curve_and_table_differ_by_a_scale_of_100_data() {
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::addColumn<float>("abscissa");
    QTest::addColumn<float>("ordinate");
    QTest::newRow("25 is 0.25") << 25.0f << 50.0f << 0.25f << 0.5f;
    QTest::newRow("-25 and 125") << -25.0f << 125.0f << -0.25f << 1.25f;
    QTest::newRow("hundredths") << 12.34f << 99.99f << 0.1234f << 0.9999f;
}

void tst_LinCurve::curve_and_table_differ_by_a_scale_of_100() {
    QFETCH(float, x);
    QFETCH(float, y);
    QFETCH(float, abscissa);
    QFETCH(float, ordinate);
    const TLinPoint point = qv7::linTablePoint(x, y);
    QCOMPARE(point.Abscissa, abscissa);
    QCOMPARE(point.Ordinate, ordinate);
    const LinFilePoint back = qv7::linCurvePoint(point);
    QCOMPARE(back.X, x);
    QCOMPARE(back.Y, y);
}

void tst_LinCurve::first_point_whose_x_does_not_rise_data() {
    QTest::addColumn<Points>("curve");
    QTest::addColumn<int>("point");
    QTest::newRow("rising") << Points{{0, 0}, {10, 50}, {100, 20}} << -1;
    QTest::newRow("same X twice") << Points{{0, 0}, {10, 5}, {10, 7}, {20, 9}} << 2;
    QTest::newRow("falling at the end") << Points{{0, 0}, {50, 5}, {40, 9}} << 2;
    QTest::newRow("falling at the start") << Points{{5, 0}, {-5, 5}} << 1;
}

void tst_LinCurve::first_point_whose_x_does_not_rise() {
    QFETCH(Points, curve);
    QFETCH(int, point);
    QCOMPARE(qv7::firstNonIncreasingPoint(curve), point);
}

QTEST_GUILESS_MAIN(tst_LinCurve)
#include "tst_LinCurve.moc"
