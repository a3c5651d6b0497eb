#include "app/Application.h"

#include "widgets/WindowLook.h"

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
