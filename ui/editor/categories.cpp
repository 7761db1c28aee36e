// The category commands of both areas: a category is a list file (".l") in the area's folder,
// listed in the area's category box. Only the category file itself is touched: the entry list,
// the content box and the entries' content files stay as they are.
#include "ui/editor/editorwindow.h"

#include "ui/widgets/filebox.h"
#include "ui/widgets/namelist.h"

#include <cerrno>

namespace quorvel {

void EditorWindow::loadCategory(Area &area)
{
    // A missing or empty category file gives an empty list, without a message. The file's key
    // is taken first: a change made after it, even during the read, shows at the next save.
    area.entries->clearNames();
    area.loadedCategory = area.categories->selectedFileName();
    area.categoryKey = m_library.keyOf(area.folder, area.loadedCategory);
    const Loaded<TextList> list = m_library.loadList(area.folder, area.loadedCategory);
    reportUnreadable(list.result, area.loadedCategory);
    area.entries->addNames(list.value);
}

void EditorWindow::addCategory(Area &area)
{
    const Text name = askName();
    if (name.isEmpty()) {
        showMessage(u"信息不能为空！");
    } else {
        // Created only while the name is free, so a file that appeared meanwhile is kept.
        const FileResult created = m_library.createNew(area.folder, name + ".l");
        if (created.isSystemError(EEXIST))
            showMessage(u"该文件已经存在，请重新命名！");
        else if (!created)
            reportFailure(CreateFailed, created);
    }
    relistCategories(area);
}

void EditorWindow::renameCategory(Area &area)
{
    const Text name = askName();
    if (name.isEmpty()) {
        showMessage(u"信息不能为空");
        return;
    }
    // The library never renames onto an existing file, so a taken name changes nothing; the
    // re-listed box shows the user that both categories are still there.
    m_library.rename(area.folder, area.categories->selectedFileName(), name + ".l");
    relistCategories(area);
}

void EditorWindow::deleteCategory(Area &area)
{
    // With nothing selected the file name is empty, which the library refuses: nothing goes.
    m_library.remove(area.folder, area.categories->selectedFileName());
    relistCategories(area);
}

void EditorWindow::relistCategories(Area &area)
{
    area.categories->relist();
}

} // namespace quorvel
