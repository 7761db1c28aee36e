#include "ui/widgets/undoactions.h"

#include "library/librarydocument.h"
#include "platform/dialogs.h"
#include "ui/widgets/librarymessages.h"

#include <QAction>
#include <QWidget>

namespace quorvel {

UndoActions::UndoActions(LibraryDocument &document, Dialogs &dialogs, QWidget *window)
    : QObject(window), m_document(document), m_dialogs(dialogs)
{
    m_undo = new QAction(window);
    m_undo->setObjectName(QStringLiteral("undoLibrary"));
    m_undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_redo = new QAction(window);
    m_redo->setObjectName(QStringLiteral("redoLibrary"));
    m_redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    for (QAction *action : {m_undo, m_redo}) {
        action->setShortcutContext(Qt::WindowShortcut);
        window->addAction(action);
    }
    connect(m_undo, &QAction::triggered, this, &UndoActions::undoStep);
    connect(m_redo, &QAction::triggered, this, &UndoActions::redoStep);
    connect(&document.undoStack(), &QUndoStack::indexChanged, this, &UndoActions::showState);
    showState();
}

void UndoActions::undoStep()
{
    if (const FileResult undone = m_document.undo(); !undone)
        m_dialogs.message(withCause(
            QString::fromUtf16(messages::UndoFailed) + m_document.undoStack().undoText(), undone));
}

void UndoActions::redoStep()
{
    if (const FileResult redone = m_document.redo(); !redone)
        m_dialogs.message(withCause(
            QString::fromUtf16(messages::RedoFailed) + m_document.undoStack().redoText(), redone));
}

void UndoActions::showState()
{
    const QUndoStack &stack = m_document.undoStack();
    const auto named = [](const char16_t *verb, const QString &step) {
        return step.isEmpty() ? QString::fromUtf16(verb) : QString::fromUtf16(verb) + u' ' + step;
    };
    m_undo->setText(named(u"撤销", stack.undoText()));
    m_undo->setEnabled(stack.canUndo());
    m_redo->setText(named(u"重做", stack.redoText()));
    m_redo->setEnabled(stack.canRedo());
}

} // namespace quorvel
