// TSEG: the seven-segment display of the parameter pages. An integer drawn the way the
// indicator's front panel shows it: slanted digits, an optional leading half digit, a decimal
// point, a minus sign, "dEP" when the value does not fit. Drawn with lines and one ellipse, no
// anti-aliasing; fixed size from the digit layout; takes no keyboard input. Window thread only.
#pragma once

#include <QColor>
#include <QPoint>
#include <QWidget>

class QMenu;
class QPainter;

enum class TStyle { LCD = 0, LED = 1 };

// Holds the state and draws it; TSEG makes the properties available.
class TCustomSeg : public QWidget {
    Q_OBJECT

public:
    explicit TCustomSeg(QWidget* parent = nullptr);

    // One entry of the segment table: a key (character code minus 48) and its segment mask.
    struct SegmentEntry {
        int key;
        int mask;
    };
    static constexpr int TableSize = 14;
    static const SegmentEntry SegmentTable[TableSize];

    // The mask of a key: linear search in table order, the first equal key wins, unknown gives 0.
    static int maskOf(int key);
    // The size the digit layout fixes: NbDigit x 40 + 14 (+ 20 with half digit) by 52.
    static QSize layoutSize(int nbDigit, bool halfDigit);
    // The values that fit the display: lowest and highest.
    static qint64 lowest(int nbDigit, bool halfDigit);
    static qint64 highest(int nbDigit, bool halfDigit);
    // Background and segment pen colour of a style.
    static QColor backgroundColour(TStyle style);
    static QColor segmentColour(TStyle style);
    static constexpr int PenWidth = 4;

    // The optional popup menu shown on a right click (PopupMenu); not owned.
    QMenu* PopupMenu() const { return popupMenu_; }
    void setPopupMenu(QMenu* menu) { popupMenu_ = menu; }

    // Test seam: how many times the control was drawn.
    int paintCount() const { return paintCount_; }

    QSize sizeHint() const override { return layoutSize(nbDigit_, halfDigit_); }
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void clicked();                     // OnClick
    void doubleClicked();               // OnDblClick
    void contextPopup(QPoint position); // OnContextPopup, before the popup menu

protected:
    int Nb() const { return nb_; }
    void setNb(int value);
    int PointDecimal() const { return pointDecimal_; }
    void setPointDecimal(int value);
    TStyle Style() const { return style_; }
    void setStyle(TStyle value);
    int NbDigit() const { return nbDigit_; }
    void setNbDigit(int value);
    bool HalfDigit() const { return halfDigit_; }
    void setHalfDigit(bool value);

    // Applies the fixed size of the digit layout.
    void UpdateSize();
    // Draws the segments of a key's mask in the cell with origin (x, y).
    void DrawDigit(QPainter& painter, int key, int x, int y) const;

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void repaintNow();

    int nb_ = 0;
    int pointDecimal_ = 0;
    TStyle style_ = TStyle::LED;
    int nbDigit_ = 4;
    bool halfDigit_ = false;
    bool pressed_ = false;
    bool sizing_ = false;
    int paintCount_ = 0;
    QMenu* popupMenu_ = nullptr;
};

class TSEG : public TCustomSeg {
    Q_OBJECT
    Q_PROPERTY(int Nb READ Nb WRITE setNb)
    Q_PROPERTY(int PointDecimal READ PointDecimal WRITE setPointDecimal)
    Q_PROPERTY(int Style READ styleValue WRITE setStyleValue)
    Q_PROPERTY(int NbDigit READ NbDigit WRITE setNbDigit)
    Q_PROPERTY(bool HalfDigit READ HalfDigit WRITE setHalfDigit)

public:
    explicit TSEG(QWidget* parent = nullptr);

    // The setters store a new value only when it differs and then repaint at once; NbDigit
    // accepts only 1 ... 8; NbDigit and HalfDigit snap the size to the digit layout.
    int Nb() const { return TCustomSeg::Nb(); }
    void setNb(int value) { TCustomSeg::setNb(value); }
    int PointDecimal() const { return TCustomSeg::PointDecimal(); }
    void setPointDecimal(int value) { TCustomSeg::setPointDecimal(value); }
    TStyle Style() const { return TCustomSeg::Style(); }
    void setStyle(TStyle value) { TCustomSeg::setStyle(value); }
    int NbDigit() const { return TCustomSeg::NbDigit(); }
    void setNbDigit(int value) { TCustomSeg::setNbDigit(value); }
    bool HalfDigit() const { return TCustomSeg::HalfDigit(); }
    void setHalfDigit(bool value) { TCustomSeg::setHalfDigit(value); }

private:
    int styleValue() const { return static_cast<int>(Style()); }
    void setStyleValue(int value) { setStyle(value == 0 ? TStyle::LCD : TStyle::LED); }
};
