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

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <map>
#include <set>

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
    void monitor_and_capture_say_what_the_master_booked_data();
    void monitor_and_capture_say_what_the_master_booked();
    void saves_take_their_format_s_extension_data();
    void saves_take_their_format_s_extension();
    void count_and_copy_follow_the_filter();
    void frames_read_as_the_indicator_reads_them_data();
    void frames_read_as_the_indicator_reads_them();
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

// The comments of a pcapng file's enhanced packet blocks, in file order ("" for none).
QStringList packetComments(const std::string& file) {
    const auto u32 = [&file](std::size_t at) {
        return std::uint32_t(std::uint8_t(file[at])) | std::uint32_t(std::uint8_t(file[at + 1])) << 8 |
               std::uint32_t(std::uint8_t(file[at + 2])) << 16 |
               std::uint32_t(std::uint8_t(file[at + 3])) << 24;
    };
    QStringList comments;
    for (std::size_t at = 0; at + 12 <= file.size(); at += u32(at + 4)) {
        if (u32(at) != 6) continue;
        const std::size_t end = at + u32(at + 4) - 4;
        std::size_t option = at + 28 + (u32(at + 20) + 3) / 4 * 4;
        QString comment;
        for (; option + 4 <= end && (u32(option) & 0xFFFF) != 0;
             option += 4 + ((u32(option) >> 16) + 3) / 4 * 4)
            if ((u32(option) & 0xFFFF) == 1)
                comment = QString::fromStdString(file.substr(option + 4, u32(option) >> 16));
        comments << comment;
    }
    return comments;
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
        // A reply names its request unless its bytes are damaged (the master could not read it).
        if (log.frameRow(r).frame.outbound || !qv7::crcGood(log.frameRow(r).frame.bytes)) continue;
        QVERIFY2(!log.cellText(r, FrameLog::ColAnswers).isEmpty(), qPrintable(log.text({r})));
        QVERIFY(log.cellText(r, FrameLog::ColTurnaround).replace(',', '.').toDouble() > 0);
    }
    QVERIFY2((rejected > 0) == !reason.isEmpty(), qPrintable(log.text()));
    // The first reply booked came after the delay its request had.
    int firstReply = 0;
    while (firstReply < log.rowCount() && log.frameRow(firstReply).answers == 0)
        ++firstReply;
    QVERIFY(firstReply < log.rowCount());
    QVERIFY(log.cellText(firstReply, FrameLog::ColTurnaround).replace(',', '.').toDouble() >=
            firstTurnaround);
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
    const TFrameRecord request{10, true, {0xFF, 0x03, 0x00, 0x10, 0x00, 0x01, 0x91, 0xD1}, {}, 1};
    TFrameVerdict booked;
    booked.booking = TReplyBooking::Answer;
    booked.request = 1;
    booked.requestAt = 10;
    const TFrameRecord reply{20, false, {0xFF, 0x03, 0x02, 0x13, 0x88, 0x1C, 0x06}, booked, 2};
    const TFrameRecord next{30, true, request.bytes, {}, 3};
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

// Under each fault the monitor's "Answers" and the capture's comments name, frame for frame, the
// request the master booked each reply for; every named request went out before its reply, with
// the reply's function, and is answered once at most.
void tst_FrameMonitor::monitor_and_capture_say_what_the_master_booked_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("stepMs");
    // delay:1500 against the window's 1000 ms step, at a fifth of the time.
    QTest::newRow("late answers") << "delay:300:3" << 200;
    QTest::newRow("lost answers") << "drop:3" << 100;
    QTest::newRow("bad CRCs") << "crc:2" << 100;
    QTest::newRow("refusals") << "exception:02:2" << 100;
}

void tst_FrameMonitor::monitor_and_capture_say_what_the_master_booked() {
    QFETCH(QString, fault);
    QFETCH(int, stepMs);
    pagestest::Rig rig(0x4053, bank());
    qv7::applySimulatedFault(fault.toStdString(), rig.bridge, 0, *rig.indicator);
    rig.torvik().setStepInterval(stepMs);
    qv7::FrameCapture capture(0, 0);
    qv7::FrameMonitor monitor;
    monitor.attach(rig.torvik(), rig.form(), [&capture](const TFrameRecord& f) { capture.add(f); });
    QVERIFY(rig.ready());
    monitor.refresh();
    const FrameLog& log = monitor.log();
    const QStringList comments = packetComments(capture.bytes());
    QCOMPARE(comments.size(), log.rowCount());
    std::map<std::int64_t, int> rowOf;
    std::set<std::int64_t> answered;
    int booked = 0;
    for (int r = 0; r < log.rowCount(); ++r) {
        const qv7::FrameRow& row = log.frameRow(r);
        rowOf[row.number] = r;
        const QString answers = log.cellText(r, FrameLog::ColAnswers);
        // "N° 12, réponse au N° 11 : CRC erroné" beside the monitor's 12 and 11.
        QVERIFY2(comments[r].startsWith(QStringLiteral("N° %1").arg(row.number)), qPrintable(comments[r]));
        if (row.answers > 0) {
            QVERIFY2(comments[r].contains(QStringLiteral("réponse au N° %1").arg(answers)),
                     qPrintable(comments[r]));
            QVERIFY(rowOf.count(row.answers) == 1 && answered.insert(row.answers).second);
            const qv7::FrameRow& request = log.frameRow(rowOf[row.answers]);
            QVERIFY(request.frame.outbound && request.frame.at < row.frame.at);
            QCOMPARE(request.frame.bytes[1], std::uint8_t(row.frame.bytes[1] & 0x7F));
            QCOMPARE(row.turnaroundNs, row.frame.at - request.frame.at);
            booked += 1;
        } else if (!answers.isEmpty()) {
            QVERIFY2(comments[r].contains(answers), qPrintable(comments[r]));
        } else {
            QVERIFY2(!comments[r].contains(QStringLiteral("réponse")), qPrintable(comments[r]));
        }
    }
    QVERIFY2(booked >= 4, qPrintable(log.text() + comments.join('\n')));
    // The late answers are booked for the requests they answer, after the delay they had.
    if (fault.startsWith("delay")) {
        int late = 0;
        for (int r = 0; r < log.rowCount(); ++r)
            late += log.frameRow(r).turnaroundNs >= 300'000'000;
        QVERIFY2(late >= 1, qPrintable(log.text()));
    }
}

