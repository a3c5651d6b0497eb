// qv7ctl's linearisation commands end to end: the built program against its simulated indicator,
// the simulated registers kept between runs in a state file. What lin-show reads and warns about,
// what lin-write refuses before it opens anything, and a file written and read back byte for byte.
#include "Qv7ctlRun.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <bit>

namespace {

// A point line pair as the editor writes it.
QByteArray pair(const QByteArray& x, const QByteArray& y, int i) {
    const QByteArray n = QByteArray::number(i);
    return "\t\t.float\t" + x + "\t\t; X " + n + "\r\n\t\t.float\t" + y + "\t\t; Y " + n + "\r\n";
}

QByteArray header(int declared) {
    return "; /* SEG\r\n; g\xE9n\xE9rateur de segment de lin\xE9"
           "arisation\r\n;\r\nNb_Seg\t\t.equ " +
           QByteArray::number(declared) + "\r\nTABpoint:\r\n";
}

// `count` points (i, i / 2) with the count line declaring `declared`.
QByteArray fileOf(int count, int declared) {
    QByteArray text = header(declared);
    for (int i = 0; i < count; ++i)
        text += pair(QByteArray::number(i) + ".00", QByteArray::number(i / 2.0, 'f', 2), i);
    return text + "END\r\n";
}

QJsonArray pointsJson(int count) {
    QJsonArray points;
    for (int i = 0; i < count; ++i)
        points.append(QJsonArray{i, i / 2.0});
    return points;
}

} // namespace

class tst_Qv7ctlLin : public QObject {
    Q_OBJECT
private slots:
    void init();
    void lin_show_prints_the_points_and_the_editors_messages_data();
    void lin_show_prints_the_points_and_the_editors_messages();
    void lin_write_refuses_before_opening_the_indicator_data();
    void lin_write_refuses_before_opening_the_indicator();
    void lin_write_then_lin_read_gives_back_the_file();
    void write_with_lin_sends_the_table_before_the_parameters_data();
    void write_with_lin_sends_the_table_before_the_parameters();

private:
    Run qv7ctl(const QStringList& args);
    QString path(const QString& name) const { return dir_->filePath(name); }
    void writeFile(const QString& name, const QByteArray& bytes);
    QByteArray readFile(const QString& name) const;
    std::unique_ptr<QTemporaryDir> dir_;
};

void tst_Qv7ctlLin::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
}

Run tst_Qv7ctlLin::qv7ctl(const QStringList& args) {
    return runQv7ctl(dir_->path(), args);
}

