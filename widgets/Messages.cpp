#include "widgets/Messages.h"

#include <QApplication>
#include <QMessageBox>

#include <utility>

namespace qv7 {

namespace {
MessageHook& messageHook() {
    static MessageHook hook;
    return hook;
}
QuestionHook& questionHook() {
    static QuestionHook hook;
    return hook;
}
} // namespace

void showMessage(const QString& text) {
    if (messageHook()) return messageHook()(text);
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

bool askYesNo(const QString& title, const QString& text) {
    if (questionHook()) return questionHook()(title, text);
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

MessageHook setMessageHook(MessageHook hook) {
    return std::exchange(messageHook(), std::move(hook));
}

QuestionHook setQuestionHook(QuestionHook hook) {
    return std::exchange(questionHook(), std::move(hook));
}

} // namespace qv7
