// qv7ctl end to end: the built program run against its simulated indicator (serial line timed as
// 9600 8N2) in a temporary directory; what it prints, the files it writes and its exit codes.
#include "base/FileLock.h"
#include "proto/ParamImage.h"
#include "sim/SimulatedIndicator.h"

#include <QCoreApplication>
#include <QDir>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int exitCode = -1;
    QString out, err;
};

constexpr int ParamFileSize = 200;
constexpr int Alarm2ThresholdOffset = 64 + 6;
constexpr int DeviceTypeOffset = 24;
constexpr int InputOptionsOffset = 32;
constexpr int ProtectionOffset = 60;

void putLe(QByteArray& bytes, int offset, quint32 value, int width) {
    for (int i = 0; i < width; ++i)
        bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

QJsonObject parameters(const QString& json) {
    return QJsonDocument::fromJson(json.toUtf8()).object().value("parameters").toObject();
}

qint64 rawOf(const QJsonObject& params, const QString& key) {
    return params.value(key).toObject().value("raw").toInteger(-1);
}

} // namespace

class tst_Qv7ctl : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void help_lists_every_exit_code_data();
    void help_lists_every_exit_code();
    void usage_errors_exit_with_1_data();
    void usage_errors_exit_with_1();

    void read_saves_a_file_that_show_decodes_as_the_indicator_holds_data();
    void read_saves_a_file_that_show_decodes_as_the_indicator_holds();
    void read_json_and_text_name_the_model();
    void patched_file_is_written_and_reads_back();
    void write_reports_a_field_that_does_not_read_back();
    void window_protection_level_2_is_sent_as_3();
    void diff_exit_code_tells_whether_file_and_indicator_differ();
    void diff_json_gives_raw_values_beside_the_texts();
    void rejected_files_write_nothing_data();
    void rejected_files_write_nothing();
    void unwritable_output_fails_without_a_file();

    void silent_indicator_ends_in_the_time_out_naming_the_request();
    void lost_replies_are_asked_again();
    void faulty_lines_still_read_what_the_indicator_holds_data();
    void faulty_lines_still_read_what_the_indicator_holds();
    void a_request_that_fails_names_its_last_reason_data();
    void a_request_that_fails_names_its_last_reason();
    void stats_count_the_dropped_frames();
    void an_indicator_in_use_is_refused_naming_the_holder();
    void list_names_the_simulated_bridge();
    void udev_rule_prints_the_shipped_file();

private:
    Run qv7ctl(const QStringList& args, const QProcessEnvironment& environment = {});
    QString path(const QString& name) const { return dir_->filePath(name); }
    QByteArray readFile(const QString& name) const;
    void writeFile(const QString& name, const QByteArray& bytes) const;
    // A parameter file read once from the default simulated indicator, written into the test's directory.
    QByteArray savedParams();

    std::unique_ptr<QTemporaryDir> dir_;
    QByteArray saved_;
    QString savedShowJson_;
};

void tst_Qv7ctl::initTestCase() {
    init();
    const Run read = qv7ctl({"read", "--simulate", "-o", "saved.QV"});
    QVERIFY2(read.exitCode == 0, qPrintable(read.err));
    saved_ = readFile("saved.QV");
    const Run show = qv7ctl({"show", "saved.QV", "--json"});
    QCOMPARE(show.exitCode, 0);
    savedShowJson_ = show.out;
}

void tst_Qv7ctl::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
}

