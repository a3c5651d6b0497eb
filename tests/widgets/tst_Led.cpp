// The signal lamp: which bitmap each state draws, repaints only on a change, transparency of
// the silver corners, and its clicks.
#include "widgets/Bitmaps.h"
#include "widgets/Led.h"

#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(TLedKind)

class TestLed : public QObject {
    Q_OBJECT

private:
    // A lamp on a blue parent, shown, so that repaints really draw.
    struct Shown {
        QWidget parent;
        Tled* led;
        Shown() : led(new Tled(&parent)) {
            parent.resize(48, 48);
            parent.setAutoFillBackground(true);
            QPalette look = parent.palette();
            look.setColor(QPalette::Window, QColor(0, 0, 255));
            parent.setPalette(look);
            led->move(16, 16);
            parent.show();
        }
    };

private slots:
    void starts_red_off_and_sixteen_pixels_square() {
        Tled led;
        QCOMPARE(led.LedStatus(), false);
        QCOMPARE(led.Kind(), TLedKind::Red);
        QCOMPARE(led.size(), QSize(16, 16));
        QCOMPARE(led.property("Kind").toInt(), 0);
    }

    void bitmap_follows_state_and_kind_data() {
        QTest::addColumn<bool>("on");
        QTest::addColumn<TLedKind>("kind");
        QTest::addColumn<QString>("bitmap");
        QTest::newRow("green on") << true << TLedKind::Green << "LEDVON";
        QTest::newRow("red on") << true << TLedKind::Red << "LEDRON";
        QTest::newRow("green off") << false << TLedKind::Green << "LEDVOFF";
        QTest::newRow("red off") << false << TLedKind::Red << "LEDROFF";
    }
    void bitmap_follows_state_and_kind() {
        QFETCH(bool, on);
        QFETCH(TLedKind, kind);
        QFETCH(QString, bitmap);
        QCOMPARE(Tled::bitmapName(on, kind), bitmap);
        Shown shown;
        QVERIFY(QTest::qWaitForWindowExposed(&shown.parent));
        // Switch through the other state first so that both setters really change something.
        shown.led->setLedStatus(!on);
        shown.led->setKind(kind == TLedKind::Red ? TLedKind::Green : TLedKind::Red);
        shown.led->setKind(kind);
        shown.led->setLedStatus(on);
        QCOMPARE(shown.led->lastBitmap(), bitmap);
    }

    void every_lamp_bitmap_is_a_16_pixel_resource_with_silver_background() {
        for (const char* name : {"LEDVON", "LEDVOFF", "LEDRON", "LEDROFF"}) {
            const QImage raw(QStringLiteral(":/") + QLatin1String(name));
            QVERIFY2(!raw.isNull(), name);
            QCOMPARE(raw.size(), QSize(16, 16));
            QCOMPARE(raw.pixelColor(0, 15), QColor(192, 192, 192));
        }
    }

    void lit_lamps_show_their_bright_colour_and_dark_ones_their_dark_core() {
        auto holds = [](const char* name, QColor colour) {
            const QImage image(QStringLiteral(":/") + QLatin1String(name));
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (image.pixelColor(x, y) == colour) return true;
            return false;
        };
        QVERIFY(holds("LEDVON", QColor(0, 255, 0)));
        QVERIFY(holds("LEDRON", QColor(255, 0, 0)));
        QVERIFY(holds("LEDVOFF", QColor(0, 128, 0)));
        QVERIFY(holds("LEDROFF", QColor(128, 0, 0)));
        QVERIFY(!holds("LEDVOFF", QColor(0, 255, 0)));
        QVERIFY(!holds("LEDROFF", QColor(255, 0, 0)));
    }

    void same_value_again_causes_no_repaint() {
        Shown shown;
        QVERIFY(QTest::qWaitForWindowExposed(&shown.parent));
        shown.led->setLedStatus(true);
        const int painted = shown.led->paintCount();
        QVERIFY(painted > 0);
        shown.led->setLedStatus(true);
        shown.led->setKind(TLedKind::Red);
        QCOMPARE(shown.led->paintCount(), painted);
    }

    void a_change_repaints_at_once() {
        Shown shown;
        QVERIFY(QTest::qWaitForWindowExposed(&shown.parent));
        const int painted = shown.led->paintCount();
        shown.led->setKind(TLedKind::Green);
        QCOMPARE(shown.led->paintCount(), painted + 1);
        QCOMPARE(shown.led->lastBitmap(), QStringLiteral("LEDVOFF"));
        shown.led->setLedStatus(true);
        QCOMPARE(shown.led->paintCount(), painted + 2);
        QCOMPARE(shown.led->lastBitmap(), QStringLiteral("LEDVON"));
    }

