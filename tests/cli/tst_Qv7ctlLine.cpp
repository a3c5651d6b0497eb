// qv7ctl on a production line: several simulated indicators picked by serial number or run --all,
// the service commands (adjustments, converter read), the JSON forms and the exit codes.
#include "Qv7ctlRun.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {

// CRC-16/MODBUS (poly 0xA001 reflected, init 0xFFFF), appended low byte first.
QString withCrc(const QByteArray& frame) {
    quint16 crc = 0xFFFF;
    for (const char c : frame) {
        crc ^= static_cast<quint8>(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<quint16>((crc >> 1) ^ 0xA001) : static_cast<quint16>(crc >> 1);
    }
    const QByteArray full =
        frame + QByteArray(1, static_cast<char>(crc & 0xFF)) + QByteArray(1, static_cast<char>(crc >> 8));
    return QString::fromLatin1(full.toHex(' ').toUpper());
}

} // namespace

class tst_Qv7ctlLine : public QObject {
    Q_OBJECT
private slots:
    void init();

    void all_runs_every_indicator_and_keeps_the_worst_code_data();
    void all_runs_every_indicator_and_keeps_the_worst_code();
    void read_all_saves_one_file_per_serial_number();
    void serial_picks_the_indicator_data();
    void serial_picks_the_indicator();
    void adjust_writes_its_code_into_register_1000_data();
    void adjust_writes_its_code_into_register_1000();
    void adc_prints_the_two_converter_values_data();
    void adc_prints_the_two_converter_values();
    void list_json_describes_each_indicator();
    void refused_combinations_are_usage_errors_data();
    void refused_combinations_are_usage_errors();
    void internal_fault_exits_with_6();
    void report_archive_holds_every_part_data();
    void report_archive_holds_every_part();
    void help_lists_the_new_commands_data();
    void help_lists_the_new_commands();

private:
    Run qv7ctl(const QStringList& args);
    std::unique_ptr<QTemporaryDir> dir_;
};

void tst_Qv7ctlLine::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
}

Run tst_Qv7ctlLine::qv7ctl(const QStringList& args) {
    return runQv7ctl(dir_->path(), args);
}

void tst_Qv7ctlLine::all_runs_every_indicator_and_keeps_the_worst_code_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("results"); // per serial 0001..0003, the start of its result
    QTest::addColumn<int>("exitCode");
    QTest::newRow("read, all answer") << QStringList{"read"} << QStringList{"ok", "ok", "ok"} << 0;
    QTest::newRow("read, 0002 silent")
        << QStringList{"read", "--simulate-fault=silent@0002", "--timeout=1"}
        << QStringList{"ok", "failed (exit 3): the indicator did not answer", "ok"} << 3;
    QTest::newRow("adjust, 0003 silent")
        << QStringList{"adjust", "zero2", "--simulate-fault=silent@0003", "--timeout=1"}
        << QStringList{"ok", "ok", "failed (exit 3)"} << 3;
    QTest::newRow("read -o into a missing folder, 0001 silent")
        << QStringList{"read", "-o", "missing/a.QV", "--simulate-fault=silent@0001", "--timeout=1"}
        << QStringList{"failed (exit 3)", "failed (exit 4)", "failed (exit 4)"} << 4;
    QTest::newRow("read -o, 0002 silent")
        << QStringList{"read", "-o", "a.QV", "--simulate-fault=silent@0002", "--timeout=1"}
        << QStringList{"ok, saved to a-0001.QV", "failed (exit 3)", "ok, saved to a-0003.QV"} << 3;
}

void tst_Qv7ctlLine::all_runs_every_indicator_and_keeps_the_worst_code() {
    QFETCH(QStringList, args);
    QFETCH(QStringList, results);
    QFETCH(int, exitCode);
    const Run run = qv7ctl(args + QStringList{"--all", "--simulate-count", "3"});
    QCOMPARE(run.exitCode, exitCode);
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4);
    const auto failed =
        std::count_if(results.begin(), results.end(), [](const QString& r) { return !r.startsWith("ok"); });
    for (int i = 0; i < 3; ++i) {
        const QString serial = QStringLiteral("000%1 ").arg(i + 1);
        // A silent indicator never told its type word, so its model is unknown.
        const QString model = results[i].contains("exit 3") ? "- " : "Qv7-4RL-RS ";
        QVERIFY2(lines[i].startsWith(serial + model + results[i]), qPrintable(lines[i]));
        // Only a file that was made is named.
        QCOMPARE(lines[i].contains("saved to"), results[i].contains("saved to"));
    }
    QCOMPARE(
        lines[3],
        QStringLiteral("%1: 3 indicator(s), %2 ok, %3 failed").arg(args.first()).arg(3 - failed).arg(failed));
}

