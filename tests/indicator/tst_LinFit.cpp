// The curve fitter against a brute-force search over every choice of points, its promises on large
// sets, the figures of the built-in shapes, and the measurements table reader.
#include "indicator/LinFit.h"
#include "indicator/Measures.h"

#include <QTest>

#include <cmath>
#include <random>

using namespace qv7;

namespace {

// The deviation of a polyline from the data, written out plainly (not the fitter's walk).
double deviationOf(const std::vector<FitPoint>& curve, const std::vector<FitPoint>& data) {
    double worst = 0;
    for (const FitPoint& p : data)
        for (std::size_t s = 0; s + 1 < curve.size(); ++s)
            if (p.x >= curve[s].x && p.x <= curve[s + 1].x) {
                const double t = (p.x - curve[s].x) / (curve[s + 1].x - curve[s].x);
                worst = std::max(worst, std::abs(p.y - (curve[s].y + t * (curve[s + 1].y - curve[s].y))));
                break;
            }
    return worst;
}

// The least deviation over every subset of the inner pairs of at most budget - 2 points.
double bruteForce(const std::vector<FitPoint>& data, int budget) {
    const std::size_t inner = data.size() - 2;
    double best = 1e300;
    for (unsigned mask = 0; mask < (1u << inner); ++mask) {
        if (std::popcount(mask) > budget - 2) continue;
        std::vector<FitPoint> curve{data.front()};
        for (std::size_t i = 0; i < inner; ++i)
            if (mask & (1u << i)) curve.push_back(data[i + 1]);
        curve.push_back(data.back());
        best = std::min(best, deviationOf(curve, data));
    }
    return best;
}

std::vector<FitPoint> randomData(unsigned seed, int pairs, double noise) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> step(0.5, 3.0), jitter(-noise, noise);
    std::vector<FitPoint> data;
    double x = 0;
    for (int i = 0; i < pairs; ++i, x += step(random))
        data.push_back({x, 20 * std::sin(x / 7) + x + jitter(random)});
    return data;
}

} // namespace

class tst_LinFit : public QObject {
    Q_OBJECT
private slots:
    void fit_is_the_best_of_every_choice_of_points_data();
    void fit_is_the_best_of_every_choice_of_points();
    void fitted_curve_keeps_its_promises_data();
    void fitted_curve_keeps_its_promises();
    void shapes_give_the_known_figures_data();
    void shapes_give_the_known_figures();
    void table_reader_data();
    void table_reader();
};

void tst_LinFit::fit_is_the_best_of_every_choice_of_points_data() {
    QTest::addColumn<unsigned>("seed");
    QTest::addColumn<int>("pairs");
    QTest::addColumn<int>("budget");
    QTest::addColumn<double>("noise");
    for (unsigned seed = 1; seed <= 12; ++seed)
        for (const int budget : {2, 3, 4, 6})
            QTest::addRow("seed %u, %d points", seed, budget)
                << seed << int(8 + seed % 7) << budget << 4.0 * (seed % 3);
}

void tst_LinFit::fit_is_the_best_of_every_choice_of_points() {
    QFETCH(unsigned, seed);
    QFETCH(int, pairs);
    QFETCH(int, budget);
    QFETCH(double, noise);
    const std::vector<FitPoint> data = randomData(seed, pairs, noise);
    const double best = bruteForce(data, budget);
    const LinFitResult fit = fitLinCurve(data, budget);
    QVERIFY2(std::abs(fit.deviation.error - best) <= 1e-9 * (1 + best),
             qPrintable(QStringLiteral("fitted %1, best %2").arg(fit.deviation.error).arg(best)));
    QVERIFY(fitsWithin(data, budget, best * (1 + 1e-9)));
    QVERIFY(best == 0 || !fitsWithin(data, budget, best * 0.999));
}

void tst_LinFit::fitted_curve_keeps_its_promises_data() {
    QTest::addColumn<int>("pairs");
    QTest::addColumn<int>("budget");
    QTest::addColumn<double>("noise");
    QTest::addColumn<int>("exactLimit"); // 0: the greedy search of large sets
    QTest::addColumn<bool>("offData");
    for (const bool off : {false, true}) {
        const char* how = off ? ", off the data" : "";
        QTest::addRow("300 smooth pairs, 32 points, exact%s", how)
            << 300 << 32 << 0.0 << LinFitExactLimit << off;
        QTest::addRow("300 noisy pairs, 7 points, exact%s", how)
            << 300 << 7 << 1.0 << LinFitExactLimit << off;
        QTest::addRow("3000 noisy pairs, 32 points, greedy%s", how) << 3000 << 32 << 0.3 << 0 << off;
        QTest::addRow("3000 smooth pairs, 12 points, greedy%s", how) << 3000 << 12 << 0.0 << 0 << off;
        QTest::addRow("20 pairs, 32 points: the data itself%s", how)
            << 20 << 32 << 1.0 << LinFitExactLimit << off;
    }
}

