#include "widgets/DecimalSeparator.h"

#include <QLocale>

#include <optional>

namespace qv7 {

namespace {
// Read on first use rather than at static initialisation, so the locale the program set is seen.
std::optional<QChar>& separator() {
    static std::optional<QChar> value;
    return value;
}
} // namespace

QChar systemDecimalSeparator() {
    const QString point = QLocale::system().decimalPoint();
    return point.isEmpty() ? QChar(u'.') : point.front();
}

QChar decimalSeparator() {
    if (!separator()) separator() = systemDecimalSeparator();
    return *separator();
}

void setDecimalSeparator(QChar value) {
    separator() = value;
}

} // namespace qv7
