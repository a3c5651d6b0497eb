// The parameter pages and the service page against the simulated indicator: the fill step by type
// word, a round trip for each family of type word (fill, write with no edit: the indicator gets
// back exactly what it held), an edit on every page and the register it reaches, the pages' edge
// cases, the mended faults, the tab strip by mouse and Ctrl+Tab, and the service page.
#include "PagesRig.h"

#include "app/Application.h"
#include "app/Language.h"
#include "app/Options.h"
#include "app/PageControl.h"
#include "app/pages/AlarmPage.h"
#include "app/pages/CfgPage.h"
#include "app/pages/DisplayPage.h"
#include "app/pages/IdentPage.h"
#include "app/pages/InputPages.h"
#include "app/pages/OutputPage.h"
#include "app/pages/PageKit.h"
#include "app/pages/ProcessPage.h"
#include "app/pages/Rs485Page.h"
#include "app/pages/ServicePage.h"
#include "widgets/DecimalSeparator.h"
#include "widgets/Messages.h"
#include "widgets/MyControls.h"
#include "widgets/SEGMENTS.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QMap>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSet>
#include <QTabBar>
#include <QToolButton>

using namespace qv7::pages;
using pagestest::Rig;

using Bank = std::map<int, std::uint16_t>;
Q_DECLARE_METATYPE(Bank)

namespace {

TMainForm& form() {
    return *MainForm;
}

// The bank of a configured indicator, with the given changes.
Bank bankOf(std::uint16_t typeWord, const Bank& changes = {}) {
    Bank bank = qv7::SimulatedIndicator::defaultRegisters(typeWord);
    for (const auto& [r, v] : changes)
        bank[r] = v;
    return bank;
}

Bank configOf(const Bank& bank) {
    Bank result;
    for (int r = 0; r < 28; ++r)
        if (r < 12 || r >= 16) result[r] = bank.count(r) ? bank.at(r) : 0;
    return result;
}

QString differences(const Bank& expected, const Bank& actual) {
    QString text;
    for (const auto& [r, v] : expected)
        if (actual.at(r) != v)
            text += QStringLiteral("reg %1: %2 != %3; ").arg(r).arg(actual.at(r), 0, 16).arg(v, 0, 16);
    return text;
}

void type(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
}

QList<int> shownTabs() {
    QList<int> shown;
    for (int i = 0; i < TMainForm::PageCount; ++i)
        if (form().tabShown(static_cast<TMainForm::Page>(i))) shown << i;
    return shown;
}

} // namespace

