// The entry commands of both areas. The library document keeps the selected category file that
// lists the entries and each entry's content file (".txt") in step, both changed or neither; the
// area shows what it left.
#include "ui/editor/editorwindow.h"

#include "library/librarycommand.h"
#include "ui/widgets/filebox.h"
#include "ui/widgets/librarymessages.h"
#include "ui/widgets/namelist.h"

#include <QAction>

#include <cerrno>

namespace quorvel {

namespace {

// Said after the cause when a command took back what it had done.
constexpr char16_t AddUndone[] = u"添加已撤销";
constexpr char16_t RenameUndone[] = u"改名已撤销";
constexpr char16_t DeleteUndone[] = u"删除已撤销";

} // namespace

// What an entry command says when it does not happen, by the step that failed; what the command
// took back follows the cause.
struct EditorWindow::EntryMessages
{
    const char16_t *nameTaken; // the content file's new name is taken
    const char16_t *fileFailed;
    const char16_t *fileUndone;
    const char16_t *listFailed;
    const char16_t *listUndone;
    const char16_t *halfDone; // the other file could not be put back
};

void EditorWindow::addEntry(Area &area)
{
    const Text name = askName();
    if (name.isEmpty()) {
        showMessage(messages::EmptyName);
        // The category file is still written as the list shows it, so that the two match.
        showEntries(area, m_document.syncList(shownList(area)));
        return;
    }
    reportEntryResult(area, m_document.addEntry(shownList(area), name),
                      {messages::NameTakenByEntry, messages::CreateFailed, nullptr,
                       messages::SaveFailed, AddUndone, messages::SaveFailed});
}

void EditorWindow::renameEntry(Area &area)
{
    const Text name = askName();
    if (name.isEmpty()) {
        showMessage(messages::EmptyNewName);
        return;
    }
    reportEntryResult(area,
                      m_document.renameEntry(shownList(area), area.entries->currentRow(), name),
                      {messages::NameTaken, messages::RenameFailed, nullptr, messages::SaveFailed,
                       RenameUndone, messages::SaveFailed});
}

void EditorWindow::deleteEntry(Area &area)
{
    // Asked first, naming the entry; its content file goes to the trash, and 撤销 brings both
    // back. A list that cannot be written keeps the entry; a file that cannot be moved brings the
    // entry back into the list. With no entry selected no entry goes: nothing to ask.
    if (area.entries->currentRow() >= 0 &&
        !m_services.dialogs.question(deleteQuestion(contentName(area))))
        return;
    reportEntryResult(area, m_document.removeEntry(shownList(area), area.entries->currentRow()),
                      {nullptr, messages::DeleteFailed, DeleteUndone, messages::SaveFailed, nullptr,
                       messages::DeleteFailed});
}

void EditorWindow::reportEntryResult(Area &area, const EntryResult &result,
                                     const EntryMessages &said)
{
    showEntries(area, result);
    switch (result.failed) {
    case EntryResult::Step::Done:
        break;
    case EntryResult::Step::File:
        if (said.nameTaken && result.result.isSystemError(EEXIST))
            showMessage(said.nameTaken);
        else
            reportFailure(said.fileFailed, result.result, said.fileUndone);
        break;
    case EntryResult::Step::List:
        reportFailure(said.listFailed, result.result, said.listUndone);
        break;
    case EntryResult::Step::FileKept:
        reportFailure(said.halfDone, result.result);
        break;
    }
}

void EditorWindow::createContentFile(Area &area)
{
    // Only while nothing has the name: an existing file keeps its content. With no entry
    // selected there is no file to create.
    const LibraryName entry = contentName(area);
    if (entry.name().isEmpty())
        return;
    const FileResult created = m_document.create(entry);
    if (!created && !created.isSystemError(EEXIST))
        reportFailure(messages::CreateFailed, created);
}

void EditorWindow::sortEntries(Area &area)
{
    // For good: the list shows its names in GBK byte order from now on, and the next list save
    // writes them so.
    area.entries->setSorted();
    area.sortEntriesAction->setChecked(true);
}

ShownList EditorWindow::shownList(const Area &area) const
{
    // The list goes into the category selected now, whichever category it was loaded from. The
    // key counts only for the category the list was loaded from: any other is taken as it is.
    const LibraryName category = area.categories->selectedName();
    const bool loaded = category == area.loadedCategory;
    return {category, area.entries->names(), loaded ? area.categoryKey : m_document.keyOf(category),
            area.entries->isSorted()};
}

void EditorWindow::showEntries(Area &area, const EntryResult &result)
{
    const LibraryName category = area.categories->selectedName();
    if (!category.name().isEmpty()) {
        area.loadedCategory = category;
        area.categoryKey = m_document.keyOf(category);
    }
    area.entries->showNames(result.entries);
}

LibraryName EditorWindow::contentName(const Area &area)
{
    // With no entry selected the name is empty: the commands that would write it refuse it.
    return LibraryName::content(area.folder, area.entries->currentName());
}

} // namespace quorvel
