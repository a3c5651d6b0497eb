// TStatusText: the status line's one text. A text wider than the line is cut with "…" where it
// ends, and the whole of it is its tooltip, so nothing the line says is lost at the window's fixed
// size; text() is always the whole text. Window thread.
#pragma once

#include <QLabel>

class TStatusText : public QLabel {
    Q_OBJECT
public:
    explicit TStatusText(QWidget* parent = nullptr);

    void setText(const QString& text);
    // The text as the line shows it: whole, or cut with "…" to the line's width.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    QSize minimumSizeHint() const override;

private:
    void updateTip();
};
