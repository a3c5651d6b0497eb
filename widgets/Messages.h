// The plain message box of the window layer: a French text and an OK button. Every message to the
// user passes here, so tests can answer it in advance and read its text. Window thread.
#pragma once

#include <QString>

#include <functional>

namespace qv7 {

// Shows `text` in a modal message box with an OK button, or hands it to the hook when one is set.
void showMessage(const QString& text);

// Asks a yes/no question (No is the default); the hook, when set, answers instead of the user.
bool askYesNo(const QString& title, const QString& text);

using MessageHook = std::function<void(const QString& text)>;
using QuestionHook = std::function<bool(const QString& title, const QString& text)>;

// Tests: replace the boxes by hooks; an empty hook brings the boxes back. Return the previous hook.
MessageHook setMessageHook(MessageHook hook);
QuestionHook setQuestionHook(QuestionHook hook);

} // namespace qv7