void tst_LinFit::fitted_curve_keeps_its_promises() {
    QFETCH(int, pairs);
    QFETCH(int, budget);
    QFETCH(double, noise);
    QFETCH(int, exactLimit);
    QFETCH(bool, offData);
    const std::vector<FitPoint> data = randomData(99, pairs, noise);
    const LinFitResult onData = fitLinCurve(data, budget, {.exactLimit = exactLimit});
    const LinFitResult fit = fitLinCurve(data, budget, {.offData = offData, .exactLimit = exactLimit});
    QVERIFY(fit.points.size() <= std::size_t(budget));
    QCOMPARE(fit.points.front(), data.front());
    QCOMPARE(fit.points.back(), data.back());
    for (std::size_t i = 1; i < fit.points.size(); ++i)
        QVERIFY(fit.points[i].x > fit.points[i - 1].x);
    QCOMPARE(fit.deviation.error, deviationOf(fit.points, data));
    // Within 2 % of the best polyline on the data: none stays within 98 % of the fitted deviation.
    // Off the data the same inputs, and never a larger deviation.
    QVERIFY(onData.deviation.error == 0 || !fitsWithin(data, budget, 0.98 * onData.deviation.error));
    QCOMPARE(fit.points.size(), onData.points.size());
    for (std::size_t i = 0; i < fit.points.size(); ++i)
        QCOMPARE(fit.points[i].x, onData.points[i].x);
    QVERIFY(fit.deviation.error <= onData.deviation.error);
    QVERIFY(pairs <= budget || fit.deviation.error < fit.evenDeviation.error);
}

void tst_LinFit::shapes_give_the_known_figures_data() {
    QTest::addColumn<LinShape>("shape");
    QTest::addColumn<int>("budget");
    QTest::addColumn<double>("valueAt25"); // output at 25 % of the input, from the shape's formula
    QTest::addColumn<double>("fitted");    // largest deviations with 101 samples
    QTest::addColumn<double>("even");
    // sqrt(0.25); (2π/3 − sin 2π/3) / 2π; 0.25² × (3 − 0.5)
    QTest::newRow("square root, 32 points") << LinShape::SquareRoot << 32 << 50.0 << 0.03 << 4.2;
    QTest::newRow("horizontal cylinder, 12 points")
        << LinShape::HorizontalCylinder << 12 << 19.550 << 0.19 << 0.64;
    QTest::newRow("sphere") << LinShape::Sphere << 0 << 15.625 << 0.0 << 0.0;
}

void tst_LinFit::shapes_give_the_known_figures() {
    QFETCH(LinShape, shape);
    QFETCH(int, budget);
    QFETCH(double, valueAt25);
    QFETCH(double, fitted);
    QFETCH(double, even);
    const std::vector<FitPoint> data = shapeSamples(shape, 101);
    QCOMPARE(data.size(), std::size_t(101));
    QCOMPARE(data[25].x, 25.0);
    QVERIFY2(std::abs(data[25].y - valueAt25) < 0.001, qPrintable(QString::number(data[25].y)));
    QCOMPARE(data.back().y, 100.0);
    if (budget == 0) return;
    const LinFitResult fit = fitLinCurve(data, budget);
    QVERIFY2(std::abs(fit.deviation.error - fitted) < 0.005,
             qPrintable(QString::number(fit.deviation.error)));
    QVERIFY2(std::abs(fit.evenDeviation.error - even) < 0.05,
             qPrintable(QString::number(fit.evenDeviation.error)));
}

void tst_LinFit::table_reader_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("pairs"); // "x:y x:y", or the error as "kind@line"
    QTest::newRow("commas, header, unsorted")
        << QByteArray("input,output\n50,40\n0,0\n100,100\n") << "0:0 50:40 100:100";
    QTest::newRow("semicolons with decimal commas, CR LF")
        << QByteArray("# tank\r\n0;0\r\n\r\n12,5;3,25\r\n100;100\r\n") << "0:0 12.5:3.25 100:100";
    QTest::newRow("TAB with decimal commas") << QByteArray("0\t0\n12,5\t3,25\n") << "0:0 12.5:3.25";
    QTest::newRow("TAB, blanks, exponent, a trailing empty field")
        << QByteArray(" 0\t -5 \n1e1\t+20\t\n") << "0:-5 10:20";
    QTest::newRow("the same pair twice counts once") << QByteArray("1,2\n3,4\n1,2\n") << "1:2 3:4";
    QTest::newRow("bounds included") << QByteArray("-25,125\n125,-25\n") << "-25:125 125:-25";
    QTest::newRow("not a number") << QByteArray("0,0\n5,x5\n") << "0@2";
    QTest::newRow("header after data") << QByteArray("0,0\nin,out\n") << "0@2";
    QTest::newRow("decimal comma with comma separator") << QByteArray("0,0\n1,5,2\n") << "1@2";
    QTest::newRow("one column") << QByteArray("0,0\n7\n") << "1@2";
    QTest::newRow("above 125 %") << QByteArray("0,0\n# x\n10,125.01\n") << "2@3";
    QTest::newRow("below -25 %") << QByteArray("-25.5;0\n1;1\n") << "2@1";
    QTest::newRow("infinity") << QByteArray("0,inf\n1,1\n") << "0@1";
    QTest::newRow("same input, other output") << QByteArray("5,1\n0,0\n5,2\n") << "3@3";
    QTest::newRow("one pair") << QByteArray("x,y\n5,1\n5,1\n") << "4@0";
    QTest::newRow("nothing") << QByteArray("") << "4@0";
}

void tst_LinFit::table_reader() {
    QFETCH(QByteArray, text);
    QFETCH(QString, pairs);
    const MeasureReadResult read = parseMeasurements(std::string_view(text.constData(), text.size()));
    QString got;
    if (read.error) got = QStringLiteral("%1@%2").arg(int(read.error->kind)).arg(read.error->line);
    for (const FitPoint& p : read.pairs)
        got += QStringLiteral("%1%2:%3").arg(got.isEmpty() ? "" : " ").arg(p.x).arg(p.y);
    QCOMPARE(got, pairs);
}

QTEST_APPLESS_MAIN(tst_LinFit)
#include "tst_LinFit.moc"
