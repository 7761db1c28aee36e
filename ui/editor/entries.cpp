// The entry commands of both areas. They keep three things in step: the entry list on screen, the
// selected category file that lists the entries, and each entry's content file (".txt").
#include "ui/editor/editorwindow.h"

#include "ui/widgets/filebox.h"
#include "ui/widgets/namelist.h"

#include <QAction>

namespace quorvel {

void EditorWindow::addEntry(Area &area)
{
    const Text name = askName();
    const Text fileName = name + ".txt";
    FileResult created = FileResult::done();
    if (name.isEmpty())
        showMessage(u"信息不能为空！");
    else if (m_library.exists(area.folder, fileName))
        showMessage(u"该文件已经存在，请重新命名");
    else if (created = m_library.createEmpty(area.folder, fileName); created)
        area.entries->addName(name);
    // An entry without its file would only name a missing text, so it is not added. The category
    // file is written on every path, so that it matches the list afterwards; a folder that
    // refused the content file mostly refuses the list too, and one failure gets one message.
    const FileResult saved = writeEntryList(area);
    if (!created)
        reportFailure(CreateFailed, created);
    else if (!saved)
        reportFailure(SaveFailed, saved);
}

void EditorWindow::renameEntry(Area &area)
{
    const Text name = askName();
    if (name.isEmpty()) {
        showMessage(u"信息不能为空");
        return;
    }
    const Text newFileName = name + ".txt";
    if (m_library.exists(area.folder, newFileName)) {
        showMessage(u"该文件已经存在，请重新命名！");
        return;
    }
    // The entry follows its file. When the file is there but cannot take the new name, the entry
    // keeps its old name, so that the list still names the text; an entry whose file is missing
    // only changes its name, provided the name could ever be a file.
    const Text oldFileName = contentFileName(area);
    const FileResult renamed =
        m_library.exists(area.folder, oldFileName)
            ? m_library.rename(area.folder, oldFileName, newFileName)
            : (m_library.pathOf(area.folder, newFileName) ? FileResult::done()
                                                          : FileResult::refusedName());
    if (!renamed) {
        reportFailure(RenameFailed, renamed);
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
    if (const FileResult saved = writeEntryList(area); !saved)
        reportFailure(SaveFailed, saved);
}

FileResult EditorWindow::writeEntryList(Area &area)
{
    // The list goes into the category selected now, whichever category it was loaded from.
    const Text category = area.categories->selectedFileName();
    if (category.isEmpty())
        return FileResult::done();
    return m_library.writeList(area.folder, category, area.entries->names());
}

Text EditorWindow::contentFileName(const Area &area)
{
    // With no entry selected the name is empty and the file is ".txt", as everywhere in the
    // editor.
    return area.entries->currentName() + ".txt";
}

} // namespace quorvel