void tst_Qv7ctlLine::read_all_saves_one_file_per_serial_number() {
    const Run run = qv7ctl({"read", "--all", "--simulate-count", "3", "-o", "line.QV"});
    QCOMPARE(run.exitCode, 0);
    for (const QString& name : QStringList{"line-0001.QV", "line-0002.QV", "line-0003.QV"}) {
        QFile file(QDir(dir_->path()).filePath(name));
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(name));
        QCOMPARE(file.size(), 200);
        QVERIFY2(run.out.contains("ok, saved to " + name), qPrintable(run.out));
    }
    QVERIFY(!QFile::exists(QDir(dir_->path()).filePath("line.QV")));
}

void tst_Qv7ctlLine::serial_picks_the_indicator_data() {
    QTest::addColumn<QString>("serial");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    // Only 0003 is silent: the exit code tells which indicator was read.
    QTest::newRow("0002 answers") << "0002" << 0 << "";
    QTest::newRow("0003 is the silent one") << "0003" << 3 << "did not answer";
    QTest::newRow("unknown serial") << "0009" << 2 << "no indicator with serial number \"0009\" attached";
    QTest::newRow("an index is not a serial") << "2" << 2 << "no indicator with serial number \"2\"";
}

void tst_Qv7ctlLine::serial_picks_the_indicator() {
    QFETCH(QString, serial);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    const Run run = qv7ctl(
        {"read", "--simulate-count=3", "--serial", serial, "--simulate-fault=silent@0003", "--timeout=1"});
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
}

void tst_Qv7ctlLine::adjust_writes_its_code_into_register_1000_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("code");
    QTest::newRow("zero of input 1") << "zero1" << 1;
    QTest::newRow("full scale of input 1") << "fullscale1" << 2;
    QTest::newRow("zero of input 2") << "zero2" << 3;
    QTest::newRow("full scale of input 2") << "fullscale2" << 4;
}

void tst_Qv7ctlLine::adjust_writes_its_code_into_register_1000() {
    QFETCH(QString, target);
    QFETCH(int, code);
    const Run run = qv7ctl({"adjust", target, "--simulate", "--trace"});
    QCOMPARE(run.exitCode, 0);
    // Write single register (06) to the broadcast node 255, address 1000 = 0x03E8, and its echo.
    const QString frame = withCrc(QByteArray::fromHex("FF0603E800") + QByteArray(1, static_cast<char>(code)));
    QVERIFY2(run.err.contains("TX : " + frame), qPrintable(run.err));
    QVERIFY2(run.err.contains("RX : " + frame), qPrintable(run.err));
    QCOMPARE(run.err.count("FF 06 03 E8"), 2);
    QCOMPARE(run.out,
             QStringLiteral("Qv7-4RL-RS: %1 taken (holding register 1000 := %2)\n").arg(target).arg(code));
}

void tst_Qv7ctlLine::adc_prints_the_two_converter_values_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("json");
    QTest::newRow("text") << QStringList{"adc", "--simulate"} << false;
    QTest::newRow("json") << QStringList{"adc", "--simulate", "--json"} << true;
    QTest::newRow("json, second of two")
        << QStringList{"adc", "--simulate-count=2", "--serial=0002", "--json"} << true;
}

void tst_Qv7ctlLine::adc_prints_the_two_converter_values() {
    QFETCH(QStringList, args);
    QFETCH(bool, json);
    const Run run = qv7ctl(args);
    QCOMPARE(run.exitCode, 0);
    // The simulator holds 12.5 in input registers 5-6 and 0.25 in 7-8 (low word first).
    if (!json) {
        QCOMPARE(run.out, QStringLiteral("adc1 12.5\nadc2 0.25\n"));
        return;
    }
    const QJsonObject object = QJsonDocument::fromJson(run.out.toUtf8()).object();
    QCOMPARE(object.value("adc1").toDouble(-1), 12.5);
    QCOMPARE(object.value("adc2").toDouble(-1), 0.25);
}

void tst_Qv7ctlLine::list_json_describes_each_indicator() {
    const Run run = qv7ctl({"list", "--json", "--simulate-count", "3"});
    QCOMPARE(run.exitCode, 0);
    const QJsonArray devices = QJsonDocument::fromJson(run.out.toUtf8()).object().value("devices").toArray();
    QCOMPARE(devices.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const QJsonObject d = devices[i].toObject();
        const QString serial = QStringLiteral("000%1").arg(i + 1);
        QCOMPARE(d.value("index").toInt(), i + 1);
        QCOMPARE(d.value("serial").toString(), serial);
        QCOMPARE(d.value("path").toString(), QStringLiteral("simulated:bridge%1").arg(i));
        QCOMPARE(d.value("product").toString(), QStringLiteral("HID-QV7   "));
        QCOMPARE(d.value("manufacturer").toString(), QStringLiteral("Norvex"));
        QCOMPARE(d.value("description").toString(),
                 QStringLiteral("USB #%1:  Norvex  HID-QV7     {%2}").arg(i + 1).arg(serial));
    }
}

