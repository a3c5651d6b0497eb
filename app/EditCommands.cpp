#include "app/EditCommands.h"

#include "app/Session.h"
#include "widgets/Messages.h"

#include <QKeyEvent>
#include <QMenu>

TEditCommands::TEditCommands(TSession& session, std::function<void()> differences,
                             std::function<bool()> allowed, QObject* parent)
    : QObject(parent), session_(session), differences_(std::move(differences)), allowed_(std::move(allowed)) {
}

bool TEditCommands::keyPressed(const QKeyEvent& event) {
    const Qt::KeyboardModifiers modifiers =
        event.modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    const bool control = modifiers == Qt::ControlModifier;
    const bool controlShift = modifiers == (Qt::ControlModifier | Qt::ShiftModifier);
    const bool undo = control && event.key() == Qt::Key_Z;
    const bool redo = (controlShift && event.key() == Qt::Key_Z) || (control && event.key() == Qt::Key_Y);
    const bool differences = control && event.key() == Qt::Key_D;
    if (!undo && !redo && !differences) return false;
    // A field's own undo would only know its own text: the window's history covers every page.
    if (!allowed_()) return true;
    if (undo) session_.undo();
    if (redo) session_.redo();
    if (differences) differences_();
    return true;
}

QMenu* TEditCommands::menu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("EditMenu"));
    const bool allowed = allowed_();
    QAction* undo = menu->addAction(tr("Annuler"), [this] { session_.undo(); });
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    undo->setEnabled(allowed && session_.canUndo());
    QAction* redo = menu->addAction(tr("Rétablir"), [this] { session_.redo(); });
    redo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    redo->setEnabled(allowed && session_.canRedo());
    QAction* revert =
        menu->addAction(tr("Revenir aux valeurs de l'indicateur"), [this] { session_.revert(); });
    revert->setObjectName(QStringLiteral("ActRevert"));
    revert->setEnabled(allowed && session_.changeCount() > 0);
    menu->addSeparator();
    QAction* differences = menu->addAction(tr("Différences…"), [this] { differences_(); });
    differences->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    differences->setEnabled(allowed);
    return menu;
}

void TEditCommands::offerMenuOn(QWidget* holder) {
    holder->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(holder, &QWidget::customContextMenuRequested, this, [this, holder](const QPoint& at) {
        QMenu* shown = menu(holder->window());
        shown->setAttribute(Qt::WA_DeleteOnClose);
        shown->popup(holder->mapToGlobal(at));
    });
}

bool TEditCommands::confirmDiscard() const {
    const int count = session_.changeCount();
    if (count == 0) return true;
    const QString question =
        count == 1 ? tr("Abandonner 1 modification ?") : tr("Abandonner %1 modifications ?").arg(count);
    return qv7::askYesNo(tr("Modifications non écrites"), question);
}
