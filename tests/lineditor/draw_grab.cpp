// Draws the curve plot control to a PNG file, to look at it:
//   QT_QPA_PLATFORM=offscreen qv7_draw_grab <file.png>
// The editor's 409 x 401 control (handles on) with the default view, a seven-point curve, point 3
// selected and the cross on the curve at X = 70.
#include "lineditor/Draw.h"
#include "widgets/WindowLook.h"

#include <QApplication>
#include <QSaveFile>
#include <QTextStream>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    qv7::applyWindowFont(app);
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("draw.png");

    TDraw draw;
    draw.resize(409, 401);
    draw.setClip(true);
    draw.setNbMaxSegment(32);
    const TCurvePoint curve[] = {{0, 0}, {12, 4}, {30, 18}, {48, 41}, {65, 63}, {82, 86}, {100, 100}};
    for (int i = 0; i < 7; ++i)
        draw.Points[i] = curve[i];
    draw.NbSegment = 6;
    draw.Selected = 3;
    draw.UpdateCurve();
    // The cross at X = 70, as a double click there puts it.
    draw.SetCursorAt(draw.WorldToPixel(70, 0).x, 0);
    // The selected point's text, as the grid's selection shows it (UpdateCurve paints it last).
    draw.Paint();
    draw.show();
    QApplication::processEvents();
    const QImage image = draw.grab().toImage();

    QSaveFile file(path);
    const bool ok = file.open(QIODevice::WriteOnly) && image.save(&file, "PNG") && file.commit();
    if (!ok) QTextStream(stderr) << "could not write " << path << "\n";
    return ok ? 0 : 1;
}
