// qv7ctl lin-fit end to end: the saved .LIN file's own points give the deviation it reports, and a
// refused table names its line.
#include "Qv7ctlRun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

namespace {

// The ".float" values of a .LIN file in X, Y order, read plainly.
QList<QPointF> linPoints(const QByteArray& file) {
    QList<double> values;
    static const QRegularExpression value(QStringLiteral("\\.float\\t(-?[0-9.]+)"));
    for (auto m = value.globalMatch(QString::fromLatin1(file)); m.hasNext();)
        values << m.next().captured(1).toDouble();
    QList<QPointF> points;
    for (qsizetype i = 0; i + 1 < values.size(); i += 2)
        points << QPointF(values[i], values[i + 1]);
    return points;
}

double deviation(const QList<QPointF>& curve, const QList<QPointF>& data) {
    double worst = 0;
    for (const QPointF& p : data)
        for (qsizetype s = 0; s + 1 < curve.size(); ++s)
            if (p.x() >= curve[s].x() && p.x() <= curve[s + 1].x()) {
                const double t = (p.x() - curve[s].x()) / (curve[s + 1].x() - curve[s].x());
                worst =
                    std::max(worst, std::abs(p.y() - (curve[s].y() + t * (curve[s + 1].y() - curve[s].y()))));
                break;
            }
    return worst;
}

} // namespace

class tst_Qv7ctlFit : public QObject {
    Q_OBJECT
private slots:
    void saved_file_gives_the_reported_deviation_data();
    void saved_file_gives_the_reported_deviation();
    void refusals_data();
    void refusals();
};

void tst_Qv7ctlFit::saved_file_gives_the_reported_deviation_data() {
    QTest::addColumn<int>("points");
    // The deviations' ranges: the horizontal tank's known figures with 12 points, and no worse than
    // them with more points.
    QTest::addColumn<QPointF>("fitted");
    QTest::addColumn<QPointF>("even");
    // The table's first line: a header, or (as spreadsheets save UTF-8) a byte-order mark before numbers.
    QTest::addColumn<QByteArray>("start");
    QTest::newRow("12 points") << 12 << QPointF(0.18, 0.20) << QPointF(0.63, 0.65)
                               << QByteArray("level;volume\n");
    QTest::newRow("32 points, byte-order mark")
        << 32 << QPointF(0.0, 0.18) << QPointF(0.0, 0.63) << QByteArray("\xEF\xBB\xBF");
}

void tst_Qv7ctlFit::saved_file_gives_the_reported_deviation() {
    QFETCH(int, points);
    QFETCH(QPointF, fitted);
    QFETCH(QPointF, even);
    QFETCH(QByteArray, start);
    QTemporaryDir dir;
    // The tank's volume against its level, the wetted segment's area (theta - sin theta) / 2, a few
    // thousandths off the file's two decimals so that saving moves the points.
    QByteArray table = start;
    QList<QPointF> data;
    for (int i = 0; i <= 100; ++i) {
        const double theta = 2 * std::acos(1 - 2 * i / 100.0);
        const QPointF p(i + 0.003 * (i % 3) * (i > 0 && i < 100),
                        100 * (theta - std::sin(theta)) / (2 * M_PI));
        data << p;
        table += QByteArray::number(p.x(), 'f', 3) + ';' + QByteArray::number(p.y(), 'f', 6) + '\n';
    }
    QVERIFY(writeBytes(dir.filePath("tank.csv"), table));
    const Run run = runQv7ctl(
        dir.path(), {"lin-fit", "tank.csv", "--points", QString::number(points), "-o", "tank.LIN", "--json"});
    QCOMPARE(run.exitCode, 0);
    const QJsonObject out = QJsonDocument::fromJson(run.out.toUtf8()).object();
    const QList<QPointF> saved = linPoints(readBytes(dir.filePath("tank.LIN")));
    QCOMPARE(saved.size(), out["points"].toArray().size());
    QVERIFY(saved.size() <= points);
    for (qsizetype i = 1; i < saved.size(); ++i)
        QVERIFY(saved[i].x() > saved[i - 1].x());
    // The indicator holds singles: the file's 66.49 is 66.48999786 there.
    QVERIFY2(std::abs(out["max_error"].toDouble() - deviation(saved, data)) < 1e-5,
             qPrintable(QString::number(deviation(saved, data)) + run.out));
    const double error = out["max_error"].toDouble();
    const double evenError = out["even_spacing_error"].toDouble();
    QVERIFY2(error >= fitted.x() && error <= fitted.y(), qPrintable(run.out));
    QVERIFY2(evenError >= even.x() && evenError <= even.y(), qPrintable(run.out));
}

void tst_Qv7ctlFit::refusals_data() {
    QTest::addColumn<QByteArray>("table");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    const QStringList file{"lin-fit", "data.csv"};
    QTest::newRow("not a number") << QByteArray("0,0\n\n50,5O\n") << file << 4
                                  << "data.csv: line 3: \"5O\" is not a number";
    QTest::newRow("out of range") << QByteArray("0;0\n130;1\n") << file << 4 << "line 2: 130 lies outside";
    QTest::newRow("same input twice")
        << QByteArray("1,1\n2,2\n1,3\n") << file << 4 << "line 3: the same input as line 1";
    QTest::newRow("too few pairs") << QByteArray("1,1\n") << file << 4 << "fewer than two pairs";
    QTest::newRow("33 points") << QByteArray() << QStringList{"lin-fit", "--shape", "sqrt", "--points", "33"}
                               << 1 << "--points takes a number from 2 to 32";
    QTest::newRow("file and shape") << QByteArray("0,0\n1,1\n")
                                    << QStringList{"lin-fit", "data.csv", "--shape", "hcyl"} << 1
                                    << "not both";
    QTest::newRow("free ends alone") << QByteArray()
                                     << QStringList{"lin-fit", "--shape", "sqrt", "--free-ends"} << 1
                                     << "--free-ends goes with --off-data";
    QTest::newRow("unknown shape") << QByteArray() << QStringList{"lin-fit", "--shape", "cone"} << 1
                                   << "sqrt, hcyl";
}

void tst_Qv7ctlFit::refusals() {
    QFETCH(QByteArray, table);
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QVERIFY(writeBytes(dir.filePath("data.csv"), table));
    const Run run = runQv7ctl(dir.path(), options + QStringList{"-o", "out.LIN"});
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY(!QFile::exists(dir.filePath("out.LIN")));
}

QTEST_GUILESS_MAIN(tst_Qv7ctlFit)
#include "tst_Qv7ctlFit.moc"
