// TEditCommands: what the main window offers on the pages' edits without a button of its own: undo
// (Ctrl+Z), redo (Ctrl+Shift+Z, Ctrl+Y), the differences window (Ctrl+D) and the return to the
// indicator's values, all also in the pages' context menu; and the question before changes not
// written are dropped. Window thread only.
#pragma once

#include <QObject>

#include <functional>

class QKeyEvent;
class QMenu;
class QPoint;
class TSession;

class TEditCommands : public QObject {
    Q_OBJECT
public:
    // `differences` opens the differences window; `allowed` says whether the pages take edits now.
    TEditCommands(TSession& session, std::function<void()> differences, std::function<bool()> allowed,
                  QObject* parent = nullptr);

    // Runs the command of a key, if it is one: true when the key was taken.
    bool keyPressed(const QKeyEvent& event);
    // The context menu's commands, each enabled when it can run; the caller shows and frees it.
    QMenu* menu(QWidget* parent);
    // Shows that menu where a user asks for a context menu on `holder` (and on its children that
    // have none of their own).
    void offerMenuOn(QWidget* holder);
    // True when nothing unwritten would be lost, or the user agreed to lose it ("Abandonner 3
    // modifications ?", No by default).
    bool confirmDiscard() const;

private:
    TSession& session_;
    std::function<void()> differences_;
    std::function<bool()> allowed_;
};
