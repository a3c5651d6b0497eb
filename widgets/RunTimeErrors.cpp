#include "widgets/RunTimeErrors.h"

#include "widgets/Messages.h"

#include <QCoreApplication>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcUi, "qv7.ui")

namespace qv7 {

namespace {
int errorCount = 0;
}

QString errorText(const RunTimeError& error) {
    if (const auto* own = dynamic_cast<const WindowTextError*>(&error)) return own->windowText();
    if (error.messageTemplate() == nullptr) return QString::fromUtf8(error.what());
    const QString text = QCoreApplication::translate(error.context(), error.messageTemplate());
    return QString::fromStdString(fillTemplate(text.toStdString(), error.arguments()));
}

void reportRunTimeError(const RunTimeError& error) {
    // The action ends here; whatever it changed before the error keeps its new value.
    ++errorCount;
    qCInfo(lcUi) << "run-time error:" << error.what();
    showMessage(errorText(error));
}

int runTimeErrorCount() {
    return errorCount;
}

} // namespace qv7
