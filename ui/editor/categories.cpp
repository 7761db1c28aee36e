// The category commands of both areas: a category is a list file (".l") in the area's folder,
// listed in the area's category box. Only the category file itself is touched: the entry list,
// the content box and the entries' content files stay as they are.
#include "ui/editor/editorwindow.h"

#include "library/librarycommand.h"
#include "ui/widgets/filebox.h"
#include "ui/widgets/librarymessages.h"
#include "ui/widgets/namelist.h"

#include <cerrno>

namespace quorvel {

void EditorWindow::loadCategory(Area &area)
{
    // A missing or empty category file gives an empty list, without a message. The file's key
    // is taken first: a change made after it, even during the read, shows at the next save.
    area.entries->clearNames();
    area.loadedCategory = area.categories->selectedName();
    const Shown<TextList> list = m_document.readList(area.loadedCategory);
    area.categoryKey = list.key;
    reportUnreadable(list.result, area.loadedCategory.fileName());
    area.entries->addNames(list.value);
}

void EditorWindow::addCategory(Area &area)
{
    const Text name = askName();
    if (name.isEmpty()) {
        showMessage(messages::EmptyName);
    } else {
        // Created only while the name is free, so a file that appeared meanwhile is kept.
        const FileResult created = m_document.create(LibraryName::list(area.folder, name));
        if (created.isSystemError(EEXIST))
            showMessage(messages::NameTaken);
        else if (!created)
            reportFailure(messages::CreateFailed, created);
    }
    relistCategories(area);
}

void EditorWindow::renameCategory(Area &area)
{
    const Text name = askName();
    if (name.isEmpty()) {
        showMessage(messages::EmptyNewName);
        return;
    }
    // The document never renames onto an existing file, so a taken name changes nothing; the
    // re-listed box shows the user that both categories are still there. With nothing selected
    // there is nothing to rename, and nothing to tell.
    const LibraryName selected = area.categories->selectedName();
    if (const FileResult renamed = m_document.rename(selected, name);
        !renamed && !renamed.isSystemError(EEXIST) && area.categories->currentRow() >= 0)
        reportFailure(messages::RenameFailed, renamed);
    relistCategories(area);
}

void EditorWindow::deleteCategory(Area &area)
{
    // With nothing selected there is nothing to delete. Asked first, naming the category; the
    // file goes to the trash, and 撤销 brings it back.
    if (area.categories->currentRow() < 0)
        return;
    const LibraryName category = area.categories->selectedName();
    if (!m_services.dialogs.question(deleteQuestion(category)))
        return;
    if (const FileResult removed = m_document.remove(category); !removed)
        reportFailure(messages::DeleteFailed, removed);
    relistCategories(area);
}

void EditorWindow::relistCategories(Area &area)
{
    area.categories->relist();
}

} // namespace quorvel
