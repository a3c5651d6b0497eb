// Linearisation files: the bytes the writer produces, what the loader reads from hand-written texts
// (the keywords, the separators, the count, the empty line, the length limits, the most points),
// round trips, and saves and loads that fail.
#include "base/Errors.h"
#include "indicator/LinFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

#include <cmath>
#include <limits>

using qv7::LinFilePoint;
using Points = std::vector<LinFilePoint>;

Q_DECLARE_METATYPE(Points)

namespace {

const QByteArray Header = "; /* SEG\r\n; g\xE9n\xE9rateur de segment de lin\xE9"
                          "arisation\r\n;\r\n";

// "\t\t.float\t<value>\t\t; X i" and its Y line, as the writer lays them out.
QByteArray pair(const QByteArray& x, const QByteArray& y, int i) {
    const QByteArray n = QByteArray::number(i);
    return "\t\t.float\t" + x + "\t\t; X " + n + "\r\n\t\t.float\t" + y + "\t\t; Y " + n + "\r\n";
}

// A file of `count` points (i, 2i), its count line declaring `declared` points.
QByteArray fileOf(int count, int declared) {
    QByteArray text = Header + "Nb_Seg\t\t.equ " + QByteArray::number(declared) + "\r\nTABpoint:\r\n";
    for (int i = 0; i < count; ++i)
        text += pair(QByteArray::number(i) + ".00", QByteArray::number(2 * i) + ".00", i);
    return text + "END\r\n";
}

Points pointsOf(int count) {
    Points points;
    for (int i = 0; i < count; ++i)
        points.push_back({static_cast<float>(i), static_cast<float>(2 * i)});
    return points;
}

const QString Mismatch = QStringLiteral("Attention : Nombre de segment incorrect");
const QString TooMany = QStringLiteral("Trop de segments");

} // namespace

class tst_LinFile : public QObject {
    Q_OBJECT
private slots:
    void default_curve_is_saved_as_ten_lines();
    void loader_reads_the_values_and_the_count_data();
    void loader_reads_the_values_and_the_count();
    void refused_files_name_the_reason_data();
    void refused_files_name_the_reason();
    void the_most_points_a_file_brings_data();
    void the_most_points_a_file_brings();
    void count_texts_data();
    void count_texts();
    void save_and_load_round_the_values_to_hundredths_data();
    void save_and_load_round_the_values_to_hundredths();
    void failed_save_keeps_the_previous_file();
    void missing_file_is_reported_by_the_system_message();
};

void tst_LinFile::default_curve_is_saved_as_ten_lines() {
    const Points curve{{0, 0}, {100, 100}};
    const QByteArray expected = Header + "Nb_Seg\t\t.equ 2\r\n"
                                         "TABpoint:\r\n"
                                         "\t\t.float\t0.00\t\t; X 0\r\n"
                                         "\t\t.float\t0.00\t\t; Y 0\r\n"
                                         "\t\t.float\t100.00\t\t; X 1\r\n"
                                         "\t\t.float\t100.00\t\t; Y 1\r\n"
                                         "END\r\n";
    QCOMPARE(qv7::linFileText(curve), expected);
    QCOMPARE(expected.count("\r\n"), 10);

    QTemporaryDir dir;
    const QString path = dir.filePath("default.LIN");
    qv7::saveLinFile(path, curve);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), expected);
    const qv7::LinLoadResult back = qv7::loadLinFile(path);
    QVERIFY(back.ok());
    QCOMPARE(back.points, curve);
    QCOMPARE(back.messages, QStringList());
}