// A write-multiple request carries its data low byte first, as the indicator takes it; a capture's
// packet time is the wall clock's microseconds, high word first.
void tst_FrameMonitor::frames_read_as_the_indicator_reads_them_data() {
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QString>("decoding");
    // 16 = 5000 (13 88 hex) sent as 88 13; 17 = 1 as 01 00.
    QTest::newRow("write of 16-17") << QByteArray::fromHex("FF10001000020488130100")
                                    << "16 Seuil d'alarme 1 = 5000";
    QTest::newRow("single write") << QByteArray::fromHex("FF0600101388") << "16 Seuil d'alarme 1 = 5000";
}

void tst_FrameMonitor::frames_read_as_the_indicator_reads_them() {
    QFETCH(QByteArray, frame);
    QFETCH(QString, decoding);
    qv7::setLanguage(qv7::Language::French);
    std::vector<std::uint8_t> bytes(frame.begin(), frame.end());
    const std::uint16_t crc = TCustomMiniModbus::ModbusCRC(bytes);
    bytes.push_back(std::uint8_t(crc & 0xFF));
    bytes.push_back(std::uint8_t(crc >> 8));
    FrameLog log(0, nullptr);
    log.add(TFrameRecord{2'500'000, true, bytes, {}, 1});
    QVERIFY2(log.cellText(0, FrameLog::ColDecoding).startsWith(decoding),
             qPrintable(log.cellText(0, FrameLog::ColDecoding)));
    QCOMPARE(log.cellText(0, FrameLog::ColTime), QStringLiteral("2,5"));
    // 2024-12-08 09:26:40.123456 UTC, 2.5 ms after the capture began.
    const std::int64_t wallUs = 1733650000123456;
    qv7::FrameCapture capture(0, wallUs);
    capture.add(log.frameRow(0).frame);
    const std::string packet = capture.bytes().substr(
        capture.bytes().size() -
        qv7::FrameCapture::packetBlock(0, true, bytes, qv7::FrameCapture::comment(log.frameRow(0).frame))
            .size());
    const auto u32 = [&packet](std::size_t at) {
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = v << 8 | std::uint8_t(packet[at + std::size_t(i)]);
        return v;
    };
    QCOMPARE((std::uint64_t(u32(12)) << 32) | u32(16), std::uint64_t(wallUs + 2500));
}

void tst_FrameMonitor::saves_take_their_format_s_extension_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("saved");
    using F = qv7::FrameMonitor::Format;
    QTest::newRow("text") << "/tmp/trames" << int(F::Text) << "/tmp/trames.txt";
    QTest::newRow("csv") << "/tmp/t.2" << int(F::Csv) << "/tmp/t.2.csv";
    QTest::newRow("capture") << "/tmp/t" << int(F::Capture) << "/tmp/t.pcapng";
    QTest::newRow("given, any case") << "/tmp/T.CSV" << int(F::Csv) << "/tmp/T.CSV";
    QTest::newRow("another format's") << "/tmp/t.txt" << int(F::Capture) << "/tmp/t.txt.pcapng";
}

void tst_FrameMonitor::saves_take_their_format_s_extension() {
    QFETCH(QString, path);
    QFETCH(int, format);
    QFETCH(QString, saved);
    QCOMPARE(qv7::FrameMonitor::withExtension(path, qv7::FrameMonitor::Format(format)), saved);
}

// With "rejected only" the count says how many of all are shown, and Copy takes the rows shown.
void tst_FrameMonitor::count_and_copy_follow_the_filter() {
    pagestest::Rig rig(0x4053, bank());
    qv7::applySimulatedFault("crc:2", rig.bridge, 0, *rig.indicator);
    rig.torvik().setStepInterval(100);
    qv7::FrameMonitor monitor;
    monitor.attach(rig.torvik(), rig.form());
    QVERIFY(rig.ready());
    const int all = monitor.log().rowCount();
    monitor.findChild<QCheckBox*>("CbErrorsOnly")->setChecked(true);
    QCOMPARE(monitor.countText(), QStringLiteral("2 / %1 trames").arg(all));
    monitor.view()->selectAll();
    const QStringList copied = monitor.selectionText().split('\n', Qt::SkipEmptyParts);
    QCOMPARE(copied.size(), 3); // the header and the two rejected frames
    for (const QString& line : copied.mid(1))
        QVERIFY2(line.contains(QStringLiteral("CRC erroné")), qPrintable(line));
    monitor.findChild<QCheckBox*>("CbErrorsOnly")->setChecked(false);
    QCOMPARE(monitor.countText(), QStringLiteral("%1 trames").arg(all));
}
