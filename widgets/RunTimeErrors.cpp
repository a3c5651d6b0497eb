#include "widgets/RunTimeErrors.h"

#include "widgets/Messages.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcUi, "qv7.ui")

namespace qv7 {

namespace {
int errorCount = 0;
}

void reportRunTimeError(const RunTimeError& error) {
    // The action ends here; whatever it changed before the error keeps its new value.
    ++errorCount;
    qCInfo(lcUi) << "run-time error:" << error.what();
    showMessage(QString::fromUtf8(error.what()));
}

int runTimeErrorCount() {
    return errorCount;
}

} // namespace qv7
