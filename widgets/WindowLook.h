// The look shared by the tool's windows: their font and their place on the screen.
// The windows are laid out in pixels for a Windows sans-serif face 11 pixels high, which Linux
// lacks; DejaVu Sans at 11 pixels keeps their texts inside the same boxes. Window thread only.
#pragma once

#include <QFont>

class QAbstractButton;
class QApplication;
class QWidget;

namespace qv7 {

// The windows' font: DejaVu Sans (or the system sans-serif in its absence), 11 pixels.
QFont windowFont();

// The about box's maker name: a bold serif 21 pixels high.
QFont makerFont();

// Makes windowFont() the application's default font, so message boxes and dialogs share it.
void applyWindowFont(QApplication& app);

// Keeps a button's text whole at its fixed width: where this platform's sans-serif face runs wider
// than the face the window was drawn for, the button takes the condensed cut of the same face.
void fitText(QAbstractButton& button);

// Moves the top-level `window` to the middle of the available area of its screen.
void centreOnScreen(QWidget& window);

} // namespace qv7
