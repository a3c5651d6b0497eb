// Draws the small windows (the about box in French and English) and the four lamps to PNG files:
//   QT_QPA_PLATFORM=offscreen qv7_grabs <directory> [glyphs]
// "glyphs" also writes glyphs.png with the logo and button glyphs, enlarged.
#include "app/About.h"
#include "app/Language.h"
#include "app/Select.h"
#include "widgets/Bitmaps.h"
#include "widgets/Led.h"
#include "widgets/WindowLook.h"
#include "widgets/Xfert.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QProgressBar>
#include <QSaveFile>
#include <QTextStream>

namespace {

bool save(const QImage& image, const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG")) return false;
    return file.commit();
}

QImage grabShown(QWidget& window) {
    window.show();
    QApplication::processEvents();
    QImage image = window.grab().toImage();
    window.hide();
    return image;
}

QImage lamps() {
    QWidget panel;
    panel.setFixedSize(4 * 24 + 8, 24);
    panel.setAutoFillBackground(true);
    QPalette look = panel.palette();
    look.setColor(QPalette::Window, QColor(240, 240, 240));
    panel.setPalette(look);
    const bool states[] = {true, false, true, false};
    const TLedKind kinds[] = {TLedKind::Green, TLedKind::Green, TLedKind::Red, TLedKind::Red};
    for (int i = 0; i < 4; ++i) {
        auto* led = new Tled(&panel);
        led->move(8 + 24 * i, 4);
        led->setKind(kinds[i]);
        led->setLedStatus(states[i]);
    }
    // Enlarged four times, pixel for pixel, so the lamps can be told apart.
    const QImage actual = grabShown(panel);
    return actual.scaled(actual.size() * 4);
}

QImage glyphs() {
    const char* names[] = {qv7::LogoBitmap, qv7::ScanGlyph, qv7::LoadGlyph, qv7::SaveGlyph, qv7::UnlockGlyph};
    QImage sheet(5 * 72, 40, QImage::Format_ARGB32);
    sheet.fill(QColor(240, 240, 240));
    QPainter painter(&sheet);
    int x = 4;
    for (const char* name : names) {
        const QImage image = qv7::loadTransparentBitmap(QString::fromLatin1(name));
        painter.drawImage(x, 4, image);
        x += 72;
    }
    painter.end();
    return sheet.scaled(sheet.size() * 4);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    qv7::applyWindowFont(app);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QTextStream err(stderr);

    TAboutBox about;
    TXfertForm xfert;
    xfert.Progress()->setValue(40);
    TSelectForm select;
    for (int k = 1; k <= 3; ++k)
        select.addItem(QStringLiteral("USB N°") + QString::number(k));
    select.setItemIndex(0);

    bool ok = save(grabShown(about), dir + QStringLiteral("/about.png"));
    ok = save(grabShown(xfert), dir + QStringLiteral("/xfert.png")) && ok;
    ok = save(grabShown(select), dir + QStringLiteral("/select.png")) && ok;
    ok = save(lamps(), dir + QStringLiteral("/leds.png")) && ok;
    // The about box again in English, its language choice showing it.
    qv7::setLanguage(qv7::Language::English);
    QApplication::processEvents();
    ok = save(grabShown(about), dir + QStringLiteral("/about-en.png")) && ok;
    qv7::setLanguage(qv7::Language::French);
    if (argc > 2 && QString::fromLocal8Bit(argv[2]) == QStringLiteral("glyphs")) {
        ok = save(glyphs(), dir + QStringLiteral("/glyphs.png")) && ok;
    }
    if (!ok) err << "could not write the pictures to " << dir << "\n";
    return ok ? 0 : 1;
}
