#include "tests/ui/editor/editordriver.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QTest>

namespace quorvel::test {

bool EditorDriver::open()
{
    // The editor alone makes no folder: the program's entry has made them when it opens.
    document = std::make_unique<LibraryDocument>(lib.files, LibraryDocument::Opening::ReadOnly);
    m_window = new EditorWindow(*document, Services{lib.files, random, dialogs});
    m_owned = true;
    m_window->show();
    return QTest::qWaitForWindowExposed(m_window);
}

EditorDriver::~EditorDriver()
{
    if (m_owned)
        delete m_window;
}

bool EditorDriver::choose(const QString &menuName, const QString &actionName)
{
    const auto *menu = child<QMenu>(menuName);
    auto *action = menu ? menu->findChild<QAction *>(actionName) : nullptr;
    if (!action || !menu->actions().contains(action) || !action->isEnabled()) {
        qWarning("no enabled entry %s in menu %s", qPrintable(actionName), qPrintable(menuName));
        return false;
    }
    action->trigger();
    return true;
}

bool EditorDriver::select(const QString &listName, const QString &text)
{
    QListWidget *box = list(listName);
    const QList<QListWidgetItem *> found = box->findItems(text, Qt::MatchExactly);
    if (found.isEmpty())
        return false;
    clickRow(box, box->row(found.first()));
    return box->currentItem() == found.first();
}

void EditorDriver::clickRow(QListWidget *list, int row, Qt::MouseButton button)
{
    QTest::mouseClick(list->viewport(), button, {}, list->visualItemRect(list->item(row)).center());
}

void EditorDriver::doubleClickRow(QListWidget *list, int row)
{
    const QPoint at = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    // QTest sends the double-click event alone; a mouse sends press, release, double-click,
    // release.
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
}

void EditorDriver::clickButton(const QString &name)
{
    QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton);
}

QStringList EditorDriver::texts(const QListWidget *list)
{
    QStringList all;
    for (int row = 0; row < list->count(); ++row)
        all.append(list->item(row)->text());
    return all;
}

} // namespace quorvel::test
