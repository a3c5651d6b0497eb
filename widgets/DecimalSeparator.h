// The process-wide decimal separator: one value for every window, used to format and parse the
// numbers the user sees and types. It starts as the system locale's decimal point and then follows
// the window's language (French ',', English '.'); .LIN files keep their own format and leave it
// alone. Window thread only.
#pragma once

#include <QChar>

namespace qv7 {

// The separator in force; the system locale's decimal point until someone sets another.
QChar decimalSeparator();
void setDecimalSeparator(QChar separator);

// The system locale's decimal point (what the separator starts as).
QChar systemDecimalSeparator();

} // namespace qv7