void tst_Qv7ctlLin::writeFile(const QString& name, const QByteArray& bytes) {
    QFile file(path(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray tst_Qv7ctlLin::readFile(const QString& name) const {
    QFile file(path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void tst_Qv7ctlLin::lin_show_prints_the_points_and_the_editors_messages_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QJsonArray>("points");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("as the editor saves it") << fileOf(3, 3) << pointsJson(3) << QStringList();
    QTest::newRow("count 4 for three points")
        << fileOf(3, 4) << pointsJson(3) << QStringList{"Warning: wrong number of segments"};
    QTest::newRow("362 points") << fileOf(362, 362) << pointsJson(360)
                                << QStringList{"Too many segments", "Warning: wrong number of segments"};
    QTest::newRow("',' and exponent")
        << QByteArray(".float 1,5e1\r\n.float 2,5\r\n.float 1E2\r\n.float 100\r\n")
        << QJsonArray{QJsonArray{15, 2.5}, QJsonArray{100, 100}} << QStringList();
}

void tst_Qv7ctlLin::lin_show_prints_the_points_and_the_editors_messages() {
    QFETCH(QByteArray, file);
    QFETCH(QJsonArray, points);
    QFETCH(QStringList, messages);
    writeFile("curve.LIN", file);
    const Run run = qv7ctl({"lin-show", "curve.LIN", "--json"});
    QCOMPARE(run.exitCode, 0);
    const QJsonObject shown = QJsonDocument::fromJson(run.out.toUtf8()).object();
    QCOMPARE(shown.value("points").toArray(), points);
    QCOMPARE(shown.value("messages").toVariant().toStringList(), messages);
}

void tst_Qv7ctlLin::lin_write_refuses_before_opening_the_indicator_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("message");
    const QStringList write{"lin-write", "curve.LIN", "--simulate", "--simulate-state=state.json"};
    QTest::newRow("33 points")
        << write << fileOf(33, 33)
        << "\"Too many segments for the device: 32 points at most\" (the file holds 33)";
    QTest::newRow("comment after the count")
        << write << QByteArray("n .equ 2 ; two\r\n" + pair("0", "0", 0) + pair("1", "1", 1))
        << "curve.LIN (line 1): \"'2' is not a valid integer value\"";
    QTest::newRow("one point") << write << QByteArray(header(1) + pair("0", "0", 0))
                               << "Too few points: at least two are needed";
    QTest::newRow("Y above 125 %") << write
                                   << QByteArray(header(2) + pair("0", "0", 0) + pair("100", "200", 1))
                                   << "point 1 (X 100, Y 200) lies outside -25 ... 125 %";
    QTest::newRow("X below -25 %") << write
                                   << QByteArray(header(2) + pair("-50", "0", 0) + pair("100", "100", 1))
                                   << "point 0 (X -50, Y 0) lies outside";
    QTest::newRow("a huge Y") << write << QByteArray(header(2) + pair("0", "3e38", 0) + pair("100", "100", 1))
                              << "point 0 (X 0, Y 3e+38) lies outside";
    QTest::newRow("X falling") << write
                               << QByteArray(header(3) + pair("0", "0", 0) + pair("60", "10", 1) +
                                             pair("50", "20", 2))
                               << "point 2 (X 50, Y 20) does not lie right of the point before it";
    QTest::newRow("cut short by a blank line")
        << write
        << QByteArray(header(4) + pair("0", "0", 0) + pair("10", "10", 1) + "\r\n" + pair("20", "20", 2))
        << "it declares 4 points but holds 2";
    QTest::newRow("no such file") << QStringList{"lin-write", "absent.LIN", "--simulate",
                                                 "--simulate-state=state.json"}
                                  << QByteArray() << "absent.LIN: \"File not found\"";
    QTest::newRow("lin-show of a refused file")
        << QStringList{"lin-show", "curve.LIN", "--json"} << QByteArray(".float x\r\n")
        << "'x' is not a valid floating-point value";
}

void tst_Qv7ctlLin::lin_write_refuses_before_opening_the_indicator() {
    QFETCH(QStringList, args);
    QFETCH(QByteArray, file);
    QFETCH(QString, message);
    if (!file.isEmpty()) writeFile("curve.LIN", file);
    const Run run = qv7ctl(args);
    QCOMPARE(run.exitCode, 4);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QCOMPARE(run.out, QString());
    // No indicator was simulated, so nothing can have been sent to one.
    QVERIFY(!QFile::exists(path("state.json")));
}

void tst_Qv7ctlLin::lin_write_then_lin_read_gives_back_the_file() {
    const QByteArray file = header(4) + pair("0.00", "0.00", 0) + pair("12.50", "-20.25", 1) +
                            pair("50.75", "60.00", 2) + pair("100.00", "125.00", 3) + "END\r\n";
    writeFile("curve.LIN", file);
    const QStringList sim{"--simulate", "--simulate-state=state.json"};
    const Run write = qv7ctl(QStringList{"lin-write", "curve.LIN"} + sim);
    QVERIFY2(write.exitCode == 0, qPrintable(write.err));
    QVERIFY(write.out.contains("4 points, every point read back as written"));
    const Run read = qv7ctl(QStringList{"lin-read", "-o", "back.LIN"} + sim);
    QVERIFY2(read.exitCode == 0, qPrintable(read.err));
    QCOMPARE(readFile("back.LIN"), file);
    // The table as text: every point, those past the last one in use said to be so.
    const QStringList table = qv7ctl(QStringList{"lin-read"} + sim).out.split('\n');
    QCOMPARE(table.size(), 34); // heading, 32 points, and the end of the last line
    QCOMPARE(table.at(0), QStringLiteral("point   input %   output %"));
    QCOMPARE(table.at(2), QStringLiteral("    1    12.500    -20.250"));
    QCOMPARE(table.at(4), QStringLiteral("    3   100.000    125.000"));
    QCOMPARE(table.at(5), QStringLiteral("    4     0.000      0.000   (not in use)"));
    QCOMPARE(table.at(32), QStringLiteral("   31     0.000      0.000   (not in use)"));
    const Run json = qv7ctl(QStringList{"lin-read", "--json"} + sim);
    const QJsonArray points = QJsonDocument::fromJson(json.out.toUtf8()).object().value("points").toArray();
    QCOMPARE(points.size(), 4);
    QCOMPARE(points.at(1).toArray().at(0).toDouble(), 12.5);
}

void tst_Qv7ctlLin::write_with_lin_sends_the_table_before_the_parameters_data() {
    QTest::addColumn<QStringList>("set"); // what the parameter file is made to say
    QTest::addColumn<int>("linPoints");   // points of curve.LIN; 0: no --lin
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<int>("register2"); // -1: nothing written
    QTest::addColumn<bool>("warned");
    const QStringList on{"linearisation.enabled=on"};
    QTest::newRow("--lin, linearisation on") << on << 3 << 0 << (1 + 256 * 2) << false;
    QTest::newRow("--lin, the table's count replaces the file's")
        << QStringList{"linearisation.enabled=on", "linearisation.last_point=8"} << 5 << 0 << (1 + 256 * 4)
        << false;
    QTest::newRow("no --lin, linearisation on")
        << QStringList{"linearisation.enabled=on", "linearisation.last_point=8"} << 0 << 0 << (1 + 256 * 7)
        << true;
    // The simulated indicator starts with two points in use (last point 1), which the file keeps.
    QTest::newRow("no --lin, linearisation off")
        << QStringList{"linearisation.enabled=off"} << 0 << 0 << (0 + 256 * 1) << false;
    QTest::newRow("--lin of 33 points") << on << 33 << 4 << -1 << false;
    // The very top of each range is sent, not refused: a full table, the longest filter.
    QTest::newRow("--lin of a full 32-point table") << on << 32 << 0 << (1 + 256 * 31) << false;
    QTest::newRow("32 points in use and the longest filter")
        << QStringList{"linearisation.enabled=on", "linearisation.last_point=32", "filter=9999"} << 0 << 0
        << (1 + 256 * 31) << true;
}

void tst_Qv7ctlLin::write_with_lin_sends_the_table_before_the_parameters() {
    QFETCH(QStringList, set);
    QFETCH(int, linPoints);
    QFETCH(int, exitCode);
    QFETCH(int, register2);
    QFETCH(bool, warned);
    QCOMPARE(qv7ctl({"read", "--simulate", "-o", "p.QV"}).exitCode, 0);
    QCOMPARE(qv7ctl(QStringList{"set", "p.QV"} + set).exitCode, 0);
    QStringList args{"write", "p.QV", "--simulate", "--simulate-state=state.json"};
    if (linPoints > 0) {
        writeFile("curve.LIN", fileOf(linPoints, linPoints));
        args << "--lin"
             << "curve.LIN";
    }
    const Run run = qv7ctl(args);
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(run.err.contains("warning: p.QV turns linearisation on"), warned);
    if (register2 < 0) {
        QVERIFY(!QFile::exists(path("state.json")));
        return;
    }
    const QJsonArray holding =
        QJsonDocument::fromJson(readFile("state.json")).object().value("holding").toArray();
    QCOMPARE(holding.at(2).toInt(), register2);
    if (linPoints == 0) return;
    // Point 1 of fileOf is (1 %, 0.5 %): ordinate then abscissa, fractions of full scale, low word first.
    const auto ordinate = std::bit_cast<quint32>(0.005f);
    const auto abscissa = std::bit_cast<quint32>(0.01f);
    QCOMPARE(holding.at(36).toInt(), static_cast<int>(ordinate & 0xFFFF));
    QCOMPARE(holding.at(37).toInt(), static_cast<int>(ordinate >> 16));
    QCOMPARE(holding.at(38).toInt(), static_cast<int>(abscissa & 0xFFFF));
    QCOMPARE(holding.at(39).toInt(), static_cast<int>(abscissa >> 16));
    QVERIFY2(run.out.contains(QStringLiteral("curve.LIN written first: %1 points").arg(linPoints)),
             qPrintable(run.out));
}

QTEST_GUILESS_MAIN(tst_Qv7ctlLin)
#include "tst_Qv7ctlLin.moc"
