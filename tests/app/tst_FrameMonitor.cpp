// The frame monitor on the main window's component and the simulated indicator: its rows name the
// parameters the frames carry and the reasons the master rejected frames for, and its saves hold
// every row.
#include "PagesRig.h"

#include "app/About.h"
#include "app/FrameMonitor.h"
#include "app/Language.h"
#include "modbus/FrameCapture.h"
#include "modbus/MiniModbus.h"
#include "sim/Faults.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

using qv7::FrameLog;

class tst_FrameMonitor : public QObject {
    Q_OBJECT
private slots:
    void rows_name_parameters_and_rejections_data();
    void rows_name_parameters_and_rejections();
    void saves_hold_every_row();
    void the_key_and_the_status_line_open_it();
    void it_keeps_the_last_rows_only();
    void a_late_reply_takes_its_place_in_time();
    void a_capture_stops_growing_at_its_bound();
    void pictures_in_both_languages();
};

namespace {

// Register 16 is alarm 1's threshold.
std::map<int, std::uint16_t> bank() {
    auto b = qv7::SimulatedIndicator::defaultRegisters(0x4053);
    b[16] = 5000;
    return b;
}

// The rows' texts of one column.
QStringList column(const FrameLog& log, int c) {
    QStringList texts;
    for (int r = 0; r < log.rowCount(); ++r)
        texts << log.cellText(r, c);
    return texts;
}

// A plain RFC 4180 reader: fields split at commas outside quotes, records at CR LF outside quotes,
// and "" inside quotes is one quote.
QList<QStringList> parseCsv(const QString& text) {
    QList<QStringList> records{{}};
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const QChar next = i + 1 < text.size() ? text[i + 1] : QChar();
        if (quoted && c == '"' && next == '"') {
            field += c;
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && (c == ',' || (c == '\r' && next == '\n'))) {
            records.last() << field;
            field.clear();
            if (c == '\r') records << QStringList(), ++i;
        } else {
            field += c;
        }
    }
    records.removeLast(); // after the last CR LF
    return records;
}

} // namespace

void tst_FrameMonitor::rows_name_parameters_and_rejections_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<double>("firstTurnaround"); // ms, at least
    QTest::newRow("clean line") << ""
                                << "" << 0.0;
    QTest::newRow("bad CRC") << "crc:1"
                             << "CRC erroné" << 0.0;
    QTest::newRow("illegal data address") << "exception:02:1"
                                          << "exception 02, adresse de données illégale" << 0.0;
    // Booked for its request, however late, while the probe's copies went out meanwhile.
    QTest::newRow("late answer") << "delay:400:1"
                                 << "" << 400.0;
}

void tst_FrameMonitor::rows_name_parameters_and_rejections() {
    QFETCH(QString, fault);
    QFETCH(QString, reason);
    QFETCH(double, firstTurnaround);
    pagestest::Rig rig(0x4053, bank());
    if (!fault.isEmpty()) qv7::applySimulatedFault(fault.toStdString(), rig.bridge, 0, *rig.indicator);
    rig.torvik().setStepInterval(100); // a late answer's request is repeated meanwhile
    qv7::FrameMonitor monitor;
    monitor.attach(rig.torvik(), rig.form());
    QVERIFY(rig.ready());
    const FrameLog& log = monitor.log();
    QVERIFY(log.rowCount() >= 6);
    // The reply to the read of 16-27 names alarm 1's threshold as the page shows it.
    QVERIFY2(column(log, FrameLog::ColDecoding).join('\n').contains("16 Seuil d'alarme 1 = 5000"),
             qPrintable(column(log, FrameLog::ColDecoding).join('\n')));
    int rejected = 0;
    for (int r = 0; r < log.rowCount(); ++r) {
        const bool refused = !log.cellText(r, FrameLog::ColReason).isEmpty();
        rejected += refused;
        // Marked, not only coloured; and every reply names its request.
        QCOMPARE(log.cellText(r, FrameLog::ColMark).isEmpty(), !refused);
        QCOMPARE(log.data(log.index(r, 0), Qt::FontRole).isValid(), refused);
        if (log.frameRow(r).frame.outbound) continue;
        QVERIFY2(!log.cellText(r, FrameLog::ColAnswers).isEmpty(), qPrintable(log.text({r})));
        QVERIFY(log.cellText(r, FrameLog::ColTurnaround).toDouble() > 0);
    }
    QVERIFY2((rejected > 0) == !reason.isEmpty(), qPrintable(log.text()));
    // The first request is answered by the first reply that fits it, after the delay it had.
    QVERIFY(column(log, FrameLog::ColAnswers).contains("1"));
    const int firstReply = int(column(log, FrameLog::ColAnswers).indexOf("1"));
    QVERIFY(log.cellText(firstReply, FrameLog::ColTurnaround).toDouble() >= firstTurnaround);
    if (reason.isEmpty()) return;
    QVERIFY2(column(log, FrameLog::ColReason).join('\n').contains(reason), qPrintable(log.text()));
    if (fault.startsWith("crc")) QVERIFY(column(log, FrameLog::ColCrc).contains("mauvais"));
    if (fault.startsWith("exception"))
        QVERIFY(column(log, FrameLog::ColFunction).join('\n').contains("(exception)"));
    monitor.filter().setErrorsOnly(true);
    QCOMPARE(monitor.filter().rowCount(), rejected);
}

