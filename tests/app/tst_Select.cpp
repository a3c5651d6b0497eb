// The selection window: its frame and controls, the item calls of the scan, and the two ways
// of closing it, which the caller cannot tell apart.
#include "app/Select.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>

namespace {

void fill(TSelectForm& form, int count) {
    form.clearItems();
    for (int k = 1; k <= count; ++k)
        form.addItem(QStringLiteral("USB N°") + QString::number(k));
    form.setItemIndex(0);
}

// Runs the window modally, as the scan does, while `closeIt` ends it from inside the loop.
int runModally(TSelectForm& form, const std::function<void()>& closeIt) {
    QTimer::singleShot(0, &form, closeIt);
    return form.exec();
}

} // namespace

class TestSelect : public QObject {
    Q_OBJECT

private slots:
    void frame_and_controls() {
        TSelectForm form;
        const Qt::WindowFlags flags = form.windowFlags();
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
        QVERIFY(flags & Qt::WindowStaysOnTopHint);
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QCOMPARE(form.size(), QSize(186, 258));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QCOMPARE(form.windowTitle(), QStringLiteral("Selection"));
        auto* group = form.findChild<QGroupBox*>(QStringLiteral("GrRdSelect"));
        QVERIFY(group);
        QCOMPARE(group->geometry(), QRect(8, 40, 169, 169));
        QCOMPARE(group->title(), QStringLiteral("Selection"));
        auto* ok = form.findChild<QPushButton*>(QStringLiteral("BtnOK"));
        QVERIFY(ok);
        QCOMPARE(ok->geometry(), QRect(96, 224, 75, 25));
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QCOMPARE(form.itemCount(), 0);
        QCOMPARE(form.itemIndex(), -1);
    }

    void items_are_listed_and_the_first_selected_data() {
        QTest::addColumn<int>("count");
        QTest::newRow("two devices") << 2;
        QTest::newRow("three devices") << 3;
        QTest::newRow("eight devices") << 8;
    }
    void items_are_listed_and_the_first_selected() {
        QFETCH(int, count);
        TSelectForm form;
        fill(form, 5); // a previous scan's list is replaced, not extended
        fill(form, count);
        QCOMPARE(form.itemCount(), count);
        QCOMPARE(form.findChildren<QRadioButton*>().size(), count);
        for (int i = 0; i < count; ++i)
            QCOMPARE(form.itemText(i), QStringLiteral("USB N°%1").arg(i + 1));
        QCOMPARE(form.itemIndex(), 0);
        QCOMPARE(form.itemText(count), QString());
        QCOMPARE(form.itemText(-1), QString());
    }

    void items_share_the_group_in_rows_that_do_not_overlap() {
        TSelectForm form;
        fill(form, 3);
        const auto items = form.findChildren<QRadioButton*>();
        auto* group = form.findChild<QGroupBox*>(QStringLiteral("GrRdSelect"));
        for (int i = 0; i < items.size(); ++i) {
            QVERIFY(group->rect().contains(items.at(i)->geometry()));
            if (i > 0) QVERIFY(items.at(i - 1)->geometry().bottom() < items.at(i)->y());
            QVERIFY(items.at(i)->fontMetrics().horizontalAdvance(items.at(i)->text()) < items.at(i)->width());
        }
    }

    void item_index_follows_selection_data() {
        QTest::addColumn<int>("set");
        QTest::addColumn<int>("expected");
        QTest::newRow("last") << 2 << 2;
        QTest::newRow("none") << -1 << -1;
        QTest::newRow("past the end selects none") << 3 << -1;
    }
    void item_index_follows_selection() {
        QFETCH(int, set);
        QFETCH(int, expected);
        TSelectForm form;
        fill(form, 3);
        form.setItemIndex(set);
        QCOMPARE(form.itemIndex(), expected);
    }

    void clicking_an_item_selects_it() {
        TSelectForm form;
        fill(form, 3);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto* third = form.findChildren<QRadioButton*>().at(2);
        QTest::mouseClick(third, Qt::LeftButton, {}, QPoint(6, third->height() / 2));
        QCOMPARE(form.itemIndex(), 2);
    }

    void ok_button_and_close_box_end_the_window_alike() {
        TSelectForm byButton;
        fill(byButton, 3);
        byButton.setItemIndex(1);
        const int buttonResult = runModally(byButton, [&] {
            QTest::mouseClick(byButton.findChild<QPushButton*>(QStringLiteral("BtnOK")), Qt::LeftButton);
        });

        TSelectForm byCloseBox;
        fill(byCloseBox, 3);
        byCloseBox.setItemIndex(1);
        const int closeBoxResult = runModally(byCloseBox, [&] { byCloseBox.windowHandle()->close(); });

        QCOMPARE(buttonResult, closeBoxResult);
        QVERIFY(!byButton.isVisible());
        QVERIFY(!byCloseBox.isVisible());
        QCOMPARE(byButton.itemIndex(), 1);
        QCOMPARE(byCloseBox.itemIndex(), 1);
    }

    void closing_with_first_item_selected_leaves_item_zero() {
        TSelectForm form;
        fill(form, 3);
        runModally(form, [&] { form.windowHandle()->close(); });
        QCOMPARE(form.itemIndex(), 0);
    }
};

QTEST_MAIN(TestSelect)
#include "tst_Select.moc"
