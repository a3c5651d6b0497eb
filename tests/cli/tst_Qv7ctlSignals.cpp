// SIGTERM, SIGHUP and SIGINT sent to qv7ctl and qv7cfg once their trace showed a given request: the
// program stops at the next frame boundary, says what it wrote and what it did not, keeps its capture
// (every frame traced) and the simulated indicator's state (each whatever became of the other), and
// ends with 128 + the signal's number.
#include "Qv7ctlRun.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <csignal>

class tst_Qv7ctlSignals : public QObject {
    Q_OBJECT
private slots:
    void a_signal_ends_the_program_at_a_frame_boundary_data();
    void a_signal_ends_the_program_at_a_frame_boundary();
};

namespace {

// The packets (enhanced packet blocks) of a pcapng file; -1 when it is none.
int capturedFrames(const QByteArray& bytes) {
    if (!bytes.startsWith(QByteArray::fromHex("0a0d0d0a"))) return -1;
    int frames = 0;
    for (qsizetype at = 0; at + 8 <= bytes.size();) {
        const auto word = [&](qsizetype i) {
            return qFromLittleEndian<quint32>(reinterpret_cast<const uchar*>(bytes.constData() + i));
        };
        frames += word(at) == 6 ? 1 : 0;
        if (word(at + 4) < 12) return -1;
        at += word(at + 4);
    }
    return frames;
}

// A parameter's raw value in the indicator the state file keeps.
int rawIn(const QString& folder, const char* key) {
    const Run read = runQv7ctl(folder, {"read", "--simulate", "--simulate-state=st.json", "--json"});
    return QJsonDocument::fromJson(read.out.toUtf8())["parameters"][key]["raw"].toInt(-1);
}

} // namespace

void tst_Qv7ctlSignals::a_signal_ends_the_program_at_a_frame_boundary_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("requests"); // "TX : " lines traced before the signal
    QTest::addColumn<int>("signal");
    QTest::addColumn<QString>("said");
    QTest::addColumn<int>("fullScale"); // in the state file then (block 0-11); -1: not checked
    QTest::addColumn<int>("threshold"); // alarm 1's (block 16-27)
    // Each reply comes 200 ms late: the signal finds the request traced on the wire, and the program
    // waits for its answer (the retry interval is longer) before it stops.
    const QStringList write{"write", "new.QV", "--simulate-fault=delay:200"};
    QTest::newRow("write, stopped after the first block")
        << "qv7ctl" << write << 4 << SIGTERM
        << "qv7ctl: interrupted by SIGTERM: written and acknowledged: holding registers 0–11; not sent: "
           "holding registers 16–27"
        << 8000 << 5000;
    QTest::newRow("write, both blocks acknowledged")
        << "qv7ctl" << write << 5 << SIGHUP
        << "qv7ctl: interrupted by SIGHUP: written and acknowledged: holding registers 0–11, 16–27; not "
           "sent: nothing"
        << 8000 << 1234;
    QTest::newRow("read") << "qv7ctl" << QStringList{"read", "--simulate-fault=delay:200"} << 2 << SIGINT
                          << "qv7ctl: interrupted by SIGINT before the read of holding registers 16–27"
                          << 10000 << 5000;
    QTest::newRow("write whose capture cannot be saved keeps the state")
        << "qv7ctl" << write + QStringList{"--capture=absent/c.pcapng"} << 4 << SIGTERM
        << "qv7ctl: the capture was not saved to absent/c.pcapng" << 8000 << 5000;
    QTest::newRow("window during its first read")
        << "qv7cfg" << QStringList{"--simulate-fault=delay:200"} << 2 << SIGTERM << "qv7cfg: ended by SIGTERM"
        << 10000 << 5000;
    QTest::newRow("window whose capture cannot be saved keeps the state")
        << "qv7cfg" << QStringList{"--capture", "absent/w.pcapng"} << 3 << SIGHUP
        << "qv7cfg: the capture was not saved to absent/w.pcapng" << 10000 << 5000;
}

void tst_Qv7ctlSignals::a_signal_ends_the_program_at_a_frame_boundary() {
    QFETCH(QString, program);
    QFETCH(QStringList, args);
    QFETCH(int, requests);
    QFETCH(int, signal);
    QFETCH(QString, said);
    QFETCH(int, fullScale);
    QFETCH(int, threshold);
    QTemporaryDir dir;
    // The indicator's file with both blocks changed, and the indicator still as the simulator starts.
    QCOMPARE(runQv7ctl(dir.path(), {"read", "--simulate", "-o", "new.QV"}).exitCode, 0);
    QCOMPARE(
        runQv7ctl(dir.path(), {"set", "new.QV", "display.full_scale=8000", "alarm1.threshold=1234"}).exitCode,
        0);
    const bool window = program == "qv7cfg";
    QProcess process;
    process.setWorkingDirectory(dir.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", dir.path()); // the window's own single-instance lock
    process.setProcessEnvironment(env);
    const QStringList capture =
        args.filter("--capture").isEmpty() ? QStringList{"--capture", "c.pcapng"} : QStringList{};
    process.start(window ? QV7CFG_PATH : QV7CTL_PATH,
                  args + capture + QStringList{"--simulate", "--simulate-state=st.json", "--trace"});
    QString err;
    QTRY_VERIFY_WITH_TIMEOUT((err += process.readAllStandardError()).count("TX : ") >= requests, 20000);
    QElapsedTimer clock;
    clock.start();
    ::kill(static_cast<pid_t>(process.processId()), signal);
    QVERIFY(process.waitForFinished(10000));
    if (window) QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    err += process.readAllStandardError();
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 128 + signal);
    QVERIFY2(err.contains(said), qPrintable(err));
    // What was sent after the signal: nothing past the request on the wire.
    QCOMPARE(err.count("TX : "), requests);
    if (!capture.isEmpty())
        QCOMPARE(capturedFrames(readBytes(dir.filePath("c.pcapng"))),
                 err.count("TX : ") + err.count("RX : "));
    QVERIFY(QFile::exists(dir.filePath("st.json")));
    QCOMPARE(rawIn(dir.path(), "display.full_scale"), fullScale);
    QCOMPARE(rawIn(dir.path(), "alarm1.threshold"), threshold);
}

QTEST_GUILESS_MAIN(tst_Qv7ctlSignals)
#include "tst_Qv7ctlSignals.moc"
