// The editor's "Mesures…" dialog: a table loaded and fitted, a refused one told by its line, the
// deviation following the number of points, and "OK" or "Annuler" in the editor.
#include "DrawTestSupport.h"
#include "lineditor/Dessin.h"
#include "lineditor/Mesures.h"
#include "widgets/Messages.h"
#include "widgets/MyControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using Curve = std::vector<qv7::LinFilePoint>;

class tst_Mesures : public QObject {
    Q_OBJECT
private slots:
    void table_is_fitted_or_refused_by_its_line_data();
    void table_is_fitted_or_refused_by_its_line();
    void fewer_points_never_fit_better();
    void ok_makes_the_fitted_points_the_curve_data();
    void ok_makes_the_fitted_points_the_curve();
    void button_sits_in_the_gap_of_the_row();
};

void tst_Mesures::table_is_fitted_or_refused_by_its_line_data() {
    QTest::addColumn<QByteArray>("table");
    QTest::addColumn<QString>("message"); // empty: loaded
    QTest::addColumn<int>("points");
    QTest::newRow("a bend, three points")
        << QByteArray("x;y\n0;0\n25;10\n50;20\n75;60\n100;100\n") << QString() << 3;
    QTest::newRow("not a number") << QByteArray("0;0\n50;cinq\n") << "Ligne 2 : 'cinq' n'est pas un nombre"
                                  << 0;
    QTest::newRow("outside the table")
        << QByteArray("0,0\n100,126\n") << "Ligne 2 : 126 est hors de -25 ... 125 %" << 0;
}

void tst_Mesures::table_is_fitted_or_refused_by_its_line() {
    QFETCH(QByteArray, table);
    QFETCH(QString, message);
    QFETCH(int, points);
    QStringList messages;
    qv7::setMessageHook([&](const QString& text) { messages << text; });
    QTemporaryDir dir;
    QFile file(dir.filePath("m.csv"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(table) == table.size());
    file.close();
    TMesuresForm form;
    form.SpinPoints->setValue(3);
    QCOMPARE(form.loadTable(file.fileName()), message.isEmpty());
    qv7::setMessageHook({});
    QCOMPARE(messages, message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(form.BtnOK->isEnabled(), message.isEmpty());
    QCOMPARE(int(form.curve().size()), points);
    if (points == 3) {
        // Through (0, 0), (50, 20), (100, 100) the pair (75, 60) lies on the curve and (25, 10) too.
        QCOMPARE(form.curve(), (Curve{{0, 0}, {50, 20}, {100, 100}}));
        QCOMPARE(form.fit().deviation.error, 0.0);
        QVERIFY(form.LblEcart->text().contains("5 mesures, 3 points"));
    }
}

void tst_Mesures::fewer_points_never_fit_better() {
    TMesuresForm form;
    form.takeShape(2); // the horizontal tank
    double previous = 0;
    for (int n = qv7::LinFitMaxPoints; n >= qv7::LinFitMinPoints; n -= 5) {
        form.SpinPoints->setValue(n);
        QVERIFY(form.curve().size() <= std::size_t(n));
        QVERIFY(form.fit().deviation.error >= previous);
        previous = form.fit().deviation.error;
    }
    QVERIFY(previous > 5); // two points: the straight line, far off the tank
    // The square root bends one way: moved off the data, the outputs share the deviation out.
    form.takeShape(1);
    form.SpinPoints->setValue(8);
    const double onData = form.fit().deviation.error;
    form.ChkHorsMesures->setChecked(true);
    QVERIFY(form.fit().deviation.error < 0.8 * onData);
    QCOMPARE(form.curve().front(), (qv7::LinFilePoint{0, 0}));
}

void tst_Mesures::ok_makes_the_fitted_points_the_curve_data() {
    QTest::addColumn<bool>("ok");
    QTest::newRow("OK") << true;
    QTest::newRow("Annuler") << false;
}

void tst_Mesures::ok_makes_the_fitted_points_the_curve() {
    QFETCH(bool, ok);
    TDessinForm editor;
    const Curve before{{0, 0}, {50, 70}, {100, 100}};
    editor.setCurve(before);
    Curve offered;
    QTimer::singleShot(0, [&] {
        auto* form = qobject_cast<TMesuresForm*>(QApplication::activeModalWidget());
        QVERIFY(form);
        form->SpinPoints->setValue(12);
        form->takeShape(3); // the spherical tank
        offered = form->curve();
        (ok ? form->BtnOK : form->BtnAnnuler)->click();
    });
    editor.Btn_Mes->click();
    QCOMPARE(offered.size(), std::size_t(12));
    QCOMPARE(offered.front(), (qv7::LinFilePoint{0, 0}));
    QCOMPARE(offered.back(), (qv7::LinFilePoint{100, 100}));
    QCOMPARE(editor.curve(), ok ? offered : before);
}

void tst_Mesures::button_sits_in_the_gap_of_the_row() {
    TDessinForm editor;
    QCOMPARE(editor.Btn_Mes->text(), QStringLiteral("Mesures…"));
    QCOMPARE(editor.Btn_WR->geometry(), QRect(448, 440, 49, 25));
    QCOMPARE(editor.Btn_Quit->geometry(), QRect(560, 440, 49, 25));
    QVERIFY(!editor.Btn_Mes->geometry().intersects(editor.Btn_WR->geometry()));
    QVERIFY(!editor.Btn_Mes->geometry().intersects(editor.Btn_Quit->geometry()));
    QVERIFY(editor.Bevel1->geometry().contains(editor.Btn_Mes->geometry()));
}

QV7_DRAW_TEST_MAIN(tst_Mesures)
#include "tst_Mesures.moc"
