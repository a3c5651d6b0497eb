// qv7ctl on a production line at the speed of its ports: --all on eight simulated indicators at once
// with a fault on one, the --log record of the line (fields, header once, nothing lost when an
// append fails), the converter values watched until Ctrl+C, and progress only on a terminal.
#include "Qv7ctlRun.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <pty.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// The file's SHA-256 as coreutils computes it.
QString sha256sum(const QString& path) {
    QProcess p;
    p.start("sha256sum", {path});
    p.waitForFinished(30000);
    return QString::fromLatin1(p.readAllStandardOutput()).section(' ', 0, 0);
}

// A CSV record split as RFC 4180 reads it (quoted fields, doubled quotes).
QStringList csvFields(const QString& line) {
    QStringList fields{QString()};
    bool inQuotes = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (inQuotes && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
            fields.last() += '"';
            ++i;
        } else if (c == '"') {
            inQuotes = !inQuotes;
        } else if (c == ',' && !inQuotes) {
            fields << QString();
        } else {
            fields.last() += c;
        }
    }
    return fields;
}

} // namespace

class tst_Qv7ctlRecord : public QObject {
    Q_OBJECT
private slots:
    void init();
    void a_fault_on_one_of_eight_leaves_seven_clean_data();
    void a_fault_on_one_of_eight_leaves_seven_clean();
    void log_records_one_line_per_indicator_data();
    void log_records_one_line_per_indicator();
    void failed_append_keeps_every_earlier_line_data();
    void failed_append_keeps_every_earlier_line();
    void adc_watch_reads_until_interrupted_or_lost_data();
    void adc_watch_reads_until_interrupted_or_lost();
    void progress_only_on_a_terminal_data();
    void progress_only_on_a_terminal();

private:
    QString path(const QString& name) const { return QDir(dir_->path()).filePath(name); }
    std::unique_ptr<QTemporaryDir> dir_;
};

void tst_Qv7ctlRecord::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    QCOMPARE(runQv7ctl(dir_->path(), {"read", "--simulate", "-o", "line.QV"}).exitCode, 0);
}

void tst_Qv7ctlRecord::a_fault_on_one_of_eight_leaves_seven_clean_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("faulty");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("failure");
    QTest::newRow("write, 0004 silent")
        << QStringList{"write", "line.QV", "--simulate-fault=silent@0004"} << "0004" << 3
        << "0004 - failed (exit 3): the indicator did not answer";
    QTest::newRow("read, 0008 loses every reply")
        << QStringList{"read", "--simulate-fault=drop:1000@0008"} << "0008" << 3
        << "0008 - failed (exit 3): the indicator did not answer the read of the type word";
    QTest::newRow("diff, 0001 answers past the time-out")
        << QStringList{"diff", "line.QV", "--simulate-fault=delay:3000@0001"} << "0001" << 3
        << "0001 - failed (exit 3)";
}

void tst_Qv7ctlRecord::a_fault_on_one_of_eight_leaves_seven_clean() {
    QFETCH(QStringList, args);
    QFETCH(QString, faulty);
    QFETCH(int, exitCode);
    QFETCH(QString, failure);
    const Run run = runQv7ctl(dir_->path(), args + QStringList{"--all", "--simulate-count=8", "--timeout=1"});
    QCOMPARE(run.exitCode, exitCode);
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 9);
    for (int i = 0; i < 8; ++i) {
        const QString serial = QStringLiteral("000%1").arg(i + 1);
        if (serial == faulty)
            QVERIFY2(lines[i].startsWith(failure), qPrintable(lines[i]));
        else
            QCOMPARE(lines[i], serial + " Qv7-4RL-RS ok");
    }
    QCOMPARE(lines[8], args.first() + ": 8 indicator(s), 7 ok, 1 failed");
}

void tst_Qv7ctlRecord::log_records_one_line_per_indicator_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    // Per record: serial, model, type word, parameter file, exit code, a text the differences hold.
    QTest::addColumn<QList<QStringList>>("records");
    QTest::newRow("write --all") << QStringList{"write", "line.QV", "--all", "--simulate-count=2"} << 0
                                 << QList<QStringList>{{"0001", "Qv7-4RL-RS", "0x4053", "line.QV", "0", ""},
                                                       {"0002", "Qv7-4RL-RS", "0x4053", "line.QV", "0", ""}};
    QTest::newRow("read -o, one by serial")
        << QStringList{"read", "-o", "b.QV", "--serial=0002", "--simulate-count=2"} << 0
        << QList<QStringList>{{"0002", "Qv7-4RL-RS", "0x4053", "b.QV", "0", ""}};
    QTest::newRow("diff finds the changed threshold")
        << QStringList{"diff", "changed.QV", "--simulate=0x4053"} << 5
        << QList<QStringList>{{"0001", "Qv7-4RL-RS", "0x4053", "changed.QV", "5", ", indicator "}};
    QTest::newRow("silent indicator: no model, no type word")
        << QStringList{"adjust", "zero1", "--all", "--simulate", "--simulate-fault=silent", "--timeout=1"}
        << 3 << QList<QStringList>{{"0001", "", "", "", "3", ""}};
}

