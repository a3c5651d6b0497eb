// The pacing rule: line times from the characters and the baud rate, which answers can be taken for
// which requests, and when the next request may go after each kind of exchange.
#include "indicator/Pacing.h"

#include <QTest>

using namespace std::chrono_literals;
using qv7::RequestPacing;
using qv7::RequestShape;
using Us = std::chrono::microseconds;

Q_DECLARE_METATYPE(RequestShape)

namespace {
const RequestShape TypeWord{4, 1}, Config{3, 12}, Alarms{3, 12}, TableBlock{3, 16}, ConfigWrite{16, 12},
    TableWrite{16, 16}, Command{6, 1};
const RequestPacing::TimePoint T0 = RequestPacing::TimePoint{} + 1h;
} // namespace

class tst_Pacing : public QObject {
    Q_OBJECT
private slots:
    void line_times_data() {
        QTest::addColumn<int>("baud");
        QTest::addColumn<RequestShape>("request");
        QTest::addColumn<qint64>("silentUs");
        QTest::addColumn<qint64>("responseUs");
        // 3.5 characters of 11 bits; request + reply characters of 11 bits, plus 150 ms.
        QTest::newRow("9600, table read 8 + 37") << 9600 << TableBlock << 4011LL << 51562LL + 150000;
        QTest::newRow("9600, type word 8 + 7") << 9600 << TypeWord << 4011LL << 17187LL + 150000;
        QTest::newRow("19200, table write 41 + 8") << 19200 << TableWrite << 2006LL << 28072LL + 150000;
        QTest::newRow("38400, config read 8 + 29") << 38400 << Config << 1003LL << 10598LL + 150000;
        QTest::newRow("1200, table read") << 1200 << TableBlock << 32084LL << 412500LL + 150000;
        QTest::newRow("unset: 9600, table write 41 + 8") << 0 << TableWrite << 4011LL << 56145LL + 150000;
    }
    void line_times() {
        QFETCH(int, baud);
        QFETCH(RequestShape, request);
        QFETCH(qint64, silentUs);
        QFETCH(qint64, responseUs);
        RequestPacing pacing;
        if (baud != 0) pacing.setBaud(baud);
        pacing.setRepeatInterval(1ms);
        QCOMPARE(std::chrono::duration_cast<Us>(pacing.silentInterval()).count(), silentUs);
        QCOMPARE(std::chrono::duration_cast<Us>(pacing.responseTimeout(request)).count(), responseUs);
        // A repeat interval shorter than the line needs is stretched to it.
        QCOMPARE(pacing.repeatInterval(request), pacing.responseTimeout(request));
    }

    void answers_taken_for_other_requests_data() {
        QTest::addColumn<RequestShape>("earlier");
        QTest::addColumn<RequestShape>("next");
        QTest::addColumn<bool>("confusable");
        QTest::newRow("registers 0-11 and 16-27") << Config << Alarms << true;
        QTest::newRow("two table blocks") << TableBlock << TableBlock << true;
        QTest::newRow("12 and 16 registers") << Config << TableBlock << false;
        QTest::newRow("input and holding register of one length") << RequestShape{4, 12} << Config << false;
        QTest::newRow("type word and a table block") << TypeWord << TableBlock << false;
        QTest::newRow("block writes of any length echo 8 bytes") << ConfigWrite << TableWrite << true;
        QTest::newRow("single and block write") << Command << ConfigWrite << false;
    }
    void answers_taken_for_other_requests() {
        QFETCH(RequestShape, earlier);
        QFETCH(RequestShape, next);
        QFETCH(bool, confusable);
        QCOMPARE(qv7::mayBeTakenFor(earlier, next), confusable);
        QCOMPARE(qv7::mayBeTakenFor(next, earlier), confusable);
    }

    void next_request_waits_data() {
        QTest::addColumn<QString>("history");
        QTest::addColumn<RequestShape>("next");
        QTest::addColumn<qint64>("waitMs"); // from T0 + 500 ms, when the last frame ended
        // Repeat interval 300 ms, horizon 1000 ms, 9600 baud (silent interval 4.011 ms).
        // History: S = sent at the given ms, R = repeated at the given ms, A = answered, a letter for
        // the shape (c config, a alarms, t type word, b table block).
        QTest::newRow("answered once: the silent interval") << "Sc0 A" << Alarms << 4LL;
        QTest::newRow("repeated: the other copy may still be answered") << "Sc0 R300 A" << Alarms << 800LL;
        QTest::newRow("repeated, next not confusable") << "Sc0 R300 A" << TableBlock << 4LL;
        QTest::newRow("abandoned unanswered") << "Sc400" << Alarms << 900LL;
        QTest::newRow("abandoned, next not confusable") << "Sc400" << TypeWord << 4LL;
        QTest::newRow("abandoned long ago: settled") << "Sc-600" << Alarms << 4LL;
        QTest::newRow("an unsettled one outlives later exchanges") << "Sb100 St200 A" << TableBlock << 600LL;
    }
    void next_request_waits() {
        QFETCH(QString, history);
        QFETCH(RequestShape, next);
        QFETCH(qint64, waitMs);
        RequestPacing pacing;
        pacing.setRepeatInterval(300ms);
        pacing.setReplyHorizon(1000ms);
        const auto shape = [](QChar c) {
            return c == 'c' ? Config : c == 'a' ? Alarms : c == 't' ? TypeWord : TableBlock;
        };
        RequestShape last;
        for (const QString& event : history.split(' ')) {
            if (event[0] == 'S') {
                last = shape(event[1]);
                pacing.sent(last, T0 + std::chrono::milliseconds(event.mid(2).toInt()), false);
            } else if (event[0] == 'R') {
                pacing.sent(last, T0 + std::chrono::milliseconds(event.mid(1).toInt()), true);
            } else {
                pacing.answered();
            }
        }
        const auto lastFrame = T0 + 500ms;
        const auto at = pacing.earliest(next, lastFrame, lastFrame);
        QCOMPARE(std::chrono::duration_cast<std::chrono::milliseconds>(at - lastFrame).count(), waitMs);
    }
};

QTEST_APPLESS_MAIN(tst_Pacing)
#include "tst_Pacing.moc"
