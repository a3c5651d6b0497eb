// Draws the linearisation editor to PNG files, to look at it:
//   QT_QPA_PLATFORM=offscreen qv7_dessin_grab <directory>
// editor.png: a seven-point curve with point 3 selected in the grid; editor-zoom.png: the same after
// one zoom step of the bar around the cross moved to X = 56.
#include "lineditor/Dessin.h"
#include "lineditor/Draw.h"
#include "lineditor/StringGrid.h"
#include "widgets/WindowLook.h"

#include <QApplication>
#include <QDir>
#include <QSaveFile>
#include <QScrollBar>
#include <QTextStream>

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
    if (!ok) QTextStream(stderr) << "could not write the pictures to " << dir << "\n";
    return ok ? 0 : 1;
}
