// SIGTERM, SIGHUP and SIGINT sent to qv7ctl and qv7cfg once their trace showed a given request: the
// program stops at the next frame boundary, says what it wrote and what it did not, keeps its capture
// and the simulated indicator's state (each whatever became of the other), and ends with 128 + n.
#include "Qv7ctlRun.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

class tst_Qv7ctlSignals : public QObject {
    Q_OBJECT
    // A parameter's raw value in the indicator the state file keeps.
    static int rawIn(const QString& folder, const char* key) {
        const Run read = runQv7ctl(folder, {"read", "--simulate", "--simulate-state=st.json", "--json"});
        return QJsonDocument::fromJson(read.out.toUtf8())["parameters"][key]["raw"].toInt(-1);
    }

private slots:
    void a_signal_ends_the_program_at_a_frame_boundary_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("requests"); // "TX : " lines traced before the signal
        QTest::addColumn<int>("signal");
        QTest::addColumn<QString>("said");
        QTest::addColumn<int>("fullScale"); // in the state file then (block 0-11)
        QTest::addColumn<int>("threshold"); // alarm 1's (block 16-27)
        // Each reply comes 200 ms late: the signal finds the request traced on the wire, and the
        // program waits for its answer (the retry interval is longer) before it stops.
        const QStringList write{"write", "new.QV", "--simulate-fault=delay:200"};
        QTest::newRow("write, stopped after the first block")
            << "qv7ctl" << write << 4 << SIGTERM
            << "qv7ctl: interrupted by SIGTERM: written and acknowledged: holding registers 0–11; not sent: "
               "holding registers 16–27\n"
            << 8000 << 5000;
        QTest::newRow("write, both blocks acknowledged")
            << "qv7ctl" << write << 5 << SIGHUP
            << "qv7ctl: interrupted by SIGHUP: written and acknowledged: holding registers 0–11, 16–27; not "
               "sent: nothing\n"
            << 8000 << 1234;
        QTest::newRow("read") << "qv7ctl" << QStringList{"read", "--simulate-fault=delay:200"} << 2 << SIGINT
                              << "qv7ctl: interrupted by SIGINT before the read of holding registers 16–27\n"
                              << 10000 << 5000;
        QTest::newRow("write whose capture cannot be saved keeps the state")
            << "qv7ctl" << write + QStringList{"--capture=absent/c.pcapng"} << 4 << SIGTERM
            << "qv7ctl: the capture was not saved to absent/c.pcapng" << 8000 << 5000;
        QTest::newRow("window during its first read") << "qv7cfg" << QStringList{"--simulate-fault=delay:200"}
                                                      << 2 << SIGTERM << "qv7cfg: ended by SIGTERM\n"
                                                      << 10000 << 5000;
        QTest::newRow("window whose capture cannot be saved keeps the state")
            << "qv7cfg" << QStringList{"--capture", "absent/w.pcapng"} << 3 << SIGHUP
            << "qv7cfg: the capture was not saved to absent/w.pcapng" << 10000 << 5000;
    }
    void a_signal_ends_the_program_at_a_frame_boundary() {
        QFETCH(QString, program);
        QFETCH(QStringList, args);
        QFETCH(int, requests);
        QFETCH(int, signal);
        QFETCH(QString, said);
        QTemporaryDir dir;
        // A file with both blocks changed; the indicator as the simulator starts.
        QCOMPARE(runQv7ctl(dir.path(), {"read", "--simulate", "-o", "new.QV"}).exitCode, 0);
        QCOMPARE(runQv7ctl(dir.path(), {"set", "new.QV", "display.full_scale=8000", "alarm1.threshold=1234"})
                     .exitCode,
                 0);
        QProcess process;
        process.setWorkingDirectory(dir.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", dir.path()); // the window's own single-instance lock
        process.setProcessEnvironment(env);
        const bool capture = args.filter("--capture").isEmpty();
        if (capture) args << "--capture=c.pcapng";
        process.start(program == "qv7cfg" ? QV7CFG_PATH : QV7CTL_PATH,
                      args + QStringList{"--simulate", "--simulate-state=st.json", "--trace"});
        QString err;
        QTRY_VERIFY_WITH_TIMEOUT((err += process.readAllStandardError()).count("TX : ") >= requests, 20000);
        QElapsedTimer clock;
        clock.start();
        ::kill(static_cast<pid_t>(process.processId()), signal);
        QVERIFY(process.waitForFinished(10000));
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
        err += process.readAllStandardError();
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 128 + signal);
        QVERIFY2(err.contains(said), qPrintable(err));
        QCOMPARE(err.count("TX : "), requests); // nothing sent after the request on the wire
        // The capture ends with the last frame traced, the answer the stop waited for.
        const QString lastRx = err.mid(err.lastIndexOf("RX : ") + 5).section('\n', 0, 0);
        if (capture)
            QVERIFY(readBytes(dir.filePath("c.pcapng")).contains(QByteArray::fromHex(lastRx.toLatin1())));
        QVERIFY(QFile::exists(dir.filePath("st.json")));
        QTEST(rawIn(dir.path(), "display.full_scale"), "fullScale");
        QTEST(rawIn(dir.path(), "alarm1.threshold"), "threshold");
    }
};

QTEST_GUILESS_MAIN(tst_Qv7ctlSignals)
#include "tst_Qv7ctlSignals.moc"
