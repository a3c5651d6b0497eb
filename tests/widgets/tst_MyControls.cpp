// The bilingual controls inside a small window: the texts they show, what Caption and Hint
// assignments do, and which controls a language change refreshes.
#include "widgets/Bitmaps.h"
#include "widgets/MyControls.h"

#include <QTest>

#include <functional>

namespace {

// A plain control that counts its paints and may run a hook while painting.
class PaintCounter : public QWidget {
public:
    PaintCounter(const QString& name, QWidget* parent, QStringList* log = nullptr)
        : QWidget(parent), log_(log) {
        setObjectName(name);
        resize(20, 20);
    }
    int paints = 0;
    std::function<void()> whilePainting;

protected:
    void paintEvent(QPaintEvent*) override {
        ++paints;
        if (log_) log_->append(objectName());
        if (whilePainting) whilePainting();
    }

private:
    QStringList* log_;
};

// The texts are given to each control's set the way the window description carries them.
template <typename Control> void setTexts(Control* control, const char* fr, const char* en) {
    control->CaptionSet()->setTexts(QString::fromUtf8(fr), QString::fromUtf8(en));
}

// A window as the main window builds one: controls first, texts, then every Loaded().
struct Window {
    QWidget top;
    TLabelLangue* seuil = new TLabelLangue(&top);
    PaintCounter* plainTop = new PaintCounter(QStringLiteral("plainTop"), &top);
    TGroupBoxLangue* contact = new TGroupBoxLangue(&top);
    TLabelLangue* ferme = new TLabelLangue(contact);
    TRadioButtonLangue* ouvert = new TRadioButtonLangue(contact);
    PaintCounter* plainInGroup = new PaintCounter(QStringLiteral("plainInGroup"), contact);
    TBitBtnLangue* nouveau = new TBitBtnLangue(&top);

    Window() {
        top.resize(300, 200);
        setTexts(seuil, "Seuil d'alarme", "Alarm set point");
        setTexts(contact, "Contact", "Contact");
        contact->setGeometry(10, 40, 250, 100);
        setTexts(ferme, "fermé au dessus du seuil", "closing on rising level");
        ferme->move(10, 20);
        setTexts(ouvert, "Normalement ouvert", "Normally open");
        ouvert->move(10, 50);
        plainInGroup->move(200, 20);
        plainTop->move(270, 10);
        setTexts(nouveau, "Nouveau", "New");
        nouveau->setGeometry(10, 150, 100, 25);
        for (TLangueControl* control : controls())
            control->Loaded();
        top.show();
    }
    QList<TLangueControl*> controls() { return {seuil, contact, ferme, ouvert, nouveau}; }
};

struct Counts {
    QList<int> repaints;
    QList<int> changes;
};

Counts countsOf(Window& window) {
    Counts counts;
    for (TLangueControl* control : window.controls()) {
        counts.repaints.append(control->repaintRequests());
        counts.changes.append(control->languageChanges());
    }
    return counts;
}

} // namespace

class TestMyControls : public QObject {
    Q_OBJECT

private slots:
    void init() { TMultiLangue::resetProcessState(); }

    void built_controls_show_french_caption_and_empty_hint() {
        Window window;
        QCOMPARE(window.seuil->text(), QStringLiteral("Seuil d'alarme"));
        QCOMPARE(window.contact->title(), QStringLiteral("Contact"));
        QCOMPARE(window.ferme->text(), QStringLiteral("fermé au dessus du seuil"));
        QCOMPARE(window.ouvert->text(), QStringLiteral("Normalement ouvert"));
        QCOMPARE(window.nouveau->text(), QStringLiteral("Nouveau"));
        for (TLangueControl* control : window.controls()) {
            QCOMPARE(control->Hint(), QString());
            QVERIFY(control->Caption() == control->CaptionSet()->Texte_Francais());
        }
        QCOMPARE(window.nouveau->toolTip(), QString());
        QCOMPARE(TMultiLangue::currentLanguage(), TLangue::Francais);
        QCOMPARE(TMultiLangue::refreshing(), false);
    }

    void assigning_english_shows_english_and_raises_once() {
        Window window;
        const int before = window.nouveau->languageChanges();
        window.nouveau->CaptionSet()->setLangue(TLangue::Anglais);
        QCOMPARE(window.nouveau->languageChanges(), before + 1);
        QCOMPARE(window.nouveau->text(), QStringLiteral("New"));
        window.nouveau->CaptionSet()->setLangue(TLangue::Anglais);
        QCOMPARE(window.nouveau->languageChanges(), before + 1);
        QCOMPARE(window.nouveau->text(), QStringLiteral("New"));
    }

