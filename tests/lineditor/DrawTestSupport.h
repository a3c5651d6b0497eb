// Shared by the plot control's tests: an application that ends a run-time error at the event loop
// and records its message (as the program's shows it in a message box), the editor's control, and
// pixel helpers on the backing image.
#pragma once

#include "base/Errors.h"
#include "lineditor/Draw.h"

#include <QApplication>
#include <QImage>
#include <QStringList>

class TestApplication : public QApplication {
public:
    using QApplication::QApplication;
    QStringList errors;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const qv7::RunTimeError& error) {
            errors << QString::fromUtf8(error.what());
            return false;
        }
    }
    static TestApplication* instance() { return static_cast<TestApplication*>(qApp); }
};

// Runs a Qt Test object under TestApplication.
#define QV7_DRAW_TEST_MAIN(TestObject)                                                                       \
    int main(int argc, char** argv) {                                                                        \
        TestApplication app(argc, argv);                                                                     \
        TestObject test;                                                                                     \
        return QTest::qExec(&test, argc, argv);                                                              \
    }

namespace drawtest {

inline const QRgb White = 0xFFFFFFFF;
inline const QRgb Black = 0xFF000000;
inline const QRgb Red = 0xFFFF0000;
inline const QRgb Blue = 0xFF0000FF;

// What the not-xor mode leaves where pen colour `pen` lands on `under`.
inline QRgb notXor(QRgb pen, QRgb under) {
    return ~(pen ^ under) | 0xFF000000u;
}

inline QRgb pixel(const TDraw& draw, int x, int y) {
    return draw.image().pixel(x, y);
}

// The editor's control: 409 x 401, default view and curve, NbMaxSegment 32, Clip true, after
// its first UpdateCurve.
inline void setUpEditorControl(TDraw& draw) {
    draw.resize(409, 401);
    draw.setClip(true);
    draw.setNbMaxSegment(32);
    draw.UpdateCurve();
}

// Sets the curve from a list of points and rebuilds.
inline void setCurve(TDraw& draw, std::initializer_list<TCurvePoint> points) {
    int i = 0;
    for (const TCurvePoint& p : points)
        draw.Points[i++] = p;
    draw.NbSegment = i - 1;
    draw.UpdateCurve();
}

} // namespace drawtest
