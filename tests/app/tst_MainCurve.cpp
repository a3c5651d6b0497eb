// The main window's linearisation table transfers against a simulated indicator: the transfer
// window's bar and its closing in both directions, the range check of a table read, the curve sent
// as the 32 table entries with its last point, the refusals before anything is sent, and a curve
// written with "Ecriture" and read back with "Lecture".
#include "app/Forms.h"
#include "app/Main.h"
#include "app/Session.h"
#include "indicator/LinCurve.h"
#include "lineditor/Dessin.h"
#include "lineditor/Draw.h"
#include "proto/ParamImage.h"
#include "sim/SimulatedBridge.h"
#include "sim/SimulatedIndicator.h"
#include "widgets/Messages.h"
#include "widgets/MyControls.h"
#include "widgets/Xfert.h"

#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <bit>
#include <cmath>
#include <deque>
#include <limits>
#include <mutex>

using Curve = std::vector<qv7::LinFilePoint>;

namespace {

const float NaN = std::numeric_limits<float>::quiet_NaN();

struct Rig {
    qv7::SimulatedIndicator indicator;
    qv7::SimulatedBridge bridge;
    std::unique_ptr<Forms> forms;
    QStringList messages;
    std::deque<bool> answers;
    QStringList questions;

    Rig() {
        bridge.addBridge("1", &indicator);
        forms = std::make_unique<Forms>(bridge);
        DessinForm->setDevice(MainForm);
        DessinForm->setXfertForm(XfertForm);
        qv7::setMessageHook([this](const QString& text) { messages << text; });
        qv7::setQuestionHook([this](const QString&, const QString& text) {
            questions << text;
            const bool yes = !answers.empty() && answers.front();
            if (!answers.empty()) answers.pop_front();
            return yes;
        });
    }
    ~Rig() {
        qv7::setMessageHook({});
        qv7::setQuestionHook({});
        forms.reset();
    }
    bool ready() {
        MainForm->show();
        return QTest::qWaitFor(
            [] {
                return MainForm->StatusText().isEmpty() && !MainForm->isBusy() &&
                       !MainForm->Torvik().ModelName().isEmpty();
            },
            5000);
    }
    // The indicator's table entry i as (ordinate, abscissa).
    TLinPoint held(int i) const {
        const auto value = [this](int r) {
            return std::bit_cast<float>(std::uint32_t(indicator.holding(r)) |
                                        std::uint32_t(indicator.holding(r + 1)) << 16);
        };
        return {value(32 + 4 * i), value(34 + 4 * i)};
    }
};

} // namespace

