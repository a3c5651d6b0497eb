// The main window from the keyboard: Tab reaches every button in the page's order and never the
// tab strip's arrows, a radio group is entered on its checked item, the logo opens the about box,
// F1 the help; the service page's adjustments ask first; the status line keeps a long text whole;
// the pages' numbers follow the language.
#include "PagesRig.h"

#include "app/About.h"
#include "app/Forms.h"
#include "app/Language.h"
#include "app/PageControl.h"
#include "app/StatusText.h"
#include "app/pages/DisplayPage.h"
#include "app/pages/IdentPage.h"
#include "app/pages/PageKit.h"
#include "app/pages/ProcessPage.h"
#include "app/pages/ServicePage.h"
#include "widgets/Messages.h"

#include <QApplication>
#include <QLabel>
#include <QRadioButton>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>

using pagestest::Rig;

namespace {

// The widgets Tab reaches from the tab strip of `page`, in order, until it comes back.
QList<QWidget*> tabWalk(int page) {
    TPageControl* pages = MainForm->pageControl();
    pages->setCurrentIndex(page);
    pages->tabBar()->setFocus(Qt::TabFocusReason);
    QList<QWidget*> walk;
    for (int i = 0; i < 60; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* now = QApplication::focusWidget();
        if (now == nullptr || now == pages->tabBar()) break;
        walk << now;
    }
    return walk;
}

// Whether `wanted` come in this order within `walk`.
bool inOrder(const QList<QWidget*>& walk, const QList<QWidget*>& wanted) {
    qsizetype at = 0;
    for (QWidget* widget : wanted) {
        at = walk.indexOf(widget, at);
        if (at < 0) return false;
    }
    return true;
}

} // namespace

class TestKeyboard : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        qv7::setQuestionHook({});
        qv7::setMessageHook({});
    }

    void tab_reaches_every_button_of_the_pages_in_order() {
        Rig rig(0x40D3); // the service bit: the adjustments show
        MainForm->setServiceMode(true);
        QVERIFY(rig.ready());
        MainForm->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(MainForm));
        auto* service = MainForm->servicePage();
        QVERIFY(inOrder(tabWalk(TMainForm::TabZEQ), {service->BtnErase, service->BtnPRG, service->BtnRESET,
                                                     service->SpBtnZ1, service->SpBtnPE1}));
        QVERIFY(tabWalk(TMainForm::TabProcess).contains(MainForm->processPage()->SpeedButton5));
        QVERIFY(tabWalk(TMainForm::TabDisplay).contains(MainForm->displayPage()->SpeedButton4));
        // The window's own order ends on the logo, which opens the about box on Space.
        const QList<QWidget*> ident = tabWalk(TMainForm::TabIdent);
        auto* logo = MainForm->findChild<QLabel*>(QStringLiteral("Image1"));
        QVERIFY(inOrder(ident, {MainForm->findChild<QWidget*>(QStringLiteral("BtnQuit")), logo}));
        bool aboutShown = false;
        QTimer::singleShot(0, [&] {
            aboutShown = AboutBox->isVisible();
            AboutBox->reject();
        });
        logo->setFocus(Qt::TabFocusReason);
        QTest::keyClick(logo, Qt::Key_Space);
        QVERIFY(aboutShown);
        // The strip's arrows take no Tab stop.
        for (QToolButton* arrow : MainForm->pageControl()->tabBar()->findChildren<QToolButton*>())
            QCOMPARE(arrow->focusPolicy(), Qt::NoFocus);
    }

    void a_radio_group_is_entered_on_its_checked_item_data() {
        QTest::addColumn<int>("item");
        QTest::newRow("first") << 0;
        QTest::newRow("last") << 2;
    }
    void a_radio_group_is_entered_on_its_checked_item() {
        QFETCH(int, item);
        Rig rig(0x4053);
        QVERIFY(rig.ready());
        MainForm->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(MainForm));
        qv7::pages::TRadioGroup* group = MainForm->identPage()->GrProt;
        group->setItemIndex(item);
        const QList<QWidget*> walk = tabWalk(TMainForm::TabIdent);
        for (int i = 0; i < group->count(); ++i)
            QCOMPARE(walk.contains(group->button(i)), i == item);
        // Space there keeps the value.
        group->button(item)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(group->button(item), Qt::Key_Space);
        QCOMPARE(group->ItemIndex(), item);
    }

    void f1_opens_the_help() {
        Rig rig(0x4053);
        QVERIFY(rig.ready());
        MainForm->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(MainForm));
        QStringList messages;
        qv7::setMessageHook([&](const QString& text) { messages << text; });
        QTest::keyClick(MainForm, Qt::Key_F1);
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.first().startsWith(QStringLiteral("Clavier :")), qPrintable(messages.value(0)));
    }

    void adjustments_ask_before_they_start_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("question");
        QTest::newRow("Z1") << "SpBtnZ1"
                            << "Ajustage du zéro, voie 1 ?";
        QTest::newRow("PE1") << "SpBtnPE1"
                             << "Ajustage de la pleine échelle, voie 1 ?";
        QTest::newRow("Z2") << "SpBtnZ2"
                            << "Ajustage du zéro, voie 2 ?";
    }
    void adjustments_ask_before_they_start() {
        QFETCH(QString, button);
        QFETCH(QString, question);
        Rig rig(0x40D3);
        MainForm->setServiceMode(true);
        QVERIFY(rig.ready());
        MainForm->servicePage()->inputTypeChosen(2); // "Sonde Platine": the second channel's buttons

        QStringList questions;
        bool yes = false;
        qv7::setQuestionHook([&](const QString&, const QString& text) { return questions << text, yes; });
        MainForm->setStatusText(QString());
        auto* control = MainForm->findChild<QToolButton*>(button);
        QTest::mouseClick(control, Qt::LeftButton);
        QCOMPARE(questions.size(), 1);
        QVERIFY2(questions.first().startsWith(question), qPrintable(questions.first()));
        QCOMPARE(MainForm->StatusText(), QString()); // declined: nothing sent
        yes = true;
        QTest::mouseClick(control, Qt::LeftButton);
        QVERIFY(MainForm->StatusText().startsWith(question.chopped(2)));
    }

    void the_pages_numbers_follow_the_language() {
        Rig rig(0x4053);
        QVERIFY(rig.ready());
        auto* filter = MainForm->processPage()->EdFilter;
        const double before = qv7::pages::pageNumber(filter->text());
        for (const auto& [language, point] :
             {std::pair{qv7::Language::English, u'.'}, {qv7::Language::French, u','}}) {
            qv7::setLanguage(language);
            QCoreApplication::processEvents();
            QVERIFY2(filter->text().contains(QChar(point)), qPrintable(filter->text()));
            QCOMPARE(qv7::pages::pageNumber(filter->text()), before);
        }
    }

    void a_long_status_is_cut_with_its_whole_text_in_the_tooltip() {
        TStatusText line;
        line.resize(120, 19);
        const QString text = QStringLiteral("L'indicateur refuse la requête (lecture du registre 0) : "
                                            "exception 02, adresse de données illégale");
        line.setText(text);
        QCOMPARE(line.text(), text);
        QVERIFY(line.shownText().endsWith(QChar(0x2026)));
        QCOMPARE(line.toolTip(), text);
        line.setText(QStringLiteral("Courbe lue"));
        QCOMPARE(line.shownText(), QStringLiteral("Courbe lue"));
        QCOMPARE(line.toolTip(), QString());
    }
};

QTEST_MAIN(TestKeyboard)
#include "tst_Keyboard.moc"
