// Tled: the 16 x 16 signal lamp of the main window (on or off, red or green), drawn from one of
// four bitmaps of the resources. Window thread only.
#pragma once

#include <QString>
#include <QWidget>

enum class TLedKind { Red = 0, Green = 1 };

class Tled : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool LedStatus READ LedStatus WRITE setLedStatus)
    Q_PROPERTY(int Kind READ kindValue WRITE setKindValue)

public:
    explicit Tled(QWidget* parent = nullptr);

    bool LedStatus() const { return status_; }
    // Stores a new state and repaints at once; the same state again changes nothing.
    void setLedStatus(bool on);

    TLedKind Kind() const { return kind_; }
    // Stores a new colour and repaints at once; the same colour again changes nothing.
    void setKind(TLedKind kind);

    // The resource name of the lamp image for a state and a colour ("LEDVON", "LEDROFF", ...).
    static QString bitmapName(bool on, TLedKind kind);

    // Test seams: how many times the lamp was drawn, and the image drawn last (empty before).
    int paintCount() const { return paintCount_; }
    QString lastBitmap() const { return lastBitmap_; }

    QSize sizeHint() const override { return {16, 16}; }

signals:
    void clicked();       // OnClick
    void doubleClicked(); // OnDblClick

protected:
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    int kindValue() const { return static_cast<int>(kind_); }
    void setKindValue(int kind) { setKind(kind == 1 ? TLedKind::Green : TLedKind::Red); }
    void repaintNow();

    bool status_ = false;
    TLedKind kind_ = TLedKind::Red;
    bool drawn_ = false;
    bool pressed_ = false;
    int paintCount_ = 0;
    QString lastBitmap_;
};
