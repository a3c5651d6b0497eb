// The linearisation editor window: its controls, the grid's refill, selection rules and keys, the
// zoom bar, "Origine" and "Nouveau", the files with their dialogs and the decimal separator they
// leave, and the transfers it starts through a TLinDevice the test stands in for.
#include "DrawTestSupport.h"
#include "lineditor/Dessin.h"
#include "lineditor/LinDevice.h"
#include "lineditor/StringGrid.h"
#include "widgets/DecimalSeparator.h"
#include "widgets/FileDialog.h"
#include "widgets/Messages.h"
#include "widgets/MyControls.h"
#include "widgets/Xfert.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <optional>

using Curve = std::vector<qv7::LinFilePoint>;

namespace {

// Records the messages and answers the file dialogs, keeping their titles and proposed names.
struct ScriptedUser {
    QStringList messages, titles, proposed, filters;
    std::optional<QString> file;
    ScriptedUser() {
        qv7::setMessageHook([this](const QString& text) { messages << text; });
        qv7::setFileDialogHook([this](QFileDialog& dialog) {
            titles << dialog.windowTitle();
            filters << dialog.nameFilters().join('|');
            const QStringList selected = dialog.selectedFiles();
            proposed << (selected.isEmpty() ? QString() : QFileInfo(selected.first()).fileName());
            return file;
        });
    }
    ~ScriptedUser() {
        qv7::setMessageHook({});
        qv7::setFileDialogHook({});
    }
};

struct FakeDevice : TLinDevice {
    int reads = 0, sends = 0;
    bool accept = true;
    void ReadLin() override { ++reads; }
    bool SendCurveToDevice(TDraw&) override {
        ++sends;
        return accept;
    }
};

// Follows whether the modal editor blocks a window's input.
struct BlockWatch : QObject {
    bool blocked = false;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::WindowBlocked) blocked = true;
        if (event->type() == QEvent::WindowUnblocked) blocked = false;
        return false;
    }
};

const Curve Five{{0, 0}, {20, 10}, {40, 35}, {70, 60}, {100, 100}};

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestDessin : public QObject {
    Q_OBJECT

    std::unique_ptr<TDessinForm> form;
    TStringGrid* grid() { return form->StringGrid1; }
    TDraw* draw() { return form->Draw1; }
    // The in-place editor shown now (a closed one waits for its deletion a while).
    QLineEdit* cellEditor() {
        for (QLineEdit* editor : grid()->viewport()->findChildren<QLineEdit*>())
            if (editor->isVisible()) return editor;
        return nullptr;
    }
    void clickRow(int row) {
        const QRect cell = grid()->visualRect(grid()->model()->index(row - 1, 1));
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cell.center());
    }

