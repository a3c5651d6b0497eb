// What the window does with the technician's changes: a field that holds another value than the one
// shown is refused, a changed control and its tab are marked and counted, the differences window
// lists them (and a file against the indicator as qv7ctl diff does), undo and redo step through
// them, and nothing unwritten is dropped without asking.
#include "PagesRig.h"
#include "app/DiffForm.h"
#include "app/EndSignals.h"
#include "app/Language.h"
#include "app/MainPages.h"
#include "app/PageControl.h"
#include "app/ParamBinder.h"
#include "app/Session.h"
#include "app/StatusText.h"
#include "app/pages/AlarmPage.h"
#include "app/pages/CfgPage.h"
#include "app/pages/DisplayPage.h"
#include "app/pages/InputPages.h"
#include "app/pages/ProcessPage.h"
#include "indicator/ParamCompare.h"
#include "indicator/ParamFile.h"
#include "widgets/DecimalSeparator.h"
#include "widgets/FileDialog.h"
#include "widgets/Messages.h"
#include "widgets/MyControls.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <csignal>

using pagestest::Rig;
using qv7::Language;

namespace {
// The windows take a new language from posted events.
void speak(Language language) {
    qv7::setLanguage(language);
    QCoreApplication::processEvents();
}
} // namespace

namespace {

TMainForm& form() {
    return *MainForm;
}

void type(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

QString changesText() {
    auto* label = form().findChild<QLabel*>(QStringLiteral("ChangesText"));
    return label->isHidden() ? QString() : label->text();
}

// A key as the window's focused control (or the window) receives it.
void key(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus != nullptr && focus->window() == MainForm ? focus : MainForm, key, modifiers);
}

} // namespace

class TestChanges : public QObject {
    Q_OBJECT

    const QChar separator_ = qv7::decimalSeparator();

private slots:
    void init() { qv7::setDecimalSeparator(u','); }

    void cleanup() {
        qv7::setMessageHook({});
        qv7::setQuestionHook({});
        qv7::setFileDialogHook({});
        speak(Language::French);
        qv7::setDecimalSeparator(separator_);
    }

