// The main window against simulated indicators: its controls, places and texts, and the states it
// goes through — start, connection, the full read, the selection among several devices, unplugging
// and plugging back, a new scan, a write, file loads and a run-time error in a handler. Step ticks
// are driven by the test; the step timer never runs on its own.
#include "app/About.h"
#include "app/Application.h"
#include "app/Forms.h"
#include "app/Language.h"
#include "app/Main.h"
#include "app/Select.h"
#include "app/Session.h"
#include "indicator/LinFile.h"
#include "indicator/ParamFile.h"
#include "lineditor/Dessin.h"
#include "sim/SimulatedBridge.h"
#include "sim/SimulatedIndicator.h"
#include "widgets/FileDialog.h"
#include "widgets/Led.h"
#include "widgets/Messages.h"
#include "widgets/Xfert.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstring>
#include <memory>
#include <optional>
#include <vector>

using qv7::SimulatedIndicator;

namespace {

constexpr int DayMs = 24 * 3600 * 1000;

// N simulated indicators, each behind its own bridge, and the five windows on them.
struct Rig {
    std::vector<std::unique_ptr<SimulatedIndicator>> indicators;
    qv7::SimulatedBridge bridge;
    std::unique_ptr<Forms> forms;

    explicit Rig(int devices, std::uint16_t typeWord = SimulatedIndicator::DefaultTypeWord) {
        for (int i = 0; i < devices; ++i) {
            indicators.push_back(std::make_unique<SimulatedIndicator>(typeWord));
            bridge.addBridge(std::to_string(i + 1), indicators.back().get());
        }
        forms = std::make_unique<Forms>(bridge);
        // The test ticks by hand, so every state in between can be looked at.
        MainForm->Torvik().setStepInterval(DayMs);
    }
    ~Rig() {
        forms.reset();
        indicators.clear();
    }
    TMainForm& form() { return *MainForm; }
};

template <typename T> T* child(const char* name) {
    return MainForm->findChild<T*>(QString::fromLatin1(name));
}
QTabWidget* pages() {
    return child<QTabWidget>("PageControl");
}
Tled* led() {
    return child<Tled>("LedConnect");
}

// The component paces itself: waits until `done` holds (a repeat is never needed here, the
// simulated indicator answers every request).
bool tickUntil(const std::function<bool()>& done) {
    return QTest::qWaitFor(done, 5000);
}

bool isReady() {
    return MainForm->StatusText().isEmpty() && !MainForm->isBusy() && pages()->isEnabled();
}

void expectDisconnected() {
    QVERIFY(!led()->LedStatus());
    QVERIFY(!pages()->isEnabled());
    QVERIFY(!child<QPushButton>("BtnReadAll")->isEnabled());
    QVERIFY(!child<QPushButton>("BtnWriteAll")->isEnabled());
    QCOMPARE(pages()->currentIndex(), 0);
    QVERIFY(!MainForm->isBusy());
    QCOMPARE(MainForm->StatusText(), QStringLiteral("Déconnexion"));
}

void expectReading() {
    // Lit only by an answer, and then green.
    QVERIFY(!led()->LedStatus() || led()->Kind() == TLedKind::Green);
    QCOMPARE(MainForm->StatusText(), QStringLiteral("Lecture des paramètres"));
    QVERIFY(MainForm->isBusy());
}

// Ready; the status line says `status` (what the last action came to).
void expectReady(const QString& status = {}) {
    QCOMPARE(MainForm->StatusText(), status);
    QVERIFY(!MainForm->isBusy() && pages()->isEnabled());
    QVERIFY(led()->LedStatus());
    QVERIFY(child<QPushButton>("BtnReadAll")->isEnabled());
    QVERIFY(child<QPushButton>("BtnWriteAll")->isEnabled());
    QCOMPARE(pages()->currentIndex(), 1);
    QCOMPARE(child<QLineEdit>("EdName")->text(), MainForm->Torvik().ModelName());
    QCOMPARE(MainForm->cursor().shape(), Qt::ArrowCursor);
}

// Shows the window and runs its first-showing step alone: the device is opened, but its
// connection, queued on the component, has not been delivered yet.
void showUntilScanned() {
    MainForm->show();
    QCoreApplication::sendPostedEvents(MainForm, QEvent::MetaCall);
}

// Shows the window and waits until the connection's read has started.
bool startAndConnect() {
    MainForm->show();
    return QTest::qWaitFor([] { return MainForm->StatusText() == QStringLiteral("Lecture des paramètres"); },
                           5000);
}

bool reachReady() {
    return startAndConnect() && tickUntil(isReady);
}

// Answers the selection window when it shows: picks `choice` (or keeps the proposed item when
// negative), then closes it by its close box or by OK. Keeps what the window offered.
struct SelectionAnswer {
    int choice = -1;
    bool byOk = false;
    QStringList items;
    int proposed = -2;
    int shown = 0;
    QTimer poll;