class TestMainCurve : public QObject {
    Q_OBJECT

private slots:
    void bar_follows_both_directions_and_closes_at_127_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("bar");
        QTest::addColumn<bool>("open");
        QTest::newRow("read, first register") << 0 << 0 << true;
        QTest::newRow("write, first block") << 15 << 15 << true;
        QTest::newRow("end of the bar") << 111 << 111 << true;
        QTest::newRow("past the bar's end") << 126 << 111 << true;
        QTest::newRow("last report") << 127 << 111 << false;
    }
    void bar_follows_both_directions_and_closes_at_127() {
        QFETCH(int, position);
        QFETCH(int, bar);
        QFETCH(bool, open);
        Rig rig;
        XfertForm->show();
        MainForm->TorvikReadLin(position);
        QCOMPARE(XfertForm->Progress()->value(), bar);
        QCOMPARE(XfertForm->isVisible(), open);
    }

    void table_read_is_checked_before_it_reaches_the_editor_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<float>("ordinate");
        QTest::addColumn<float>("abscissa");
        QTest::addColumn<int>("lastPoint");
        QTest::addColumn<Curve>("curve");
        QTest::addColumn<QStringList>("messages");
        const QStringList error{"Erreur dans la table"};
        const Curve fresh{{0, 0}, {100, 100}};
        QTest::newRow("bounds -0.25 and 1.25")
            << 1 << 1.25f << -0.25f << 2 << Curve{{0, 0}, {-25, 125}, {50, 20}} << QStringList();
        QTest::newRow("1.3 at point 3 of 6") << 3 << 1.3f << 0.3f << 5 << fresh << error;
        QTest::newRow("NaN") << 2 << 0.5f << NaN << 2 << fresh << error;
        QTest::newRow("last point 0") << 3 << 1.3f << 0.3f << 0 << Curve{{0, 0}} << QStringList();
    }
    void table_read_is_checked_before_it_reaches_the_editor() {
        QFETCH(int, index);
        QFETCH(float, ordinate);
        QFETCH(float, abscissa);
        QFETCH(int, lastPoint);
        QFETCH(Curve, curve);
        QFETCH(QStringList, messages);
        Rig rig;
        DessinForm->setCurve(Curve{{5, 5}, {10, 10}, {20, 20}, {30, 30}, {40, 40}});
        TLinTable table{};
        for (int i = 0; i < 32; ++i)
            table[std::size_t(i)] = {0.1f * float(i), 0.25f * float(i)};
        table[std::size_t(index)] = {ordinate, abscissa};
        MainForm->Torvik().editImage(
            [&](TParamImage& params, TLinTable&) { params.LinLastPoint = std::uint8_t(lastPoint); });
        MainForm->TorvikReadLinCompleted(table);
        QCOMPARE(rig.messages, messages);
        const Curve got = DessinForm->curve();
        QCOMPARE(got.size(), curve.size());
        for (std::size_t i = 0; i < got.size(); ++i)
            QVERIFY(std::fabs(got[i].X - curve[i].X) < 1e-4f && std::fabs(got[i].Y - curve[i].Y) < 1e-4f);
    }

    // The editor opens on its default line while the indicator holds its own curve: "Ecriture" asks
    // first, and the title names the indicator after a read and the measurements after a fit.
    void the_default_line_is_written_only_when_asked_and_the_title_names_the_origin() {
        Rig rig;
        QVERIFY(rig.ready());
        const std::uint16_t heldBefore = rig.indicator.holding(34);
        DessinForm->show();
        rig.answers = {false};
        QTest::mouseClick(DessinForm->Btn_WR, Qt::LeftButton);
        QCOMPARE(rig.questions, QStringList{QStringLiteral(
                                    "Ecrire la courbe par défaut à la place de la table de l'indicateur ?")});
        QVERIFY(!XfertForm->isVisible());
        QCOMPARE(MainForm->StatusText(), QString()); // nothing sent
        QCOMPARE(rig.indicator.holding(34), heldBefore);
        QTest::mouseClick(DessinForm->Btn_RD, Qt::LeftButton);
        QTRY_COMPARE(MainForm->StatusText(), QStringLiteral("Courbe lue"));
        QCOMPARE(DessinForm->windowTitle(),
                 QStringLiteral("Editeur de linéarisation - courbe lue dans l'indicateur"));
        DessinForm->setCurve(Curve{{0, 0}, {50, 70}, {100, 100}}, TDessinForm::Origin::Fit);
        QCOMPARE(DessinForm->windowTitle(),
                 QStringLiteral("Editeur de linéarisation - courbe d'après des mesures"));
        DessinForm->hide();
    }

    // Once the indicator acknowledged a curve, the differences and the sheet start from its point
    // count, and nothing counts as a change of the pages.
    void a_written_curve_is_what_comparisons_start_from() {
        Rig rig;
        QVERIFY(rig.ready());
        Curve eight;
        for (int i = 0; i < 8; ++i)
            eight.push_back({float(i) * 10, float(i) * 12});
        DessinForm->setCurve(eight);
        QTest::mouseClick(DessinForm->Btn_WR, Qt::LeftButton);
        QVERIFY(
            QTest::qWaitFor([] { return MainForm->StatusText() == QStringLiteral("Courbe écrite"); }, 5000));
        QCOMPARE(rig.indicator.holding(2) >> 8, 7);
        QCOMPARE(int(MainForm->Session().reference().LinLastPoint), 7);
        QCOMPARE(int(MainForm->Session().edited().LinLastPoint), 7);
        QCOMPARE(MainForm->Session().changeCount(), 0);
        DessinForm->hide();
    }

    void three_points_go_as_32_entries_with_last_point_2() {
        Rig rig;
        QVERIFY(rig.ready());
        DessinForm->setCurve(Curve{{0, 5}, {40, 60}, {100, 90}});
        QList<int> bar;
        connect(XfertForm->Progress(), &QProgressBar::valueChanged, this, [&bar](int v) { bar << v; });
        QTest::mouseClick(DessinForm->Btn_WR, Qt::LeftButton);
        QVERIFY(XfertForm->isVisible());
        QVERIFY(QTest::qWaitFor([&] { return (rig.indicator.holding(2) >> 8) == 2; }, 5000));
        QTRY_VERIFY(!XfertForm->isVisible());
        QCOMPARE(bar, (QList<int>{15, 31, 47, 63, 79, 95, 111}));
        const TLinPoint expected[3] = {{0.05f, 0.0f}, {0.6f, 0.4f}, {0.9f, 1.0f}};
        for (int i = 0; i < 32; ++i) {
            const TLinPoint got = rig.held(i);
            const TLinPoint want = i < 3 ? expected[i] : TLinPoint{};
            QVERIFY2(got == want, qPrintable(QStringLiteral("entry %1").arg(i)));
        }
        QCOMPARE(rig.indicator.holding(2) & 1, 1); // the linearisation stays on

        // "Nouveau", then "Lecture" brings the curve back from the indicator.
        QTest::mouseClick(DessinForm->Btn_New, Qt::LeftButton);
        bar.clear();
        QTest::mouseClick(DessinForm->Btn_RD, Qt::LeftButton);
        QVERIFY(QTest::qWaitFor([] { return DessinForm->curve().size() == 3; }, 5000));
        QVERIFY(!XfertForm->isVisible());
        QList<int> everyRegister{0}; // the editor's reset, then one step a register, held at the end
        for (int v = 1; v <= 111; ++v)
            everyRegister << v;
        QCOMPARE(bar, everyRegister);
        const Curve back = DessinForm->curve();
        QCOMPARE(back[1].X, 40.0f);
        QCOMPARE(back[2].Y, 90.0f);
    }

    void refused_curves_send_nothing_data() {
        QTest::addColumn<Curve>("curve");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("questions");
        Curve long33;
        for (int i = 0; i < 33; ++i)
            long33.push_back({float(3 * i), float(i)});
        QTest::newRow("33 points") << long33
                                   << QStringList{"Trop de segments pour l'appareil : 32 points au maximum"}
                                   << 0;
        QTest::newRow("X falls") << Curve{{0, 0}, {60, 10}, {50, 20}}
                                 << QStringList{"Point 2 : X ne croît pas"} << 0;
        QTest::newRow("Y above 125 %")
            << Curve{{0, 0}, {50, 125.5f}, {100, 100}} << QStringList{"Point 1 : hors de -25 ... 125 %"} << 0;
    }
    void refused_curves_send_nothing() {
        QFETCH(Curve, curve);
        QFETCH(QStringList, messages);
        QFETCH(int, questions);
        Rig rig;
        QVERIFY(rig.ready());
        DessinForm->setCurve(curve);
        const int sent = MainForm->Torvik().requestsSent();
        QTest::mouseClick(DessinForm->Btn_WR, Qt::LeftButton);
        QCOMPARE(rig.messages, messages);
        QCOMPARE(rig.questions.size(), questions);
        QVERIFY(!XfertForm->isVisible());
        QTest::qWait(50);
        QCOMPARE(MainForm->Torvik().requestsSent(), sent);
        QCOMPARE(rig.indicator.holding(2) >> 8, 1); // the simulated indicator's two points
    }
};

QTEST_MAIN(TestMainCurve)
#include "tst_MainCurve.moc"