    void a_field_holds_what_it_shows_or_is_refused_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("english");
        QTest::addColumn<QString>("message");
        const QString hint =
            QStringLiteral("\nnombre entier de points d'affichage : le point décimal se règle sur "
                           "la page Affichage, 9.000 se saisit 9000");
        QTest::newRow("zero 1.5") << "EdZAF"
                                  << "1.5" << false
                                  << QStringLiteral(
                                         "Zéro d'affichage : nombre entier de \u221219999 à 19999") +
                                         hint;
        QTest::newRow("zero 2,5") << "EdZAF"
                                  << "2,5" << false
                                  << QStringLiteral(
                                         "Zéro d'affichage : nombre entier de \u221219999 à 19999") +
                                         hint;
        QTest::newRow("full scale 9.000, in English")
            << "EdPEAF"
            << "9.000" << true
            << QStringLiteral(
                   "Display at full scale: whole number from \u221219999 to 19999\nwhole number of "
                   "display counts: the decimal point is set on the Display page, 9.000 is "
                   "entered as 9000");
        QTest::newRow("address 1.5, no hint")
            << "EdAddr"
            << "1.5" << false << QStringLiteral("Adresse de l'appareil : nombre entier de 0 à 255");
        QTest::newRow("delay with two decimals")
            << "EdDel2"
            << "2,55" << false
            << QStringLiteral("Delai de l'alarme 2 : nombre de 0,0 à 25,5\nune décimale au plus");
        QTest::newRow("filter with three decimals")
            << "EdFilter"
            << "1.505" << true << QStringLiteral("Filter: number from 0.00 to 99.99\nat most two decimals");
    }
    void a_field_holds_what_it_shows_or_is_refused() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(bool, english);
        QFETCH(QString, message);
        Rig rig(0x4053);
        QVERIFY(rig.ready());
        QVERIFY(rig.writeAll()); // "Paramètres écrits", which the refusal must not leave standing
        if (english) speak(Language::English);
        QStringList messages;
        qv7::setMessageHook([&](const QString& shown) { messages << shown; });
        auto* edit = form().findChild<QLineEdit*>(name);
        // The masks take no more decimals than they keep: the text is set as a paste past them would.
        edit->setText(text);
        const TParamImage before = rig.torvik().paramsSnapshot();
        const int step = rig.torvik().Step.load();
        QVERIFY(!rig.writeAll());
        QCOMPARE(messages, QStringList{message});
        QVERIFY(rig.torvik().paramsSnapshot() == before);
        QCOMPARE(rig.torvik().Step.load(), step); // nothing started
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(edit));
        QCOMPARE(form().StatusText(), english ? QStringLiteral("Parameters not written")
                                              : QStringLiteral("Paramètres non écrits"));
    }

    void changes_are_marked_counted_and_cleared_by_a_write() {
        Rig rig(0x4053);
        QVERIFY(rig.ready());
        QCOMPARE(changesText(), QString());
        auto* threshold = form().alarmPage(1)->EdAlr;
        const QString was = threshold->text();
        type(threshold, QStringLiteral("1234"));
        form().processPage()->CkLin->click();
        form().alarmPage(1)->RdRelNf->click();
        TParamBinder& binder = form().pages().binder();
        QVERIFY(binder.isMarked(threshold) && binder.isMarked(form().processPage()->CkLin));
        QVERIFY(!binder.isMarked(form().alarmPage(1)->EdHys));
        QVERIFY2(threshold->toolTip().endsWith(QStringLiteral("l'indicateur : ") + was),
                 qPrintable(threshold->toolTip()));
        QVERIFY(
            threshold->toolTip().startsWith(QStringLiteral("Seuil d'alarme 1\nde \u221219999 à 19999 points "
                                                           "d'affichage\nregistre 16")));
        QCOMPARE(form().pageControl()->tabText(TMainForm::TabALR1), QStringLiteral("Alarme 1 *"));
        QCOMPARE(form().pageControl()->tabText(TMainForm::TabALR2), QStringLiteral("Alarme 2"));
        QCOMPARE(changesText(), QStringLiteral("3 modifications non écrites"));
        speak(Language::English);
        QCOMPARE(changesText(), QStringLiteral("3 changes not written"));
        QCOMPARE(form().pageControl()->tabText(TMainForm::TabProcess), QStringLiteral("Processing *"));
        // Typing back the indicator's value is no change.
        type(threshold, was);
        QCOMPARE(changesText(), QStringLiteral("2 changes not written"));
        speak(Language::French);
        QVERIFY(rig.writeAll());
        QCOMPARE(changesText(), QString());
        QVERIFY(!binder.isMarked(form().processPage()->CkLin));
        QCOMPARE(form().pageControl()->tabText(TMainForm::TabProcess), QStringLiteral("Traitement"));
    }

    void the_differences_window_lists_the_edits_and_a_file_as_qv7ctl_diff_does() {
        Rig rig(0x4053);
        QVERIFY(rig.ready());
        const TParamImage indicator = rig.torvik().paramsSnapshot();
        type(form().alarmPage(2)->EdAlr, QStringLiteral("777"));
        const bool closed = !form().alarmPage(2)->RdRelNf->isChecked();
        (closed ? form().alarmPage(2)->RdRelNf : form().alarmPage(2)->RdRelNo)->click();
        TDiffForm* window = nullptr;
        QTimer::singleShot(0, [&] {
            window = form().diffForm();
            window->close();
        });
        key(Qt::Key_D, Qt::ControlModifier);
        QVERIFY(window != nullptr);
        QTreeWidget* list = window->List;
        QCOMPARE(list->topLevelItemCount(), 2);
        QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("Seuil d'alarme 2"));
        QCOMPARE(list->topLevelItem(0)->text(1), QString::number(indicator.Alarms[1].Threshold));
        QCOMPARE(list->topLevelItem(0)->text(2), QStringLiteral("777"));
        QCOMPARE(list->topLevelItem(1)->text(0), QStringLiteral("Contact de l'alarme 2"));
        QCOMPARE(list->topLevelItem(1)->text(2),
                 closed ? QStringLiteral("Normalement fermé") : QStringLiteral("Normalement ouvert"));
        // A file: the differences qv7ctl diff finds, its texts in English.
        speak(Language::English);
        QTemporaryDir dir;
        TParamImage file = indicator;
        file.Filter = 250;
        file.SerialConfig ^= 0x0100;
        qv7::saveParamFile(dir.filePath(QStringLiteral("a.QV")), file);
        qv7::setFileDialogHook(
            [&](QFileDialog&) { return std::optional(dir.filePath(QStringLiteral("a.QV"))); });
        QVERIFY(window->compareWithFile());
        const auto expected = qv7::compareParams(qv7::asSent(file), indicator);
        QCOMPARE(list->topLevelItemCount(), int(expected.size()));
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = list->topLevelItem(i);
            QCOMPARE(
                QStringLiteral("%1: file %2, indicator %3\n")
                    .arg(item->text(0), item->text(1), item->text(2)),
                qv7::differencesText({expected[i]}, QStringLiteral("file"), QStringLiteral("indicator")));
        }
    }

    void undo_redo_and_revert_step_through_the_edits() {
        Rig rig(0x4053);
        QVERIFY(rig.ready());
        auto* threshold = form().alarmPage(1)->EdAlr;
        const QString was = threshold->text();
        auto* lin = form().processPage()->CkLin;
        const bool linWas = lin->isChecked();
        threshold->setFocus();
        type(threshold, QStringLiteral("12"));
        type(threshold, QStringLiteral("123")); // one field, one step
        lin->click();
        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(lin->isChecked(), linWas);
        QCOMPARE(threshold->text(), QStringLiteral("123"));
        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(threshold->text(), was);
        QCOMPARE(changesText(), QString());
        key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(threshold->text(), QStringLiteral("123"));
        key(Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(lin->isChecked(), !linWas);
        QVERIFY(form().Session().revert());
        QCOMPARE(threshold->text(), was);
        QCOMPARE(lin->isChecked(), linWas);
        QCOMPARE(changesText(), QString());
        key(Qt::Key_Z, Qt::ControlModifier); // the revert is undone too
        QCOMPARE(changesText(), QStringLiteral("2 modifications non écrites"));
        // The page shown and the field typed in stay as they were, though the fill hides and shows
        // pages again on the way.
        QTabWidget* pages = form().pageControl();
        pages->setCurrentIndex(TMainForm::TabDisplay);
        QApplication::setActiveWindow(MainForm);
        QLineEdit* zero = form().displayPage()->EdZAF;
        zero->setFocus();
        type(zero, QStringLiteral("5"));
        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(pages->currentIndex(), int(TMainForm::TabDisplay));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(zero));
    }

    void nothing_unwritten_is_dropped_without_asking_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("yes");
        for (const char* action : {"BtnReadAll", "BtnScan", "BtnLoad", "BtnQuit", "close"}) {
            QTest::newRow(qPrintable(QStringLiteral("%1, no").arg(action))) << action << false;
            QTest::newRow(qPrintable(QStringLiteral("%1, yes").arg(action))) << action << true;
        }
    }
    void nothing_unwritten_is_dropped_without_asking() {
        QFETCH(QString, action);
        QFETCH(bool, yes);
        Rig rig(0x4053);
        QVERIFY(rig.ready());
        type(form().alarmPage(1)->EdAlr, QStringLiteral("4321"));
        type(form().alarmPage(2)->EdAlr, QStringLiteral("4321"));
        QStringList questions;
        qv7::setQuestionHook([&](const QString&, const QString& text) {
            questions << text;
            return yes;
        });
        int dialogs = 0;
        qv7::setFileDialogHook([&](QFileDialog&) {
            ++dialogs;
            return std::optional<QString>();
        });
        if (action == QStringLiteral("close"))
            form().close();
        else
            QTest::mouseClick(form().findChild<QAbstractButton*>(action), Qt::LeftButton);
        QCOMPARE(questions, QStringList{QStringLiteral("Abandonner 2 modifications ?")});
        const bool closing = action == QStringLiteral("BtnQuit") || action == QStringLiteral("close");
        QCOMPARE(form().isVisible(), !(yes && closing));
        QCOMPARE(dialogs, yes && action == QStringLiteral("BtnLoad") ? 1 : 0);
        if (!yes) {
            QCOMPARE(changesText(), QStringLiteral("2 modifications non écrites"));
            QCOMPARE(form().StatusText(), QString());
            QCOMPARE(rig.torvik().Step.load(), -1); // nothing started
        }
        speak(Language::English);
        questions.clear();
        if (!yes) {
            form().close();
            QCOMPARE(questions, QStringList{QStringLiteral("Discard 2 changes?")});
        }
    }

    // The file holds the pages as they stand, refused as write-all refuses; loaded back, it is marked again.
    void save_keeps_what_the_pages_show_data() {
        QTest::addColumn<int>("edits"); // alarm 1's threshold, alarm 2's, linearisation; -1: EdZAF "1.5"
        QTest::addColumn<QString>("status");
        QTest::newRow("no edit") << 0 << QStringLiteral("Fichier enregistré : s.QV");
        QTest::newRow("one edit") << 1
                                  << QStringLiteral(
                                         "Fichier enregistré : s.QV (1 modification non écrite comprise)");
        QTest::newRow("three edits")
            << 3 << QStringLiteral("Fichier enregistré : s.QV (3 modifications non écrites comprises)");
        QTest::newRow("two edits, in English")
            << 2 << QStringLiteral("File saved: s.QV (2 unwritten changes included)");
        QTest::newRow("a whole number field holding 1.5")
            << -1 << QStringLiteral("Zéro d'affichage : nombre entier");
    }
    void save_keeps_what_the_pages_show() {
        QFETCH(int, edits);
        QFETCH(QString, status);
        Rig rig(0x4053);
        QVERIFY(rig.ready());
        if (status.startsWith(QStringLiteral("File"))) speak(Language::English);
        TParamImage expected = rig.torvik().paramsSnapshot();
        qv7::setParamMagic(expected);
        if (edits >= 1)
            type(form().alarmPage(1)->EdAlr, QString::number(expected.Alarms[0].Threshold = 1234));
        if (edits >= 2)
            type(form().alarmPage(2)->EdAlr, QString::number(expected.Alarms[1].Threshold = -777));
        if (edits >= 3) form().processPage()->CkLin->click(), expected.LinEnable ^= 1;
        if (edits < 0) form().displayPage()->EdZAF->setText(QStringLiteral("1.5"));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("s.QV"));
        qv7::setFileDialogHook([&](QFileDialog&) { return std::optional(path); });
        QStringList messages;
        qv7::setMessageHook([&](const QString& shown) { messages << shown; });
        qv7::setQuestionHook([](const QString&, const QString&) { return true; });
        QTest::mouseClick(form().findChild<QAbstractButton*>(QStringLiteral("BtnSave")), Qt::LeftButton);
        QVERIFY(edits < 0 ? messages.value(0).startsWith(status) && !QFile::exists(path)
                          : messages.isEmpty() && form().StatusText() == status);
        if (edits < 0) return;
        TParamImage saved;
        QCOMPARE(qv7::loadParamFile(path, expected.DeviceType, saved), qv7::ParamLoadResult::Loaded);
        QVERIFY(saved == expected);
        // Read again from the indicator (the edits dropped), then the file: the same changes marked.
        QTest::mouseClick(form().findChild<QAbstractButton*>(QStringLiteral("BtnReadAll")), Qt::LeftButton);
        QVERIFY(rig.tickUntil(Rig::idle));
        QTest::mouseClick(form().findChild<QAbstractButton*>(QStringLiteral("BtnLoad")), Qt::LeftButton);
        QCOMPARE(form().Session().changeCount(), edits);
        QCOMPARE(form().pages().binder().isMarked(form().alarmPage(1)->EdAlr), edits >= 1);
    }

    // A session's end asks nothing: what a write in flight did and the changes left are said, at once.
    void a_signal_ends_the_window_without_a_question_data() {
        QTest::addColumn<bool>("writing"); // the write-all clicked just before
        QTest::addColumn<QStringList>("report");
        const QString edits =
            QStringLiteral("qv7cfg: ended by SIGTERM: 1 change on the pages was not written");
        QTest::newRow("one edit") << false << QStringList{edits};
        QTest::newRow("a write-all that sent nothing yet")
            << true
            << QStringList{"qv7cfg: ended by SIGTERM during a write to the indicator: written and "
                           "acknowledged: nothing; not sent: holding registers 0–11, 16–27",
                           edits};
    }
    void a_signal_ends_the_window_without_a_question() {
        QFETCH(bool, writing);
        Rig rig(0x4053);
        QVERIFY(rig.ready());
        const std::map<int, std::uint16_t> before = rig.configRegisters();
        type(form().alarmPage(1)->EdAlr, QStringLiteral("4321"));
        int questions = 0;
        qv7::setQuestionHook([&](const QString&, const QString&) { return ++questions, false; });
        if (writing)
            QTest::mouseClick(form().findChild<QAbstractButton*>(QStringLiteral("BtnWriteAll")),
                              Qt::LeftButton);
        QStringList said;
        qv7::endWindow(form(), SIGTERM, [&](const QStringList& lines) { said = lines; });
        QTRY_VERIFY_WITH_TIMEOUT(!said.isEmpty(), 2000);
        QTEST(said, "report");
        QCOMPARE(questions, 0);
        const int sent = rig.torvik().requestsSent();
        QCoreApplication::processEvents();
        QCOMPARE(rig.torvik().requestsSent(), sent); // nothing goes after the stop
        QCOMPARE(rig.configRegisters(), before);
    }

    // A change on the current input's page, then the voltage input chosen: the choice carries the
    // mark and names it, Ctrl+D lists it as hidden, and write-all asks before sending it (No: the
    // indicator keeps its value, the change stays).
    void a_change_the_input_type_hides_stays_visible_data() {
        QTest::addColumn<bool>("send");
        QTest::newRow("not sent") << false;
        QTest::newRow("sent") << true;
    }
    void a_change_the_input_type_hides_stays_visible() {
        QFETCH(bool, send);
        Rig rig(0x4053);
        QVERIFY(rig.ready());
        const int range = rig.indicator->holding(1);
        form().courantPage()->RdGrCourant->button(range == 0 ? 1 : 0)->click();
        form().cfgPage()->RdGrCFG1->button(1)->click(); // voltage: the current page goes
        QVERIFY(!form().tabShown(TMainForm::TabEntCourant));
        QCOMPARE(changesText(), QStringLiteral("2 modifications non écrites"));
        QWidget* choice = form().cfgPage()->RdGrCFG1;
        QVERIFY(form().pages().binder().isMarked(choice));
        QVERIFY2(choice->toolTip().contains(QStringLiteral("masque : Gamme de l'entrée courant")),
                 qPrintable(choice->toolTip()));
        QTimer::singleShot(0, [] { form().diffForm()->close(); });
        form().ShowDifferences();
        QStringList listed;
        for (int i = 0; i < form().diffForm()->List->topLevelItemCount(); ++i)
            listed << form().diffForm()->List->topLevelItem(i)->text(0);
        QVERIFY2(listed.contains(QStringLiteral("Gamme de l'entrée courant (page masquée)")),
                 qPrintable(listed.join('|')));
        QStringList questions;
        qv7::setQuestionHook([&](const QString&, const QString& text) {
            questions << text;
            return send;
        });
        QVERIFY(rig.writeAll());
        QCOMPARE(questions, QStringList{QStringLiteral("1 modification sur une page masquée : l'écrire ?")});
        QCOMPARE(rig.indicator->holding(1) != range, send);
        QCOMPARE(changesText(), send ? QString() : QStringLiteral("1 modification non écrite"));
    }

    void after_a_load_the_marks_show_where_the_file_differs_from_the_indicator() {
        Rig rig(0x4053);
        QVERIFY(rig.ready());
        TParamImage file = rig.torvik().paramsSnapshot();
        file.Alarms[3].Hysteresis = 42;
        QTemporaryDir dir;
        qv7::saveParamFile(dir.filePath(QStringLiteral("ligne-3.QV")), file);
        qv7::setFileDialogHook(
            [&](QFileDialog&) { return std::optional(dir.filePath(QStringLiteral("ligne-3.QV"))); });
        QTest::mouseClick(form().findChild<QAbstractButton*>(QStringLiteral("BtnLoad")), Qt::LeftButton);
        QCOMPARE(form().alarmPage(4)->EdHys->text(), QStringLiteral("42"));
        QVERIFY(form().pages().binder().isMarked(form().alarmPage(4)->EdHys));
        QCOMPARE(form().pageControl()->tabText(TMainForm::TabALR4), QStringLiteral("Alarme 4 *"));
        // The count gives way before the message is cut: shortened, whole in its tooltip.
        auto* status = form().findChild<TStatusText*>(QStringLiteral("StatusText"));
        QTRY_COMPARE(status->shownText(), QStringLiteral("Fichier chargé : ligne-3.QV"));
        QCOMPARE(changesText(), QStringLiteral("1 *"));
        QCOMPARE(form().findChild<QLabel*>(QStringLiteral("ChangesText"))->toolTip(),
                 QStringLiteral("1 modification non écrite"));
        form().setStatusText(QStringLiteral("Ok"));
        QCOMPARE(changesText(), QStringLiteral("1 modification non écrite"));
    }
};

QTEST_MAIN(TestChanges)
#include "tst_Changes.moc"