Run tst_Qv7ctl::qv7ctl(const QStringList& args, const QProcessEnvironment& environment) {
    QProcess process;
    process.setWorkingDirectory(dir_->path());
    if (!environment.isEmpty()) process.setProcessEnvironment(environment);
    process.start(QStringLiteral(QV7CTL_PATH), args);
    Run run;
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        qWarning("qv7ctl %s did not finish", qPrintable(args.join(' ')));
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QByteArray tst_Qv7ctl::readFile(const QString& name) const {
    QFile file(path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void tst_Qv7ctl::writeFile(const QString& name, const QByteArray& bytes) const {
    QFile file(path(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray tst_Qv7ctl::savedParams() {
    writeFile("saved.QV", saved_);
    return saved_;
}

// ---------------------------------------------------------------------------------------------

void tst_Qv7ctl::help_lists_every_exit_code_data() {
    QTest::addColumn<QString>("line");
    QTest::newRow("ok") << "0  success";
    QTest::newRow("usage") << "1  usage error";
    QTest::newRow("no device") << "2  no indicator attached";
    QTest::newRow("time-out") << "3  the indicator did not answer";
    QTest::newRow("file") << "4  file error";
    QTest::newRow("difference") << "5  write read back differing fields";
    QTest::newRow("silent fault for testing") << "--simulate-fault=silent";
}

void tst_Qv7ctl::help_lists_every_exit_code() {
    QFETCH(QString, line);
    const Run run = qv7ctl({"--help"});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.contains(line), qPrintable(run.out));
}

void tst_Qv7ctl::usage_errors_exit_with_1_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("no command") << QStringList{} << "no command given";
    QTest::newRow("unknown command") << QStringList{"erase"} << "unknown command \"erase\"";
    QTest::newRow("unknown option") << QStringList{"read", "--fast"} << "unknown option --fast";
    QTest::newRow("type word beyond 16 bits") << QStringList{"read", "--simulate=0x10000"} << "bad type word";
    QTest::newRow("write without a file") << QStringList{"write", "--simulate"} << "write takes one file";
    QTest::newRow("output for lin-show")
        << QStringList{"lin-show", "t.LIN", "-o", "u.LIN"}
        << "-o is for read, lin-read, lin-fit, import, report and sheet only";
    QTest::newRow("lin-write without a file")
        << QStringList{"lin-write", "--simulate"} << "lin-write takes one file";
    QTest::newRow("device 0") << QStringList{"read", "--device", "0"} << "--device takes a number from 1";
    QTest::newRow("state file without a name")
        << QStringList{"read", "--simulate", "--simulate-state="} << "--simulate-state needs a file name";
    QTest::newRow("timeout not a number")
        << QStringList{"read", "--timeout=soon"} << "--timeout takes seconds";
}

void tst_Qv7ctl::usage_errors_exit_with_1() {
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    const Run run = qv7ctl(args);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
}

void tst_Qv7ctl::read_saves_a_file_that_show_decodes_as_the_indicator_holds_data() {
    // Each field against the simulated indicator's own registers, decoded independently here.
    const auto r = qv7::SimulatedIndicator::defaultRegisters(qv7::SimulatedIndicator::DefaultTypeWord);
    auto reg = [&](int address) { return static_cast<qint64>(r.at(address)); };
    QTest::addColumn<QString>("key");
    QTest::addColumn<qint64>("raw");
    QTest::newRow("input type") << "input.type" << (reg(0) & 0xFF);
    QTest::newRow("current range") << "input.current_range" << (reg(1) & 1);
    QTest::newRow("voltage range") << "input.voltage_range" << ((reg(1) >> 1) & 3);
    QTest::newRow("linearisation on") << "linearisation.enabled" << (reg(2) & 1);
    QTest::newRow("last point") << "linearisation.last_point" << ((reg(2) >> 8) & 0x1F);
    QTest::newRow("filter") << "filter" << reg(3);
    QTest::newRow("display high") << "display.full_scale" << reg(4);
    QTest::newRow("display low") << "display.zero" << reg(5);
    QTest::newRow("decimal point") << "display.decimal_point" << (reg(6) & 7);
    QTest::newRow("output high") << "output.full_scale" << reg(7);
    QTest::newRow("output offset") << "output.offset" << reg(9);
    QTest::newRow("baud") << "rs485.baud" << (reg(10) & 7);
    QTest::newRow("format") << "rs485.format" << ((reg(10) >> 3) & 7);
    QTest::newRow("address") << "rs485.address" << (reg(10) >> 8);
    QTest::newRow("protection") << "protection" << (reg(11) & 3);
    QTest::newRow("alarm 1 threshold") << "alarm1.threshold" << reg(16);
    QTest::newRow("alarm 2 hysteresis") << "alarm2.hysteresis" << reg(20);
    QTest::newRow("alarm 3 delay") << "alarm3.delay" << (reg(24) & 0xFF);
    QTest::newRow("alarm 4 contact") << "alarm4.contact" << ((reg(27) >> 8) & 1);
    QTest::newRow("alarm 3 led") << "alarm3.led" << ((reg(24) >> 12) & 1);
}

void tst_Qv7ctl::read_saves_a_file_that_show_decodes_as_the_indicator_holds() {
    QFETCH(QString, key);
    QFETCH(qint64, raw);
    QCOMPARE(saved_.size(), ParamFileSize);
    QCOMPARE(saved_.left(21), QByteArray("\x14[QV7] File V1.0-RKWB"));
    QCOMPARE(rawOf(parameters(savedShowJson_), key), raw);
}

void tst_Qv7ctl::read_json_and_text_name_the_model() {
    // 0x0104: a 4-digit indicator with a current input: "Pel-" and its input code.
    const Run json = qv7ctl({"read", "--simulate=0x0104", "--json"});
    QCOMPARE(json.exitCode, 0);
    const QJsonObject root = QJsonDocument::fromJson(json.out.toUtf8()).object();
    QCOMPARE(root.value("typeWord").toInteger(), 0x0104);
    QCOMPARE(root.value("model").toString(), QStringLiteral("Pel-MA"));
    QCOMPARE(rawOf(root.value("parameters").toObject(), "display.full_scale"), 9999);

    const Run text = qv7ctl({"read", "--simulate=260"});
    QCOMPARE(text.exitCode, 0);
    QVERIFY2(text.out.contains(QRegularExpression("Model +Pel-MA\n")), qPrintable(text.out));
    QVERIFY2(text.out.contains(QRegularExpression("Filter +1.50 s\n")), qPrintable(text.out));
}

void tst_Qv7ctl::patched_file_is_written_and_reads_back() {
    const QStringList sim{"--simulate", "--simulate-state=state.json"};
    QCOMPARE(qv7ctl(QStringList{"read", "-o", "saved.QV"} + sim).exitCode, 0);
    QByteArray file = readFile("saved.QV");
    QCOMPARE(file.size(), ParamFileSize);
    putLe(file, Alarm2ThresholdOffset, 1234, 2);
    writeFile("patched.QV", file);

    const Run write = qv7ctl(QStringList{"write", "patched.QV"} + sim);
    QVERIFY2(write.exitCode == 0, qPrintable(write.err));
    QVERIFY2(write.out.contains("every field read back as written"), qPrintable(write.out));

    const Run read = qv7ctl(QStringList{"read", "--json"} + sim);
    QCOMPARE(read.exitCode, 0);
    QCOMPARE(rawOf(parameters(read.out), "alarm2.threshold"), 1234);
    QCOMPARE(rawOf(parameters(read.out), "alarm1.threshold"), 5000);
}

void tst_Qv7ctl::write_reports_a_field_that_does_not_read_back() {
    QByteArray file = savedParams();
    QCOMPARE(file.size(), ParamFileSize);
    // Only the low 16 bits of the input options reach the indicator.
    putLe(file, InputOptionsOffset, 0x10001, 4);
    writeFile("wide.QV", file);
    const Run write = qv7ctl({"write", "wide.QV", "--simulate"});
    QCOMPARE(write.exitCode, 5);
    QVERIFY2(write.out.contains("Input options, unused bits: wrote 0x10000, read back 0x0"),
             qPrintable(write.out));
    QVERIFY2(write.err.contains("1 field(s) read back differ"), qPrintable(write.err));
}

void tst_Qv7ctl::window_protection_level_2_is_sent_as_3() {
    // The window saves "the menu and the function keys" as 2 and sends it as 3; so must qv7ctl.
    QByteArray file = savedParams();
    QCOMPARE(file.size(), ParamFileSize);
    putLe(file, ProtectionOffset, 2, 4);
    writeFile("window.QV", file);
    const QStringList sim{"--simulate", "--simulate-state=state.json"};
    const Run write = qv7ctl(QStringList{"write", "window.QV"} + sim);
    QVERIFY2(write.exitCode == 0, qPrintable(write.out + write.err));
    const QJsonObject state = QJsonDocument::fromJson(readFile("state.json")).object();
    QCOMPARE(state.value("holding").toArray().size(), 160); // up to the table's last register, 159
    QCOMPARE(state.value("holding").toArray().at(11).toInt(), 3);
    const Run diff = qv7ctl(QStringList{"diff", "window.QV"} + sim);
    QCOMPARE(diff.exitCode, 0);
    QCOMPARE(diff.out, QString());
}

void tst_Qv7ctl::diff_exit_code_tells_whether_file_and_indicator_differ() {
    QByteArray file = savedParams();
    QCOMPARE(file.size(), ParamFileSize);
    const Run same = qv7ctl({"diff", "saved.QV", "--simulate"});
    QCOMPARE(same.exitCode, 0);
    QCOMPARE(same.out, QString());

    putLe(file, Alarm2ThresholdOffset, 1234, 2);
    writeFile("patched.QV", file);
    const Run differ = qv7ctl({"diff", "patched.QV", "--simulate"});
    QCOMPARE(differ.exitCode, 5);
    QCOMPARE(differ.out, QStringLiteral("Alarm 2 threshold: file 1234, indicator 7500\n"));
}

void tst_Qv7ctl::diff_json_gives_raw_values_beside_the_texts() {
    QByteArray file = savedParams();
    QCOMPARE(file.size(), ParamFileSize);
    putLe(file, Alarm2ThresholdOffset, 1234, 2);
    putLe(file, InputOptionsOffset + 2, 0x02, 1); // bit 17: the indicator has no register for it
    writeFile("patched.QV", file);
    const Run run = qv7ctl({"diff", "patched.QV", "--simulate", "--json"});
    QCOMPARE(run.exitCode, 5);
    const QJsonArray differences =
        QJsonDocument::fromJson(run.out.toUtf8()).object().value("differences").toArray();
    QCOMPARE(differences.size(), 2);
    const QJsonObject spare = differences[0].toObject();
    QCOMPARE(spare.value("key").toString(), QStringLiteral("input.spare_bits"));
    QCOMPARE(spare.value("fileRaw").toInteger(-1), 0x20000);
    QCOMPARE(spare.value("indicatorRaw").toInteger(-1), 0);
    const QJsonObject alarm = differences[1].toObject();
    QCOMPARE(alarm.value("key").toString(), QStringLiteral("alarm2.threshold"));
    QCOMPARE(alarm.value("label").toString(), QStringLiteral("Alarm 2 threshold"));
    QCOMPARE(alarm.value("file").toString(), QStringLiteral("1234"));
    QCOMPARE(alarm.value("indicator").toString(), QStringLiteral("7500"));
    QCOMPARE(alarm.value("fileRaw").toInteger(-1), 1234);
    QCOMPARE(alarm.value("indicatorRaw").toInteger(-1), 7500);
}

void tst_Qv7ctl::rejected_files_write_nothing_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("patch"); // 0 short, 1 wrong length byte, 2 other type word
    QTest::addColumn<QString>("message");
    // The file checks' texts in the window's English, quoted inside qv7ctl's own message.
    const QString incorrect = QStringLiteral("\"  Incorrect file!  \"");
    const QString otherType = QStringLiteral("\"The file does not match this type of device\"");
    QTest::newRow("write 199 bytes") << "write" << 0 << incorrect + " (the file holds 199 bytes";
    QTest::newRow("write length byte 21") << "write" << 1 << incorrect;
    QTest::newRow("write other type word")
        << "write" << 2 << otherType + " (file type word 0x0100, indicator 0x4053)";
    QTest::newRow("diff other type word") << "diff" << 2 << otherType;
    QTest::newRow("show 199 bytes") << "show" << 0 << incorrect;
}

void tst_Qv7ctl::rejected_files_write_nothing() {
    QFETCH(QString, command);
    QFETCH(int, patch);
    QFETCH(QString, message);
    QByteArray file = savedParams();
    QCOMPARE(file.size(), ParamFileSize);
    if (patch == 0) file.chop(1);
    if (patch == 1) file[0] = 21;
    if (patch == 2) putLe(file, DeviceTypeOffset, 0x0100, 4);
    writeFile("bad.QV", file);

    const Run run = qv7ctl({command, "bad.QV", "--simulate", "--trace"});
    QCOMPARE(run.exitCode, 4);
    QVERIFY2(run.err.contains("qv7ctl: bad.QV: " + message), qPrintable(run.err));
    QVERIFY2(!run.err.contains("TX : FF 10"), "a write-multiple request went out");
}

void tst_Qv7ctl::unwritable_output_fails_without_a_file() {
    const Run run = qv7ctl({"read", "--simulate", "-o", "missing/dir/out.QV"});
    QCOMPARE(run.exitCode, 4);
    QVERIFY2(run.err.contains("Cannot create the file missing/dir/out.QV"), qPrintable(run.err));
    QVERIFY(!QFile::exists(path("missing/dir/out.QV")));
}

void tst_Qv7ctl::silent_indicator_ends_in_the_time_out_naming_the_request() {
    const Run run = qv7ctl({"read", "--simulate", "--simulate-fault=silent", "--timeout", "0.5"});
    QCOMPARE(run.exitCode, 3);
    QCOMPARE(run.err, QStringLiteral("qv7ctl: the indicator did not answer the read of the type word (input "
                                     "register 0) within 0.5 s\n"));
    QCOMPARE(run.out, QString());
}

void tst_Qv7ctl::lost_replies_are_asked_again() {
    const Run run = qv7ctl({"read", "--simulate", "--simulate-fault=drop:2", "--trace"});
    QCOMPARE(run.exitCode, 0);
    // The type word's answer is lost, then the probe's (input registers 1-2); the probe goes again,
    // and once it is answered the type word is asked again.
    QCOMPARE(run.err.count("TX : FF 04 00 00 00 01 24 14"), 2);
    QCOMPARE(run.err.count("TX : FF 04 00 01 00 02 35 D5"), 2);
    QCOMPARE(run.err.count("RX : "), 4);
}

void tst_Qv7ctl::faulty_lines_still_read_what_the_indicator_holds_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("command");
    // Every answer later than the repeat: the late answer to a read of registers 0-11 must not be
    // booked as 16-27, which the next request asks for in a reply of the same length.
    QTest::newRow("every answer late, read") << "delay:400"
                                             << "read";
    QTest::newRow("every answer late, diff") << "delay:400"
                                             << "diff";
    // Answers far later than the repeat (300 ms): each is booked for its own request or dropped.
    QTest::newRow("every answer 1.1 s late, read") << "delay:1100"
                                                   << "read";
    QTest::newRow("first answer 3 s late, read") << "delay:3000:1"
                                                 << "read";
    QTest::newRow("first answer 1.5 s late, diff") << "delay:1500:1@0001"
                                                   << "diff";
    // Output reports refused for longer than the hand-off limit, while input goes on.
    QTest::newRow("refused writes, read") << "writefail:150"
                                          << "read";
    QTest::newRow("refused writes, write") << "writefail:150"
                                           << "write";
}

void tst_Qv7ctl::faulty_lines_still_read_what_the_indicator_holds() {
    QFETCH(QString, fault);
    QFETCH(QString, command);
    savedParams();
    const QStringList args =
        command == "read" ? QStringList{"read", "-o", "out.QV"} : QStringList{command, "saved.QV"};
    const Run run = qv7ctl(args + QStringList{"--simulate", "--simulate-fault=" + fault});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    if (command == "read") QCOMPARE(readFile("out.QV"), saved_);
}

void tst_Qv7ctl::a_request_that_fails_names_its_last_reason_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message");
    QTest::newRow("refused, illegal data address") << "exception:02"
                                                   << "no valid answer to read input register 0 after \\d+ "
                                                      "tries; last: exception 02, illegal data address";
    QTest::newRow("refused, slave device failure") << "exception:04"
                                                   << "last: exception 04, slave device failure";
    QTest::newRow("bad CRC every time")
        << "crc:1000"
        << "no valid answer to read input register 0 after \\d+ tries; last: bad CRC";
}

void tst_Qv7ctl::a_request_that_fails_names_its_last_reason() {
    QFETCH(QString, fault);
    QFETCH(QString, message);
    const Run run = qv7ctl({"read", "--simulate", "--simulate-fault=" + fault, "--timeout", "1"});
    QCOMPARE(run.exitCode, 3);
    QVERIFY2(QRegularExpression(message).match(run.err).hasMatch(), qPrintable(run.err));
}

void tst_Qv7ctl::stats_count_the_dropped_frames() {
    const Run run = qv7ctl({"read", "--simulate", "--simulate-fault=crc:2", "--stats"});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QVERIFY2(run.err.contains("frames dropped: 2 bad CRC, 0 exception"), qPrintable(run.err));
}

void tst_Qv7ctl::an_indicator_in_use_is_refused_naming_the_holder() {
    // Programs started on one simulator state file stand for one indicator: hold the file as another
    // program would. The lock is the same whether a run has a runtime directory or not (cron, ssh).
    const QByteArray kept =
        "{\"typeWord\": 16467, \"holding\":   [" + QByteArray("0, ").repeated(159) + "0]}";
    writeFile("state.json", kept);
    qv7::FileLock other;
    QCOMPARE(other.lock(path("state.json").toStdString()), qv7::FileLock::Outcome::Locked);
    const QString inUse = QStringLiteral("qv7ctl: the indicator is in use by another program (pid %1)\n")
                              .arg(QCoreApplication::applicationPid());
    QProcessEnvironment withRuntime = QProcessEnvironment::systemEnvironment();
    withRuntime.insert("XDG_RUNTIME_DIR", dir_->path());
    QProcessEnvironment withoutRuntime = QProcessEnvironment::systemEnvironment();
    withoutRuntime.remove("XDG_RUNTIME_DIR");
    for (const QProcessEnvironment& environment : {withRuntime, withoutRuntime}) {
        for (const QString& command : QStringList{"read", "diff"}) {
            savedParams();
            const QStringList args =
                command == "read" ? QStringList{"read"} : QStringList{"diff", "saved.QV"};
            const Run run = qv7ctl(args + QStringList{"--simulate", "--simulate-state=" + path("state.json")},
                                   environment);
            QCOMPARE(run.exitCode, 2);
            QCOMPARE(run.err, inUse);
            // Neither read nor kept by a run that never held it.
            QCOMPARE(readFile("state.json"), kept);
        }
    }
    other.unlock();
    const Run run = qv7ctl({"read", "--simulate", "--simulate-state=" + path("state.json")});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QVERIFY(readFile("state.json") != kept); // the holder keeps the state in its own layout
}

void tst_Qv7ctl::list_names_the_simulated_bridge() {
    const Run run = qv7ctl({"list", "--simulate"});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.startsWith("1: ") && run.out.contains("Norvex") && run.out.contains("HID-QV7"),
             qPrintable(run.out));
    QCOMPARE(run.out.count('\n'), 1);
}

void tst_Qv7ctl::udev_rule_prints_the_shipped_file() {
    QFile shipped(QStringLiteral(QV7_UDEV_RULE_PATH));
    QVERIFY(shipped.open(QIODevice::ReadOnly));
    const QString rule = QString::fromUtf8(shipped.readAll());
    const Run run = qv7ctl({"udev-rule"});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, rule);
    QVERIFY(rule.contains(
        R"(SUBSYSTEM=="hidraw", ATTRS{idVendor}=="0451", ATTRS{idProduct}=="0026", TAG+="uaccess")"));
    QVERIFY(rule.contains(
        R"(SUBSYSTEM=="usb", ATTR{idVendor}=="0451", ATTR{idProduct}=="0026", TAG+="uaccess")"));
    QVERIFY(!rule.contains("MODE"));
}

QTEST_GUILESS_MAIN(tst_Qv7ctl)
#include "tst_Qv7ctl.moc"
