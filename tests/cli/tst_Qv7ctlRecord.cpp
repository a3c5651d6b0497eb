// qv7ctl on a production line at the speed of its ports: --all on eight simulated indicators at once
// with a fault on one, the --log record (fields, header once, nothing lost when an append fails), the
// converter values watched until Ctrl+C or the loss of the indicator.
#include "Qv7ctlRun.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

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
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == '"' && quoted && line.mid(i + 1, 1) == "\"")
            fields.last() += line[++i];
        else if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ',' && !quoted)
            fields << QString();
        else
            fields.last() += line[i];
    }
    return fields;
}

} // namespace

class tst_Qv7ctlRecord : public QObject {
    Q_OBJECT
private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QCOMPARE(runQv7ctl(dir_->path(), {"read", "--simulate", "-o", "line.QV"}).exitCode, 0);
        process_ = std::make_unique<QProcess>();
        process_->setWorkingDirectory(dir_->path());
    }
    void a_fault_on_one_of_eight_leaves_seven_clean_data();
    void a_fault_on_one_of_eight_leaves_seven_clean();
    void log_records_one_line_per_indicator_data();
    void log_records_one_line_per_indicator();
    void the_record_hashes_the_bytes_not_the_names_data();
    void the_record_hashes_the_bytes_not_the_names();
    void failed_append_keeps_every_earlier_line_data();
    void failed_append_keeps_every_earlier_line();
    void write_refuses_what_the_type_does_not_offer_data();
    void write_refuses_what_the_type_does_not_offer();
    void log_goes_to_a_regular_file_or_nowhere_data();
    void log_goes_to_a_regular_file_or_nowhere();
    void adc_watch_reads_until_interrupted_or_lost_data();
    void adc_watch_reads_until_interrupted_or_lost();

private:
    QString path(const QString& name) const { return QDir(dir_->path()).filePath(name); }
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<QProcess> process_; // a run that needs more than runQv7ctl gives
};

void tst_Qv7ctlRecord::a_fault_on_one_of_eight_leaves_seven_clean_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("faulty"); // its line, from 0
    QTest::addColumn<QString>("failure");
    QTest::newRow("write, 0004 silent") << QStringList{"write", "line.QV", "--simulate-fault=silent@0004"}
                                        << 3 << "0004 - failed (exit 3): the indicator did not answer";
    QTest::newRow("read, 0008 loses every reply")
        << QStringList{"read", "--simulate-fault=drop:1000@0008"} << 7
        << "0008 - failed (exit 3): the indicator did not answer the read of the type word";
    QTest::newRow("diff, 0001 answers past the time-out")
        << QStringList{"diff", "line.QV", "--simulate-fault=delay:3000@0001"} << 0
        << "0001 - failed (exit 3)";
}

void tst_Qv7ctlRecord::a_fault_on_one_of_eight_leaves_seven_clean() {
    QFETCH(QStringList, args);
    QFETCH(int, faulty);
    QFETCH(QString, failure);
    const Run run = runQv7ctl(dir_->path(), args + QStringList{"--all", "--simulate-count=8", "--timeout=1"});
    QCOMPARE(run.exitCode, 3);
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 9);
    for (int i = 0; i < 8; ++i)
        QVERIFY2(i == faulty ? lines[i].startsWith(failure)
                             : lines[i] == QStringLiteral("000%1 Qv7-4RL-RS ok").arg(i + 1),
                 qPrintable(lines[i]));
    QCOMPARE(lines[8], args.first() + ": 8 indicator(s), 7 ok, 1 failed");
}

