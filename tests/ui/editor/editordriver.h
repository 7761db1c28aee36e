#pragma once

#include "tests/support/fixedrandom.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/templibrary.h"
#include "ui/editor/editorwindow.h"

#include <QListWidget>
#include <QPointer>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <memory>

namespace quorvel::test {

// Drives an editor window as a user does: through its menus, lists and buttons, found by name.
// The library's files are written first, then open() creates the window on them.
class EditorDriver
{
public:
    TempLibrary lib;
    ScriptedDialogs dialogs;
    FixedRandom random;
    // The library the window works on, made by open().
    std::unique_ptr<LibraryDocument> document;

    // Creates and shows the window; false when it could not be exposed.
    bool open();
    // Drives a window created elsewhere (by the main window).
    void attach(EditorWindow *window) { m_window = window; }
    EditorWindow *window() const { return m_window; }

    template <typename T = QWidget> T *child(const QString &name) const
    {
        return m_window->findChild<T *>(name);
    }
    QListWidget *list(const QString &name) const { return child<QListWidget>(name); }

    // Chooses an entry of one of the pop-up menus, as a user would: the action must be in that
    // menu and enabled. The typed names are queued in dialogs.inputs beforehand.
    bool choose(const QString &menu, const QString &action);
    // Left click on the row with that text (selects it); false when no row shows it.
    bool select(const QString &listName, const QString &text);
    void clickRow(QListWidget *list, int row, Qt::MouseButton button = Qt::LeftButton);
    void doubleClickRow(QListWidget *list, int row);
    void clickButton(const QString &name);
    static QStringList texts(const QListWidget *list);

    ~EditorDriver();

private:
    QPointer<EditorWindow> m_window;
    bool m_owned = false;
};

// Shorthand for the library paths and texts of the tests.
inline QString s(const char16_t *text)
{
    return QString::fromUtf16(text);
}
// How the system words an error without a phrase of the program's own (in the test's locale).
inline QString systemCause(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}
inline QByteArray g(const char16_t *text)
{
    return gbk(QString::fromUtf16(text)).toGbk();
}

} // namespace quorvel::test