void tst_LinFile::loader_reads_the_values_and_the_count_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<Points>("points");
    QTest::addColumn<QStringList>("messages");
    const QByteArray equ2 = "Nb_Seg\t\t.equ 2\r\n";
    const QByteArray two = pair("0.00", "0.00", 0) + pair("100.00", "100.00", 1);
    const Points straight{{0, 0}, {100, 100}};

    QTest::newRow("count 3 with two points")
        << QByteArray(Header + "Nb_Seg\t\t.equ 3\r\n" + two) << straight << QStringList{Mismatch};
    QTest::newRow("no count line: no warning") << QByteArray(Header + two) << straight << QStringList();
    QTest::newRow("',' as separator") << QByteArray(equ2 + pair("12,5", "-3,25", 0) + pair("100", "100", 1))
                                      << Points{{12.5f, -3.25f}, {100, 100}} << QStringList();
    QTest::newRow("exponent") << QByteArray(equ2 + pair("1.5e2", "-2E-1", 0) + pair("1e0", "25E+1", 1))
                              << Points{{150, -0.2f}, {1, 250}} << QStringList();
    QTest::newRow("upper-case keyword ignored")
        << QByteArray(equ2 + "\t\t.FLOAT\t7.00\r\n" + two) << straight << QStringList();
    QTest::newRow("comment after a value is harmless")
        << QByteArray(equ2 + "\t.float 0.00 ; origin, x.x\r\n\t.float 0;\r\n" + pair("100", "100", 1))
        << straight << QStringList();
    QTest::newRow("nothing after the first empty line")
        << QByteArray(equ2 + two + "\r\n" + pair("5", "5", 2)) << straight << QStringList();
    QTest::newRow("empty line after the count: points before it only")
        << QByteArray("Nb_Seg .equ 3\r\n" + two + "\r\n" + pair("5", "5", 2)) << straight
        << QStringList{Mismatch};
    QTest::newRow("an X without its Y is not counted")
        << QByteArray(equ2 + two + "\t\t.float\t7.00\r\n") << straight << QStringList();
    QTest::newRow("an X without its Y and a count of 3")
        << QByteArray("Nb_Seg .equ 3\r\n" + two + "\t\t.float\t7.00\r\n") << straight
        << QStringList{Mismatch};
    QTest::newRow("lines ending in LF alone")
        << QByteArray("Nb .equ 2\n\t.float 1\n\t.float 2\n.float 3\n.float 4\n") << Points{{1, 2}, {3, 4}}
        << QStringList();
    QTest::newRow("lines ending in CR alone")
        << QByteArray("Nb .equ 2\r\t.float 1\r\t.float 2\r.float 3\r.float 4") << Points{{1, 2}, {3, 4}}
        << QStringList();
    QTest::newRow("two values on a line: the one after a ';' is passed over")
        << QByteArray(".float 1;.float 9\r\n.float 2\r\n.float 3; .float 4\r\n") << Points{{1, 2}, {3, 4}}
        << QStringList();
    QTest::newRow("the last character of a line is never looked at")
        << QByteArray(".float 1\r\n.float 2\r\n.float 3\r\n.float 4\r\nx.\r\n") << Points{{1, 2}, {3, 4}}
        << QStringList();
    QTest::newRow("hexadecimal count") << QByteArray("n .equ $2\r\n" + two) << straight << QStringList();
    QTest::newRow("value text of exactly 80 characters")
        << QByteArray(".float" + QByteArray(76, ' ') + "1.5;\r\n.float 2\r\n.float 3\r\n.float 4\r\n")
        << Points{{1.5f, 2}, {3, 4}} << QStringList();
}

void tst_LinFile::loader_reads_the_values_and_the_count() {
    QFETCH(QByteArray, text);
    QFETCH(Points, points);
    QFETCH(QStringList, messages);
    const qv7::LinLoadResult result = qv7::parseLinText(text);
    QVERIFY2(result.ok(), qPrintable(result.error));
    QCOMPARE(result.points, points);
    QCOMPARE(result.messages, messages);
    QVERIFY(result.valueSeen);
}

void tst_LinFile::refused_files_name_the_reason_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("line");
    QTest::addColumn<bool>("valueSeen");
    const QByteArray two = pair("0.00", "0.00", 0) + pair("100.00", "100.00", 1);
    QTest::newRow("empty line before the values")
        << QByteArray(Header + "Nb_Seg\t\t.equ 2\r\n\r\n" + two)
        << "Trop peu de points : il en faut au moins deux" << 0 << false;
    QTest::newRow("one point") << QByteArray(pair("1", "1", 0))
                               << "Trop peu de points : il en faut au moins deux" << 0 << true;
    QTest::newRow("comment after the count") << QByteArray("Nb_Seg\t\t.equ 2\t; two points\r\n" + two)
                                             << "'2' n'est pas une valeur entière correcte" << 1 << false;
    QTest::newRow("value that is not a number")
        << QByteArray(two + ".float abc\r\n") << "'abc' n'est pas une valeur à virgule flottante correcte"
        << 5 << true;
    QTest::newRow("keyword at the end of a line")
        << QByteArray(".float 1\r\n.float\r\n") << "'' n'est pas une valeur à virgule flottante correcte" << 2
        << true;
    QTest::newRow("beyond the single range")
        << QByteArray(".float 1e39\r\n" + two) << "'1e39' n'est pas une valeur à virgule flottante correcte"
        << 1 << true;
    QTest::newRow("value text of 81 characters")
        << QByteArray(two + ".float" + QByteArray(77, ' ') + "1.5;\r\n")
        << "Valeur trop longue : plus de 80 caractères" << 5 << true;
    QTest::newRow("count text of 81 characters")
        << QByteArray(".equ" + QByteArray(79, ' ') + "2;\r\n" + two)
        << "Valeur trop longue : plus de 80 caractères" << 1 << false;
}

void tst_LinFile::refused_files_name_the_reason() {
    QFETCH(QByteArray, text);
    QFETCH(QString, error);
    QFETCH(int, line);
    QFETCH(bool, valueSeen);
    const qv7::LinLoadResult result = qv7::parseLinText(text);
    QVERIFY(!result.ok());
    QCOMPARE(result.error, error);
    QCOMPARE(result.errorLine, line);
    QVERIFY(result.points.empty());
    QVERIFY(result.messages.isEmpty());
    QCOMPARE(result.valueSeen, valueSeen);
}