    // The window's switch: every control shows the texts of the new language at once, and a
    // label or radio button placed without a size takes its new text's size; none refreshes its
    // siblings again.
    void the_process_switch_shows_every_control_in_its_language_data() {
        QTest::addColumn<int>("langue");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("english") << int(TLangue::Anglais)
                                 << QStringList{"Alarm set point", "Contact", "closing on rising level",
                                                "Normally open", "New"};
        QTest::newRow("back to french")
            << int(TLangue::Francais)
            << QStringList{"Seuil d'alarme", "Contact", "fermé au dessus du seuil", "Normalement ouvert",
                           "Nouveau"};
    }
    void the_process_switch_shows_every_control_in_its_language() {
        QFETCH(int, langue);
        QFETCH(QStringList, shown);
        Window window;
        QVERIFY(QTest::qWaitForWindowExposed(&window.top));
        const Counts before = countsOf(window);
        TMultiLangue::setProcessLanguage(TLangue::Anglais);
        TMultiLangue::setProcessLanguage(static_cast<TLangue>(langue));
        const QStringList texts{window.seuil->text(), window.contact->title(), window.ferme->text(),
                                window.ouvert->text(), window.nouveau->text()};
        QCOMPARE(texts, shown);
        QCOMPARE(countsOf(window).repaints, before.repaints);
        QCOMPARE(window.ferme->size(), window.ferme->sizeHint());
        QCOMPARE(window.ouvert->size(), window.ouvert->sizeHint());
        QCOMPARE(window.nouveau->size(), QSize(100, 25)); // placed with its size: kept
    }

    void caption_assignment_is_ignored_data() {
        QTest::addColumn<int>("control");
        QTest::newRow("label") << 0;
        QTest::newRow("group box") << 1;
        QTest::newRow("radio button") << 3;
        QTest::newRow("bitmap button") << 4;
    }
    void caption_assignment_is_ignored() {
        QFETCH(int, control);
        Window window;
        TLangueControl* chosen = window.controls().at(control);
        const QString french = chosen->CaptionSet()->Texte_Francais();
        chosen->setCaption(QStringLiteral("autre chose"));
        QCOMPARE(chosen->Caption(), french);
        const QString shown = control == 1 ? window.contact->title()
                                           : dynamic_cast<QWidget*>(chosen)->property("text").toString();
        QCOMPARE(shown, french);
    }

    void assigned_hint_lasts_until_the_next_refresh_or_language_change() {
        Window window;
        window.ferme->setHint(QStringLiteral("Contact NO"));
        QCOMPARE(window.ferme->toolTip(), QStringLiteral("Contact NO"));
        QCOMPARE(window.ferme->Hint(), QString());
        window.ferme->Repaint();
        QCOMPARE(window.ferme->toolTip(), QString());

        window.ferme->setHint(QStringLiteral("Contact NO"));
        window.ferme->ChangeLangue();
        QCOMPARE(window.ferme->toolTip(), QString());

        // A sibling's language change refreshes it too.
        window.ferme->setHint(QStringLiteral("Contact NO"));
        window.ouvert->ChangeLangue();
        QCOMPARE(window.ferme->toolTip(), QString());
    }

    void hint_set_text_is_shown_as_hint() {
        Window window;
        window.seuil->HintSet()->setTexte_Francais(QStringLiteral("Valeur de déclenchement"));
        window.seuil->Repaint();
        QCOMPARE(window.seuil->toolTip(), QStringLiteral("Valeur de déclenchement"));
        QCOMPARE(window.seuil->Hint(), QStringLiteral("Valeur de déclenchement"));
    }

    void change_inside_a_group_box_refreshes_only_that_group() {
        Window window;
        QVERIFY(QTest::qWaitForWindowExposed(&window.top));
        const Counts before = countsOf(window);
        const int plainTopBefore = window.plainTop->paints;
        const int plainInGroupBefore = window.plainInGroup->paints;

        window.ferme->CaptionSet()->setLangue(TLangue::Anglais);

        const Counts after = countsOf(window);
        // seuil, contact, ferme, ouvert, nouveau
        const QList<int> refreshed = {0, 0, 0, 1, 0};
        for (int i = 0; i < refreshed.size(); ++i) {
            QCOMPARE(after.repaints.at(i) - before.repaints.at(i), refreshed.at(i));
        }
        QCOMPARE(window.ferme->languageChanges(), before.changes.at(2) + 1);
        QCOMPARE(window.plainInGroup->paints, plainInGroupBefore + 1);
        QCOMPARE(window.plainTop->paints, plainTopBefore);
        QCOMPARE(TMultiLangue::refreshing(), false);
    }

