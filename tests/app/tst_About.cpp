// The about box: its frame and places, and the texts it fills on every showing.
#include "app/About.h"
#include "app/Language.h"
#include "widgets/WindowLook.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSysInfo>
#include <QTest>

namespace {

QLabel* label(TAboutBox& box, const char* name) {
    return box.findChild<QLabel*>(QString::fromLatin1(name));
}

} // namespace

class TestAbout : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { qv7::applyWindowFont(*qApp); }
    // Every test but the language's own starts in French.
    void cleanup() { qv7::setLanguage(qv7::Language::French); }

    void is_a_fixed_dialog_of_265_by_217() {
        TAboutBox box;
        QCOMPARE(box.size(), QSize(265, 217));
        QCOMPARE(box.minimumSize(), box.maximumSize());
        const Qt::WindowFlags flags = box.windowFlags();
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Dialog);
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QCOMPARE(box.windowTitle(), QStringLiteral("A propos ..."));
    }

    void controls_sit_at_their_places_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QPoint>("place");
        QTest::newRow("Label1") << "Label1" << QPoint(67, 2);
        QTest::newRow("Label2") << "Label2" << QPoint(178, 2);
        QTest::newRow("Panel1") << "Panel1" << QPoint(0, 32);
        QTest::newRow("ProductName") << "ProductName" << QPoint(24, 8);
        QTest::newRow("Version") << "Version" << QPoint(24, 32);
        QTest::newRow("Programmeur") << "Programmeur" << QPoint(24, 56);
        QTest::newRow("Systeme") << "Systeme" << QPoint(16, 96);
        QTest::newRow("VersionWin") << "VersionWin" << QPoint(16, 112);
        QTest::newRow("OKButton") << "OKButton" << QPoint(96, 178);
    }
    void controls_sit_at_their_places() {
        QFETCH(QString, name);
        QFETCH(QPoint, place);
        TAboutBox box;
        auto* control = box.findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(control->pos(), place);
    }

    void fixed_sizes_and_panel() {
        TAboutBox box;
        QCOMPARE(box.findChild<QFrame*>(QStringLiteral("Panel1"))->size(), QSize(265, 137));
        QCOMPARE(box.findChild<QFrame*>(QStringLiteral("Panel1"))->frameShadow(), QFrame::Sunken);
        QCOMPARE(label(box, "Programmeur")->size(), QSize(168, 17));
        auto* ok = box.findChild<QPushButton*>(QStringLiteral("OKButton"));
        QCOMPARE(ok->size(), QSize(65, 33));
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QVERIFY(ok->isDefault());
        // The maker's name, its last character in red.
        QCOMPARE(label(box, "Label1")->text() + label(box, "Label2")->text(), QStringLiteral("Norvex"));
        QCOMPARE(label(box, "Label2")->text(), QStringLiteral("x"));
        QCOMPARE(label(box, "Label2")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QVERIFY(label(box, "Label1")->font().bold());
        QCOMPARE(label(box, "Label1")->font().pixelSize(), 21);
        QVERIFY(label(box, "ProductName")->font().bold());
    }

    void showing_fills_the_texts() {
        TAboutBox box;
        box.show();
        QCOMPARE(box.windowTitle(), QStringLiteral("A propos de ..."));
        QCOMPARE(label(box, "ProductName")->text(), QStringLiteral("ZEZOR - Français"));
        QCOMPARE(label(box, "Version")->text(), QStringLiteral("Version : 1.03"));
        QCOMPARE(label(box, "Programmeur")->text(), QStringLiteral("Programmeur : Équipe qv7cfg"));
        QCOMPARE(label(box, "Systeme")->text(), QStringLiteral("Système : ") + QSysInfo::prettyProductName());
        QCOMPARE(label(box, "VersionWin")->text(), QStringLiteral("Version n° : ") +
                                                       QSysInfo::kernelVersion() + QLatin1Char(' ') +
                                                       QSysInfo::currentCpuArchitecture());
        QCOMPARE(box.focusWidget(), box.findChild<QWidget*>(QStringLiteral("OKButton")));
    }

    void showing_again_puts_the_texts_back() {
        TAboutBox box;
        box.show();
        box.hide();
        label(box, "Version")->setText(QStringLiteral("changed"));
        box.setWindowTitle(QStringLiteral("changed"));
        box.show();
        QCOMPARE(label(box, "Version")->text(), QStringLiteral("Version : 1.03"));
        QCOMPARE(box.windowTitle(), QStringLiteral("A propos de ..."));
    }

    void version_line_data() {
        QTest::addColumn<QString>("release");
        QTest::addColumn<QString>("extra");
        QTest::addColumn<QString>("line");
        QTest::newRow("windows xp") << "5.1.2600"
                                    << "Service Pack 3"
                                    << "Version n° : 5.1.2600 Service Pack 3";
        QTest::newRow("linux") << "6.1.0-18-amd64"
                               << "x86_64"
                               << "Version n° : 6.1.0-18-amd64 x86_64";
        QTest::newRow("empty extra keeps the blank") << "5.1.2600"
                                                     << ""
                                                     << "Version n° : 5.1.2600 ";
    }
    void version_line() {
        QFETCH(QString, release);
        QFETCH(QString, extra);
        QFETCH(QString, line);
        QCOMPARE(TAboutBox::versionText(release, extra), line);
    }

    void system_line_keeps_the_stored_text_when_the_system_names_none() {
        QCOMPARE(TAboutBox::systemText(QStringLiteral("Debian GNU/Linux 12 (bookworm)")),
                 QStringLiteral("Système : Debian GNU/Linux 12 (bookworm)"));
        QCOMPARE(TAboutBox::systemText(QString()), QString());
        TAboutBox box;
        QCOMPARE(label(box, "Systeme")->text(), QStringLiteral("Systeme"));
    }

    void texts_fit_their_labels_after_showing() {
        TAboutBox box;
        box.show();
        const auto labels = box.findChildren<QLabel*>();
        for (QLabel* shown : labels) {
            const int needed = shown->fontMetrics().horizontalAdvance(shown->text());
            QVERIFY2(needed <= shown->width(), qPrintable(shown->objectName()));
            QVERIFY2(shown->fontMetrics().height() <= shown->height(), qPrintable(shown->objectName()));
            // Inside the window, so nothing is cut at its edge either.
            const QRect inWindow(shown->mapTo(&box, QPoint(0, 0)), shown->size());
            QVERIFY2(box.rect().contains(inWindow), qPrintable(shown->objectName()));
        }
        QVERIFY(label(box, "Label1")->geometry().right() < label(box, "Label2")->x());
    }

    // The box's language choice switches the windows' language, and the box's own texts follow at
    // once; the choice shows the language in force.
    void language_choice_switches_the_texts_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("product");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("languageLabel");
        QTest::addColumn<QString>("programmer");
        QTest::newRow("to English") << int(qv7::Language::French) << int(Qt::Key_Down)
                                    << int(qv7::Language::English) << "ZEZOR - English"
                                    << "About ..."
                                    << "Language:"
                                    << "Programmer: qv7cfg team";
        QTest::newRow("back to French") << int(qv7::Language::English) << int(Qt::Key_Up)
                                        << int(qv7::Language::French) << "ZEZOR - Français"
                                        << "A propos de ..."
                                        << "Langue :"
                                        << "Programmeur : Équipe qv7cfg";
    }
    void language_choice_switches_the_texts() {
        QFETCH(int, from);
        QFETCH(int, key);
        QFETCH(int, language);
        QFETCH(QString, product);
        QFETCH(QString, caption);
        QFETCH(QString, languageLabel);
        QFETCH(QString, programmer);
        qv7::setLanguage(qv7::Language(from));
        TAboutBox box;
        box.show();
        auto* choice = box.findChild<QComboBox*>(QStringLiteral("LanguageChoice"));
        QVERIFY(choice);
        QTest::keyClick(choice, Qt::Key(key));
        QCOMPARE(int(qv7::currentLanguage()), language);
        QCoreApplication::processEvents(); // the language change reaches the windows as a posted event
        QCOMPARE(label(box, "ProductName")->text(), product);
        QCOMPARE(box.windowTitle(), caption);
        QCOMPARE(label(box, "LanguageLabel")->text(), languageLabel);
        QCOMPARE(label(box, "Programmeur")->text(), programmer);
        QCOMPARE(choice->currentIndex(), language == int(qv7::Language::English) ? 1 : 0);
    }

    void ok_closes_with_the_ok_result() {
        TAboutBox box;
        box.show();
        QTest::mouseClick(box.findChild<QPushButton*>(QStringLiteral("OKButton")), Qt::LeftButton);
        QVERIFY(!box.isVisible());
        QCOMPARE(box.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(TestAbout)
#include "tst_About.moc"