class TestPages : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        qv7::setMessageHook({});
        qv7::setQuestionHook({});
    }

    // --- Places and texts ----------------------------------------------------------------------

    void controls_at_their_places_with_their_texts() {
        Rig rig(0x4053);
        struct Control {
            const char* name;
            QRect place;
            const char* text;
        };
        const Control controls[] = {
            {"GrProt", {8, 176, 233, 105}, "Niveau de protection"},
            {"RdGrCFG1", {8, 8, 233, 157}, "Configuration de l'entrée"},
            {"RdGrCFG2", {8, 8, 233, 73}, "Configuration de l'entrée"},
            {"RdGrCourant", {8, 8, 233, 81}, "Gamme de l'entrée courant"},
            {"RdGrTension1", {8, 8, 233, 105}, "Gamme de l'entrée tension"},
            {"RdGrTension2", {8, 8, 233, 81}, "Gamme de l'entrée tension"},
            {"CbRtd", {120, 32, 81, 21}, "Pt100"},
            {"CbTC", {144, 32, 57, 21}, "J"},
            {"GrBOX12", {8, 8, 233, 57}, "Facteur d'amortissement"},
            {"EdFilter", {148, 20, 53, 23}, "  ,  "},
            {"GRMod", {8, 72, 233, 73}, "Modulo d'affichage"},
            {"SpeedButton5", {16, 27, 97, 22}, "Modulo"},
            {"SEGMod", {163, 13, 54, 52}, ""},
            {"GRLin", {8, 152, 233, 73}, "Linéarisation"},
            {"GRTemperature", {8, 152, 233, 121}, "Température"},
            {"GrAF", {8, 8, 233, 193}, "Paramètre d'affichage"},
            {"EdPEAF", {152, 28, 57, 21}, "10000"},
            {"EdZAF", {152, 68, 57, 21}, "0"},
            {"SpeedButton4", {112, 104, 97, 22}, "Point décimal"},
            {"SEGAFF", {15, 126, 194, 52}, ""},
            {"GrBOXAL10", {8, 0, 233, 73}, "Déclenchement"},
            {"EdAlr1", {136, 18, 64, 23}, ""},
            {"EdHys4", {136, 42, 64, 23}, ""},
            {"GroupBoxLangue8", {8, 72, 233, 49}, "Delai"},
            {"EdDel2", {156, 18, 45, 23}, " 0,0"},
            {"GroupBoxLangue10", {8, 120, 233, 97}, "Contact"},
            {"GroupBoxLangue13", {8, 216, 233, 73}, "Voyant"},
            {"GRSA", {8, 8, 233, 161}, "Sortie analogique"},
            {"EdPESA", {152, 28, 57, 21}, "10000"},
            {"EdZSA", {152, 68, 57, 21}, "0"},
            {"GRModbus", {8, 8, 233, 281}, "Paramètres MODBUS"},
            {"CbBaudRate", {136, 56, 81, 21}, "9600"},
            {"CbFormat", {136, 120, 81, 21}, "8N2"},
            {"EdAddr", {176, 180, 33, 21}, "1"},
            {"CkZeq", {32, 8, 161, 17}, "Mode Norvex"},
            {"BtnErase", {32, 32, 57, 22}, "Erase"},
            {"BtnPRG", {96, 32, 57, 22}, "Prg"},
            {"BtnRESET", {160, 32, 57, 22}, "RESET"},
            {"Memo", {32, 64, 185, 57}, ""},
            {"GrAjust", {24, 128, 201, 81}, "Ajustage des entrées"},
            {"SpBtnZ2", {104, 48, 23, 22}, "Z"},
            {"SpBtnPE2", {160, 48, 23, 22}, "PE"},
            {"Button1", {24, 212, 201, 17}, "Button1"},
            {"BtnUnlock", {8, 232, 233, 41}, "Authentification de l'utilisateur"},
        };
        for (const Control& control : controls) {
            auto* widget = form().findChild<QWidget*>(QString::fromLatin1(control.name));
            QVERIFY2(widget, control.name);
            QCOMPARE(widget->geometry(), control.place);
            const QString text = QString::fromUtf8(control.text);
            if (auto* b = qobject_cast<QAbstractButton*>(widget)) QCOMPARE(b->text(), text);
            if (auto* g = qobject_cast<QGroupBox*>(widget)) QCOMPARE(g->title(), text);
            if (auto* e = qobject_cast<QLineEdit*>(widget)) QCOMPARE(e->text(), text);
            if (auto* c = qobject_cast<QComboBox*>(widget)) QCOMPARE(c->currentText(), text);
        }
        QVERIFY(!form().servicePage()->Button1->isVisibleTo(form().servicePage()));
        // Disabled of their own, not only with the page strip.
        QVERIFY(!form().servicePage()->CkZeq->isEnabledTo(form().servicePage()));
        QVERIFY(!form().servicePage()->BtnUnlock->isEnabledTo(form().servicePage()));
        QCOMPARE(form().processPage()->EdFilter->EditMask(), QStringLiteral("!90,00;1;_"));
        QCOMPARE(form().alarmPage(3)->EdDel->EditMask(), QStringLiteral("!90,0;1;_"));
        // Alarms start normally open with the LED on the normally-closed contact.
        QVERIFY(form().alarmPage(1)->RdRelNo->isChecked());
        QVERIFY(form().alarmPage(1)->RdLedNa->isChecked());
        QCOMPARE(form().displayPage()->SEGAFF->NbDigit(), 4);
        QVERIFY(form().displayPage()->SEGAFF->HalfDigit());
        QCOMPARE(form().processPage()->SEGMod->NbDigit(), 1);
    }

    void bilingual_texts_of_the_alarm_pages() {
        Rig rig(0x4053);
        const QStringList nfLabels{"LbNF1", "LabelLangue14", "LabelLangue2", "LabelLangue16"};
        const QStringList noLabels{"LbNO1", "LabelLangue13", "LabelLangue1", "LabelLangue15"};
        for (int n = 1; n <= 4; ++n) {
            auto* nf = form().findChild<TLabelLangue*>(nfLabels.at(n - 1));
            auto* no = form().findChild<TLabelLangue*>(noLabels.at(n - 1));
            QVERIFY(nf && no);
            QCOMPARE(nf->text(), QStringLiteral("fermé au dessous du seuil"));
            QCOMPARE(no->text(), QStringLiteral("fermé au dessus du seuil"));
            // The English says what the French says (and qv7ctl), the same on every alarm page.
            QCOMPARE(nf->CaptionSet()->Texte_Anglais(), QStringLiteral("closed below the threshold"));
            QCOMPARE(no->CaptionSet()->Texte_Anglais(), QStringLiteral("closed above the threshold"));
            QCOMPARE(form().alarmPage(n)->RdLedNa->text(), QStringLiteral("Allumé si contact NF fermé"));
            QCOMPARE(form().alarmPage(n)->RdLedNa->CaptionSet()->Texte_Anglais(),
                     QStringLiteral("Lit when the NC contact is closed"));
            QCOMPARE(form().alarmPage(n)->RdLedNe->CaptionSet()->Texte_Anglais(),
                     QStringLiteral("Lit when the NO contact is closed"));
        }
        auto* filterLabel = form().findChild<TLabelLangue*>(QStringLiteral("LabelLangue3"));
        QCOMPARE(filterLabel->text(), QStringLiteral("Filtre (en secondes)"));
    }

    // --- The fill step by type word ------------------------------------------------------------

    void pages_follow_the_type_word_data() {
        QTest::addColumn<int>("typeWord");
        QTest::addColumn<int>("inputConfig");
        QTest::addColumn<QList<int>>("shown");
        using P = TMainForm;
        QTest::newRow("0x0100 current only")
            << 0x0100 << 0
            << QList<int>{P::TabConnect, P::TabIdent, P::TabEntCourant, P::TabProcess, P::TabDisplay};
        QTest::newRow("0x4000 thermocouple chosen")
            << 0x4000 << 3 << QList<int>{P::TabConnect, P::TabIdent, P::TabCfg, P::TabEntTC, P::TabProcess};
        QTest::newRow("0x4053 current, everything")
            << 0x4053 << 0 << QList<int>{P::TabConnect, P::TabIdent,   P::TabCfg,  P::TabEntCourant,
                                         P::TabProcess, P::TabDisplay, P::TabALR1, P::TabALR2,
                                         P::TabALR3,    P::TabALR4,    P::TabSA,   P::TabRS485};
        QTest::newRow("0x0811 thermocouple, two alarms, output")
            << 0x0811 << 3 << QList<int>{P::TabConnect, P::TabIdent, P::TabEntTC, P::TabProcess,
                                         P::TabDisplay, P::TabALR1,  P::TabALR2,  P::TabSA};
        QTest::newRow("0x8040 two-choice voltage, RS485")
            << 0x8040 << 1 << QList<int>{P::TabConnect, P::TabIdent,   P::TabCfg,  P::TabEntTension,
                                         P::TabProcess, P::TabDisplay, P::TabRS485};
    }
    void pages_follow_the_type_word() {
        QFETCH(int, typeWord);
        QFETCH(int, inputConfig);
        QFETCH(QList<int>, shown);
        Rig rig(static_cast<std::uint16_t>(typeWord),
                bankOf(static_cast<std::uint16_t>(typeWord), {{0, static_cast<std::uint16_t>(inputConfig)}}));
        QVERIFY(rig.ready());
        QCOMPARE(shownTabs(), shown);
        const bool temperature = inputConfig == 2 || inputConfig == 3;
        QCOMPARE(!form().processPage()->GRLin->isHidden(), !temperature || !(typeWord & 0xC000));
        QCOMPARE(!form().processPage()->GRTemperature->isHidden(), temperature && (typeWord & 0xC000));
        QCOMPARE(form().pageControl()->currentIndex(), int(TMainForm::TabIdent));
        QCOMPARE(form().identPage()->EdName->text(), rig.torvik().ModelName());
    }

    void two_choice_input_with_range_1_data() {
        QTest::addColumn<int>("typeWord");
        QTest::addColumn<int>("options");
        QTest::addColumn<QString>("group");
        QTest::addColumn<int>("item");
        QTest::newRow("0x8000, InputOptions 2: 0-1 V in the two-range group")
            << 0x8000 << 2 << "RdGrTension2" << 1;
        QTest::newRow("0x4000, InputOptions 4: 0-100 mV") << 0x4000 << 4 << "RdGrTension1" << 2;
        QTest::newRow("fixed voltage 0x0200, InputOptions 4: the shown group")
            << 0x0200 << 4 << "RdGrTension1" << 2;
    }
    void two_choice_input_with_range_1() {
        QFETCH(int, typeWord);
        QFETCH(int, options);
        QFETCH(QString, group);
        QFETCH(int, item);
        const auto t = static_cast<std::uint16_t>(typeWord);
        Rig rig(t, bankOf(t, {{0, 1}, {1, static_cast<std::uint16_t>(options)}}));
        QVERIFY(rig.ready());
        auto* shown = form().findChild<TRadioGroup*>(group);
        QVERIFY(!shown->isHidden());
        QCOMPARE(shown->ItemIndex(), item);
        // Written back, the range is the one read.
        QVERIFY(rig.writeAll());
        QCOMPARE((rig.indicator->holding(1) >> 1) & 3, options >> 1);
    }

    void four_digit_preview_and_point() {
        Rig rig(0x4057);
        QVERIFY(rig.ready());
        TSEG* seg = form().displayPage()->SEGAFF;
        QVERIFY(!seg->HalfDigit());
        QCOMPARE(seg->Nb(), 1000);
        QCOMPARE(seg->x(), 35);
        QCOMPARE(seg->PointDecimal(), 2);
        // Five presses from 0 on a 4-digit indicator end at 1.
        seg->setPointDecimal(0);
        for (int i = 0; i < 5; ++i)
            QTest::mouseClick(form().displayPage()->SpeedButton4, Qt::LeftButton);
        QCOMPARE(seg->PointDecimal(), 1);
        // 12000 typed on a 4-digit indicator turns into 9999 at once.
        type(form().displayPage()->EdPEAF, QStringLiteral("12000"));
        QCOMPARE(form().displayPage()->EdPEAF->text(), QStringLiteral("9999"));
    }

    void half_digit_preview_and_modulo() {
        Rig rig(0x4053, bankOf(0x4053, {{6, 0x0004}}));
        QVERIFY(rig.ready());
        TSEG* seg = form().displayPage()->SEGAFF;
        QVERIFY(seg->HalfDigit());
        QCOMPARE(seg->Nb(), 10000);
        QCOMPARE(seg->x(), 15);
        QCOMPARE(seg->PointDecimal(), 4);
        QTest::mouseClick(form().displayPage()->SpeedButton4, Qt::LeftButton);
        QCOMPARE(seg->PointDecimal(), 0);
        // Modulo code 0 shows 1; the button steps 1 -> 2 -> 5 -> 0 -> 1.
        TSEG* mod = form().processPage()->SEGMod;
        QCOMPARE(mod->Nb(), 1);
        QList<int> seen;
        for (int i = 0; i < 4; ++i) {
            QTest::mouseClick(form().processPage()->SpeedButton5, Qt::LeftButton);
            seen << mod->Nb();
        }
        QCOMPARE(seen, (QList<int>{2, 5, 0, 1}));
        type(form().displayPage()->EdPEAF, QStringLiteral("25000"));
        QCOMPARE(form().displayPage()->EdPEAF->text(), QStringLiteral("19999"));
    }

    void protection_3_shows_the_third_item_and_is_written_as_3() {
        Rig rig(0x4053, bankOf(0x4053, {{11, 3}}));
        QVERIFY(rig.ready());
        QCOMPARE(form().identPage()->GrProt->ItemIndex(), 2);
        QCOMPARE(rig.torvik().paramsSnapshot().Protection, 2);
        QVERIFY(rig.writeAll());
        QCOMPARE(rig.indicator->holding(11), 3);
    }

    void filter_and_delay_texts_follow_the_separator() {
        const QChar before = qv7::decimalSeparator();
        qv7::setDecimalSeparator(u',');
        Rig rig(0x4053, bankOf(0x4053, {{3, 150}, {18, 0x00FF}}));
        QVERIFY(rig.ready());
        QCOMPARE(form().processPage()->EdFilter->text(), QStringLiteral(" 1,50"));
        QCOMPARE(form().processPage()->EdFilter->EditMask(), QStringLiteral("!90,00;1;_"));
        QCOMPARE(form().alarmPage(1)->EdDel->text(), QStringLiteral("25,5"));
        type(form().processPage()->EdFilter, QStringLiteral("0,25"));
        QVERIFY(rig.writeAll());
        QCOMPARE(rig.indicator->holding(3), 25);
        qv7::setDecimalSeparator(before);
    }

    // --- Round trips: fill, write with no edit, the indicator gets back what it held -----------

    void round_trip_without_edit_data() {
        QTest::addColumn<int>("typeWord");
        QTest::addColumn<Bank>("changes");
        QTest::newRow("fixed current 0x0100") << 0x0100 << Bank{};
        QTest::newRow("fixed current, alarms, output, RS485 0x0153") << 0x0153 << Bank{};
        QTest::newRow("fixed voltage, 4 digits, two alarms 0x0205") << 0x0205 << Bank{{1, 0x0002}};
        QTest::newRow("RTD three wires, output 0x0410") << 0x0410 << Bank{{1, 0x0100}, {6, 0x0108}};
        QTest::newRow("RTD differential, 4 digits, RS485 0x0444") << 0x0444 << Bank{{1, 0x0200}};
        QTest::newRow("thermocouple K with compensation, Fahrenheit 0x0853")
            << 0x0853 << Bank{{1, 0x0410}, {6, 0x0100}};
        QTest::newRow("two-choice voltage 0-1 V 0x8013") << 0x8013 << Bank{{0, 1}, {1, 0x0002}};
        QTest::newRow("two-choice current, 4 digits 0x8045") << 0x8045 << Bank{};
        QTest::newRow("five-choice, everything 0x4053") << 0x4053 << Bank{};
        QTest::newRow("five-choice potentiometer, 4 digits 0x4057") << 0x4057 << Bank{{0, 4}};
        QTest::newRow("five-choice thermocouple W5, modulo 5 0x4013")
            << 0x4013 << Bank{{0, 3}, {1, 0x0480}, {6, 0x0029}};
        QTest::newRow("five-choice RTD, no alarms 0x4000") << 0x4000 << Bank{{0, 2}, {1, 0x0100}};
        // Bits and codes no control carries come back as read.
        QTest::newRow("bits no control shows, codes with no item")
            << 0x4053 << Bank{{1, 0xFBF9},  // bit 3, bits 11-15, thermocouple 15, wiring 3, bit 0
                              {3, 20000},   // a filter beyond what the mask shows
                              {6, 0xFEC2},  // bits 6-7, 9-15 of the display flags
                              {9, 5},       // an output option other than 1
                              {10, 0x12FF}, // baud code 7, format code 7, bits 6-7, address 18
                              {18, 0xEE0A}, {21, 0x2214}, {24, 0x441E}, {27, 0x8828}};
    }
    void round_trip_without_edit() {
        QFETCH(int, typeWord);
        QFETCH(Bank, changes);
        const auto t = static_cast<std::uint16_t>(typeWord);
        const Bank bank = bankOf(t, changes);
        Rig rig(t, bank);
        QVERIFY(rig.ready());
        QVERIFY(rig.writeAll());
        // Both blocks were written, and they carry what the indicator held.
        QCOMPARE(int(rig.indicator->requests().size()), 2);
        const Bank after = rig.configRegisters();
        QVERIFY2(after == configOf(bank), qPrintable(differences(configOf(bank), after)));
    }

    void round_trip_changes_only_what_the_part_changes_on_purpose() {
        // Protection 3 travels as 3 (2 in the image meanwhile); an input configuration beyond the
        // five items is written as the last; range index 3 as 2; a display value beyond the
        // display range is written clamped.
        Rig rig(0x4053, bankOf(0x4053, {{0, 7}, {1, 0x0006}, {4, 25000}, {11, 3}, {16, 0xB1E0}}));
        QVERIFY(rig.ready());
        QVERIFY(rig.writeAll());
        QCOMPARE(rig.indicator->holding(0), 4);
        QCOMPARE(rig.indicator->holding(1), 0x0004);
        QCOMPARE(rig.indicator->holding(4), 19999);
        QCOMPARE(rig.indicator->holding(11), 3);
        QCOMPARE(std::int16_t(rig.indicator->holding(16)), -19999);
    }

    // --- An edit on every page and the register it reaches -------------------------------------

    void an_edit_on_every_page() {
        const QChar before = qv7::decimalSeparator();
        qv7::setDecimalSeparator(u',');
        Rig rig(0x4053);
        QVERIFY(rig.ready());
        Bank expected = rig.configRegisters();
        TMainForm& f = form();
        // Identification: the third protection level travels as 3.
        f.identPage()->GrProt->button(2)->click();
        expected[11] = 3;
        // Configuration: voltage chosen by the user; the voltage page follows.
        f.cfgPage()->RdGrCFG1->button(1)->click();
        QVERIFY(f.tabShown(TMainForm::TabEntTension));
        QVERIFY(!f.tabShown(TMainForm::TabEntCourant));
        expected[0] = 1;
        // Voltage page: 0-100 mV; current page: 0-20 mA; RTD: differential; thermocouple: K, with
        // compensation.
        f.tensionPage()->RdGrTension1->button(2)->click();
        f.courantPage()->RdGrCourant->button(0)->click();
        f.rtdPage()->RdDiff->click();
        f.tcPage()->CbTC->setCurrentIndex(1);
        f.tcPage()->CKSF->click();
        expected[1] = 0x0004 | 0x0200 | 0x0010 | 0x0400;
        // Processing: linearisation off, filter 0,25 s, modulo 2.
        f.processPage()->CkLin->click();
        expected[2] = expected[2] & ~1;
        type(f.processPage()->EdFilter, QStringLiteral("0,25"));
        expected[3] = 25;
        QTest::mouseClick(f.processPage()->SpeedButton5, Qt::LeftButton);
        // Display: full scale 5000, zero -100, point 3.
        type(f.displayPage()->EdPEAF, QStringLiteral("5000"));
        type(f.displayPage()->EdZAF, QStringLiteral("-100"));
        QTest::mouseClick(f.displayPage()->SpeedButton4, Qt::LeftButton);
        expected[4] = 5000;
        expected[5] = static_cast<std::uint16_t>(-100);
        expected[6] = 0x0013; // point 3, modulo code 1 (digit 2)
        // Output: full scale 8000, offset off.
        type(f.outputPage()->EdPESA, QStringLiteral("8000"));
        f.outputPage()->CKdecSA->click();
        expected[7] = 8000;
        expected[9] = 0;
        // RS485: 38400 baud, 8E2, address 17.
        f.rs485Page()->CbBaudRate->setCurrentIndex(5);
        f.rs485Page()->CbFormat->setCurrentIndex(4);
        type(f.rs485Page()->EdAddr, QStringLiteral("17"));
        expected[10] = 5 | (4 << 3) | (17 << 8);
        // Each alarm: set point, hysteresis, delay, normally closed, LED on the NO contact.
        for (int n = 1; n <= 4; ++n) {
            TAlarmPage* page = f.alarmPage(n);
            type(page->EdAlr, QString::number(100 * n));
            type(page->EdHys, QString::number(n));
            type(page->EdDel, QStringLiteral("2,5"));
            page->RdRelNf->click();
            page->RdLedNe->click();
            expected[16 + 3 * (n - 1)] = static_cast<std::uint16_t>(100 * n);
            expected[17 + 3 * (n - 1)] = static_cast<std::uint16_t>(n);
            expected[18 + 3 * (n - 1)] = 25 | (0x01 << 8);
        }
        // The changes on the pages the voltage input hides are sent too: the write asks, Yes.
        qv7::setQuestionHook([](const QString&, const QString&) { return true; });
        QVERIFY(rig.writeAll());
        const Bank after = rig.configRegisters();
        QVERIFY2(after == expected, qPrintable(differences(expected, after)));
        qv7::setDecimalSeparator(before);
    }

    void temperature_page_edits() {
        Rig rig(0x4053, bankOf(0x4053, {{0, 3}}));
        QVERIFY(rig.ready());
        QVERIFY(!form().processPage()->GRTemperature->isHidden());
        form().processPage()->RDDegF->click();
        form().processPage()->CkDixieme->click();
        QVERIFY(rig.writeAll());
        QCOMPARE(rig.indicator->holding(6), 0x0002 | 0x0100 | 0x0008);
    }

    // --- Mended faults -------------------------------------------------------------------------

    void range_error_changes_nothing_and_puts_the_focus_on_the_field() {
        Rig rig(0x4053);
        QVERIFY(rig.ready());
        QStringList messages;
        qv7::setMessageHook([&](const QString& text) { messages << text; });
        const TParamImage before = rig.torvik().paramsSnapshot();
        // Earlier fields changed, then a delay beyond 25,5 s on alarm 3.
        type(form().displayPage()->EdPEAF, QStringLiteral("1234"));
        form().identPage()->GrProt->button(0)->click();
        type(form().alarmPage(3)->EdDel, QStringLiteral("30,0"));
        QTest::mouseClick(form().findChild<QPushButton*>(QStringLiteral("BtnWriteAll")), Qt::LeftButton);
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.first().startsWith(QStringLiteral("Delai de l'alarme 3 : nombre de 0")),
                 qPrintable(messages.first()));
        QVERIFY(rig.torvik().paramsSnapshot() == before);
        QCOMPARE(rig.torvik().Step.load(), -1); // no write-all
        QVERIFY(!form().isBusy());
        QCOMPARE(form().pageControl()->currentIndex(), int(TMainForm::TabALR3));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(form().alarmPage(3)->EdDel));
        // Once the field is right, the write takes every change made before it.
        type(form().alarmPage(3)->EdDel, QStringLiteral("20,0"));
        QVERIFY(rig.writeAll());
        QCOMPARE(rig.indicator->holding(4), 1234);
        QCOMPARE(rig.indicator->holding(11), 0); // the first protection level
    }

    void address_beyond_255_is_a_range_error() {
        Rig rig(0x4053);
        QVERIFY(rig.ready());
        QStringList messages;
        qv7::setMessageHook([&](const QString& text) { messages << text; });
        type(form().rs485Page()->EdAddr, QStringLiteral("300"));
        QVERIFY(!rig.writeAll());
        QCOMPARE(messages, QStringList{QStringLiteral("Adresse de l'appareil : nombre entier de 0 à 255")});
        QCOMPARE((rig.torvik().paramsSnapshot().SerialConfig >> 8) & 255, 1);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(form().rs485Page()->EdAddr));
        type(form().rs485Page()->EdAddr, QStringLiteral("255"));
        QVERIFY(rig.writeAll());
        QCOMPARE(rig.indicator->holding(10) >> 8, 255);
    }

    // A switch of the window's language changes no choice and no value, shows the choices' labels
    // of the parameter table's English, and a write check then names the field in English.
    void a_language_switch_keeps_every_choice_and_speaks_the_write_check() {
        struct French {
            ~French() { qv7::setLanguage(qv7::Language::French); }
        } french;
        Rig rig(0x4053, bankOf(0x4053, {{11, 1}, {10, 0x0202}, {21, 0x0100}}));
        QVERIFY(rig.ready());
        const auto choices = [] {
            return QList<int>{
                form().identPage()->GrProt->ItemIndex(),        form().cfgPage()->RdGrCFG1->ItemIndex(),
                form().rs485Page()->CbBaudRate->currentIndex(), form().rs485Page()->CbFormat->currentIndex(),
                form().alarmPage(2)->RdRelNf->isChecked(),      form().alarmPage(1)->RdRelNf->isChecked()};
        };
        const QList<int> before = choices();
        QCOMPARE(before, (QList<int>{1, 0, 2, 0, 1, 0}));
        const TParamImage params = rig.torvik().paramsSnapshot();
        qv7::setLanguage(qv7::Language::English);
        QCoreApplication::processEvents();
        QCOMPARE(choices(), before);
        QVERIFY(rig.torvik().paramsSnapshot() == params);
        QCOMPARE(form().identPage()->GrProt->button(1)->text(), QStringLiteral("The menu"));
        QCOMPARE(form().processPage()->CkDixieme->text(), QStringLiteral("Tenths of a degree"));

        QStringList messages;
        const auto old = qv7::setMessageHook([&](const QString& shown) { messages << shown; });
        form().alarmPage(1)->EdAlr->clear();
        QTest::mouseClick(form().findChild<QPushButton*>(QStringLiteral("BtnWriteAll")), Qt::LeftButton);
        qv7::setMessageHook(old);
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.first().startsWith(QStringLiteral("Alarm 1 threshold")),
                 qPrintable(messages.first()));
    }

    void write_check_names_the_field_and_what_it_takes_data() {
        QTest::addColumn<int>("typeWord");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty alarm set point")
            << 0x4053 << "EdAlr1"
            << "" << int(TMainForm::TabALR1)
            << QStringLiteral("Seuil d'alarme 1 : nombre entier de \u221219999 à 19999");
        QTest::newRow("letters as hysteresis")
            << 0x4053 << "EdHys2"
            << "abc" << int(TMainForm::TabALR2)
            << QStringLiteral("Hystérésis de l'alarme 2 : nombre entier de \u221219999 à 19999");
        QTest::newRow("4 digits: empty full scale")
            << 0x4057 << "EdPEAF"
            << "" << int(TMainForm::TabDisplay)
            << QStringLiteral("Pleine échelle d'affichage : nombre entier de \u22121999 à 9999");
        QTest::newRow("letters as output zero")
            << 0x4053 << "EdZSA"
            << "x" << int(TMainForm::TabSA)
            << QStringLiteral("Zéro de la sortie : nombre entier de \u221219999 à 19999");
        QTest::newRow("empty filter") << 0x4053 << "EdFilter"
                                      << "" << int(TMainForm::TabProcess)
                                      << QStringLiteral("Filtre (en secondes) : nombre de 0,00 à 99,99");
        QTest::newRow("delay beyond 25,5 s") << 0x4053 << "EdDel4"
                                             << "30,0" << int(TMainForm::TabALR4)
                                             << QStringLiteral("Delai de l'alarme 4 : nombre de 0,0 à 25,5");
        QTest::newRow("empty address") << 0x4053 << "EdAddr"
                                       << "" << int(TMainForm::TabRS485)
                                       << QStringLiteral("Adresse de l'appareil : nombre entier de 0 à 255");
    }
    void write_check_names_the_field_and_what_it_takes() {
        QFETCH(int, typeWord);
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(int, page);
        QFETCH(QString, message);
        const QChar separator = qv7::decimalSeparator();
        qv7::setDecimalSeparator(u',');
        Rig rig(static_cast<std::uint16_t>(typeWord));
        QVERIFY(rig.ready());
        QStringList messages;
        qv7::setMessageHook([&](const QString& shown) { messages << shown; });
        const TParamImage before = rig.torvik().paramsSnapshot();
        auto* edit = form().findChild<QLineEdit*>(field);
        QVERIFY(edit);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        type(edit, text);
        rig.indicator->clearRequests();
        QTest::mouseClick(form().findChild<QPushButton*>(QStringLiteral("BtnWriteAll")), Qt::LeftButton);
        qv7::setDecimalSeparator(separator);
        QCOMPARE(messages, QStringList{message});
        QVERIFY(rig.torvik().paramsSnapshot() == before); // nothing stored
        QCOMPARE(rig.torvik().Step.load(), -1);           // nothing sent
        QCOMPARE(form().pageControl()->currentIndex(), page);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(edit));
    }

    void another_window_changing_the_separator_loses_nothing() {
        const QChar before = qv7::decimalSeparator();
        qv7::setDecimalSeparator(u',');
        Rig rig(0x4053, bankOf(0x4053, {{3, 150}, {18, 0x0019}}));
        QVERIFY(rig.ready());
        QCOMPARE(form().processPage()->EdFilter->text(), QStringLiteral(" 1,50"));
        // The linearisation editor saves a file: '.' from now on.
        qv7::setDecimalSeparator(u'.');
        QVERIFY(rig.writeAll());
        QCOMPARE(rig.indicator->holding(3), 150);
        QCOMPARE(rig.indicator->holding(18) & 0xFF, 0x19);
        qv7::setDecimalSeparator(before);
    }

    void codes_with_no_item_show_empty_until_chosen() {
        Rig rig(0x4053, bankOf(0x4053, {{1, 0x03F0}, {10, 0x013F}}));
        QVERIFY(rig.ready());
        QCOMPARE(form().tcPage()->CbTC->currentIndex(), -1);
        QCOMPARE(form().rs485Page()->CbBaudRate->currentIndex(), -1);
        QCOMPARE(form().rs485Page()->CbFormat->currentIndex(), -1);
        QVERIFY(!form().rtdPage()->Rd2Wires->isChecked() && !form().rtdPage()->Rd3Wires->isChecked() &&
                !form().rtdPage()->RdDiff->isChecked());
        // Chosen by the user, they are written, the first item of each too.
        form().tcPage()->CbTC->setCurrentIndex(0);
        form().rtdPage()->Rd2Wires->click();
        form().rs485Page()->CbBaudRate->setCurrentIndex(0);
        // The thermocouple and probe pages are hidden under the current input: the write asks, Yes.
        qv7::setQuestionHook([](const QString&, const QString&) { return true; });
        QVERIFY(rig.writeAll());
        QCOMPARE(rig.indicator->holding(1) & 0x3F0, 0x000);
        QCOMPARE(rig.indicator->holding(10), 0x0138);
    }

    // --- The tab strip -------------------------------------------------------------------------

    void every_shown_page_is_reached_by_mouse_and_ctrl_tab() {
        Rig rig(0x4053);
        QVERIFY(rig.ready());
        QVERIFY(QTest::qWaitForWindowExposed(MainForm));
        QTabBar* bar = form().pageControl()->tabBar();
        QToolButton* right = nullptr;
        for (QToolButton* button : bar->findChildren<QToolButton*>())
            if (button->arrowType() == Qt::RightArrow) right = button;
        QVERIFY(right);
        QVERIFY2(right->isEnabled(), "the right scroll arrow is usable in the Ready state");
        QVERIFY(bar->tabRect(0).left() == 0); // the strip starts at its left edge
        // By mouse: click each shown tab, scrolling with the right arrow until it is in view.
        const QList<int> shown = shownTabs();
        for (int index : shown) {
            for (int i = 0; i < 20 && bar->tabRect(index).right() >= right->x() - right->width(); ++i)
                QTest::mouseClick(right, Qt::LeftButton);
            QVERIFY2(bar->tabRect(index).right() < right->x() + right->width(),
                     qPrintable(bar->tabText(index)));
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
            QCOMPARE(form().pageControl()->currentIndex(), index);
        }
        // By keyboard: Ctrl+Tab goes through the shown pages only, in order, and wraps.
        form().pageControl()->setCurrentIndex(TMainForm::TabConnect);
        form().pageControl()->setFocus();
        QList<int> visited;
        for (int i = 0; i < shown.size(); ++i) {
            QTest::keyClick(form().pageControl(), Qt::Key_Tab, Qt::ControlModifier);
            visited << form().pageControl()->currentIndex();
        }
        QList<int> expected = shown.mid(1);
        expected << shown.first();
        QCOMPARE(visited, expected);
        QVERIFY(!visited.contains(TMainForm::TabZEQ));
    }

    // Every value a control of the window holds, to see that a key changed none.
    static QMap<QString, QString> controlValues() {
        QMap<QString, QString> values;
        for (QWidget* w : MainForm->findChildren<QWidget*>()) {
            QString& value =
                values[w->parentWidget()->objectName() + w->objectName() + w->property("text").toString()];
            if (auto* combo = qobject_cast<QComboBox*>(w)) value = QString::number(combo->currentIndex());
            if (auto* button = qobject_cast<QAbstractButton*>(w))
                value = QString::number(button->isChecked());
            if (auto* edit = qobject_cast<QLineEdit*>(w)) value = edit->text();
        }
        return values;
    }
    void page_keys_change_the_page_from_every_control_and_no_value_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("step");
        QTest::newRow("Ctrl+PageDown") << int(Qt::Key_PageDown) << int(Qt::ControlModifier) << 1;
        QTest::newRow("Ctrl+Tab") << int(Qt::Key_Tab) << int(Qt::ControlModifier) << 1;
        QTest::newRow("Ctrl+PageUp") << int(Qt::Key_PageUp) << int(Qt::ControlModifier) << -1;
        QTest::newRow("Ctrl+Shift+Tab")
            << int(Qt::Key_Backtab) << int(Qt::ControlModifier | Qt::ShiftModifier) << -1;
    }
    void page_keys_change_the_page_from_every_control_and_no_value() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, step);
        Rig rig(0x4053);
        QVERIFY(rig.ready());
        MainForm->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(MainForm));
        QTabWidget* pages = form().pageControl();
        QSet<QString> kinds;
        for (QWidget* control : MainForm->findChildren<QWidget*>()) {
            for (int i = 0; i < TMainForm::PageCount; ++i)
                if (pages->widget(i)->isAncestorOf(control) && pages->isTabVisible(i))
                    pages->setCurrentIndex(i);
            control->setFocus(Qt::TabFocusReason);
            if (QApplication::focusWidget() != control) continue; // takes no focus, or on a page not shown
            kinds << QString::fromLatin1(control->metaObject()->className());
            const QMap<QString, QString> before = controlValues();
            int expected = pages->currentIndex();
            do
                expected = (expected + step + TMainForm::PageCount) % TMainForm::PageCount;
            while (!(pages->isTabVisible(expected) && pages->isTabEnabled(expected)));
            QTest::keyClick(control, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
            QVERIFY2(pages->currentIndex() == expected && controlValues() == before,
                     qPrintable(control->objectName()));
        }
        for (const char* kind :
             {"QComboBox", "QRadioButton", "QCheckBox", "qv7::pages::TMaskEdit", "QPushButton"})
            QVERIFY2(kinds.contains(QLatin1String(kind)), kind);
    }

    // Nothing crosses its group's frame or another control (groups may share an edge, text boxes
    // a few blank pixels), and no text is wider than its control, on every page as it is shown.
    void nothing_overlaps_and_no_text_is_cut_on_any_page() {
        Rig rig(0x40D3); // the service bit: the adjustments group shows
        form().setServiceMode(true);
        QVERIFY(rig.ready());
        QStringList faults;
        const auto bevel = [](QWidget* w) { return QLatin1String(w->metaObject()->className()) == "QFrame"; };
        for (int choice = 0; choice < 5; ++choice) { // every input type's pages and groups
            form().cfgPage()->RdGrCFG1->button(choice)->click();
            for (int i = 0; i < TMainForm::PageCount; ++i) {
                QWidget* page = form().pageControl()->widget(i);
                form().pageControl()->setCurrentIndex(i);
                QCoreApplication::processEvents();
                for (QWidget* w : page->findChildren<QWidget*>()) {
                    QWidget* parent = w->parentWidget();
                    if (!w->isVisibleTo(page) || !(parent == page || qobject_cast<QGroupBox*>(parent)))
                        continue;
                    if (parent != page && !parent->rect().contains(w->geometry())) faults << w->objectName();
                    for (QWidget* other : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                        const QRect common = w->geometry().intersected(other->geometry());
                        const int groups =
                            bool(qobject_cast<QGroupBox*>(w)) + bool(qobject_cast<QGroupBox*>(other));
                        if (w < other && other->isVisibleTo(page) && !bevel(w) && !bevel(other) &&
                            groups < 2 && !common.isEmpty() &&
                            (groups == 1 || (common.height() > 3 && common.width() > 3)))
                            faults << w->objectName() + QStringLiteral(" / ") + other->objectName();
                    }
                    const int text =
                        w->fontMetrics().horizontalAdvance(w->property("text").toString().remove(u'&'));
                    const int indicator =
                        qobject_cast<QRadioButton*>(w) || qobject_cast<QCheckBox*>(w) ? 20 : 0;
                    if (auto* label = qobject_cast<QLabel*>(w); label && label->wordWrap()) continue;
                    if ((qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w)) &&
                        text + indicator > w->width())
                        faults << w->objectName() + QStringLiteral(" cut");
                }
            }
        }
        faults.removeDuplicates();
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
    }

    void a_hidden_current_page_gives_way_to_a_shown_one_and_other_keys_go_on() {
        TPageControl pages;
        for (const char* name : {"A", "B", "C", "D"})
            pages.addTab(new QWidget, QString::fromLatin1(name));
        pages.setCurrentIndex(2);
        pages.setPageShown(1, false);
        QCOMPARE(pages.currentIndex(), 2); // another page hidden: the current one stays
        pages.setPageShown(2, false);
        QVERIFY(pages.currentIndex() != 2 && pages.isPageShown(pages.currentIndex()));
        QVERIFY(!pages.isPageShown(1) && !pages.isPageShown(2) && pages.isPageShown(3));
        // Keys that do not change pages are the window's, not the strip's.
        QKeyEvent plain(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(&pages, &plain);
        QVERIFY(!plain.isAccepted());
        pages.setPageShown(1, true); // three shown pages: forward and back differ
        pages.setCurrentIndex(3);
        QKeyEvent next(QEvent::KeyPress, Qt::Key_Tab, Qt::ControlModifier);
        QCoreApplication::sendEvent(&pages, &next);
        QVERIFY(next.isAccepted());
        QCOMPARE(pages.currentIndex(), 0); // past the end, over the hidden pages
        QKeyEvent back(QEvent::KeyPress, Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
        QCoreApplication::sendEvent(&pages, &back);
        QCOMPARE(pages.currentIndex(), 3);
        QKeyEvent forward(QEvent::KeyPress, Qt::Key_PageDown, Qt::ControlModifier | Qt::ShiftModifier);
        QCoreApplication::sendEvent(&pages, &forward);
        QCOMPARE(pages.currentIndex(), 0);
    }

    // --- The service page ----------------------------------------------------------------------

    void service_flag_and_channel_two() {
        Rig rig(0x40D3);
        QVERIFY(rig.ready());
        TServicePage* page = form().servicePage();
        QVERIFY(page->CkZeq->isChecked());
        QVERIFY(!page->GrAjust->isHidden());
        QCOMPARE(page->Memo->toPlainText(), rig.torvik().DeviceText);
        form().cfgPage()->RdGrCFG1->button(3)->click();
        QVERIFY(!page->SpBtnZ2->isEnabledTo(page) && !page->SpBtnPE2->isEnabledTo(page));
        form().cfgPage()->RdGrCFG1->button(4)->click();
        QVERIFY(page->SpBtnZ2->isEnabledTo(page) && page->SpBtnPE2->isEnabledTo(page));
        // The page is out of the strip, its handlers are whole: the adjustments write the command
        // register at once.
        page->SpBtnPE2Click();
        QTRY_COMPARE(rig.indicator->holding(1000), 4);
        page->SpBtnZ1Click();
        QTRY_COMPARE(rig.indicator->holding(1000), 1);
        page->SpBtnZ2Click();
        QTRY_COMPARE(rig.indicator->holding(1000), 3);
        page->SpBtnPE1Click();
        QTRY_COMPARE(rig.indicator->holding(1000), 2);
        QVERIFY(!form().tabShown(TMainForm::TabZEQ));
    }

    void without_service_bit_the_adjustments_are_hidden() {
        Rig rig(0x4053);
        QVERIFY(rig.ready());
        QVERIFY(!form().servicePage()->CkZeq->isChecked());
        QVERIFY(form().servicePage()->GrAjust->isHidden());
    }

    void firmware_commands_without_service_mode_ask_nothing() {
        Rig rig(0x4053);
        QVERIFY(rig.ready());
        int asked = 0;
        qv7::setQuestionHook([&](const QString&, const QString&) { return ++asked, false; });
        form().servicePage()->BtnRESETClick();
        QCOMPARE(form().StatusText(), QStringLiteral("Reset USB"));
        form().servicePage()->BtnEraseClick();
        QCOMPARE(form().StatusText(), QStringLiteral("Efface le firmware USB"));
        form().servicePage()->BtnPRGClick();
        QCOMPARE(form().StatusText(), QStringLiteral("Ecriture du firmware"));
        QCOMPARE(asked, 0);
    }

    void adjustments_and_bridge_commands_say_their_result_data() {
        QTest::addColumn<int>("fault"); // -1 none
        QTest::addColumn<QString>("outcome");
        QTest::newRow("taken") << -1 << "fait";
        QTest::newRow("refused") << int(qv7::SimulatedIndicator::Fault::Exception)
                                 << "refusé par l'indicateur";
        QTest::newRow("unanswered") << int(qv7::SimulatedIndicator::Fault::Silent)
                                    << "pas de réponse de l'appareil";
    }
    void adjustments_and_bridge_commands_say_their_result() {
        QFETCH(int, fault);
        QFETCH(QString, outcome);
        Rig rig(0x40D3);
        QVERIFY(rig.ready());
        form().servicePage()->setAdjustTimeout(50);
        if (fault >= 0) rig.indicator->injectFault(qv7::SimulatedIndicator::Fault(fault), 1);
        form().servicePage()->SpBtnZ1Click();
        QTRY_COMPARE(form().StatusText(), QStringLiteral("Ajustage du zéro, voie 1 : ") + outcome);
        rig.torvik().CloseDevice(); // no bridge to take the command
        form().servicePage()->BtnRESETClick();
        QCOMPARE(form().StatusText(),
                 QStringLiteral("Reset USB : échec, le pont USB n'a pas pris la commande"));
    }

    void service_mode_shows_the_tab_asks_before_firmware_and_shows_adc_values() {
        Rig rig(0x4053);
        form().setServiceMode(true);
        QVERIFY(rig.ready());
        QVERIFY(form().tabShown(TMainForm::TabZEQ));
        TServicePage* page = form().servicePage();
        QVERIFY(!page->Button1->isHidden());
        QCOMPARE(page->Button1->text(), QStringLiteral("Lecture ADC"));
        QStringList questions;
        bool answer = false;
        qv7::setQuestionHook([&](const QString&, const QString& text) { return questions << text, answer; });
        form().setStatusText(QString());
        QTest::mouseClick(page->BtnErase, Qt::LeftButton);
        QCOMPARE(questions.size(), 1);
        QCOMPARE(form().StatusText(), QString()); // declined: nothing sent
        answer = true;
        QTest::mouseClick(page->BtnPRG, Qt::LeftButton);
        QCOMPARE(questions.size(), 2);
        QCOMPARE(form().StatusText(), QStringLiteral("Ecriture du firmware"));
        // The ADC read: two values in Memo.
        rig.indicator->setInput(5, 0x0000);
        rig.indicator->setInput(6, 0x3F80); // 1.0
        rig.indicator->setInput(7, 0x0000);
        rig.indicator->setInput(8, 0x4020); // 2.5
        QTest::mouseClick(page->Button1, Qt::LeftButton);
        QTRY_VERIFY(page->Memo->toPlainText().contains(QStringLiteral("ADC 2")));
        const QString memo = page->Memo->toPlainText();
        QVERIFY2(memo.contains(QStringLiteral("ADC 1 : 1")), qPrintable(memo));
        QVERIFY2(memo.contains(QStringLiteral("ADC 2 : 2")) && memo.contains(QStringLiteral("5")),
                 qPrintable(memo));
    }

    // --- Pictures (QV7_PICTURES names the directory that keeps them) ----------------------------

    void pictures_of_the_pages() {
        const QString out = qEnvironmentVariable("QV7_PICTURES");
        const QChar before = qv7::decimalSeparator();
        qv7::setDecimalSeparator(u',');
        QList<QImage> five;
        {
            // Five-choice, 4½ digits, four alarms, output and RS485; every page, the input pages
            // and both processing groups by choosing each input type.
            Rig rig(0x4053);
            QVERIFY(rig.ready());
            QVERIFY(QTest::qWaitForWindowExposed(MainForm));
            QTabWidget* pages = form().pageControl();
            const auto grabPage = [&](int index) {
                pages->setCurrentIndex(index);
                QCoreApplication::processEvents();
                five << pages->grab().toImage();
            };
            grabPage(TMainForm::TabIdent);
            grabPage(TMainForm::TabCfg);
            for (int item : {0, 1, 2, 3}) {
                form().cfgPage()->RdGrCFG1->button(item)->click();
                grabPage(TMainForm::TabEntCourant + item);
                if (item == 2) grabPage(TMainForm::TabProcess);
            }
            form().cfgPage()->RdGrCFG1->button(0)->click();
            for (int index = TMainForm::TabProcess; index <= TMainForm::TabRS485; ++index)
                grabPage(index);
        }
        QList<QImage> thermocouple;
        {
            Rig rig(0x0800, bankOf(0x0800, {{1, 0x0410}}));
            QVERIFY(rig.ready());
            QVERIFY(QTest::qWaitForWindowExposed(MainForm));
            for (int index : shownTabs()) {
                if (index == TMainForm::TabConnect) continue;
                form().pageControl()->setCurrentIndex(index);
                QCoreApplication::processEvents();
                thermocouple << form().pageControl()->grab().toImage();
            }
        }
        QImage service;
        {
            Rig rig(0x40D3);
            form().setServiceMode(true);
            QVERIFY(rig.ready());
            QVERIFY(QTest::qWaitForWindowExposed(MainForm));
            form().pageControl()->setCurrentIndex(TMainForm::TabZEQ);
            QCoreApplication::processEvents();
            service = MainForm->grab().toImage();
        }
        qv7::setDecimalSeparator(before);
        QCOMPARE(five.size(), 15);
        QCOMPARE(thermocouple.size(), 4); // identification, input, processing, display
        if (out.isEmpty()) return;
        const auto sheet = [](const QList<QImage>& tiles, int columns) {
            const QSize tile = tiles.first().size();
            const int rows = (static_cast<int>(tiles.size()) + columns - 1) / columns;
            QImage image(columns * (tile.width() + 8) + 8, rows * (tile.height() + 8) + 8,
                         QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            for (int i = 0; i < tiles.size(); ++i)
                painter.drawImage(8 + (i % columns) * (tile.width() + 8),
                                  8 + (i / columns) * (tile.height() + 8), tiles.at(i));
            return image;
        };
        QVERIFY(sheet(five, 6).save(QDir(out).filePath(QStringLiteral("pages-five-choice.png"))));
        QVERIFY(sheet(thermocouple, 4).save(QDir(out).filePath(QStringLiteral("pages-thermocouple.png"))));
        QVERIFY(service.save(QDir(out).filePath(QStringLiteral("page-service.png"))));
    }

    void service_option_on_the_command_line() {
        QVERIFY(qv7::parseOptions({QStringLiteral("--service")}).service);
        QVERIFY(!qv7::parseOptions({}).service);
        QVERIFY(qv7::usageText().contains(QStringLiteral("--service")));
    }
};

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    TestPages test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Pages.moc"