void tst_Qv7ctlRecord::log_records_one_line_per_indicator() {
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QList<QStringList>, records);
    QVERIFY(QFile::copy(path("line.QV"), path("changed.QV")));
    QCOMPARE(runQv7ctl(dir_->path(), {"set", "changed.QV", "alarm1.threshold=1234"}).exitCode, 0);
    // Twice: the header comes once, the second run's records follow the first's.
    for (int round = 0; round < 2; ++round)
        QCOMPARE(runQv7ctl(dir_->path(), args + QStringList{"--log", "line.csv"}).exitCode, exitCode);
    const QStringList lines = QString::fromUtf8(readBytes(path("line.csv"))).split("\r\n");
    QCOMPARE(lines.size(), 1 + 2 * records.size() + 1); // the last CR LF ends the file
    QCOMPARE(lines.first(), "time (UTC),command,serial,model,type word,parameter file SHA-256,"
                            "table file SHA-256,result,exit code,differences");
    QCOMPARE(lines.last(), QString());
    for (qsizetype i = 0; i < 2 * records.size(); ++i) {
        const QStringList fields = csvFields(lines[i + 1]);
        const QStringList& want = records[i % records.size()];
        QCOMPARE(fields.size(), 10);
        QVERIFY2(
            QRegularExpression("^20\\d\\d-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ$").match(fields[0]).hasMatch(),
            qPrintable(fields[0]));
        QCOMPARE(fields[1], args.first());
        QCOMPARE(fields[2], want[0]);
        QCOMPARE(fields[3], want[1]);
        QCOMPARE(fields[4], want[2]);
        QCOMPARE(fields[5], want[3].isEmpty() ? QString() : sha256sum(path(want[3])));
        QCOMPARE(fields[6], QString());
        QCOMPARE(fields[7].startsWith("ok"), want[4] == "0");
        QCOMPARE(fields[8], want[4]);
        QVERIFY2(want[5].isEmpty() ? fields[9].isEmpty() : fields[9].contains(want[5]),
                 qPrintable(fields[9]));
    }
}

void tst_Qv7ctlRecord::failed_append_keeps_every_earlier_line_data() {
    QTest::addColumn<QString>("log");
    QTest::addColumn<bool>("sizeLimit");
    QTest::newRow("file size limit (as a full disk)") << "line.csv" << true;
    QTest::newRow("folder missing") << "missing/line.csv" << false;
}

void tst_Qv7ctlRecord::failed_append_keeps_every_earlier_line() {
    QFETCH(QString, log);
    QFETCH(bool, sizeLimit);
    const QStringList args{"write", "line.QV", "--all", "--simulate-count=3", "--log", log};
    if (sizeLimit) QCOMPARE(runQv7ctl(dir_->path(), args).exitCode, 0);
    const QByteArray before = readBytes(path(log));
    QProcess process;
    process.setWorkingDirectory(dir_->path());
    const rlim_t limit = static_cast<rlim_t>(before.size()) + 100; // less than one more record per indicator
    process.setChildProcessModifier([sizeLimit, limit] {
        if (!sizeLimit) return;
        ::signal(SIGXFSZ, SIG_IGN); // the write fails with EFBIG instead of ending the program
        const rlimit r{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &r);
    });
    process.start(QStringLiteral(QV7CTL_PATH), args);
    QVERIFY(process.waitForFinished(60000));
    const QString err = QString::fromUtf8(process.readAllStandardError());
    QCOMPARE(process.exitCode(), 4);
    QVERIFY2(err.contains("qv7ctl: the record was not appended to the log: " + log), qPrintable(err));
    // The indicators were written all the same, and say so.
    QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()).count(" ok\n"), 3);
    QCOMPARE(readBytes(path(log)), before);
    QCOMPARE(QDir(dir_->path()).entryList({"line.csv.*"}, QDir::Files), QStringList());
}

void tst_Qv7ctlRecord::adc_watch_reads_until_interrupted_or_lost_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("interval"); // ms; 0: the indicator is lost, no Ctrl+C
    QTest::addColumn<int>("exitCode");
    QTest::newRow("text every 60 ms") << QStringList{"adc", "--watch", "--interval=60"} << 60 << 0;
    QTest::newRow("JSON every 30 ms")
        << QStringList{"adc", "--watch", "--json", "--interval", "30"} << 30 << 0;
    QTest::newRow("adjust, then the values")
        << QStringList{"adjust", "fullscale2", "--watch", "--interval=40"} << 40 << 0;
    QTest::newRow("silent indicator is lost")
        << QStringList{"adc", "--watch", "--simulate-fault=silent", "--timeout=1"} << 0 << 3;
}

