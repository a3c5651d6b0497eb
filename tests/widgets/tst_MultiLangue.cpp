// The text set: which text it shows, the process-wide language and who raises the change.
#include "widgets/MultiLangue.h"

#include <QTest>

class TestMultiLangue : public QObject {
    Q_OBJECT

private slots:
    // Before any test resets it: the process starts in English with the flag clear.
    void initTestCase() {
        QCOMPARE(TMultiLangue::currentLanguage(), TLangue::Anglais);
        QCOMPARE(TMultiLangue::refreshing(), false);
    }

    void init() { TMultiLangue::resetProcessState(); }

    void reading_langue_answers_french_whatever_the_process_holds_data() {
        QTest::addColumn<int>("process");
        QTest::newRow("process english") << int(TLangue::Anglais);
        QTest::newRow("process french") << int(TLangue::Francais);
    }
    void reading_langue_answers_french_whatever_the_process_holds() {
        QFETCH(int, process);
        TMultiLangue set;
        set.setTexts(QStringLiteral("Nouveau"), QStringLiteral("New"));
        set.setLangue(static_cast<TLangue>(process));
        QCOMPARE(TMultiLangue::currentLanguage(), static_cast<TLangue>(process));
        QCOMPARE(set.Langue(), TLangue::Francais);
        QCOMPARE(set.CurrentText(), QStringLiteral("Nouveau"));
    }

    void only_a_change_of_the_process_language_raises_the_event() {
        TMultiLangue set;
        int raised = 0;
        TMultiLangue* sender = nullptr;
        set.OnChangeLangue = [&](TMultiLangue* s) {
            ++raised;
            sender = s;
        };
        set.setLangue(TLangue::Anglais); // already the process language
        QCOMPARE(raised, 0);
        set.setLangue(TLangue::Francais);
        QCOMPARE(raised, 1);
        QCOMPARE(sender, &set);
        set.setLangue(TLangue::Francais);
        QCOMPARE(raised, 1);
        set.setLangue(TLangue::Anglais);
        QCOMPARE(raised, 2);
    }

    void the_first_set_given_french_raises_and_later_ones_do_not() {
        TMultiLangue first;
        TMultiLangue second;
        int firstRaised = 0;
        int secondRaised = 0;
        first.OnChangeLangue = [&](TMultiLangue*) { ++firstRaised; };
        second.OnChangeLangue = [&](TMultiLangue*) { ++secondRaised; };
        first.setTexts(QStringLiteral("Charge"), QStringLiteral("Load"));
        second.setTexts(QStringLiteral("Sauve"), QStringLiteral("Save"));
        QCOMPARE(firstRaised, 1);
        QCOMPARE(secondRaised, 0);
        QCOMPARE(TMultiLangue::currentLanguage(), TLangue::Francais);
    }

    void english_text_is_kept_though_not_shown() {
        TMultiLangue set;
        set.setTexts(QStringLiteral("Fermer"), QStringLiteral("Close"));
        QCOMPARE(set.Texte_Anglais(), QStringLiteral("Close"));
        QCOMPARE(set.Texte_Francais(), QStringLiteral("Fermer"));
        set.setTexte_Francais(QStringLiteral("Quitter"));
        QCOMPARE(set.CurrentText(), QStringLiteral("Quitter"));
    }

    void reset_puts_back_english_and_clears_the_flag() {
        TMultiLangue set;
        set.setLangue(TLangue::Francais);
        TMultiLangue::setRefreshing(true);
        TMultiLangue::resetProcessState();
        QCOMPARE(TMultiLangue::currentLanguage(), TLangue::Anglais);
        QCOMPARE(TMultiLangue::refreshing(), false);
    }
};

QTEST_MAIN(TestMultiLangue)
#include "tst_MultiLangue.moc"