    void switching_kind_to_red_while_on_shows_ledron_and_keeps_it_on() {
        Shown shown;
        QVERIFY(QTest::qWaitForWindowExposed(&shown.parent));
        shown.led->setKind(TLedKind::Green);
        shown.led->setLedStatus(true);
        QCOMPARE(shown.led->lastBitmap(), QStringLiteral("LEDVON"));
        shown.led->setKind(TLedKind::Red);
        QCOMPARE(shown.led->lastBitmap(), QStringLiteral("LEDRON"));
        QCOMPARE(shown.led->LedStatus(), true);
    }

    void a_hidden_lamp_draws_nothing_but_keeps_its_state() {
        Shown shown;
        QVERIFY(QTest::qWaitForWindowExposed(&shown.parent));
        shown.led->hide();
        const int painted = shown.led->paintCount();
        shown.led->setLedStatus(true);
        QCOMPARE(shown.led->paintCount(), painted);
        QCOMPARE(shown.led->LedStatus(), true);
        shown.led->show();
        shown.led->repaint();
        QCOMPARE(shown.led->lastBitmap(), QStringLiteral("LEDRON"));
    }

    void silver_corners_let_the_parent_show_through() {
        Shown shown;
        QVERIFY(QTest::qWaitForWindowExposed(&shown.parent));
        shown.led->setKind(TLedKind::Green);
        shown.led->setLedStatus(true);
        const QImage picture = shown.parent.grab().toImage();
        QCOMPARE(picture.pixelColor(16, 16), QColor(0, 0, 255));
        QCOMPARE(picture.pixelColor(31, 31), QColor(0, 0, 255));
        // The middle of the lamp is drawn, not the parent.
        QVERIFY(picture.pixelColor(24, 24) != QColor(0, 0, 255));
    }

    void transparent_loading_clears_only_the_bottom_left_colour() {
        const QImage raw(QStringLiteral(":/LEDVON"));
        const QImage clear = qv7::loadTransparentBitmap(QStringLiteral("LEDVON"));
        const QColor key = raw.pixelColor(0, raw.height() - 1);
        for (int y = 0; y < raw.height(); ++y) {
            for (int x = 0; x < raw.width(); ++x) {
                const bool background = raw.pixelColor(x, y) == key;
                QCOMPARE(qAlpha(clear.pixel(x, y)) == 0, background);
            }
        }
        QVERIFY(qv7::loadTransparentBitmap(QStringLiteral("NO_SUCH_BITMAP")).isNull());
    }

    void click_and_double_click_are_reported() {
        Shown shown;
        QSignalSpy clicked(shown.led, &Tled::clicked);
        QSignalSpy doubled(shown.led, &Tled::doubleClicked);
        QTest::mouseClick(shown.led, Qt::LeftButton, {}, QPoint(8, 8));
        QCOMPARE(clicked.count(), 1);
        // Only a left press and its release on the lamp make a click: not a release alone, nor one
        // that ends outside, nor the right button.
        QTest::mouseRelease(shown.led, Qt::LeftButton, {}, QPoint(8, 8));
        QTest::mousePress(shown.led, Qt::LeftButton, {}, QPoint(8, 8));
        QTest::mouseRelease(shown.led, Qt::LeftButton, {}, QPoint(20, 8));
        QTest::mouseClick(shown.led, Qt::RightButton, {}, QPoint(8, 8));
        QCOMPARE(clicked.count(), 1);
        QTest::mouseDClick(shown.led, Qt::LeftButton, {}, QPoint(8, 8));
        QCOMPARE(doubled.count(), 1);
    }

    void a_lamp_never_drawn_asks_no_repaint_of_its_parent() {
        struct PaintCounter : QObject {
            int paints = 0;
            bool eventFilter(QObject*, QEvent* event) override {
                paints += event->type() == QEvent::Paint ? 1 : 0;
                return false;
            }
        } counter;
        QWidget parent;
        parent.resize(48, 48);
        auto* led = new Tled(&parent);
        led->hide();
        parent.installEventFilter(&counter);
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        QCoreApplication::processEvents();
        const int before = counter.paints;
        led->setLedStatus(true);
        QCoreApplication::processEvents();
        QCOMPARE(counter.paints, before);
        QCOMPARE(led->paintCount(), 0);
    }
};

QTEST_MAIN(TestLed)
#include "tst_Led.moc"
