// The entry commands of both areas. They keep three things in step: the entry list on screen, the
// selected category file that lists the entries, and each entry's content file (".txt").
#include "ui/editor/editorwindow.h"

#include "ui/widgets/filebox.h"
#include "ui/widgets/namelist.h"

#include <QAction>

namespace quorvel {

namespace {

const char *const ContentExtension = ".txt";

} // namespace

void EditorWindow::addEntry(Area &area)
{
    const Text name = askName();
    const Text fileName = name + ContentExtension;
    if (name.isEmpty())
        showMessage(u"信息不能为空！");
    else if (m_library.exists(area.folder, fileName))
        showMessage(u"该文件已经存在，请重新命名");
    else if (!m_library.createEmpty(area.folder, fileName))
        // An entry without its file would only name a missing text: it is not added.
        showMessage(CreateFailed);
    else
        area.entries->addName(name);
    // The category file is written on every path, so that it matches the list afterwards.
    saveEntryList(area);
}

void EditorWindow::renameEntry(Area &area)
{
    const Text name = askName();
    if (name.isEmpty()) {
        showMessage(u"信息不能为空");
        return;
    }
    const Text newFileName = name + ContentExtension;
    if (m_library.exists(area.folder, newFileName)) {
        showMessage(u"该文件已经存在，请重新命名！");
        return;
    }
    // The entry follows its file. When the file is there but cannot take the new name, the entry
    // keeps its old name, so that the list still names the text; an entry whose file is missing
    // only changes its name, provided the name could ever be a file.
    const Text oldFileName = contentFileName(area);
    const bool renamed = m_library.exists(area.folder, oldFileName)
                             ? m_library.rename(area.folder, oldFileName, newFileName)
                             : m_library.pathOf(area.folder, newFileName).has_value();
    if (!renamed) {
        showMessage(RenameFailed);
        return;
    }
    area.entries->setNameAt(area.entries->currentRow(), name);
    saveEntryList(area);
}

void EditorWindow::deleteEntry(Area &area)
{
    // No confirmation: the entry and its content file go at once.
    m_library.remove(area.folder, contentFileName(area));
    area.entries->removeAt(area.entries->currentRow());
    saveEntryList(area);
}

void EditorWindow::createContentFile(Area &area)
{
    // An existing file keeps its content.
    const Text fileName = contentFileName(area);
    if (!m_library.exists(area.folder, fileName))
        m_library.createEmpty(area.folder, fileName);
}

void EditorWindow::sortEntries(Area &area)
{
    // For good: the list shows its names in GBK byte order from now on, and the next list save
    // writes them so.
    area.entries->setSorted();
    area.sortEntriesAction->setChecked(true);
}

void EditorWindow::saveEntryList(Area &area)
{
    // The list goes into the category selected now, whichever category it was loaded from.
    const Text category = area.categories->selectedFileName();
    if (category.isEmpty())
        return;
    if (!m_library.writeList(area.folder, category, area.entries->names()))
        showMessage(SaveFailed);
}

Text EditorWindow::contentFileName(const Area &area)
{
    // With no entry selected the name is empty and the file is ".txt", as everywhere in the
    // editor.
    return area.entries->currentName() + ContentExtension;
}

} // namespace quorvel