void tst_Qv7ctlRecord::log_records_one_line_per_indicator_data() {
    QTest::addColumn<QStringList>("args");
    // Per record: serial, model, type word, parameter file, exit code, a text the differences hold.
    QTest::addColumn<QList<QStringList>>("records");
    QTest::newRow("write --all") << QStringList{"write", "line.QV", "--all", "--simulate-count=2"}
                                 << QList<QStringList>{{"0001", "Qv7-4RL-RS", "0x4053", "line.QV", "0", ""},
                                                       {"0002", "Qv7-4RL-RS", "0x4053", "line.QV", "0", ""}};
    QTest::newRow("read -o, one by serial")
        << QStringList{"read", "-o", "b.QV", "--serial=0002", "--simulate-count=2"}
        << QList<QStringList>{{"0002", "Qv7-4RL-RS", "0x4053", "b.QV", "0", ""}};
    QTest::newRow("diff finds the changed threshold")
        << QStringList{"diff", "changed.QV", "--simulate=0x4053"}
        << QList<QStringList>{{"0001", "Qv7-4RL-RS", "0x4053", "changed.QV", "5", ", indicator "}};
    QTest::newRow("silent indicator: no model, no type word")
        << QStringList{"adjust", "zero1", "--all", "--simulate", "--simulate-fault=silent", "--timeout=1"}
        << QList<QStringList>{{"0001", "", "", "", "3", ""}};
}

void tst_Qv7ctlRecord::log_records_one_line_per_indicator() {
    QFETCH(QStringList, args);
    QFETCH(QList<QStringList>, records);
    QVERIFY(QFile::copy(path("line.QV"), path("changed.QV")));
    QCOMPARE(runQv7ctl(dir_->path(), {"set", "changed.QV", "alarm1.threshold=1234"}).exitCode, 0);
    // Twice: the header comes once, the second run's records follow the first's.
    for (int round = 0; round < 2; ++round)
        QCOMPARE(runQv7ctl(dir_->path(), args + QStringList{"--log", "line.csv"}).exitCode,
                 records.first()[4].toInt());
    const QStringList lines = QString::fromUtf8(readBytes(path("line.csv"))).split("\r\n");
    QCOMPARE(lines.size(), 1 + 2 * records.size() + 1); // the last CR LF ends the file
    QCOMPARE(lines.first(), "time (UTC),command,serial,model,type word,parameter file SHA-256,"
                            "table file SHA-256,result,exit code,differences");
    for (qsizetype i = 0; i < 2 * records.size(); ++i) {
        const QStringList f = csvFields(lines[i + 1]);
        const QStringList& want = records[i % records.size()];
        QCOMPARE(f.size(), 10);
        QVERIFY2(QRegularExpression("^20\\d\\d-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ$").match(f[0]).hasMatch(),
                 qPrintable(f[0]));
        QCOMPARE(f.mid(1, 5), (QStringList{args.first(), want[0], want[1], want[2],
                                           want[3].isEmpty() ? QString() : sha256sum(path(want[3]))}));
        QCOMPARE(f[6], QString());
        QCOMPARE(f[7].startsWith("ok"), want[4] == "0");
        QCOMPARE(f[8], want[4]);
        QVERIFY2(want[5].isEmpty() ? f[9].isEmpty() : f[9].contains(want[5]), qPrintable(f[9]));
    }
}

void tst_Qv7ctlRecord::the_record_hashes_the_bytes_not_the_names_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("exitCode"); // 0: the digest is out.QV's, else there is none
    // The parameters go down a pipe: all 200 bytes arrive, and the record has their digest.
    QTest::newRow("read -o /dev/stdout into a pipe")
        << "\"$Q\" read --simulate -o /dev/stdout --log rec.csv | cat > out.QV" << 0;
    // A refused input is not read, let alone hashed (/dev/zero would never end).
    QTest::newRow("diff of /dev/zero") << "\"$Q\" diff /dev/zero --simulate --log rec.csv" << 4;
}

void tst_Qv7ctlRecord::the_record_hashes_the_bytes_not_the_names() {
    QFETCH(QString, script);
    QFETCH(int, exitCode);
    const Run run = runShell(dir_->path(), script);
    QVERIFY2(run.exitCode == exitCode, qPrintable(run.err));
    const QStringList lines = QString::fromUtf8(readBytes(path("rec.csv"))).split("\r\n");
    QCOMPARE(lines.size(), 3);
    if (exitCode == 0) QCOMPARE(readBytes(path("out.QV")).size(), 200);
    QCOMPARE(csvFields(lines[1]).value(5), exitCode == 0 ? sha256sum(path("out.QV")) : QString());
}

