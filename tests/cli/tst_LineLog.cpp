// The --log record in process: fields as RFC 4180 and spreadsheets want them, and appends from
// several programs at once onto a new record.
#include "cli/LineLog.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <thread>
#include <vector>

using namespace qv7::cli;

class tst_LineLog : public QObject {
    Q_OBJECT
private slots:
    void fields_are_csv_text_data();
    void fields_are_csv_text();
    void first_appends_at_once_write_one_header();
};

void tst_LineLog::fields_are_csv_text_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("field");
    QTest::newRow("plain") << "0001"
                           << "0001";
    QTest::newRow("a comma") << "a,b"
                             << "\"a,b\"";
    QTest::newRow("quotes inside") << "say \"hi\""
                                   << "\"say \"\"hi\"\"\"";
    QTest::newRow("a line break") << "a\nb"
                                  << "\"a\nb\"";
    QTest::newRow("a leading blank") << " x"
                                     << "\" x\"";
    // What a spreadsheet would run as a formula is written as text.
    QTest::newRow("=") << "=1+1"
                       << "'=1+1";
    QTest::newRow("+") << "+1"
                       << "'+1";
    QTest::newRow("-") << "-2+3"
                       << "'-2+3";
    QTest::newRow("@ with a comma") << "@SUM(A1,A2)"
                                    << "\"'@SUM(A1,A2)\"";
}

void tst_LineLog::fields_are_csv_text() {
    QFETCH(QString, text);
    QFETCH(QString, field);
    QCOMPARE(csvField(text), field);
}

// Eight appends start on a record that does not exist yet: one header, then eight lines.
void tst_LineLog::first_appends_at_once_write_one_header() {
    QTemporaryDir dir;
    const QString path = dir.filePath("line.csv");
    LogRecord record;
    record.command = "read";
    record.serial = "0001";
    std::vector<std::thread> appenders;
    std::vector<QString> failures(8);
    for (std::size_t i = 0; i < failures.size(); ++i)
        appenders.emplace_back([&, i] { failures[i] = appendToLog(path, {record}, 5000); });
    for (std::thread& t : appenders)
        t.join();
    for (const QString& failure : failures)
        QCOMPARE(failure, QString());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.size(), 1 + 8 + 1);
    QCOMPARE(lines.count(logHeader().toUtf8() + '\r'), 1);
    QCOMPARE(lines.first(), logHeader().toUtf8() + '\r');
}

QTEST_GUILESS_MAIN(tst_LineLog)
#include "tst_LineLog.moc"