void tst_LinFile::the_most_points_a_file_brings_data() {
    QTest::addColumn<int>("inFile");
    QTest::addColumn<int>("declared");
    QTest::addColumn<int>("loaded");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("361 points") << 361 << 361 << 361 << QStringList();
    // The 362nd X stops the reading; the curve keeps the first 360 points.
    QTest::newRow("362 points declared") << 362 << 362 << 360 << QStringList{TooMany, Mismatch};
    QTest::newRow("362 points, count 360") << 362 << 360 << 360 << QStringList{TooMany};
    QTest::newRow("400 points") << 400 << 400 << 360 << QStringList{TooMany, Mismatch};
}

void tst_LinFile::the_most_points_a_file_brings() {
    QFETCH(int, inFile);
    QFETCH(int, declared);
    QFETCH(int, loaded);
    QFETCH(QStringList, messages);
    const qv7::LinLoadResult result = qv7::parseLinText(fileOf(inFile, declared));
    QVERIFY(result.ok());
    QCOMPARE(result.points, pointsOf(loaded));
    QCOMPARE(result.messages, messages);
}

void tst_LinFile::count_texts_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("converts");
    QTest::newRow("blank then digits") << QByteArray(" 12") << 12 << true;
    QTest::newRow("TAB then digits") << QByteArray("\t7") << 7 << true;
    QTest::newRow("sign") << QByteArray(" -3") << -3 << true;
    QTest::newRow("dollar hexadecimal") << QByteArray(" $1F") << 31 << true;
    QTest::newRow("0x hexadecimal") << QByteArray("0x1f") << 31 << true;
    QTest::newRow("blank after the digits") << QByteArray(" 2 ") << 0 << false;
    QTest::newRow("comment's semicolon") << QByteArray(" 2;") << 0 << false;
    QTest::newRow("no digits") << QByteArray("  ") << 0 << false;
    QTest::newRow("hexadecimal digit in decimal") << QByteArray("1F") << 0 << false;
    QTest::newRow("largest") << QByteArray("2147483647") << std::numeric_limits<int>::max() << true;
    QTest::newRow("past 32 bits") << QByteArray("2147483648") << 0 << false;
}

void tst_LinFile::count_texts() {
    QFETCH(QByteArray, text);
    QFETCH(int, count);
    QFETCH(bool, converts);
    const std::optional<int> got = qv7::linCount(text);
    QCOMPARE(got.has_value(), converts);
    if (converts) QCOMPARE(*got, count);
}

void tst_LinFile::save_and_load_round_the_values_to_hundredths_data() {
    QTest::addColumn<Points>("saved");
    QTest::addColumn<Points>("loaded");
    QTest::newRow("two decimals stay")
        << Points{{-12.25f, 0.5f}, {33.33f, 125}} << Points{{-12.25f, 0.5f}, {33.33f, 125}};
    QTest::newRow("halves round away from zero")
        << Points{{0.125f, -0.125f}, {99.995f, 1.004f}} << Points{{0.13f, -0.13f}, {100, 1}};
    QTest::newRow("a negative that rounds to zero")
        << Points{{-0.004f, 5}, {1000, -1000}} << Points{{0, 5}, {1000, -1000}};
}

void tst_LinFile::save_and_load_round_the_values_to_hundredths() {
    QFETCH(Points, saved);
    QFETCH(Points, loaded);
    QTemporaryDir dir;
    const QString path = dir.filePath("curve.LIN");
    qv7::saveLinFile(path, saved);
    const qv7::LinLoadResult result = qv7::loadLinFile(path);
    QVERIFY(result.ok());
    QCOMPARE(result.points, loaded);
    // And a second save gives the same bytes.
    QCOMPARE(qv7::linFileText(result.points), qv7::linFileText(saved));
}

void tst_LinFile::failed_save_keeps_the_previous_file() {
    QTemporaryDir dir;
    const QString path = dir.filePath("kept.LIN");
    const Points first{{0, 0}, {100, 100}};
    qv7::saveLinFile(path, first);
    QString message;
    try {
        qv7::saveLinFile(path, Points{{1, 1}, {2, 2}, {3, 3}}, [] { return EIO; });
    } catch (const qv7::EInOutError& e) {
        message = QString::fromUtf8(e.what());
    }
    QVERIFY(message.startsWith(QStringLiteral("Erreur E/S")));
    QCOMPARE(qv7::loadLinFile(path).points, first);

    try {
        qv7::saveLinFile(dir.filePath("no/such/dir/x.LIN"), first);
        QFAIL("a save into a missing directory succeeded");
    } catch (const qv7::EInOutError& e) {
        QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("Fichier introuvable"));
    }
}

void tst_LinFile::missing_file_is_reported_by_the_system_message() {
    QTemporaryDir dir;
    try {
        qv7::loadLinFile(dir.filePath("absent.LIN"));
        QFAIL("a missing file loaded");
    } catch (const qv7::EInOutError& e) {
        QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("Fichier introuvable"));
    }
}

QTEST_GUILESS_MAIN(tst_LinFile)
#include "tst_LinFile.moc"
