// Draws a sheet of seven-segment displays to a PNG file, to look at them:
//   QT_QPA_PLATFORM=offscreen qv7_seg_picture docs/seg.png
// Both styles side by side: SEGAFF-like 4 digits with half digit (a value with a point, a negative
// value with the half-digit bar, "dEP"), 4 digits, and SEGMod-like 1 digit. Enlarged twice, pixel
// for pixel.
#include "widgets/SEGMENTS.h"
#include "widgets/WindowLook.h"

#include <QApplication>
#include <QLabel>
#include <QSaveFile>
#include <QTextStream>

namespace {

struct Row {
    const char* text;
    int nbDigit;
    bool half;
    int nb;
    int point;
};

const Row rows[] = {
    {"4½ digits, 12345, point 2 (123.45)", 4, true, 12345, 2},
    {"4½ digits, -19999, point 1 (-1999.9)", 4, true, -19999, 1},
    {"4½ digits, -5", 4, true, -5, 0},
    {"4½ digits, 20000: dEP", 4, true, 20000, 2},
    {"4 digits, -999", 4, false, -999, 0},
    {"4 digits, 5, point 2 (0.05)", 4, false, 5, 2},
    {"4 digits, 10000: dEP", 4, false, 10000, 0},
    {"1 digit, 7", 1, false, 7, 0},
    {"1 digit, -1: empty", 1, false, -1, 0},
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    qv7::applyWindowFont(app);
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("seg.png");

    constexpr int rowHeight = 60;
    constexpr int labelWidth = 230;
    QWidget sheet;
    sheet.setFixedSize(labelWidth + 2 * 210, 24 + int(std::size(rows)) * rowHeight);
    sheet.setAutoFillBackground(true);
    QPalette look = sheet.palette();
    look.setColor(QPalette::Window, QColor(240, 240, 240));
    sheet.setPalette(look);
    auto* led = new QLabel(QStringLiteral("LED"), &sheet);
    led->move(labelWidth, 4);
    auto* lcd = new QLabel(QStringLiteral("LCD"), &sheet);
    lcd->move(labelWidth + 210, 4);
    int y = 24;
    for (const Row& row : rows) {
        auto* label = new QLabel(QString::fromUtf8(row.text), &sheet);
        label->setGeometry(8, y, labelWidth - 8, 52);
        int x = labelWidth;
        for (TStyle style : {TStyle::LED, TStyle::LCD}) {
            auto* seg = new TSEG(&sheet);
            seg->setNbDigit(row.nbDigit);
            seg->setHalfDigit(row.half);
            seg->setNb(row.nb);
            seg->setPointDecimal(row.point);
            seg->setStyle(style);
            seg->move(x, y);
            x += 210;
        }
        y += rowHeight;
    }
    sheet.show();
    QApplication::processEvents();
    const QImage image = sheet.grab().toImage();
    const QImage enlarged = image.scaled(image.size() * 2);

    QSaveFile file(path);
    const bool ok = file.open(QIODevice::WriteOnly) && enlarged.save(&file, "PNG") && file.commit();
    if (!ok) QTextStream(stderr) << "could not write " << path << "\n";
    return ok ? 0 : 1;
}