void tst_FrameMonitor::saves_hold_every_row() {
    pagestest::Rig rig(0x4053, bank());
    qv7::FrameMonitor monitor;
    monitor.attach(rig.torvik(), rig.form());
    QVERIFY(rig.ready());
    const FrameLog& log = monitor.log();
    QTemporaryDir dir;
    QCOMPARE(monitor.saveAs(dir.filePath("f.txt"), qv7::FrameMonitor::Format::Text), 0);
    QCOMPARE(monitor.saveAs(dir.filePath("f.csv"), qv7::FrameMonitor::Format::Csv), 0);
    QCOMPARE(monitor.saveAs(dir.filePath("f.pcapng"), qv7::FrameMonitor::Format::Capture), 0);
    QFile text(dir.filePath("f.txt")), csv(dir.filePath("f.csv")), capture(dir.filePath("f.pcapng"));
    QVERIFY(text.open(QIODevice::ReadOnly) && csv.open(QIODevice::ReadOnly) &&
            capture.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(text.readAll()).split('\n', Qt::SkipEmptyParts);
    const QList<QStringList> records = parseCsv(QString::fromUtf8(csv.readAll()));
    QCOMPARE(lines.size(), log.rowCount() + 1);
    QCOMPARE(records.size(), log.rowCount() + 1);
    for (int r = 0; r < log.rowCount(); ++r) {
        QCOMPARE(records[r + 1].size(), int(FrameLog::ColumnCount));
        QCOMPARE(records[r + 1][FrameLog::ColBytes], log.cellText(r, FrameLog::ColBytes));
        QCOMPARE(records[r + 1][FrameLog::ColDecoding], log.cellText(r, FrameLog::ColDecoding));
        QCOMPARE(lines[r + 1].split('\t').value(FrameLog::ColBytes), log.cellText(r, FrameLog::ColBytes));
    }
    // The capture: a section header, then one enhanced packet block (type 6) per row.
    const QByteArray bytes = capture.readAll();
    QCOMPARE(bytes.left(4), QByteArray::fromHex("0a0d0d0a"));
    QCOMPARE(bytes.count(QByteArray::fromHex("06000000")) >= log.rowCount(), true);
}

void tst_FrameMonitor::the_key_and_the_status_line_open_it() {
    pagestest::Rig rig(0x4053);
    qv7::FrameMonitor monitor;
    monitor.attach(rig.torvik(), rig.form());
    QVERIFY(rig.ready());
    for (const QKeySequence& key : {QKeySequence(Qt::Key_F9), QKeySequence(Qt::CTRL | Qt::Key_M)}) {
        monitor.hide();
        rig.form().activateWindow();
        QTest::keySequence(&rig.form(), key);
        QVERIFY(monitor.isVisible());
    }
    monitor.hide();
    const QList<QAction*> menu = rig.form().findChild<QStatusBar*>("StatusBar")->actions();
    QCOMPARE(menu.size(), 1);
    QCOMPARE(menu[0]->text(), QStringLiteral("Moniteur de trames"));
    menu[0]->trigger();
    QVERIFY(monitor.isVisible());
    monitor.hide();
    AboutBox->show();
    auto* link = AboutBox->findChild<QPushButton*>("MonitorLink");
    QCOMPARE(link->text(), QStringLiteral("Moniteur de trames (F9)"));
    QVERIFY(link->fontMetrics().horizontalAdvance(link->text()) <= link->width());
    QTest::mouseClick(link, Qt::LeftButton, {}, link->rect().center());
    QVERIFY(monitor.isVisible() && !AboutBox->isVisible());
}

void tst_FrameMonitor::it_keeps_the_last_rows_only() {
    FrameLog log(0, nullptr);
    TFrameRecord request{0, true, {0xFF, 0x03, 0x00, 0x10, 0x00, 0x01, 0x00, 0x00}, {}};
    for (int i = 0; i < FrameLog::MaxRows + 5; ++i)
        log.add(request);
    QCOMPARE(log.rowCount(), FrameLog::MaxRows);
    QCOMPARE(log.frameRow(0).number, 6); // the five oldest went
    log.setPaused(true);
    log.add(request);
    QCOMPARE(log.frameRow(FrameLog::MaxRows - 1).number, FrameLog::MaxRows + 5);
    log.setPaused(false);
    QCOMPARE(log.frameRow(FrameLog::MaxRows - 1).number, FrameLog::MaxRows + 6);
}

// The reply reaches the monitor and the capture after the request it let go: both put it back first.
void tst_FrameMonitor::a_late_reply_takes_its_place_in_time() {
    const TFrameRecord request{10, true, {0xFF, 0x03, 0x00, 0x10, 0x00, 0x01, 0x91, 0xD1}, {}};
    const TFrameRecord reply{20, false, {0xFF, 0x03, 0x02, 0x13, 0x88, 0x1C, 0x06}, {}};
    const TFrameRecord next{30, true, request.bytes, {}};
    qv7::FrameCapture inOrder(0, 0), late(0, 0);
    for (const TFrameRecord& f : {request, reply, next})
        inOrder.add(f);
    qv7::FrameMonitor monitor;
    for (const TFrameRecord& f : {request, next, reply}) {
        late.add(f);
        monitor.addFrame(f);
    }
    QCOMPARE(late.bytes(), inOrder.bytes());
    for (int r : {0, 1, 2})
        QCOMPARE(monitor.log().frameRow(r).frame.at, 10 * (r + 1));
    QCOMPARE(monitor.log().frameRow(1).answers, 1);
}

// Past its bound a capture counts the frames it no longer keeps and stays a whole file.
void tst_FrameMonitor::a_capture_stops_growing_at_its_bound() {
    qv7::FrameCapture capture(0, 0);
    const TFrameRecord frame{0, true, std::vector<std::uint8_t>(250, 0x55), {}};
    const std::size_t headers = capture.bytes().size();
    const std::size_t packet = qv7::FrameCapture::packetBlock(0, true, frame.bytes, {}).size();
    const std::size_t fits = (qv7::FrameCapture::MaxBytes - headers) / packet;
    for (std::size_t i = 0; i < fits + 3; ++i)
        capture.add(frame);
    QCOMPARE(capture.frames(), fits);
    QCOMPARE(capture.dropped(), std::size_t{3});
    QCOMPARE(capture.bytes().size(), headers + fits * packet);
}

// QV7_PICTURES=docs draws docs/frame-monitor.png and docs/en/frame-monitor.png: a read-all with one
// bad CRC, then a write-all.
void tst_FrameMonitor::pictures_in_both_languages() {
    pagestest::Rig rig(0x4053, bank());
    qv7::applySimulatedFault("crc:1", rig.bridge, 0, *rig.indicator);
    rig.torvik().setStepInterval(100);
    qv7::FrameMonitor monitor;
    monitor.attach(rig.torvik(), rig.form());
    QVERIFY(rig.ready() && rig.writeAll());
    monitor.refresh();
    monitor.show();
    const QString out = qEnvironmentVariable("QV7_PICTURES");
    for (const auto& [language, folder, header] : {std::tuple(qv7::Language::English, "en/", "Function"),
                                                   std::tuple(qv7::Language::French, "", "Fonction")}) {
        qv7::setLanguage(language);
        QCoreApplication::processEvents(); // the windows' LanguageChange, then their layouts
        QCoreApplication::processEvents();
        QCOMPARE(monitor.log().headerData(FrameLog::ColFunction, Qt::Horizontal, Qt::DisplayRole).toString(),
                 header);
        const QImage picture = monitor.grab().toImage();
        QVERIFY(!picture.isNull());
        if (!out.isEmpty())
            QVERIFY(picture.save(QDir(out).filePath(folder + QStringLiteral("frame-monitor.png"))));
    }
}

QTEST_MAIN(tst_FrameMonitor)
#include "tst_FrameMonitor.moc"
