// The pacing rule: line times from the characters and the baud rate, which answers can be taken for
// which requests, the probe's answer for none, and when the next request may go.
#include "indicator/Pacing.h"

#include <QTest>

using namespace std::chrono_literals;
using qv7::RequestPacing;
using qv7::RequestShape;
using Us = std::chrono::microseconds;

Q_DECLARE_METATYPE(RequestShape)
Q_DECLARE_METATYPE(QList<RequestShape>)

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

    void probe_answer_is_taken_for_no_transfer_data() {
        QTest::addColumn<RequestShape>("request");
        QTest::newRow("type word") << TypeWord;
        QTest::newRow("registers 0-11") << Config;
        QTest::newRow("table block") << TableBlock;
        QTest::newRow("block write") << ConfigWrite;
        QTest::newRow("table write") << TableWrite;
        QTest::newRow("command write") << Command;
        QTest::newRow("converter values") << RequestShape{4, 4};
        QTest::newRow("live measure") << RequestShape{4, 3};
    }
    void probe_answer_is_taken_for_no_transfer() {
        QFETCH(RequestShape, request);
        // Input registers 1-2: function 4, an answer of 2 + 1 + 4 + 2 bytes.
        QCOMPARE(qv7::ProbeShape, (RequestShape{4, 2}));
        QCOMPARE(qv7::ProbeShape.replyBytes(), 9);
        QVERIFY(!qv7::mayBeTakenFor(qv7::ProbeShape, request));
        QVERIFY(!qv7::mayBeTakenFor(request, qv7::ProbeShape));
    }

    void line_is_clear_data() {
        QTest::addColumn<QList<RequestShape>>("awaited");
        QTest::addColumn<bool>("clear");
        QTest::newRow("nothing awaited") << QList<RequestShape>{} << true;
        QTest::newRow("only the probe") << QList<RequestShape>{qv7::ProbeShape} << true;
        QTest::newRow("an unanswered read") << QList<RequestShape>{Config} << false;
        QTest::newRow("an unanswered read, then the probe")
            << QList<RequestShape>{Config, qv7::ProbeShape} << false;
        QTest::newRow("an unanswered command") << QList<RequestShape>{Command} << false;
    }
    void line_is_clear() {
        QFETCH(QList<RequestShape>, awaited);
        QFETCH(bool, clear);
        QCOMPARE(qv7::lineIsClear(std::vector<RequestShape>(awaited.begin(), awaited.end())), clear);
    }

    void next_request_waits_the_silent_interval() {
        RequestPacing pacing; // 9600 baud: 3.5 characters are 4.011 ms
        const auto lastFrame = T0 + 500ms;
        QCOMPARE(pacing.earliest(lastFrame, lastFrame) - lastFrame, std::chrono::nanoseconds(4011000));
        QCOMPARE(pacing.earliest(lastFrame, lastFrame + 10ms), lastFrame + 10ms);
        QCOMPARE(pacing.earliest(RequestPacing::TimePoint{}, T0), T0);
    }
};

QTEST_APPLESS_MAIN(tst_Pacing)
#include "tst_Pacing.moc"