    SelectionAnswer() {
        poll.setInterval(5);
        QObject::connect(&poll, &QTimer::timeout, [this] {
            if (!SelectForm || !SelectForm->isVisible()) return;
            ++shown;
            items.clear();
            for (int i = 0; i < SelectForm->itemCount(); ++i)
                items << SelectForm->itemText(i);
            proposed = SelectForm->itemIndex();
            if (choice >= 0) SelectForm->setItemIndex(choice);
            if (byOk)
                QTest::mouseClick(SelectForm->findChild<QPushButton*>(QStringLiteral("BtnOK")),
                                  Qt::LeftButton);
            else
                SelectForm->close();
        });
        poll.start();
    }
};

// Records the message boxes and answers the file dialogs for the life of the object.
struct ScriptedUser {
    QStringList messages;
    std::optional<QString> file;
    int dialogs = 0;
    ScriptedUser() {
        qv7::setMessageHook([this](const QString& text) { messages << text; });
        qv7::setFileDialogHook([this](QFileDialog&) {
            ++dialogs;
            return file;
        });
    }
    ~ScriptedUser() {
        qv7::setMessageHook({});
        qv7::setFileDialogHook({});
    }
};

QByteArray paramBytes(const TParamImage& params) {
    return QByteArray(reinterpret_cast<const char*>(&params), sizeof params);
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestMain : public QObject {
    Q_OBJECT

private slots:
    void windows_are_created_in_order_and_only_the_main_one_shown() {
        Rig rig(0);
        QVERIFY(MainForm && AboutBox && XfertForm && DessinForm && SelectForm);
        QCOMPARE(MainForm->objectName(), QStringLiteral("MainForm"));
        QCOMPARE(DessinForm->windowTitle(), QStringLiteral("Linéarisation"));
        MainForm->show();
        QTRY_COMPARE(MainForm->StatusText(), QStringLiteral("Déconnexion"));
        QVERIFY(MainForm->isVisible());
        for (QWidget* other : {static_cast<QWidget*>(AboutBox), static_cast<QWidget*>(XfertForm),
                               static_cast<QWidget*>(DessinForm), static_cast<QWidget*>(SelectForm)})
            QVERIFY2(!other->isVisible(), qPrintable(other->objectName()));
    }

    void frame() {
        Rig rig(0);
        TMainForm& form = rig.form();
        QCOMPARE(form.windowTitle(), QStringLiteral("Configuration  des indicateurs Zeq"));
        QCOMPARE(form.size(), QSize(273, 504));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(form.windowFlags() & Qt::WindowCloseButtonHint);
        QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(led()->Kind(), TLedKind::Green);
        QCOMPARE(child<QLabel>("Image1")->toolTip(), QStringLiteral("Norvex"));
        QVERIFY(!child<QLabel>("Image1")->pixmap().isNull());
        auto* status = child<QStatusBar>("StatusBar");
        QCOMPARE(status->geometry(), QRect(0, 485, 273, 19));
    }

    void controls_sit_at_their_places_with_their_texts() {
        struct Control {
            const char* name;
            QRect place; // null: no place of its own to check
            const char* text;
            bool enabled;
        };
        // One window for the whole table: building one costs the component's start-up hand-offs.
        const Control controls[] = {
            {"LedConnect", QRect(24, 8, 16, 16), "", true},
            {"Image1", QRect(232, 1, 33, 33), "", true},
            {"BtnScan", QRect(8, 32, 257, 41), "Recheche du materiel USB", true},
            {"PageControl", QRect(8, 88, 257, 321), "", false},
            {"BtnReadAll", QRect(8, 408, 257, 25), "Lecture complète de l'indicateur", false},
            {"BtnWriteAll", QRect(8, 432, 257, 25), "Ecriture complète de l'indicateur", false},
            {"BtnQuit", QRect(8, 456, 257, 25), "Quitter le programme", true},
            {"GroupBoxLangue5", QRect(8, 64, 233, 97), "Fichiers sauvegardés", true},
            {"BtnLoad", QRect(16, 24, 201, 25), "Charge de nouveaux paramètres", true},
            {"BtnSave", QRect(16, 56, 201, 25), "Enregistre les paramètres en cours", true},
            {"EdName", QRect(128, 24, 89, 21), "VUVEDOD", true},
            {"Bevel1", QRect(8, 8, 233, 50), "", true},
            {"BtnEditLin", QRect(), "Edition", true},
        };
        Rig rig(0);
        for (const Control& control : controls) {
            const QString name = QString::fromLatin1(control.name);
            const QString text = QString::fromUtf8(control.text);
            auto* widget = MainForm->findChild<QWidget*>(name);
            QVERIFY2(widget, control.name);
            if (!control.place.isNull()) QCOMPARE(widget->geometry(), control.place);
            if (auto* button = qobject_cast<QAbstractButton*>(widget)) QCOMPARE(button->text(), text);
            if (auto* group = qobject_cast<QGroupBox*>(widget)) QCOMPARE(group->title(), text);
            if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
                QCOMPARE(edit->text(), text);
                QVERIFY(edit->isReadOnly());
            }
            // Enabled at creation means not disabled itself; the disabled page control greys its pages.
            QVERIFY2(!widget->testAttribute(Qt::WA_ForceDisabled) == control.enabled, control.name);
        }
    }

    void labels_at_their_places() {
        Rig rig(0);
        auto* presence = child<QLabel>("LabelLangue4");
        QCOMPARE(presence->text(), QStringLiteral("Présence de l'appareil USB"));
        QCOMPARE(presence->pos(), QPoint(48, 10));
        auto* hint = pages()->widget(0)->findChild<QLabel*>();
        QVERIFY(hint);
        QCOMPARE(hint->text(), QStringLiteral("Connecter la prise USB à l'arrière de l'appareil"));
        QCOMPARE(hint->pos(), QPoint(16, 32));
        MainForm->show(); // the pages take their size from the shown page control
        auto* nameLabel = child<QLabel>("Label2");
        QCOMPARE(nameLabel->text(), QStringLiteral("Nom de l'appareil"));
        QCOMPARE(nameLabel->pos(), QPoint(24, 32));
        // Every text is whole at this platform's font: labels and buttons are as wide as their text
        // needs, and the page hint wraps inside the page.
        for (QLabel* label : {presence, nameLabel})
            QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->text()));
        QVERIFY(hint->wordWrap());
        QVERIFY(hint->geometry().right() < pages()->widget(0)->width());
        QVERIFY(hint->height() >= hint->heightForWidth(hint->width()));
        for (QPushButton* button : MainForm->findChildren<QPushButton*>())
            QVERIFY2(button->width() >= button->sizeHint().width(), qPrintable(button->text()));
    }

    void pages_in_order_with_their_captions() {
        Rig rig(0);
        const QStringList names{"TabConnect",    "TabIdent",  "TabCfg",   "TabEntCourant",
                                "TabEntTension", "TabEntRtd", "TabEntTC", "TabProcess",
                                "TabDisplay",    "TabALR1",   "TabALR2",  "TabALR3",
                                "TabALR4",       "TabSA",     "TabRS485", "TabZEQ"};
        const QStringList captions{"Connexion", "Identification", "Configuration", "Entrée",
                                   "Entrée",    "Entrée",         "Entrée",        "Traitement",
                                   "Affichage", "Alarme 1",       "Alarme 2",      "Alarme 3",
                                   "Alarme 4",  "Sortie",         "RS485",         "Norvex"};
        QCOMPARE(pages()->count(), 16);
        for (int i = 0; i < 16; ++i) {
            QCOMPARE(pages()->widget(i)->objectName(), names.at(i));
            QCOMPARE(pages()->tabText(i), captions.at(i));
        }
        QCOMPARE(child<QPushButton>("BtnEditLin")->window(), MainForm);
        QVERIFY(pages()->widget(TMainForm::TabProcess)->isAncestorOf(child<QPushButton>("BtnEditLin")));
        QVERIFY(pages()->widget(TMainForm::TabIdent)->isAncestorOf(child<QPushButton>("BtnLoad")));
    }

    void tab_order_starts_at_the_scan_button() {
        Rig rig(0);
        const QStringList order{"BtnScan", "PageControl", "BtnReadAll", "BtnWriteAll", "BtnQuit"};
        for (int i = 0; i + 1 < order.size(); ++i) {
            QWidget* from = MainForm->findChild<QWidget*>(order.at(i));
            QWidget* next = from->nextInFocusChain();
            // The page control's own children come between it and the next top-level control.
            while (next != MainForm && next->parentWidget() != MainForm)
                next = next->nextInFocusChain();
            QCOMPARE(next->objectName(), order.at(i + 1));
        }
    }

    void start_without_device_stays_disconnected_and_hides_the_service_tab() {
        Rig rig(0);
        QVERIFY(MainForm->tabShown(TMainForm::TabZEQ));
        MainForm->show();
        QTRY_VERIFY(!MainForm->tabShown(TMainForm::TabZEQ));
        expectDisconnected();
        QVERIFY(!SelectForm->isVisible());
    }

    void start_connect_read_ready() {
        Rig rig(1);
        showUntilScanned();
        expectDisconnected();
        QTRY_COMPARE_WITH_TIMEOUT(MainForm->StatusText(), QStringLiteral("Lecture des paramètres"), 5000);
        expectReading();
        QVERIFY(!pages()->isEnabled()); // still disabled after a connect
        QCOMPARE(pages()->currentIndex(), 0);
        QVERIFY(tickUntil(isReady));
        expectReady();
        QCOMPARE(child<QLineEdit>("EdName")->text(),
                 qv7::BuildModelName(SimulatedIndicator::DefaultTypeWord));
        QCOMPARE(MainForm->Torvik().paramsSnapshot().DeviceType,
                 std::uint32_t(SimulatedIndicator::DefaultTypeWord));
        QVERIFY(!MainForm->tabShown(TMainForm::TabZEQ));
    }

    void several_devices_ask_which_one_to_open_data() {
        QTest::addColumn<int>("devices");
        QTest::addColumn<int>("choice");
        QTest::addColumn<bool>("byOk");
        QTest::addColumn<int>("opened");
        QTest::newRow("three, close box: the first") << 3 << -1 << false << 0;
        QTest::newRow("three, third chosen, OK") << 3 << 2 << true << 2;
        QTest::newRow("two, second chosen, close box") << 2 << 1 << false << 1;
    }
    void several_devices_ask_which_one_to_open() {
        QFETCH(int, devices);
        QFETCH(int, choice);
        QFETCH(bool, byOk);
        QFETCH(int, opened);
        Rig rig(devices);
        SelectionAnswer answer;
        answer.choice = choice;
        answer.byOk = byOk;
        QVERIFY(reachReady());
        QCOMPARE(answer.shown, 1);
        QStringList expected;
        for (int k = 1; k <= devices; ++k)
            expected << QStringLiteral("USB N°%1 — %1").arg(k); // the simulated serials are 1, 2, 3
        QCOMPARE(answer.items, expected);
        QCOMPARE(answer.proposed, 0);
        // Only the opened device was asked for its parameters.
        for (int i = 0; i < devices; ++i)
            QCOMPARE(rig.indicators[i]->requests().empty(), i != opened);
        expectReady();
    }

    void one_device_opens_without_selection() {
        Rig rig(1);
        SelectionAnswer answer;
        QVERIFY(reachReady());
        QCOMPARE(answer.shown, 0);
        QVERIFY(!rig.indicators[0]->requests().empty());
    }

    void unplug_disconnects_and_replug_reads_again() {
        Rig rig(1);
        QVERIFY(reachReady());
        rig.bridge.unplug(0);
        QTRY_COMPARE_WITH_TIMEOUT(MainForm->StatusText(), QStringLiteral("Déconnexion"), 5000);
        expectDisconnected();
        rig.indicators[0]->clearRequests();
        // Silent at first, so the reading state lasts until the request is repeated.
        rig.indicators[0]->setSilent(true);
        rig.bridge.plug(0);
        // No user action: the link finds the device again and the window reads everything.
        QTRY_COMPARE_WITH_TIMEOUT(MainForm->StatusText(), QStringLiteral("Lecture des paramètres"), 5000);
        expectReading();
        rig.indicators[0]->setSilent(false);
        MainForm->Torvik().StepTimer();
        QVERIFY(tickUntil(isReady));
        expectReady();
        QVERIFY(rig.indicators[0]->requests().size() >= 3);
    }

    void an_indicator_that_stops_answering_is_said_until_it_answers_data() {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("english");
        QTest::newRow("silent") << int(SimulatedIndicator::Fault::Silent)
                                << "L'appareil ne répond pas (lecture des registres 0–11)"
                                << "The device does not answer (reading registers 0–11)";
        QTest::newRow("refusing") << int(SimulatedIndicator::Fault::Exception)
                                  << "L'indicateur refuse la requête (lecture des registres 0–11) : "
                                     "exception 04, défaillance de l'appareil"
                                  << "The indicator refuses the request (reading registers 0–11): "
                                     "exception 04, slave device failure";
    }
    void an_indicator_that_stops_answering_is_said_until_it_answers() {
        QFETCH(int, fault);
        QFETCH(QString, text);
        QFETCH(QString, english);
        Rig rig(1);
        QVERIFY(reachReady());
        // The read of registers 0-11 and everything after it go unanswered.
        rig.indicators[0]->injectFault(static_cast<SimulatedIndicator::Fault>(fault), 1000000, 1);
        QTest::mouseClick(child<QPushButton>("BtnReadAll"), Qt::LeftButton);
        for (int tick = 0; tick < 4 * TTorvik::NoAnswerTries && MainForm->StatusText() != text; ++tick) {
            QTest::qWait(30);
            MainForm->Torvik().StepTimer();
        }
        QTRY_COMPARE(MainForm->StatusText(), text);
        QCOMPARE(led()->Kind(), TLedKind::Red);
        QVERIFY(led()->LedStatus());
        // The line says it again in the language chosen meanwhile, and again in French.
        for (const auto& [language, said] :
             {std::pair{qv7::Language::English, english}, {qv7::Language::French, text}}) {
            qv7::setLanguage(language);
            QCoreApplication::processEvents();
            QCOMPARE(MainForm->StatusText(), said);
        }
        rig.indicators[0]->clearFaults();
        MainForm->Torvik().StepTimer();
        QVERIFY(tickUntil(isReady));
        QCOMPARE(led()->Kind(), TLedKind::Green);
    }

    // After a scan, an open or a read that goes unanswered, the same three tries bring the red lamp and
    // the words back; the Connection page says what the link does, and an answer brings back what
    // the line said before.
    void every_unanswered_scan_is_said_within_three_tries_data() {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("lamp");
        QTest::addColumn<QString>("lampEnglish");
        QTest::newRow("silent") << int(SimulatedIndicator::Fault::Silent)
                                << "L'appareil ne répond pas (lecture du registre 0)"
                                << "L'appareil USB est connecté, mais l'indicateur ne répond pas : vérifier "
                                   "qu'il est alimenté et relié au pont USB."
                                << "l'indicateur ne répond pas"
                                << "indicator not answering";
        QTest::newRow("exception 02") << int(SimulatedIndicator::Fault::Exception)
                                      << "L'indicateur refuse la requête (lecture du registre 0) : "
                                         "exception 02, adresse de données illégale"
                                      << "L'appareil USB est connecté, mais l'indicateur refuse les requêtes "
                                         "(voir la ligne d'état)."
                                      << "l'indicateur refuse les requêtes"
                                      << "indicator refusing requests";
    }
    void every_unanswered_scan_is_said_within_three_tries() {
        QFETCH(int, fault);
        QFETCH(QString, text);
        QFETCH(QString, page);
        QFETCH(QString, lamp);
        QFETCH(QString, lampEnglish);
        Rig rig(1);
        QVERIFY(reachReady());
        rig.indicators[0]->setExceptionCode(2);
        rig.indicators[0]->injectFault(static_cast<SimulatedIndicator::Fault>(fault), 1000000);
        auto* label1 = child<QLabel>("Label1");
        for (int scan = 0; scan < 2; ++scan) {
            QTest::mouseClick(child<QPushButton>("BtnScan"), Qt::LeftButton);
            QTRY_COMPARE_WITH_TIMEOUT(MainForm->StatusText(), QStringLiteral("Lecture des paramètres"), 5000);
            // The USB device is there, but no answer came yet: the lamp is not green.
            QVERIFY(!led()->LedStatus() || led()->Kind() == TLedKind::Red);
            QCOMPARE(label1->text(), QStringLiteral("L'appareil USB est connecté."));
            for (int tick = 0; tick < 4 * TTorvik::NoAnswerTries && MainForm->StatusText() != text; ++tick) {
                QTest::qWait(30);
                MainForm->Torvik().StepTimer();
                QCoreApplication::processEvents();
            }
            QCOMPARE(MainForm->StatusText(), text);
            QCOMPARE(led()->Kind(), TLedKind::Red);
            QVERIFY(led()->LedStatus());
            QCOMPARE(label1->text(), page);
            // The words beside the lamp say what its red means, in both languages, and the page's
            // explanation is not greyed out.
            QCOMPARE(child<QLabel>("LabelLangue4")->text(), lamp);
            qv7::setLanguage(qv7::Language::English);
            QCOMPARE(child<QLabel>("LabelLangue4")->text(), lampEnglish);
            qv7::setLanguage(qv7::Language::French);
            QVERIFY(!label1->isEnabled());
            QCOMPARE(label1->palette().color(QPalette::Disabled, QPalette::WindowText),
                     label1->palette().color(QPalette::Active, QPalette::WindowText));
        }
        // The answer comes back while the read runs: the line says the read again, never nothing.
        rig.indicators[0]->clearFaults();
        MainForm->Torvik().StepTimer();
        QTRY_COMPARE(led()->Kind(), TLedKind::Green);
        QCOMPARE(child<QLabel>("LabelLangue4")->text(), QStringLiteral("Présence de l'appareil USB"));
        QVERIFY(MainForm->StatusText() == QStringLiteral("Lecture des paramètres") || isReady());
        QVERIFY(tickUntil(isReady));
        QCOMPARE(label1->text(), QStringLiteral("L'appareil USB est connecté."));
        // A second no-answer in a row keeps what the line said before the first, and the answer
        // brings that back.
        MainForm->setStatusText(QStringLiteral("Fichier chargé : a.QV"));
        MainForm->TorvikAnswerState(false);
        MainForm->TorvikAnswerState(false);
        QVERIFY(MainForm->StatusText() != QStringLiteral("Fichier chargé : a.QV"));
        MainForm->TorvikAnswerState(true);
        QCOMPARE(MainForm->StatusText(), QStringLiteral("Fichier chargé : a.QV"));
        // What the line said after the no-answer stays when the answer comes.
        MainForm->TorvikAnswerState(false);
        MainForm->setStatusText(QStringLiteral("Lecture des paramètres"));
        MainForm->TorvikAnswerState(true);
        QCOMPARE(MainForm->StatusText(), QStringLiteral("Lecture des paramètres"));
    }

    void scan_while_ready_drops_and_reads_again() {
        Rig rig(1);
        QVERIFY(reachReady());
        rig.indicators[0]->clearRequests();
        rig.indicators[0]->setSilent(true);
        QTest::mouseClick(child<QPushButton>("BtnScan"), Qt::LeftButton);
        expectDisconnected();
        QTRY_COMPARE_WITH_TIMEOUT(MainForm->StatusText(), QStringLiteral("Lecture des paramètres"), 5000);
        rig.indicators[0]->setSilent(false);
        MainForm->Torvik().StepTimer();
        QVERIFY(tickUntil(isReady));
        expectReady();
        QVERIFY(rig.indicators[0]->requests().size() >= 3);
    }

    void read_all_button_reads_again() {
        Rig rig(1);
        QVERIFY(reachReady());
        rig.indicators[0]->setHolding(0, 2); // the indicator changed meanwhile
        QTest::mouseClick(child<QPushButton>("BtnReadAll"), Qt::LeftButton);
        expectReading();
        QVERIFY(tickUntil(isReady));
        expectReady();
    }

    void write_all_shows_writing_until_completed() {
        Rig rig(1);
        QVERIFY(reachReady());
        pages()->setCurrentIndex(TMainForm::TabCfg);
        QTest::mouseClick(child<QPushButton>("BtnWriteAll"), Qt::LeftButton);
        QCOMPARE(MainForm->StatusText(), QStringLiteral("Ecriture des paramètres"));
        QVERIFY(MainForm->isBusy());
        QVERIFY(pages()->isEnabled());
        QVERIFY(tickUntil([] { return MainForm->StatusText() == QStringLiteral("Paramètres écrits"); }));
        QVERIFY(!MainForm->isBusy());
        QCOMPARE(pages()->currentIndex(), int(TMainForm::TabCfg)); // the page stays
        QCOMPARE(MainForm->Torvik().Step.load(), 0);
    }

    void failing_writes_neither_disconnect_nor_abandon_the_write() {
        Rig rig(1);
        QVERIFY(reachReady());
        const auto sent = qv7::registersFromParams(MainForm->Torvik().paramsSnapshot());
        for (int r = 0; r < 28; ++r)
            rig.indicators[0]->setHolding(r, 0);
        int disconnects = 0;
        MainForm->Torvik().OnDisconnect = [&](TComponent*) { ++disconnects; };
        rig.bridge.failWrites(0, 300); // longer than the hand-off limit: the report stays unsent
        QTest::mouseClick(child<QPushButton>("BtnWriteAll"), Qt::LeftButton);
        // The report left in the slot goes out once the device takes it again.
        QVERIFY(tickUntil([] { return MainForm->StatusText() == QStringLiteral("Paramètres écrits"); }));
        QCOMPARE(rig.bridge.writesFailed(), 300);
        QVERIFY(led()->LedStatus());
        QCOMPARE(disconnects, 0);
        for (int r = 0; r < 28; ++r)
            if (r < 12 || r >= 16) QCOMPARE(rig.indicators[0]->holding(r), sent[static_cast<std::size_t>(r)]);
    }

    void indicator_in_use_by_another_program_is_said_and_tried_again_until_free() {
        Rig rig(1);
        auto other = std::make_unique<TTorvik>(rig.bridge);
        QVERIFY(other->OpenDevice(1));
        MainForm->show();
        const QString inUse =
            QStringLiteral("Utilisé par un autre programme (pid %1)").arg(QCoreApplication::applicationPid());
        QTRY_COMPARE_WITH_TIMEOUT(MainForm->StatusText(), inUse, 5000);
        QVERIFY(!led()->LedStatus());
        QVERIFY(!pages()->isEnabled());
        other.reset();
        MainForm->findChild<QTimer*>(QStringLiteral("RetryOpen"))->setInterval(10); // no scan pressed
        QVERIFY(tickUntil(isReady));
        expectReady();
    }

    void load_attempts_refresh_the_pages_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("status");
        QTest::newRow("cancelled") << 0 << QString() << QString();
        QTest::newRow("another type") << 1 << QString::fromUtf8(qv7::ParamFileOtherType)
                                      << QStringLiteral("Fichier non chargé : autre.QV");
        QTest::newRow("short file") << 2
                                    << QStringLiteral(
                                           "  Fichier incorrect !  \nLe fichier contient 199 octets ; "
                                           "un fichier de paramètres en contient 200.")
                                    << QStringLiteral("Fichier non chargé : autre.QV");
        QTest::newRow("no magic") << 4
                                  << QStringLiteral("  Fichier incorrect !  \nLe fichier ne commence pas par "
                                                    "« [QV7] File V1.0-RKWB » : ce n'est pas un fichier de "
                                                    "paramètres.")
                                  << QStringLiteral("Fichier non chargé : autre.QV");
        QTest::newRow("missing file") << 3 << QStringLiteral("Impossible d'ouvrir le fichier ")
                                      << QStringLiteral("Fichier non chargé : autre.QV");
    }
    void load_attempts_refresh_the_pages() {
        QFETCH(int, kind);
        QFETCH(QString, message);
        QFETCH(QString, status);
        Rig rig(1);
        QVERIFY(reachReady());
        QTemporaryDir dir;
        ScriptedUser user;
        TParamImage other = MainForm->Torvik().paramsSnapshot();
        qv7::setParamMagic(other);
        other.DeviceType ^= 0x0100;
        const QString path = dir.filePath(QStringLiteral("autre.QV"));
        if (kind == 1) QVERIFY(writeFile(path, paramBytes(other)));
        if (kind == 2) QVERIFY(writeFile(path, paramBytes(other).left(199)));
        if (kind == 4) QVERIFY(writeFile(path, paramBytes(other).replace(6, 4, "QV8]")));
        if (kind != 0) user.file = path;
        const QByteArray before = paramBytes(MainForm->Torvik().paramsSnapshot());
        child<QLineEdit>("EdName")->setText(QStringLiteral("changed"));
        pages()->setCurrentIndex(TMainForm::TabProcess);
        MainForm->setStatusText(QStringLiteral("something"));

        QTest::mouseClick(child<QPushButton>("BtnLoad"), Qt::LeftButton);

        QCOMPARE(user.dialogs, 1);
        if (message.isEmpty())
            QVERIFY(user.messages.isEmpty());
        else {
            QCOMPARE(user.messages.size(), 1);
            QVERIFY2(user.messages.first().startsWith(message), qPrintable(user.messages.first()));
        }
        QCOMPARE(paramBytes(MainForm->Torvik().paramsSnapshot()), before);
        expectReady(status);
    }

    void load_of_a_matching_file_takes_its_parameters() {
        Rig rig(1);
        QVERIFY(reachReady());
        QTemporaryDir dir;
        ScriptedUser user;
        TParamImage saved = MainForm->Torvik().paramsSnapshot();
        qv7::setParamMagic(saved);
        saved.DisplayHigh = 1234;
        const QString path = dir.filePath(QStringLiteral("meme.QV"));
        QVERIFY(writeFile(path, paramBytes(saved)));
        user.file = path;
        // Refused while a write is sent: the pages keep showing what the indicator is being sent.
        QTest::mouseClick(child<QPushButton>("BtnWriteAll"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>("BtnLoad"), Qt::LeftButton);
        QCOMPARE(user.dialogs, 0);
        QVERIFY(
            user.messages.value(0).startsWith(QStringLiteral("Une écriture vers l'indicateur est en cours")));
        QVERIFY(tickUntil([] { return MainForm->StatusText() == QStringLiteral("Paramètres écrits"); }));
        QVERIFY(MainForm->Torvik().paramsSnapshot().DisplayHigh != saved.DisplayHigh);
        user.messages.clear();
        QTest::mouseClick(child<QPushButton>("BtnLoad"), Qt::LeftButton);
        QVERIFY(user.messages.isEmpty());
        QCOMPARE(MainForm->Torvik().paramsSnapshot().DisplayHigh, saved.DisplayHigh);
        expectReady(QStringLiteral("Fichier chargé : meme.QV"));
    }

    // A loaded file with a code the indicator's type does not offer is refused before anything goes.
    void a_loaded_file_with_a_code_the_type_does_not_offer_is_not_sent() {
        Rig rig(1);
        QVERIFY(reachReady());
        QTemporaryDir dir;
        ScriptedUser user;
        TParamImage saved = MainForm->Torvik().paramsSnapshot();
        qv7::setParamMagic(saved);
        saved.SerialConfig = (saved.SerialConfig & ~7) | 7; // baud code 7: six rates are offered
        const QString path = dir.filePath(QStringLiteral("baud7.QV"));
        QVERIFY(writeFile(path, paramBytes(saved)));
        user.file = path;
        QTest::mouseClick(child<QPushButton>("BtnLoad"), Qt::LeftButton);
        const int sent = MainForm->Torvik().requestsSent();
        QTest::mouseClick(child<QPushButton>("BtnWriteAll"), Qt::LeftButton);
        QCOMPARE(user.messages.value(0),
                 QStringLiteral("Vitesse de transmission : le code 7 n'est pas proposé par cet appareil. "
                                "Rien n'a été écrit."));
        QCOMPARE(MainForm->Torvik().requestsSent(), sent);
    }

    // A file named on the command line (before the first read) or by a second copy (over a change):
    // a .QV ends on the pages marked against the indicator, the read never asking; a bad one is refused
    // as Load refuses it; a .LIN opens the editor with its points.
    void a_named_file_opens_as_load_opens_it_data() {
        QTest::addColumn<int>("bytes"); // of the .QV; 0: a .LIN
        QTest::addColumn<bool>("overAChange");
        QTest::addColumn<QStringList>("said"); // the question and messages
        QTest::addColumn<QString>("status");
        QTest::newRow("QV before the read") << 200 << false << QStringList{} << "Fichier chargé : f.QV";
        QTest::newRow("QV over a change")
            << 200 << true << QStringList{"Abandonner 1 modification ?"} << "Fichier chargé : f.QV";
        QTest::newRow("short QV")
            << 199 << false
            << QStringList{"  Fichier incorrect !  \nLe fichier contient 199 octets ; un "
                           "fichier de paramètres en contient 200."}
            << "Fichier non chargé : f.QV";
        QTest::newRow("LIN") << 0 << false << QStringList{} << QString();
    }
    void a_named_file_opens_as_load_opens_it() {
        QFETCH(int, bytes);
        QFETCH(bool, overAChange);
        QFETCH(QStringList, said);
        QFETCH(QString, status);
        TParamImage file; // what the simulated indicator holds, but one field
        {
            Rig probe(1);
            QVERIFY(reachReady());
            file = MainForm->Torvik().paramsSnapshot();
        }
        Rig rig(1);
        QTemporaryDir dir;
        ScriptedUser user;
        qv7::setQuestionHook(
            [&](const QString&, const QString& text) { return user.messages << text, true; });
        qv7::setParamMagic(file);
        file.DisplayHigh = 1234;
        const QString path = dir.filePath(bytes == 0 ? "f.LIN" : "f.QV");
        const std::vector<qv7::LinFilePoint> curve{{0, 0}, {40, 10}, {100, 100}};
        std::vector<qv7::LinFilePoint> shown;
        bytes == 0 ? qv7::saveLinFile(path, curve) : void(writeFile(path, paramBytes(file).left(bytes)));
        QTimer editor; // notes the editor's curve once it shows the file, and closes it
        connect(&editor, &QTimer::timeout, [&] {
            if (DessinForm->origin() == TDessinForm::Origin::File)
                shown = DessinForm->curve(), DessinForm->close();
        });
        editor.start(5);
        QVERIFY(overAChange ? reachReady() : (showUntilScanned(), true));
        TParamImage changed = MainForm->Session().edited();
        changed.Filter += overAChange;
        MainForm->Session().edit(changed, nullptr);
        MainForm->OpenFile(path);
        QVERIFY(tickUntil([] { return MainForm->waitingFile().isEmpty() && pages()->isEnabled(); }));
        qv7::setQuestionHook({});
        QCOMPARE(user.messages, said);
        QCOMPARE(shown, bytes == 0 ? curve : std::vector<qv7::LinFilePoint>{});
        if (bytes == 0) return;
        QCOMPARE(MainForm->StatusText(), status);
        QCOMPARE(MainForm->Torvik().paramsSnapshot().DisplayHigh == 1234, bytes == 200);
        QCOMPARE(MainForm->Session().changeCount(), int(bytes == 200)); // the file's one difference
    }

    void save_writes_the_image_under_the_chosen_name() {
        Rig rig(1);
        QVERIFY(reachReady());
        QTemporaryDir dir;
        ScriptedUser user;
        user.file = dir.filePath(QStringLiteral("copie"));
        QTest::mouseClick(child<QPushButton>("BtnSave"), Qt::LeftButton);
        QFile file(dir.filePath(QStringLiteral("copie.QV")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), paramBytes(MainForm->Torvik().paramsSnapshot()));
        QVERIFY(user.messages.isEmpty());
        QCOMPARE(MainForm->StatusText(), QStringLiteral("Fichier enregistré : copie.QV"));
    }

    void run_time_error_in_a_handler_shows_its_box_and_the_window_goes_on() {
        Rig rig(1);
        QVERIFY(reachReady());
        ScriptedUser user;
        user.file = QStringLiteral("/nonexistent-directory/sub/x.QV");
        QTest::mouseClick(child<QPushButton>("BtnSave"), Qt::LeftButton);
        QCOMPARE(user.messages, QStringList{QStringLiteral(
                                    "Impossible de créer le fichier /nonexistent-directory/sub/x.QV")});
        expectReady(QStringLiteral("Fichier non enregistré : x.QV"));
        // The window goes on working: a new read runs to its end.
        QTest::mouseClick(child<QPushButton>("BtnReadAll"), Qt::LeftButton);
        expectReading();
        QVERIFY(tickUntil(isReady));
        expectReady();
    }

    void logo_and_editor_open_their_windows_modally_data() {
        QTest::addColumn<QString>("trigger");
        QTest::newRow("logo: about box") << "Image1";
        QTest::newRow("Edition: editor") << "BtnEditLin";
    }
    void logo_and_editor_open_their_windows_modally() {
        QFETCH(QString, trigger);
        Rig rig(0);
        MainForm->show();
        QDialog* expected = trigger == QStringLiteral("Image1") ? static_cast<QDialog*>(AboutBox)
                                                                : static_cast<QDialog*>(DessinForm);
        bool wasModal = false;
        QTimer::singleShot(0, [&] {
            wasModal = expected->isVisible() && expected->isModal();
            expected->reject();
        });
        if (trigger == QStringLiteral("BtnEditLin")) {
            pages()->setEnabled(true);
            pages()->setCurrentIndex(TMainForm::TabProcess);
        }
        QTest::mouseClick(MainForm->findChild<QWidget*>(trigger), Qt::LeftButton);
        QVERIFY(wasModal);
        QVERIFY(!expected->isVisible());
    }

    void quit_closes_the_device_and_the_window() {
        Rig rig(1);
        QVERIFY(reachReady());
        bool closed = false;
        connect(MainForm, &TMainForm::closed, this, [&] { closed = true; });
        QTest::mouseClick(child<QPushButton>("BtnQuit"), Qt::LeftButton);
        QVERIFY(closed);
        QVERIFY(!MainForm->isVisible());
        // The device is closed: a request finds no reader to take it, and nothing reaches the bridge.
        const auto written = rig.bridge.outputReports(0).size();
        MainForm->Torvik().ReadAll();
        MainForm->Torvik().StepTimer();
        QVERIFY(!rig.bridge.waitForOutputReports(0, written + 1, std::chrono::milliseconds(200)));
    }

    void pictures_of_the_three_states() {
        // Set QV7_PICTURES to a directory to keep the pictures of the documentation.
        const QString out = qEnvironmentVariable("QV7_PICTURES");
        Rig rig(1);
        rig.indicators[0]->setSilent(true); // the reading state lasts until the request is repeated
        showUntilScanned();
        const QImage disconnected = MainForm->grab().toImage();
        QTRY_COMPARE_WITH_TIMEOUT(MainForm->StatusText(), QStringLiteral("Lecture des paramètres"), 5000);
        const QImage reading = MainForm->grab().toImage();
        rig.indicators[0]->setSilent(false);
        MainForm->Torvik().StepTimer();
        QVERIFY(tickUntil(isReady));
        const QImage ready = MainForm->grab().toImage();
        for (const QImage& image : {disconnected, reading, ready})
            QCOMPARE(image.size() / image.devicePixelRatio(), QSize(273, 504));
        QVERIFY(disconnected != ready);
        if (out.isEmpty()) return;
        QVERIFY(disconnected.save(QDir(out).filePath(QStringLiteral("main-disconnected.png"))));
        QVERIFY(reading.save(QDir(out).filePath(QStringLiteral("main-reading.png"))));
        QVERIFY(ready.save(QDir(out).filePath(QStringLiteral("main-ready.png"))));
    }
};

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    TestMain test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Main.moc"
