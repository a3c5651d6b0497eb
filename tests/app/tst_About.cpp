// The about box: its frame and places, and the texts it fills on every showing.
#include "app/About.h"
#include "widgets/WindowLook.h"

#include <QApplication>
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