void tst_Qv7ctlRecord::adc_watch_reads_until_interrupted_or_lost() {
    QFETCH(QStringList, args);
    QFETCH(int, interval);
    QFETCH(int, exitCode);
    QProcess process;
    process.setWorkingDirectory(dir_->path());
    process.start(QStringLiteral(QV7CTL_PATH), args + QStringList{"--simulate"});
    QVERIFY(process.waitForStarted());
    QByteArray out;
    if (interval > 0) {
        while (out.count('\n') < 5 && process.waitForReadyRead(10000))
            out += process.readAllStandardOutput();
        ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    }
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), exitCode);
    out += process.readAllStandardOutput();
    QStringList lines = QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts);
    if (interval == 0) {
        QCOMPARE(lines, QStringList());
        QVERIFY(process.readAllStandardError().contains("did not answer the read of input registers 5"));
        return;
    }
    if (args.first() == "adjust")
        QCOMPARE(lines.takeFirst(), "Qv7-4RL-RS: fullscale2 taken (holding register 1000 := 4)");
    QVERIFY(lines.size() >= 4);
    double last = -1.0;
    for (const QString& line : lines) {
        double time = 0;
        // The simulator holds 12.5 in input registers 5-6 and 0.25 in 7-8.
        if (args.contains("--json")) {
            const QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
            QCOMPARE(o.keys(), (QStringList{"adc1", "adc2", "time"}));
            QCOMPARE(o.value("adc1").toDouble(), 12.5);
            QCOMPARE(o.value("adc2").toDouble(), 0.25);
            time = o.value("time").toDouble();
        } else {
            const auto m = QRegularExpression("^time (\\d+\\.\\d{3}) adc1 12.5 adc2 0.25$").match(line);
            QVERIFY2(m.hasMatch(), qPrintable(line));
            time = m.captured(1).toDouble();
        }
        // Readings start an interval apart, never sooner (their times are rounded to the millisecond).
        if (last >= 0) QVERIFY2(time - last >= (interval - 2) / 1000.0, qPrintable(line));
        last = time;
    }
}

void tst_Qv7ctlRecord::progress_only_on_a_terminal_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("terminal");
    QTest::addColumn<QStringList>("shown");
    const QStringList all{"write", "line.QV", "--all", "--simulate-count=3"};
    QTest::newRow("--all on a terminal")
        << all << true << QStringList{"\r\x1b[K0001 write [", "\r\x1b[K0003 write "};
    QTest::newRow("--all into a pipe") << all << false << QStringList{};
    QTest::newRow("lin-write on a terminal") << QStringList{"lin-write", "curve.LIN", "--simulate"} << true
                                             << QStringList{"\r\x1b[Kindicator lin-write ["};
}

void tst_Qv7ctlRecord::progress_only_on_a_terminal() {
    QFETCH(QStringList, args);
    QFETCH(bool, terminal);
    QFETCH(QStringList, shown);
    QVERIFY(writeBytes(path("curve.LIN"), "; /* SEG\r\n;\r\nNb_Seg\t\t.equ 2\r\nTABpoint:\r\n"
                                          "\t\t.float\t0.00\r\n\t\t.float\t0.00\r\n"
                                          "\t\t.float\t100.00\r\n\t\t.float\t100.00\r\nEND\r\n"));
    int master = -1, slave = -1;
    QCOMPARE(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    QProcess process;
    process.setWorkingDirectory(dir_->path());
    process.setChildProcessModifier([terminal, slave] {
        if (terminal) ::dup2(slave, STDERR_FILENO);
    });
    process.start(QStringLiteral(QV7CTL_PATH), args);
    QVERIFY(process.waitForFinished(60000));
    ::close(slave);
    QByteArray tty;
    char buffer[4096];
    ::fcntl(master, F_SETFL, O_NONBLOCK);
    for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;)
        tty.append(buffer, n);
    ::close(master);
    QCOMPARE(process.exitCode(), 0);
    const QByteArray err = terminal ? tty : process.readAllStandardError();
    for (const QString& text : shown)
        QVERIFY2(err.contains(text.toUtf8()), err.constData());
    // Nothing of it outside a terminal, and nothing on stdout anywhere.
    if (!terminal) QVERIFY2(!err.contains('\x1b'), err.constData());
    QVERIFY(!process.readAllStandardOutput().contains('\x1b'));
}

QTEST_GUILESS_MAIN(tst_Qv7ctlRecord)
#include "tst_Qv7ctlRecord.moc"
