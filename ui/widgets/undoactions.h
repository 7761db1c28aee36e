#pragma once

#include <QObject>

class QAction;
class QWidget;

namespace quorvel {

class Dialogs;
class LibraryDocument;

// 撤销 and 重做 of the library's commands, for one window: Ctrl+Z, and Ctrl+Shift+Z or Ctrl+Y,
// while the window is active. Their texts name the step they undo or redo ("撤销 删除元素「天气」")
// and they are enabled only while there is one. A text box with the focus keeps the same keys for
// its own typing. A step the disk refuses is told, with its cause.
class UndoActions : public QObject
{
    Q_OBJECT

public:
    UndoActions(LibraryDocument &document, Dialogs &dialogs, QWidget *window);

    QAction *undo() const { return m_undo; }
    QAction *redo() const { return m_redo; }

private:
    void undoStep();
    void redoStep();
    void showState();

    LibraryDocument &m_document;
    Dialogs &m_dialogs;
    QAction *m_undo = nullptr;
    QAction *m_redo = nullptr;
};

} // namespace quorvel