    void change_at_top_level_refreshes_every_other_top_level_control_once() {
        Window window;
        QVERIFY(QTest::qWaitForWindowExposed(&window.top));
        const Counts before = countsOf(window);
        const int plainTopBefore = window.plainTop->paints;
        window.seuil->ChangeLangue();
        const Counts after = countsOf(window);
        // The group box is refreshed as a control; its own children are not asked again.
        const QList<int> refreshed = {0, 1, 0, 0, 1};
        for (int i = 0; i < refreshed.size(); ++i) {
            QCOMPARE(after.repaints.at(i) - before.repaints.at(i), refreshed.at(i));
        }
        QCOMPARE(window.plainTop->paints, plainTopBefore + 1);
    }

    void a_refreshed_sibling_running_its_own_change_refreshes_nobody() {
        Window window;
        QVERIFY(QTest::qWaitForWindowExposed(&window.top));
        window.plainInGroup->whilePainting = [&] { window.ouvert->ChangeLangue(); };
        const int fermeBefore = window.ferme->repaintRequests();
        const int ouvertChanges = window.ouvert->languageChanges();
        const int paintsBefore = window.plainInGroup->paints;
        window.ferme->ChangeLangue();
        // ferme refreshed ouvert and the plain control; ouvert's own change, run while the
        // refresh was going on, touched neither ferme nor the plain control again.
        QCOMPARE(window.ouvert->languageChanges(), ouvertChanges + 1);
        QCOMPARE(window.ferme->repaintRequests(), fermeBefore);
        QCOMPARE(window.plainInGroup->paints, paintsBefore + 1);
        QCOMPARE(TMultiLangue::refreshing(), false);
    }

    void siblings_are_refreshed_in_the_parents_order() {
        QWidget top;
        QStringList log;
        auto* first = new PaintCounter(QStringLiteral("first"), &top, &log);
        auto* label = new TLabelLangue(&top);
        auto* second = new PaintCounter(QStringLiteral("second"), &top, &log);
        auto* third = new PaintCounter(QStringLiteral("third"), &top, &log);
        second->move(30, 0);
        third->move(60, 0);
        label->move(0, 30);
        top.show();
        QVERIFY(QTest::qWaitForWindowExposed(&top));
        first->raise(); // moves it to the end of the parent's order
        QCoreApplication::processEvents();
        log.clear();
        label->ChangeLangue();
        QCOMPARE(log,
                 (QStringList{QStringLiteral("second"), QStringLiteral("third"), QStringLiteral("first")}));
    }

    void control_without_parent_applies_its_own_texts_only() {
        Window window;
        QVERIFY(QTest::qWaitForWindowExposed(&window.top));
        const Counts before = countsOf(window);
        TLabelLangue orphan;
        setTexts(&orphan, "Delai en secondes", "Delay en seconds");
        orphan.setHint(QStringLiteral("temporaire"));
        orphan.ChangeLangue();
        QCOMPARE(orphan.text(), QStringLiteral("Delai en secondes"));
        QCOMPARE(orphan.toolTip(), QString());
        QCOMPARE(countsOf(window).repaints, before.repaints);
        QCOMPARE(TMultiLangue::refreshing(), false);
    }

    void texts_given_while_building_are_shown_once_loaded() {
        TLabelLangue first;
        setTexts(&first, "Voyant", "LED");
        QCOMPARE(first.languageChanges(), 0);
        QCOMPARE(first.text(), QString()); // shown once the window calls Loaded()
        first.Loaded();
        QCOMPARE(first.text(), QStringLiteral("Voyant"));
    }

    void bitmap_button_takes_a_two_image_glyph() {
        TBitBtnLangue load;
        QVERIFY(load.setGlyph(QString::fromLatin1(qv7::LoadGlyph), 2));
        QCOMPARE(load.iconSize(), QSize(16, 16));
        const QImage normal = load.icon().pixmap(16, 16, QIcon::Normal).toImage();
        const QImage disabled = load.icon().pixmap(16, 16, QIcon::Disabled).toImage();
        QVERIFY(normal != disabled);

        TBitBtnLangue scan;
        QVERIFY(scan.setGlyph(QString::fromLatin1(qv7::ScanGlyph)));
        QCOMPARE(scan.iconSize(), QSize(32, 32));
        QVERIFY(!scan.setGlyph(QStringLiteral("NO_SUCH_GLYPH")));
        QCOMPARE(scan.iconSize(), QSize(32, 32));
    }

    void logo_and_unlock_glyph_are_32_pixels_square() {
        QCOMPARE(qv7::loadTransparentBitmap(QString::fromLatin1(qv7::LogoBitmap)).size(), QSize(32, 32));
        QCOMPARE(qv7::loadTransparentBitmap(QString::fromLatin1(qv7::UnlockGlyph)).size(), QSize(32, 32));
        QCOMPARE(qv7::loadTransparentBitmap(QString::fromLatin1(qv7::SaveGlyph)).size(), QSize(32, 16));
    }
};

QTEST_MAIN(TestMyControls)
#include "tst_MyControls.moc"