void tst_Qv7ctlLine::refused_combinations_are_usage_errors_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("adjust --json") << QStringList{"adjust", "zero1", "--json"} << "adjust has no --json form";
    QTest::newRow("udev-rule --json") << QStringList{"udev-rule", "--json"} << "udev-rule has no --json form";
    QTest::newRow("--all --json") << QStringList{"read", "--all", "--json"} << "--all prints one line";
    QTest::newRow("show --all") << QStringList{"show", "a.QV", "--all"} << "--all is for read, write";
    QTest::newRow("--all with --serial")
        << QStringList{"read", "--all", "--serial", "0001"} << "--all, --serial and --device exclude";
    QTest::newRow("--serial with --device")
        << QStringList{"read", "--serial", "0001", "--device", "2"} << "exclude each other";
    QTest::newRow("unknown adjustment") << QStringList{"adjust", "span"} << "adjust takes zero1, fullscale1";
    QTest::newRow("adjust without target") << QStringList{"adjust"} << "adjust takes one target";
    QTest::newRow("17 simulated") << QStringList{"read", "--simulate-count=17"} << "from 1 to 16";
    QTest::newRow("fault on no serial") << QStringList{"read", "--simulate-fault=silent@"} << "unknown fault";
}

void tst_Qv7ctlLine::refused_combinations_are_usage_errors() {
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    const Run run = qv7ctl(args);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QCOMPARE(run.out, QString());
}

void tst_Qv7ctlLine::internal_fault_exits_with_6() {
    const Run run = qv7ctl({"read", "--simulate", "--simulate-fault=internal"});
    QCOMPARE(run.exitCode, 6);
    QCOMPARE(run.err, QStringLiteral("qv7ctl: internal error: simulated internal fault\n"));
}

void tst_Qv7ctlLine::report_archive_holds_every_part_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("members");
    const QStringList always{"devices.txt", "read-all-trace.txt", "versions.txt"};
    QTest::newRow("indicator read") << QStringList{"--simulate"} << 0
                                    << always + QStringList{"parameters.QV", "parameters.txt", "table.LIN",
                                                            "table.txt"};
    QTest::newRow("silent indicator") << QStringList{"--simulate", "--simulate-fault=silent", "--timeout=1"}
                                      << 3 << always + QStringList{"errors.txt"};
}

void tst_Qv7ctlLine::report_archive_holds_every_part() {
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QStringList, members);
    const Run run = qv7ctl(QStringList{"report", "-o", "support.tar.gz"} + args);
    QCOMPARE(run.exitCode, exitCode);
    QProcess tar;
    tar.setWorkingDirectory(dir_->path());
    tar.start("tar", {"-xzf", "support.tar.gz"});
    QVERIFY(tar.waitForFinished(30000));
    QCOMPARE(tar.exitCode(), 0);
    QDir report(dir_->filePath("qv7-report"));
    QStringList found = report.entryList(QDir::Files);
    members.sort();
    QCOMPARE(found, members);
    const auto text = [&](const QString& name) {
        QFile file(report.filePath(name));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    QVERIFY2(text("versions.txt").contains("\nhidapi ") && text("versions.txt").contains("\nlibmodbus ") &&
                 text("versions.txt").contains("\nkernel ") && text("versions.txt").contains("\nQt 6."),
             qPrintable(text("versions.txt")));
    QVERIFY2(text("devices.txt").contains("serial 0001, path simulated:bridge0"),
             qPrintable(text("devices.txt")));
    // The read-all starts with the type word's request: node 255, function 04, register 0, one register.
    QVERIFY2(text("read-all-trace.txt").startsWith("TX : FF 04 00 00 00 01 24 14"),
             qPrintable(text("read-all-trace.txt")));
    if (exitCode != 0) {
        QVERIFY2(text("errors.txt").contains("did not answer the read of the type word"),
                 qPrintable(text("errors.txt")));
        return;
    }
    QVERIFY(text("read-all-trace.txt").contains("RX : FF 03 18"));
    QFile params(report.filePath("parameters.QV"));
    QVERIFY(params.open(QIODevice::ReadOnly));
    QCOMPARE(params.size(), 200);
    QVERIFY(text("parameters.txt").contains("Qv7-4RL-RS"));
}

void tst_Qv7ctlLine::help_lists_the_new_commands_data() {
    QTest::addColumn<QString>("text");
    for (const char* text :
         {"  adjust zero1|fullscale1|zero2|fullscale2", "  adc ", "  report -o FILE.tar.gz",
          "  set FILE.QV KEY=VALUE", "  import FILE.json -o FILE.QV", "  --lin FILE.LIN",
          "write FILE.QV [--lin FILE.LIN]", "  --serial S", "  --all ", "  --simulate-count N",
          "FILE-SERIAL.QV", "  6  internal error"})
        QTest::newRow(text) << QString::fromLatin1(text);
}

void tst_Qv7ctlLine::help_lists_the_new_commands() {
    QFETCH(QString, text);
    const Run run = qv7ctl({"--help"});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.contains(text), qPrintable(run.out));
}

QTEST_GUILESS_MAIN(tst_Qv7ctlLine)
#include "tst_Qv7ctlLine.moc"
