// The pages' numbers in the window's decimal separator: after a language change, every masked
// edit that holds a decimal number shows it with the new separator, the same value. Window thread.
#pragma once

#include <QChar>

class QWidget;

namespace qv7::pages {

class TMaskEdit;

void showSeparator(QWidget* root, QChar separator);
// One edit; false when it holds no decimal number (left as it is).
bool showSeparator(TMaskEdit* edit, QChar separator);

} // namespace qv7::pages
