// The service page's live ADC reading against the simulated indicator: "Lecture ADC" as a toggle,
// the chart of the last minute, and every way the reading ends (toggle, page left, disconnection, a
// transfer the user starts).
#include "PagesRig.h"

#include "app/PageControl.h"
#include "app/pages/AdcChart.h"
#include "app/pages/ServicePage.h"
#include "lineditor/Draw.h"
#include "widgets/Messages.h"

#include <QDir>
#include <QPlainTextEdit>
#include <QTabWidget>

#include <algorithm>
#include <cmath>

using namespace qv7::pages;
using pagestest::Rig;

namespace {

TMainForm& form() {
    return *MainForm;
}

// The request for input registers 5-8 (node 255, function 4, address 5, count 4).
bool asksForAdc(const std::vector<std::uint8_t>& request) {
    const std::vector<std::uint8_t> head{0xFF, 0x04, 0x00, 0x05, 0x00, 0x04};
    return request.size() >= head.size() && std::equal(head.begin(), head.end(), request.begin());
}

// Input registers 5-6 (channel 1) and 7-8 (channel 2): singles, low word first.
void setChannels(qv7::SimulatedIndicator& indicator, std::uint16_t high1, std::uint16_t high2) {
    indicator.setInput(5, 0);
    indicator.setInput(6, high1);
    indicator.setInput(7, 0);
    indicator.setInput(8, high2);
}

} // namespace

class tst_ServiceLive : public QObject {
    Q_OBJECT
private slots:
    void live_reading_ends_data() {
        QTest::addColumn<QString>("how");
        for (const char* how : {"toggle off", "page left", "read-all started", "table read started",
                                "table write started", "disconnection"})
            QTest::newRow(how) << QString::fromLatin1(how);
    }
    void live_reading_ends() {
        QFETCH(QString, how);
        Rig rig(0x40D3);
        form().setServiceMode(true);
        QVERIFY(rig.ready());
        form().pageControl()->setCurrentIndex(TMainForm::TabZEQ);
        TServicePage* page = form().servicePage();
        page->setLiveInterval(10);
        setChannels(*rig.indicator, 0x3F80, 0x4020); // 1.0 and 2.5
        QTest::mouseClick(page->Button1, Qt::LeftButton);
        QVERIFY(page->Button1->isChecked());
        QVERIFY(page->AdcChart->isVisible());
        QTRY_VERIFY(page->AdcChart->readings() >= 3);
        setChannels(*rig.indicator, 0x4040, 0x4020); // channel 1 moves to 3.0
        QTRY_COMPARE(page->AdcChart->range(0)->second, 3.0f);
        QCOMPARE(page->AdcChart->range(0)->first, 1.0f);
        QCOMPARE(page->AdcChart->range(1)->first, 2.5f);
        // The first reading is the single read's: once in Memo, the others only in the chart.
        QCOMPARE(page->Memo->toPlainText().count(QStringLiteral("ADC 1 : 1")), 1);
        QCOMPARE(page->Memo->toPlainText().count(QStringLiteral("ADC 1")), 1);

        if (how == "toggle off") QTest::mouseClick(page->Button1, Qt::LeftButton);
        if (how == "page left") form().pageControl()->setCurrentIndex(TMainForm::TabIdent);
        if (how == "read-all started")
            QTest::mouseClick(form().findChild<QPushButton*>(QStringLiteral("BtnReadAll")), Qt::LeftButton);
        if (how == "table read started") form().ReadLin();
        if (how == "table write started") {
            TDraw draw(nullptr);
            qv7::setQuestionHook([](const QString&, const QString&) { return true; });
            QVERIFY(form().SendCurveToDevice(draw));
        }
        if (how == "disconnection") rig.bridge.unplug(0);
        QTRY_VERIFY(!page->liveAdc()); // a disconnection is told by the reader thread, the rest at once
        QVERIFY(!page->Button1->isChecked());
        QVERIFY(page->AdcChart->isHidden());
        rig.indicator->clearRequests();
        QTest::qWait(50); // five live intervals
        const auto requests = rig.indicator->requests();
        QVERIFY(std::none_of(requests.begin(), requests.end(), asksForAdc));
    }

    // QV7_PICTURES names the directory that keeps the picture of the page reading live.
    void picture_of_the_live_page() {
        Rig rig(0x40D3);
        form().setServiceMode(true);
        QVERIFY(rig.ready());
        QVERIFY(QTest::qWaitForWindowExposed(MainForm));
        form().pageControl()->setCurrentIndex(TMainForm::TabZEQ);
        TServicePage* page = form().servicePage();
        QTest::mouseClick(page->Button1, Qt::LeftButton);
        QTRY_VERIFY(page->AdcChart->readings() == 1);
        // A minute of a zero being adjusted, drawn at once: channel 1 settles from 1.5 to 1.0 after
        // the adjustment, channel 2 ripples round 2.5. No live reading comes in between.
        page->setLiveInterval(3600 * 1000);
        page->AdcChart->clear();
        for (int ms = 0; ms <= 60000; ms += 250) {
            const double t = ms / 1000.0;
            const double v1 = t < 20 ? 1.5 + 0.01 * std::sin(t * 3) : 1.0 + 0.5 * std::exp(-(t - 20) / 4);
            page->AdcChart->addReading(ms, static_cast<float>(v1),
                                       static_cast<float>(2.5 + 0.05 * std::sin(t)));
        }
        QVERIFY(page->liveAdc());
        const QImage picture = MainForm->grab().toImage();
        const QString out = qEnvironmentVariable("QV7_PICTURES");
        if (!out.isEmpty())
            QVERIFY(picture.save(QDir(out).filePath(QStringLiteral("page-service-live.png"))));
    }
};

QTEST_MAIN(tst_ServiceLive)
#include "tst_ServiceLive.moc"
