// Draws the linearisation editor to PNG files, to look at it:
//   QT_QPA_PLATFORM=offscreen qv7_dessin_grab <directory>
// editor.png: a seven-point curve with point 3 selected in the grid; editor-zoom.png: the same after
// one zoom step of the bar around the cross moved to X = 56; editor-measures.png: the "Mesures…"
// dialog with a tank's measured volumes fitted with 8 points; editor-fitted.png: the editor after
// its "OK".
#include "lineditor/Dessin.h"
#include "lineditor/Draw.h"
#include "lineditor/Mesures.h"
#include "lineditor/StringGrid.h"
#include "widgets/WindowLook.h"

#include <QApplication>
#include <QDir>
#include <QSaveFile>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTextStream>
#include <cmath>

namespace {
bool save(QWidget& window, const QString& path) {
    QApplication::processEvents();
    const QImage image = window.grab().toImage();
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && image.save(&file, "PNG") && file.commit();
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    qv7::applyWindowFont(app);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();

    TDessinForm editor;
    editor.show();
    const std::vector<qv7::LinFilePoint> curve{{0, 0},   {12, 4},  {30, 18},  {48, 41},
                                               {65, 63}, {82, 86}, {100, 100}};
    editor.setCurve(curve);
    bool canSelect = false;
    editor.StringGrid1SelectCell(1, 4, canSelect);
    editor.StringGrid1->setCurrent(1, 4);
    editor.Draw1->SetCursorAt(editor.Draw1->WorldToPixel(48, 0).x, 0);
    editor.Draw1->Paint();
    bool ok = save(editor, dir + QStringLiteral("/editor.png"));

    // The zoom step centres on the cross: at X = 56, points 3 and 4 stay in view.
    editor.Draw1->SetCursorAt(editor.Draw1->WorldToPixel(56, 0).x, 0);
    editor.ZoomBar->setValue(1);
    ok = save(editor, dir + QStringLiteral("/editor-zoom.png")) && ok;

    // A horizontal tank gauged by hand: volume (%) against level (%), a little off the exact shape.
    QTemporaryDir scratch;
    QSaveFile table(scratch.filePath(QStringLiteral("tank.csv")));
    ok = table.open(QIODevice::WriteOnly) && ok;
    table.write("niveau;volume\n");
    for (int level = 0; level <= 100; level += 4) {
        const double theta = 2 * std::acos(1 - level / 50.0);
        const double volume =
            100 * (theta - std::sin(theta)) / (2 * M_PI) + (level % 8 ? 0.3 : -0.2) * (level % 100 != 0);
        table.write(QByteArray::number(level) + ';' + QByteArray::number(volume, 'f', 2).replace('.', ',') +
                    '\n');
    }
    ok = table.commit() && ok;
    TMesuresForm measures(&editor);
    measures.show();
    measures.SpinPoints->setValue(8);
    ok = measures.loadTable(scratch.filePath(QStringLiteral("tank.csv"))) && ok;
    ok = save(measures, dir + QStringLiteral("/editor-measures.png")) && ok;
    editor.Btn_C0Click();
    editor.setCurve(measures.curve());
    ok = save(editor, dir + QStringLiteral("/editor-fitted.png")) && ok;
    if (!ok) QTextStream(stderr) << "could not write the pictures to " << dir << "\n";
    return ok ? 0 : 1;
}
