// The category commands of both areas: a category is a list file (".l") in the area's folder,
// listed in the area's category box. Only the category file itself is touched: the entry list,
// the content box and the entries' content files stay as they are.
#include "ui/editor/editorwindow.h"

#include "ui/widgets/filebox.h"
#include "ui/widgets/namelist.h"

namespace quorvel {

void EditorWindow::loadCategory(Area &area)
{
    // A missing or empty category file gives an empty list, without a message.
    area.entries->clearNames();
    area.entries->addNames(m_library.readList(area.folder, area.categories->selectedFileName()));
}

void EditorWindow::addCategory(Area &area)
{
    const Text name = askName();
    const Text fileName = name + ".l";
    if (name.isEmpty())
        showMessage(u"信息不能为空！");
    else if (m_library.exists(area.folder, fileName))
        showMessage(u"该文件已经存在，请重新命名！");
    else if (const FileResult created = m_library.createEmpty(area.folder, fileName); !created)
        reportFailure(CreateFailed, created);
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
