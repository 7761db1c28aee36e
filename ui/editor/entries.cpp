// The entry commands of both areas. They keep three things in step: the entry list on screen, the
// selected category file that lists the entries, and each entry's content file (".txt"). A
// command that changes two files changes both or neither, as far as the file system lets it.
#include "ui/editor/editorwindow.h"

#include "ui/widgets/filebox.h"
#include "ui/widgets/namelist.h"

#include <QAction>

#include <cerrno>

namespace quorvel {

namespace {

// Said after the cause when a command took back what it had done.
constexpr char16_t AddUndone[] = u"添加已撤销";
constexpr char16_t RenameUndone[] = u"改名已撤销";

} // namespace

void EditorWindow::addEntry(Area &area)
{
    const Text name = askName();
    const Text fileName = name + ".txt";
    FileResult created;
    bool added = false;
    if (name.isEmpty()) {
        showMessage(u"信息不能为空！");
    } else if (created = m_library.createNew(area.folder, fileName);
               created.isSystemError(EEXIST)) {
        showMessage(u"该文件已经存在，请重新命名");
        created = FileResult::done();
    } else {
        // An entry without its file would only name a missing text, so it is added only with it.
        added = bool(created);
    }
    // The category file is written on every path, so that it matches the list afterwards. When
    // it cannot be, the new content file goes again: no file may hold a text no list names.
    const FileResult saved = commitListEdit(area, added ? ListEdit::add(name) : ListEdit::none());
    if (!created) {
        reportFailure(CreateFailed, created);
    } else if (!saved) {
        if (added)
            m_library.remove(area.folder, fileName);
        reportFailure(SaveFailed, saved, added ? AddUndone : nullptr);
    }
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
    const int row = area.entries->currentRow();
    const Text oldName = area.entries->currentName();
    const Text oldFileName = oldName + ".txt";
    const bool moved = m_library.exists(area.folder, oldFileName);
    const FileResult renamed =
        moved ? m_library.rename(area.folder, oldFileName, newFileName)
              : (m_library.pathOf(area.folder, newFileName) ? FileResult::done()
                                                            : FileResult::refusedName());
    if (!renamed) {
        reportFailure(RenameFailed, renamed);
        return;
    }
    const FileResult saved =
        commitListEdit(area, row >= 0 ? ListEdit::rename(row, oldName, name) : ListEdit::none());
    if (saved)
        return;
    // The category file still names the old name: the text goes back under it.
    if (!moved || m_library.rename(area.folder, newFileName, oldFileName)) {
        reportFailure(SaveFailed, saved, RenameUndone);
    } else {
        area.entries->setNameAt(row, name); // the list shows the file as it is
        reportFailure(SaveFailed, saved);
    }
}

void EditorWindow::deleteEntry(Area &area)
{
    // No confirmation: the entry and its content file go at once. The list goes first, so that a
    // category file that cannot be written keeps naming a text that is still there.
    const int row = area.entries->currentRow();
    const Text name = area.entries->currentName();
    const FileResult saved =
        commitListEdit(area, row >= 0 ? ListEdit::remove(row, name) : ListEdit::none());
    if (!saved) {
        reportFailure(SaveFailed, saved);
        return;
    }
    m_library.remove(area.folder, name + ".txt");
}

void EditorWindow::createContentFile(Area &area)
{
    // Only while nothing has the name: an existing file keeps its content.
    const FileResult created = m_library.createNew(area.folder, contentFileName(area));
    if (!created && !created.isSystemError(EEXIST))
        reportFailure(CreateFailed, created);
}

void EditorWindow::sortEntries(Area &area)
{
    // For good: the list shows its names in GBK byte order from now on, and the next list save
    // writes them so.
    area.entries->setSorted();
    area.sortEntriesAction->setChecked(true);
}

FileResult EditorWindow::commitListEdit(Area &area, const ListEdit &edit)
{
    // The list goes into the category selected now, whichever category it was loaded from; with
    // none selected, only the list on screen changes. When another program changed the category
    // file since it was loaded, the one change is made to the file as it is now, so that what
    // the other program wrote stays, and the list shows the result.
    const Text category = area.categories->selectedFileName();
    const bool sorted = area.entries->isSorted();
    if (category.isEmpty()) {
        showListEdit(area, edit);
        return FileResult::done();
    }
    TextList entries = edit.applyTo(area.entries->names(), sorted);
    const bool changedMeanwhile = category == area.loadedCategory &&
                                  m_library.keyOf(area.folder, category) != area.categoryKey;
    if (changedMeanwhile) {
        const Loaded<TextList> now = m_library.loadList(area.folder, category);
        if (!now.result && !now.result.isMissing())
            return now.result; // a file that cannot be read is not written over either
        entries = edit.applyTo(now.value, sorted);
    }
    if (const FileResult written = m_library.writeList(area.folder, category, entries); !written)
        return written;
    area.loadedCategory = category;
    area.categoryKey = m_library.keyOf(area.folder, category);
    if (changedMeanwhile) {
        area.entries->clearNames();
        area.entries->addNames(entries);
    } else {
        showListEdit(area, edit);
    }
    return FileResult::done();
}

void EditorWindow::showListEdit(Area &area, const ListEdit &edit)
{
    switch (edit.kind()) {
    case ListEdit::Kind::None:
        break;
    case ListEdit::Kind::Add:
        area.entries->addName(edit.to());
        break;
    case ListEdit::Kind::Rename:
        area.entries->setNameAt(edit.row(), edit.to());
        break;
    case ListEdit::Kind::Remove:
        area.entries->removeAt(edit.row());
        break;
    }
}

Text EditorWindow::contentFileName(const Area &area)
{
    // With no entry selected the name is empty and the file is ".txt", as everywhere in the
    // editor.
    return area.entries->currentName() + ".txt";
}

} // namespace quorvel
