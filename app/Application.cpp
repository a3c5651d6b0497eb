#include "app/Application.h"

#include "app/Messages.h"
#include "widgets/WindowLook.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcUi, "qv7.ui")

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("qv7cfg"));
    setApplicationDisplayName(QStringLiteral("qv7cfg"));
    setApplicationVersion(QStringLiteral("1.03"));
    qv7::applyWindowFont(*this);
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const qv7::RunTimeError& error) {
        qv7::reportRunTimeError(error);
        return false;
    }
}

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