private slots:
    void init() {
        qv7::setDecimalSeparator(u'.');
        form = std::make_unique<TDessinForm>();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        form->setCurve(Five);
        QCOMPARE(form->beepCount(), 0); // nothing so far was refused
    }
    void cleanup() { form.reset(); }

    void controls_sit_at_their_places_with_their_texts_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("place");
        QTest::addColumn<QString>("text");
        QTest::newRow("plot") << "Draw1" << QRect(8, 8, 409, 401) << QString();
        QTest::newRow("grid") << "StringGrid1" << QRect(424, 8, 193, 401) << QString();
        QTest::newRow("Origine") << "Btn_C" << QRect(16, 440, 49, 25) << "Origine";
        QTest::newRow("ZOOM") << "Label1" << QRect(88, 440, 44, 16) << "ZOOM";
        QTest::newRow("zoom bar") << "ZoomBar" << QRect(136, 440, 81, 16) << QString();
        QTest::newRow("Nouveau") << "Btn_New" << QRect(240, 440, 49, 25) << "Nouveau";
        QTest::newRow("Charge") << "Btn_Load" << QRect(288, 440, 51, 25) << "Charge";
        QTest::newRow("Sauve") << "Btn_Save" << QRect(336, 440, 51, 25) << "Sauve";
        QTest::newRow("Lecture") << "Btn_RD" << QRect(400, 440, 49, 25) << "Lecture";
        QTest::newRow("Ecriture") << "Btn_WR" << QRect(448, 440, 49, 25) << "Ecriture";
        QTest::newRow("Fermer") << "Btn_Quit" << QRect(560, 440, 49, 25) << "Fermer";
    }
    void controls_sit_at_their_places_with_their_texts() {
        QFETCH(QString, name);
        QFETCH(QRect, place);
        QFETCH(QString, text);
        QWidget* control = form->findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(control->geometry(), place);
        if (auto* button = qobject_cast<QPushButton*>(control)) QCOMPARE(button->text(), text);
        if (auto* label = qobject_cast<QLabel*>(control)) QCOMPARE(label->text(), text);
        QCOMPARE(form->size(), QSize(623, 479));
        QCOMPARE(form->windowTitle(), QStringLiteral("Editeur de linéarisation"));
        QCOMPARE(form->focusWidget(), static_cast<QWidget*>(grid()));
    }

    void grid_shows_the_curve_and_empties_the_rows_after_it() {
        QCOMPARE(grid()->RowCount(), 33);
        QCOMPARE(grid()->Cells(0, 0), QStringLiteral("Points:"));
        QCOMPARE(grid()->Cells(1, 0), QStringLiteral("X"));
        QCOMPARE(grid()->Cells(2, 0), QStringLiteral("Y"));
        QCOMPARE(grid()->horizontalHeader()->height(), 20);
        QCOMPARE(grid()->Cells(0, 4), QStringLiteral(" 3 "));
        QCOMPARE(grid()->Cells(1, 4), QStringLiteral("70.00"));
        QCOMPARE(grid()->Cells(2, 5), QStringLiteral("100.00"));
        // What the user sees: row 1 of the cells is the table's first row under the header.
        QCOMPARE(grid()->item(3, 1)->text(), QStringLiteral("70.00"));
        QCOMPARE(grid()->item(4, 2)->text(), QStringLiteral("100.00"));
        QCOMPARE(grid()->item(3, 0)->text(), QStringLiteral(" 3 "));
        form->setCurve(Curve{{-3.456f, 1}, {100, 99.994f}});
        QCOMPARE(grid()->Cells(1, 1), QStringLiteral("-3.46"));
        QCOMPARE(grid()->Cells(2, 2), QStringLiteral("99.99"));
        for (int row : {3, 4, 5, 33, 362})
            QCOMPARE(grid()->Cells(1, row) + grid()->Cells(0, row), QString());
    }

    void only_the_points_rows_are_selected_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("selected");
        QTest::newRow("first point") << 1 << 0;
        QTest::newRow("last point") << 5 << 4;
        QTest::newRow("first empty row") << 6 << -1;
        QTest::newRow("last row") << 32 << -1;
    }
    void only_the_points_rows_are_selected() {
        QFETCH(int, row);
        QFETCH(int, selected);
        grid()->scrollTo(grid()->model()->index(row - 1, 1));
        clickRow(row);
        QCOMPARE(draw()->Selected, selected);
        QCOMPARE(grid()->Row(), selected + 1); // no point selected, no current row
        // The header row takes no selection either.
        QTest::mouseClick(grid()->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(80, 10));
        QCOMPARE(draw()->Selected, selected);
    }

    void grid_keys_place_undo_insert_and_remove_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("x");
        QTest::addColumn<QString>("y");
        QTest::addColumn<int>("key");
        QTest::addColumn<Curve>("curve");
        QTest::addColumn<int>("beeps");
        QTest::addColumn<QString>("refusal"); // the words of a refused point
        QTest::newRow("Enter places the point")
            << 3 << "45.5"
            << " 30.25 " << int(Qt::Key_Return)
            << Curve{{0, 0}, {20, 10}, {45.5f, 30.25f}, {70, 60}, {100, 100}} << 0 << QString();
        QTest::newRow("Enter reads ',' as '.' is the separator")
            << 3 << "45,5"
            << "30.25" << int(Qt::Key_Return)
            << Curve{{0, 0}, {20, 10}, {45.5f, 30.25f}, {70, 60}, {100, 100}} << 0 << QString();
        QTest::newRow("Enter with X left of the previous point")
            << 3 << "10"
            << "30" << int(Qt::Key_Return) << Five << 1
            << "Point 2, colonne X : 10.00 doit rester entre 20.00 et 70.00, les X croissant d'un point au "
               "suivant.";
        QTest::newRow("Enter with a Y that is no number")
            << 3 << "45"
            << "abc" << int(Qt::Key_Enter) << Five << 1
            << "Point 2, colonne Y : « abc » n'est pas un nombre.";
        QTest::newRow("Enter with an X of point 1 that is no number")
            << 2 << "abc"
            << "10" << int(Qt::Key_Enter) << Five << 1 << "Point 1, colonne X : « abc » n'est pas un nombre.";
        QTest::newRow("Enter with Y above the view")
            << 3 << "45"
            << "150" << int(Qt::Key_Enter) << Five << 1
            << "Point 2, colonne Y : 150.00 est hors de l'étendue -25.00 … 110.00.";
        QTest::newRow("Insert splits the segment before the point")
            << 3 << ""
            << "" << int(Qt::Key_Insert)
            << Curve{{0, 0}, {20, 10}, {29.79217f, 22.46883f}, {40, 35}, {70, 60}, {100, 100}} << 0
            << QString();
        QTest::newRow("Delete removes the point")
            << 3 << ""
            << "" << int(Qt::Key_Delete) << Curve{{0, 0}, {20, 10}, {70, 60}, {100, 100}} << 0 << QString();
    }
    void grid_keys_place_undo_insert_and_remove() {
        QFETCH(int, row);
        QFETCH(QString, x);
        QFETCH(QString, y);
        QFETCH(int, key);
        QFETCH(Curve, curve);
        QFETCH(int, beeps);
        QFETCH(QString, refusal);
        ScriptedUser user;
        clickRow(row);
        if (!x.isEmpty()) grid()->setCells(1, row, x);
        if (!y.isEmpty()) grid()->setCells(2, row, y);
        const int before = form->beepCount();
        QTest::keyClick(grid(), Qt::Key(key));
        QCOMPARE(form->beepCount() - before, beeps);
        QCOMPARE(user.messages, refusal.isEmpty() ? QStringList() : QStringList{refusal});
        const Curve got = form->curve();
        QCOMPARE(got.size(), curve.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            QVERIFY2(qAbs(got[i].X - curve[i].X) < 1e-3 && qAbs(got[i].Y - curve[i].Y) < 1e-3,
                     qPrintable(QStringLiteral("point %1").arg(i)));
        }
        // The grid shows what is stored.
        QCOMPARE(grid()->Cells(1, row), QString::number(got[row - 1].X, 'f', 2));
    }

    void plot_and_grid_select_the_same_point() {
        clickRow(5); // the grid on another row first
        const TPixelPoint at = draw()->WorldToPixel(70, 60);
        QTest::mouseClick(draw(), Qt::LeftButton, {}, QPoint(at.x, at.y));
        QCOMPARE(grid()->Row(), 4);
        grid()->setCells(1, 4, QStringLiteral("75"));
        QTest::keyClick(grid(), Qt::Key_Return); // on the point both show
        QCOMPARE(form->curve(), (Curve{{0, 0}, {20, 10}, {40, 35}, {75, 60}, {100, 100}}));
        QTest::mouseClick(draw(), Qt::LeftButton, {}, QPoint(3, 3)); // beside every point
        QCOMPARE(grid()->Row(), 0);
    }

    void escape_undoes_a_deletion_and_enter_without_a_selection_only_beeps() {
        draw()->Selected = 2;
        draw()->RemovePoint(2); // as the menu does: no rebuild, so the undo copy is the five points
        grid()->editItem(grid()->item(1, 1));
        QTest::keyClick(cellEditor(), Qt::Key_Escape); // only the edit is cancelled
        QVERIFY(!grid()->EditorMode());
        QCOMPARE(form->curve().size(), std::size_t(4));
        QTest::keyClick(grid(), Qt::Key_Escape);
        QCOMPARE(form->curve(), Five);
        draw()->Selected = -1;
        const int before = form->beepCount();
        QTest::keyClick(grid(), Qt::Key_Return);
        QCOMPARE(form->beepCount(), before + 1);
        QCOMPARE(form->curve(), Five);
    }

    void escape_takes_back_a_typed_value_before_the_last_change() {
        clickRow(3);
        grid()->editItem(grid()->item(2, 1));
        cellEditor()->setText(QStringLiteral("55"));
        QTest::keyClick(cellEditor(), Qt::Key_Tab); // the text stays in the cell, not placed
        QCOMPARE(grid()->Cells(1, 3), QStringLiteral("55"));
        grid()->setFocus();
        QTest::keyClick(grid(), Qt::Key_Escape);
        QCOMPARE(grid()->Cells(1, 3), QStringLiteral("40.00"));
        QCOMPARE(form->curve(), Five);
    }

    // Escape in a cell opened by typing into it gives the cell back the value it had before.
    void escape_in_a_cell_restores_its_value_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::newRow("X of 30,50") << 1 << "30,50";
        QTest::newRow("Y of 70") << 2 << "70";
    }
    void escape_in_a_cell_restores_its_value() {
        QFETCH(int, column);
        QFETCH(QString, typed);
        clickRow(3);
        grid()->setCurrent(column, 3);
        const QString before = grid()->Cells(column, 3);
        // The first key opens the cell's editor, which takes the others.
        QTest::keyClick(grid(), typed[0].toLatin1());
        QVERIFY(cellEditor());
        QTest::keyClicks(cellEditor(), typed.mid(1));
        QTest::keyClick(cellEditor(), Qt::Key_Escape);
        QCOMPARE(grid()->Cells(column, 3), before);
        QCOMPARE(grid()->item(2, column)->text(), before);
        QCOMPARE(form->curve(), Five);
    }

    // Ctrl+Z and Ctrl+Y step through the curve's changes one at a time, whatever made them; the
    // title says "modified" whenever the curve differs from its origin; a new change drops the
    // steps undone.
    void undo_and_redo_step_through_every_change() {
        QApplication::setActiveWindow(form.get()); // the window's keys act in the active window
        // The curve after each change: a grid edit, a point added, a point removed, New.
        QList<Curve> seen{Five};
        clickRow(4);
        grid()->setCells(1, 4, QStringLiteral("75"));
        QTest::keyClick(grid(), Qt::Key_Return);
        seen << form->curve();
        for (const Qt::Key key : {Qt::Key_Insert, Qt::Key_Delete}) {
            QTest::keyClick(grid(), key);
            seen << form->curve();
        }
        form->newCurve();
        seen << form->curve();
        QCOMPARE(seen[1][3].X, 75.0f);
        QCOMPARE(seen[2].size(), std::size_t(6));
        QCOMPARE(seen[4], (Curve{{0, 0}, {100, 100}}));
        QVERIFY(!form->windowTitle().contains(QStringLiteral("modifiée")));
        for (qsizetype step = seen.size() - 2; step >= 0; --step) {
            QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(form->curve(), seen[step]);
            QVERIFY2(form->windowTitle().contains(QStringLiteral("modifiée")),
                     qPrintable(form->windowTitle()));
        }
        // Before the five points came, the default line; the history starts with it.
        QVERIFY(form->undoCurve());
        QCOMPARE(form->curve(), (Curve{{0, 0}, {100, 100}}));
        QVERIFY(!form->undoCurve());
        QVERIFY(form->redoCurve());
        QTest::keyClick(form.get(), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(form->curve(), seen[1]);
        // A drag in the plot is one step, and leaves nothing to redo.
        draw()->Selected = 1;
        const TPixelPoint from = draw()->WorldToPixel(20, 10);
        QTest::mousePress(draw(), Qt::LeftButton, {}, QPoint(from.x, from.y));
        QTest::mouseMove(draw(), QPoint(from.x + 5, from.y - 5));
        QTest::mouseMove(draw(), QPoint(from.x + 10, from.y - 10));
        QTest::mouseRelease(draw(), Qt::LeftButton, {}, QPoint(from.x + 10, from.y - 10));
        QVERIFY(form->curve()[1].X > 20);
        QVERIFY(!form->redoCurve());
        QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(form->curve(), seen[1]);
        QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(form->curve(), Five);
    }

    void insert_and_delete_while_editing_belong_to_the_cell() {
        clickRow(2);
        grid()->editItem(grid()->item(1, 1));
        QVERIFY(grid()->EditorMode());
        QLineEdit* editor = cellEditor();
        QVERIFY(editor);
        QTest::keyClick(editor, Qt::Key_Delete);
        QTest::keyClick(editor, Qt::Key_Insert);
        QCOMPARE(form->curve(), Five);
        // Typed text reaches the cell before Enter places the point.
        editor->selectAll();
        QTest::keyClicks(editor, "25");
        QTest::keyClick(editor, Qt::Key_Return);
        QVERIFY(!grid()->EditorMode());
        QCOMPARE(form->curve()[1].X, 25.0f);
        QVERIFY(form->isVisible());
        // Tab leaves the grid for the next control; the text stays in its cell, the curve unchanged.
        grid()->editItem(grid()->item(1, 2));
        editor = cellEditor();
        QVERIFY(editor);
        editor->setText(QStringLiteral("7"));
        QTest::keyClick(editor, Qt::Key_Tab);
        QVERIFY(!grid()->EditorMode());
        QCOMPARE(grid()->Cells(2, 2), QStringLiteral("7"));
        QCOMPARE(form->focusWidget(), static_cast<QWidget*>(form->Btn_RD));
        QCOMPARE(form->curve()[1].Y, 10.0f);
    }

    void zoom_bar_follows_the_level_one_step_a_change() {
        QCOMPARE(form->ZoomBar->minimum(), -1);
        QCOMPARE(form->ZoomBar->maximum(), 3);
        form->ZoomBar->setValue(3);
        QCOMPARE(draw()->ZoomLevel, 1);
        QCOMPARE(form->ZoomBar->value(), 1);
        QCOMPARE(draw()->Xmax() - draw()->Xmin(), 33.75f);
        draw()->ZoomOutClick();
        draw()->ZoomOutClick();
        QCOMPARE(form->ZoomBar->value(), -1);
        QTest::mouseClick(form->Btn_C, Qt::LeftButton);
        QCOMPARE(form->ZoomBar->value(), 0);
        QCOMPARE(draw()->Xmin(), -25.0f);
    }

    void nouveau_and_origine_set_different_views() {
        draw()->ZoomInClick();
        draw()->Selected = 4;
        QTest::mouseClick(form->Btn_New, Qt::LeftButton);
        QCOMPARE(form->curve(), (Curve{{0, 0}, {100, 100}}));
        QCOMPARE(draw()->Xmin(), -10.0f);
        QCOMPARE(draw()->Ymin(), -10.0f);
        QCOMPARE(draw()->Xmax(), 110.0f);
        QCOMPARE(draw()->ZoomLevel, 0);
        QCOMPARE(draw()->Selected, -1); // it lay beyond the new last point
        QTest::mouseClick(form->Btn_C, Qt::LeftButton);
        QCOMPARE(draw()->Xmin(), -25.0f);
        QCOMPARE(draw()->Ymin(), -25.0f);
    }

    void charge_and_sauve_keep_the_windows_separator() {
        QTemporaryDir dir;
        ScriptedUser user;
        const QString path = dir.filePath("courbe.LIN");
        writeFile(path, ".float 12.5\r\n.float 1,5e1\r\n.float 100\r\n.float 100\r\n");
        user.file = path;
        // An English window ('.') shows the file's numbers its way.
        QTest::mouseClick(form->Btn_Load, Qt::LeftButton);
        QCOMPARE(form->curve(), (Curve{{12.5f, 15}, {100, 100}}));
        QCOMPARE(qv7::decimalSeparator(), QChar(u'.'));
        QCOMPARE(grid()->Cells(1, 1), QStringLiteral("12.50"));
        QCOMPARE(form->windowTitle(), path);
        QCOMPARE(user.messages, QStringList());

        qv7::setDecimalSeparator(u','); // a French window
        user.file = dir.filePath("saved");
        QTest::mouseClick(form->Btn_Save, Qt::LeftButton);
        QCOMPARE(qv7::decimalSeparator(), QChar(u','));
        QCOMPARE(user.titles, (QStringList{"Chargement d'un fichier", "Sauvegarde d'un fichier"}));
        QCOMPARE(user.proposed.value(1), QStringLiteral("courbe.LIN"));
        QCOMPARE(user.filters.value(0),
                 QStringLiteral("Fichiers de linéarisation (*.LIN)|Tous les fichiers (*.*)"));
        QFile saved(dir.filePath("saved.Lin"));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), qv7::linFileText(form->curve()));
        QCOMPARE(form->windowTitle(), QFileInfo(saved).absoluteFilePath()); // the curve is the saved file's
    }

    void refused_or_warned_loads_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<Curve>("curve");
        QTest::newRow("count warning")
            << QByteArray(".equ 3\n.float 1\n.float 2\n.float 3\n.float 4\n")
            << QStringList{"Attention : Nombre de segment incorrect"} << Curve{{1, 2}, {3, 4}};
        QTest::newRow("one point: refused")
            << QByteArray(".float 1\n.float 2\n")
            << QStringList{"Trop peu de points : il en faut au moins deux"} << Five;
        QTest::newRow("X going back: warned")
            << QByteArray(".float 50\n.float 0\n.float 40\n.float 10\n.float 100\n.float 100\n")
            << QStringList{"Les valeurs X de la courbe ne croissent pas au point 1."}
            << Curve{{50, 0}, {40, 10}, {100, 100}};
        QTest::newRow("40 points: warned")
            << QByteArray(".float 1\n.float 1\n").repeated(40)
            << QStringList{"La courbe a 40 points : l'appareil n'en prend que 32, elle ne "
                           "pourra pas lui être écrite telle quelle.",
                           "Les valeurs X de la courbe ne croissent pas au point 1."}
            << Curve(40, {1, 1});
        QTest::newRow("beyond what the view maps: refused")
            << QByteArray(".float 1e30\n.float 2\n.float 3\n.float 4\n")
            << QStringList{"Erreur de vérification d'étendue"} << Five;
    }
    void refused_or_warned_loads() {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, messages);
        QFETCH(Curve, curve);
        QTemporaryDir dir;
        ScriptedUser user;
        user.file = dir.filePath("x.LIN");
        writeFile(*user.file, text);
        QTest::mouseClick(form->Btn_Load, Qt::LeftButton);
        QCOMPARE(user.messages, messages);
        QCOMPARE(form->curve(), curve);
    }

    // The title names where the curve came from; the default line goes to the indicator only when
    // the user says so, and an edited curve is dropped only when the user agrees (No by default).
    void origin_in_the_title_write_guard_and_discard_questions() {
        FakeDevice device;
        form->setDevice(&device);
        ScriptedUser user;
        QStringList questions;
        bool yes = false;
        qv7::setQuestionHook([&](const QString&, const QString& text) { return questions << text, yes; });
        const QString discard = QStringLiteral("Abandonner les modifications de la courbe ?");
        form->newCurve();
        QCOMPARE(form->windowTitle(), QStringLiteral("Editeur de linéarisation - courbe par défaut"));
        QTest::mouseClick(form->Btn_WR, Qt::LeftButton);
        QCOMPARE(questions, QStringList{QStringLiteral(
                                "Ecrire la courbe par défaut à la place de la table de l'indicateur ?")});
        QCOMPARE(device.sends, 0);
        form->setCurve(Five, TDessinForm::Origin::Device);
        QCOMPARE(form->windowTitle(),
                 QStringLiteral("Editeur de linéarisation - courbe lue dans l'indicateur"));
        QTest::mouseClick(form->Btn_WR, Qt::LeftButton);
        QCOMPARE(device.sends, 1);
        form->setCurve(Five, TDessinForm::Origin::Fit);
        QCOMPARE(form->windowTitle(),
                 QStringLiteral("Editeur de linéarisation - courbe d'après des mesures"));
        clickRow(3);
        grid()->setCells(1, 3, QStringLiteral("45"));
        QTest::keyClick(grid(), Qt::Key_Return);
        QCOMPARE(form->windowTitle(),
                 QStringLiteral("Editeur de linéarisation - courbe d'après des mesures (modifiée)"));
        questions.clear();
        QTest::mouseClick(form->Btn_New, Qt::LeftButton);
        QTest::mouseClick(form->Btn_RD, Qt::LeftButton);
        QTest::mouseClick(form->Btn_Load, Qt::LeftButton);
        form->close();
        QCOMPARE(questions, (QStringList{discard, discard, discard, discard}));
        QCOMPARE(device.reads, 0);
        QVERIFY(user.titles.isEmpty()); // no file dialog
        QVERIFY(form->isVisible());
        QCOMPARE(form->curve()[2].X, 45.0f);
        yes = true;
        form->close();
        QVERIFY(!form->isVisible());
        QCOMPARE(form->curve(), Five); // the changes dropped: the fitted curve again
        qv7::setQuestionHook({});
    }

    void transfers_go_through_the_device_and_show_the_transfer_window() {
        FakeDevice device;
        TXfertForm xfert;
        xfert.Progress()->setValue(40);
        form->setDevice(&device);
        form->setXfertForm(&xfert);
        QTest::mouseClick(form->Btn_RD, Qt::LeftButton);
        QCOMPARE(device.reads, 1);
        QVERIFY(xfert.isVisible());
        QCOMPARE(xfert.Progress()->value(), 0);
        xfert.close();
        device.accept = false; // refused: nothing shown
        QTest::mouseClick(form->Btn_WR, Qt::LeftButton);
        QCOMPARE(device.sends, 1);
        QVERIFY(!xfert.isVisible());
        device.accept = true;
        QTest::mouseClick(form->Btn_WR, Qt::LeftButton);
        QVERIFY(xfert.isVisible());
    }

    void transfer_window_stays_usable_over_the_modal_editor() {
        FakeDevice device;
        TXfertForm xfert;
        form->setDevice(&device);
        form->setXfertForm(&xfert);
        form->hide();
        BlockWatch watch;
        xfert.installEventFilter(&watch);
        bool usable = false;
        QTimer::singleShot(0, form.get(), [&] {
            QTest::mouseClick(form->Btn_RD, Qt::LeftButton);
            QCoreApplication::processEvents();
            usable = xfert.isVisible() && !watch.blocked;
            form->close();
        });
        form->exec();
        QVERIFY(usable);
    }

    void a_curve_replaced_while_closed_leaves_the_focus_alone() {
        form->Btn_Quit->setFocus();
        QTest::mouseClick(form->Btn_Quit, Qt::LeftButton);
        QVERIFY(!form->isVisible());
        form->setCurve(Curve{{0, 0}, {50, 50}, {100, 0}});
        QCOMPARE(grid()->Cells(2, 3), QStringLiteral("0.00"));
        QCOMPARE(form->focusWidget(), static_cast<QWidget*>(form->Btn_Quit));
    }
};

QV7_DRAW_TEST_MAIN(TestDessin)
#include "tst_Dessin.moc"
