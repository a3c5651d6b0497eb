// The transfer window: a small tool window above the others with one progress bar.
#include "widgets/Xfert.h"

#include <QProgressBar>
#include <QTest>

class TestXfert : public QObject {
    Q_OBJECT

private slots:
    void is_a_tool_window_that_stays_on_top() {
        TXfertForm form;
        const Qt::WindowFlags flags = form.windowFlags();
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
        QVERIFY(flags & Qt::WindowStaysOnTopHint);
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QCOMPARE(form.size(), QSize(378, 30));
        QCOMPARE(form.minimumSize(), form.maximumSize());
    }

    void progress_bar_starts_at_zero_of_111() {
        TXfertForm form;
        auto* bar = form.findChild<QProgressBar*>(QStringLiteral("Progress"));
        QVERIFY(bar);
        QCOMPARE(bar, form.Progress());
        QCOMPARE(bar->geometry(), QRect(8, 8, 361, 16));
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), 111);
        QVERIFY(!bar->isTextVisible());
        QCOMPARE(bar->value(), 0);
    }

    void showing_sets_the_caption() {
        TXfertForm form;
        form.setWindowTitle(QString());
        form.show();
        QCOMPARE(form.windowTitle(), QStringLiteral("Transfert des informations de linéarisation"));
    }

    void bar_follows_the_transfer_to_its_end() {
        TXfertForm form;
        form.show();
        form.Progress()->setValue(55);
        QCOMPARE(form.Progress()->value(), 55);
        form.Progress()->setValue(111);
        QCOMPARE(form.Progress()->value(), 111);
        form.close();
        QVERIFY(!form.isVisible());
    }
};

QTEST_MAIN(TestXfert)
#include "tst_Xfert.moc"
