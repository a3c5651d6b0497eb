// The short help F1 opens in the main window, in the window's language. Window thread.
#pragma once

class QString;
class QWidget;

namespace qv7 {

// The help text: the keys and what the window's buttons do.
QString helpText();
// Shows it in a message box over `parent`.
void showHelp(QWidget* parent);

} // namespace qv7