void tst_Qv7ctlRecord::failed_append_keeps_every_earlier_line_data() {
    QTest::addColumn<QString>("log");
    QTest::newRow("file size limit (as a full disk)") << "line.csv";
    QTest::newRow("folder missing") << "missing/line.csv";
}

void tst_Qv7ctlRecord::failed_append_keeps_every_earlier_line() {
    QFETCH(QString, log);
    const QStringList args{"write", "line.QV", "--all", "--simulate-count=3", "--log", log};
    runQv7ctl(dir_->path(), args);
    const QByteArray before = readBytes(path(log));
    const rlim_t limit = static_cast<rlim_t>(before.size()) + 100; // less than the three new records
    process_->setChildProcessModifier([limit] {
        ::signal(SIGXFSZ, SIG_IGN); // the write fails with EFBIG instead of ending the program
        const rlimit r{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &r);
    });
    process_->start(QStringLiteral(QV7CTL_PATH), args);
    QVERIFY(process_->waitForFinished(60000));
    QCOMPARE(process_->exitCode(), 4);
    QVERIFY(process_->readAllStandardError().contains("qv7ctl: the record was not appended to the log: " +
                                                      log.toUtf8()));
    QCOMPARE(process_->readAllStandardOutput().count(" ok\n"), 3); // written all the same, and told
    QCOMPARE(readBytes(path(log)), before);
    QCOMPARE(QDir(dir_->path()).entryList({"line.csv.*"}, QDir::Files), QStringList());
}

void tst_Qv7ctlRecord::write_refuses_what_the_type_does_not_offer_data() {
    QTest::addColumn<int>("offset"); // the record's byte changed
    QTest::addColumn<int>("orBits");
    QTest::addColumn<QString>("message");
    QTest::newRow("baud code 7") << 56 << 0x07 << "rs485.baud (RS485 baud rate) holds code 7";
    QTest::newRow("thermocouple 15") << 32 << 0xF0 << "input.thermocouple (Thermocouple type) holds code 15";
    QTest::newRow("256 points") << 37 << 0xFF << "linearisation.last_point";
}

void tst_Qv7ctlRecord::write_refuses_what_the_type_does_not_offer() {
    QFETCH(int, offset);
    QFETCH(int, orBits);
    QFETCH(QString, message);
    QByteArray bytes = readBytes(path("line.QV"));
    bytes[offset] = static_cast<char>(bytes[offset] | orBits);
    QVERIFY(writeBytes(path("odd.QV"), bytes));
    const Run run = runQv7ctl(dir_->path(), {"write", "odd.QV", "--simulate", "--simulate-state=state.json"});
    QCOMPARE(run.exitCode, 4);
    QVERIFY2(run.err.contains(message) && run.err.contains("nothing was sent"), qPrintable(run.err));
    QVERIFY(!QFile::exists(path("state.json"))); // no indicator was even started
}

void tst_Qv7ctlRecord::log_goes_to_a_regular_file_or_nowhere_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("a link to the log: the target grows, the link stays") << "link" << 0;
    QTest::newRow("a FIFO is refused at once") << "fifo" << 4;
    QTest::newRow("a link to a device is refused") << "device" << 4;
    QTest::newRow("a folder is refused") << "folder" << 4;
}

void tst_Qv7ctlRecord::log_goes_to_a_regular_file_or_nowhere() {
    QFETCH(QString, kind);
    QFETCH(int, exitCode);
    const QByteArray log = QFile::encodeName(path("log.csv"));
    if (kind == "link") {
        QVERIFY(writeBytes(path("target.csv"), "earlier\r\n"));
        QVERIFY(QFile::link("target.csv", path("log.csv")));
    }
    if (kind == "fifo") QCOMPARE(::mkfifo(log.constData(), 0600), 0);
    if (kind == "device") QVERIFY(QFile::link("/dev/zero", path("log.csv")));
    if (kind == "folder") QVERIFY(QDir(dir_->path()).mkdir("log.csv"));
    const Run run = runQv7ctl(dir_->path(), {"read", "--simulate", "--log", "log.csv"});
    QCOMPARE(run.exitCode, exitCode);
    if (exitCode != 0) {
        QVERIFY2(run.err.contains("the record was not appended to the log: log.csv"), qPrintable(run.err));
        return;
    }
    QVERIFY(QFileInfo(path("log.csv")).isSymLink());
    const QList<QByteArray> lines = readBytes(path("target.csv")).split('\n');
    QCOMPARE(lines.size(), 3); // the earlier line, the record, and nothing after the last CR LF
    QCOMPARE(lines[0], "earlier\r");
    QVERIFY(lines[1].contains(",read,"));
}

