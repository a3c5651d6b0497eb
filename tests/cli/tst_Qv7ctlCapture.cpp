// qv7ctl --capture and qv7cfg --capture against --simulate, read back by tshark: every frame the
// trace shows, in its order and direction, byte for byte, as Modbus RTU with the CRC tshark finds,
// each reply paired with its request. Skipped where tshark is not installed.
#include "Qv7ctlRun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class tst_Qv7ctlCapture : public QObject {
    Q_OBJECT
private slots:
    void tshark_decodes_the_frames_sent_data();
    void tshark_decodes_the_frames_sent();
    void all_saves_one_capture_per_indicator();
    void the_window_saves_its_capture_when_told_to_end();
};

namespace {

const QStringList UserDlt{"-o", R"x(uat:user_dlts:"User 0 (DLT=147)","mbrtu","0","","0","")x", "-o",
                          "mbrtu.crc_verification:TRUE"};

QString tshark(const QStringList& args) {
    QProcess p;
    p.start(QStandardPaths::findExecutable("tshark"), args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The capture `file` holds the frames `trace` printed, `badCrc` replies of them with a bad CRC.
// `badCrcText`: the reason a rejected reply carries, in the language of the program that saved it.
void decodesAsTraced(const QString& file, const QString& trace, int badCrc,
                     const QString& badCrcText = QStringLiteral("bad CRC")) {
    QStringList sent; // "TX FF 03 ..." as the trace printed them
    for (const QString& line : trace.split('\n'))
        if (line.startsWith("TX : ") || line.startsWith("RX : "))
            sent << line.left(2) + ' ' + line.mid(5).trimmed();
    QVERIFY(sent.size() >= 6);

    const QJsonArray packets =
        QJsonDocument::fromJson(
            tshark(QStringList{"-r", file} + UserDlt + QStringList{"-T", "json", "-x"}).toUtf8())
            .array();
    const QStringList fields =
        tshark(QStringList{"-r", file} + UserDlt +
               QStringList{"-T", "fields", "-E", "separator=;", "-e", "frame.packet_flags_direction", "-e",
                           "frame.protocols", "-e", "mbrtu.crc16.status", "-e", "modbus.func_code", "-e",
                           "modbus.request_frame", "-e", "frame.comment"})
            .split('\n', Qt::SkipEmptyParts);
    QCOMPARE(packets.size(), sent.size());
    QCOMPARE(fields.size(), sent.size());
    int bad = 0;
    for (int i = 0; i < sent.size(); ++i) {
        const QString raw = packets[i]
                                .toObject()["_source"]
                                .toObject()["layers"]
                                .toObject()["frame_raw"]
                                .toArray()[0]
                                .toString();
        const QStringList f = fields[i].split(QLatin1Char(';'));
        const bool outbound = sent[i].startsWith("TX");
        QCOMPARE(raw.toUpper(), sent[i].mid(3).remove(' '));
        QCOMPARE(f[0], QString(outbound ? "0x00000002" : "0x00000001"));
        QCOMPARE(f[1], QStringLiteral("user_dlt:mbrtu:modbus"));
        bad += f[2] == "0";
        // The master's number of the frame, the request it booked a good reply for, and its reason
        // for a frame it rejected, and only for it.
        const bool french = badCrcText == QStringLiteral("CRC erroné");
        const QString comment = f.value(5);
        QVERIFY2(comment.startsWith((french ? QStringLiteral("N° %1") : QStringLiteral("No. %1")).arg(i + 1)),
                 qPrintable(comment));
        QCOMPARE(comment.contains(badCrcText), f[2] == "0");
        const QString answers = french ? QStringLiteral("réponse au N° ") : QStringLiteral("answers no. ");
        QCOMPARE(comment.contains(answers), !outbound && f[2] == "1");
        QVERIFY2(f[2] == "1" || (f[2] == "0" && !outbound), qPrintable(fields[i]));
        QCOMPARE(f[3].toInt(), sent[i].mid(6, 2).toInt(nullptr, 16) & 0x7F);
        // A good reply names the request just before it.
        if (!outbound && f[2] == "1") QCOMPARE(f[4].toInt(), i);
    }
    QCOMPARE(bad, badCrc);
}

} // namespace

void tst_Qv7ctlCapture::tshark_decodes_the_frames_sent_data() {
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<int>("badCrc"); // replies sent with a bad CRC
    QTest::newRow("read") << QStringList{"read"} << 0;
    QTest::newRow("write") << QStringList{"write", "a.QV"} << 0;
    QTest::newRow("table write") << QStringList{"lin-write", "c.LIN"} << 0;
    QTest::newRow("read, two bad CRCs") << QStringList{"read", "--simulate-fault=crc:2"} << 2;
}

void tst_Qv7ctlCapture::tshark_decodes_the_frames_sent() {
    if (QStandardPaths::findExecutable("tshark").isEmpty()) QSKIP("tshark is not installed");
    QFETCH(QStringList, command);
    QFETCH(int, badCrc);
    QTemporaryDir dir;
    QCOMPARE(runQv7ctl(dir.path(), {"read", "--simulate", "-o", "a.QV"}).exitCode, 0);
    QCOMPARE(runQv7ctl(dir.path(), {"lin-fit", "--shape", "sqrt", "--points", "16", "-o", "c.LIN"}).exitCode,
             0);
    const Run run =
        runQv7ctl(dir.path(), command + QStringList{"--simulate", "--trace", "--capture", "f.pcapng"});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    decodesAsTraced(dir.filePath("f.pcapng"), run.err, badCrc);
}

void tst_Qv7ctlCapture::all_saves_one_capture_per_indicator() {
    QTemporaryDir dir;
    const Run run = runQv7ctl(
        dir.path(), {"read", "--all", "--simulate", "--simulate-count", "2", "--capture", "line.pcapng"});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    for (const char* name : {"line-0001.pcapng", "line-0002.pcapng"}) {
        const QByteArray bytes = readBytes(dir.filePath(name));
        QCOMPARE(bytes.left(4), QByteArray::fromHex("0a0d0d0a"));
        QVERIFY(bytes.size() > 300); // the headers and six frames
    }
    QVERIFY(!QFile::exists(dir.filePath("line.pcapng")));
}

// The window has no command to end it from outside but the signals a session's end sends.
void tst_Qv7ctlCapture::the_window_saves_its_capture_when_told_to_end() {
    if (QStandardPaths::findExecutable("tshark").isEmpty()) QSKIP("tshark is not installed");
    QTemporaryDir dir;
    QProcess window;
    window.setWorkingDirectory(dir.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", dir.path()); // its own single-instance lock
    env.insert("QT_QPA_PLATFORM", "offscreen");
    window.setProcessEnvironment(env);
    window.start(QV7CFG_PATH, {"--simulate", "--simulate-fault=crc:1", "--trace", "--capture", "w.pcapng",
                               "--lang", "fr"});
    QString trace;
    QTRY_VERIFY_WITH_TIMEOUT((trace += window.readAllStandardError()).count("RX : ") >= 3, 30000);
    window.terminate();
    QVERIFY(window.waitForFinished(30000));
    QCOMPARE(window.exitCode(), 128 + 15); // ended by SIGTERM
    decodesAsTraced(dir.filePath("w.pcapng"), trace + window.readAllStandardError(), 1,
                    QStringLiteral("CRC erroné"));
}

QTEST_MAIN(tst_Qv7ctlCapture)
#include "tst_Qv7ctlCapture.moc"
