// The text set: which text it shows, the process-wide language and who raises the change.
#include "widgets/MultiLangue.h"

#include <QTest>

#include <memory>

class TestMultiLangue : public QObject {
    Q_OBJECT

private slots:
    // Before any test resets it: the process starts in French (the window's first language) with
    // the flag clear.
    void initTestCase() {
        QCOMPARE(TMultiLangue::currentLanguage(), TLangue::Francais);
        QCOMPARE(TMultiLangue::refreshing(), false);
    }

    void init() { TMultiLangue::resetProcessState(); }

    void reading_langue_answers_the_process_language_data() {
        QTest::addColumn<int>("process");
        QTest::addColumn<QString>("shown");
        QTest::newRow("process english") << int(TLangue::Anglais) << QStringLiteral("New");
        QTest::newRow("process french") << int(TLangue::Francais) << QStringLiteral("Nouveau");
    }
    void reading_langue_answers_the_process_language() {
        QFETCH(int, process);
        QFETCH(QString, shown);
        TMultiLangue set;
        TMultiLangue other;
        set.setTexts(QStringLiteral("Nouveau"), QStringLiteral("New"));
        other.setTexts(QStringLiteral("Fermer"), QStringLiteral("Close"));
        set.setLangue(static_cast<TLangue>(process));
        QCOMPARE(TMultiLangue::currentLanguage(), static_cast<TLangue>(process));
        QCOMPARE(set.Langue(), static_cast<TLangue>(process));
        QCOMPARE(other.Langue(), static_cast<TLangue>(process));
        QCOMPARE(set.CurrentText(), shown);
    }

    void only_a_change_of_the_process_language_raises_the_event() {
        TMultiLangue set;
        int raised = 0;
        TMultiLangue* sender = nullptr;
        set.OnChangeLangue = [&](TMultiLangue* s) {
            ++raised;
            sender = s;
        };
        set.setLangue(TLangue::Francais); // already the process language
        QCOMPARE(raised, 0);
        set.setLangue(TLangue::Anglais);
        QCOMPARE(raised, 1);
        QCOMPARE(sender, &set);
        set.setLangue(TLangue::Anglais);
        QCOMPARE(raised, 1);
        set.setLangue(TLangue::Francais);
        QCOMPARE(raised, 2);
    }

    void filling_the_texts_raises_nothing() {
        TMultiLangue set;
        int raised = 0;
        set.OnChangeLangue = [&](TMultiLangue*) { ++raised; };
        set.setTexts(QStringLiteral("Charge"), QStringLiteral("Load"));
        QCOMPARE(raised, 0);
        QCOMPARE(TMultiLangue::currentLanguage(), TLangue::Francais);
    }

    // The window's switch reaches every live set once, with the refreshing flag held; a set
    // destroyed by another's change is not called.
    void the_process_switch_raises_every_live_set_once() {
        TMultiLangue first;
        auto second = std::make_unique<TMultiLangue>();
        TMultiLangue third;
        QList<TMultiLangue*> order;
        QList<bool> flags;
        const auto log = [&](TMultiLangue* sender) {
            order.append(sender);
            flags.append(TMultiLangue::refreshing());
        };
        first.OnChangeLangue = [&](TMultiLangue* sender) {
            log(sender);
            second.reset();
        };
        second->OnChangeLangue = log;
        third.OnChangeLangue = log;
        TMultiLangue::setProcessLanguage(TLangue::Anglais);
        QCOMPARE(order, (QList<TMultiLangue*>{&first, &third}));
        QCOMPARE(flags, (QList<bool>{true, true}));
        QCOMPARE(TMultiLangue::refreshing(), false);
        QCOMPARE(third.Langue(), TLangue::Anglais);
        TMultiLangue::setProcessLanguage(TLangue::Anglais); // no change: nobody raises
        QCOMPARE(order.size(), 2);
        TMultiLangue::setProcessLanguage(TLangue::Francais);
        QCOMPARE(order.size(), 4);
    }

    void both_texts_are_kept() {
        TMultiLangue set;
        set.setTexts(QStringLiteral("Fermer"), QStringLiteral("Close"));
        QCOMPARE(set.Texte_Anglais(), QStringLiteral("Close"));
        QCOMPARE(set.Texte_Francais(), QStringLiteral("Fermer"));
        set.setTexte_Francais(QStringLiteral("Quitter"));
        QCOMPARE(set.CurrentText(), QStringLiteral("Quitter"));
    }

    void reset_puts_back_french_and_clears_the_flag() {
        TMultiLangue set;
        set.setLangue(TLangue::Anglais);
        TMultiLangue::setRefreshing(true);
        TMultiLangue::resetProcessState();
        QCOMPARE(TMultiLangue::currentLanguage(), TLangue::Francais);
        QCOMPARE(TMultiLangue::refreshing(), false);
    }
};

QTEST_MAIN(TestMultiLangue)
#include "tst_MultiLangue.moc"