void tst_Qv7ctlRecord::adc_watch_reads_until_interrupted_or_lost_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("interval"); // ms; 0: the indicator is lost, no Ctrl+C
    QTest::newRow("text every 60 ms") << QStringList{"adc", "--watch", "--interval=60"} << 60;
    QTest::newRow("JSON every 30 ms") << QStringList{"adc", "--watch", "--json", "--interval", "30"} << 30;
    QTest::newRow("adjust, then the values")
        << QStringList{"adjust", "fullscale2", "--watch", "--interval=40"} << 40;
    QTest::newRow("a dropped reply is ridden over")
        << QStringList{"adc", "--watch", "--interval=60", "--simulate-fault=drop:1"} << 60;
    // A read that takes 60 ms does not push the next one 60 ms later each time.
    QTest::newRow("slow reads keep the pace")
        << QStringList{"adc", "--watch", "--interval=100", "--simulate-fault=delay:60"} << 100;
    QTest::newRow("silent indicator is lost")
        << QStringList{"adc", "--watch", "--simulate-fault=silent", "--timeout=1"} << 0;
}

void tst_Qv7ctlRecord::adc_watch_reads_until_interrupted_or_lost() {
    QFETCH(QStringList, args);
    QFETCH(int, interval);
    process_->start(QStringLiteral(QV7CTL_PATH), args + QStringList{"--simulate"});
    QByteArray out;
    while (interval > 0 && out.count('\n') < 5 && process_->waitForReadyRead(10000))
        out += process_->readAllStandardOutput();
    if (interval > 0) ::kill(static_cast<pid_t>(process_->processId()), SIGINT);
    QVERIFY(process_->waitForFinished(30000));
    QCOMPARE(process_->exitStatus(), QProcess::NormalExit);
    QCOMPARE(process_->exitCode(), interval > 0 ? 0 : 3);
    QStringList lines =
        QString::fromUtf8(out + process_->readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    if (interval == 0) {
        QVERIFY(lines.isEmpty());
        QVERIFY(process_->readAllStandardError().contains("did not answer the read of input registers 5"));
        return;
    }
    if (args.first() == "adjust")
        QCOMPARE(lines.takeFirst(), "Qv7-4RL-RS: fullscale2 taken (holding register 1000 := 4)");
    QVERIFY(lines.size() >= 4);
    double first = -1.0, last = -1.0;
    for (const QString& line : lines) {
        // The simulator holds 12.5 in input registers 5-6 and 0.25 in 7-8.
        const QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
        const auto m = QRegularExpression("^time (\\d+\\.\\d{3}) adc1 12.5 adc2 0.25$").match(line);
        QVERIFY2(args.contains("--json") ? o.keys() == QStringList({"adc1", "adc2", "time"}) &&
                                               o["adc1"] == 12.5 && o["adc2"] == 0.25
                                         : m.hasMatch(),
                 qPrintable(line));
        const double time = args.contains("--json") ? o["time"].toDouble() : m.captured(1).toDouble();
        // Readings start an interval apart, never sooner (their times are rounded to the millisecond).
        QVERIFY2(last < 0 || time - last >= (interval - 2) / 1000.0, qPrintable(line));
        last = time;
        if (first < 0) first = time;
    }
    // Each reading starts an interval after the last one started: slow reads do not add up (the
    // mean step stays below the interval and half of the 60 ms a read takes).
    if (args.contains("--simulate-fault=delay:60"))
        QVERIFY2((last - first) / (lines.size() - 1) < (interval + 30) / 1000.0,
                 qPrintable(lines.join('\n')));
}

QTEST_GUILESS_MAIN(tst_Qv7ctlRecord)
#include "tst_Qv7ctlRecord.moc"
