// The editor follows the library document: a change made in the main window, by an undo or by
// the editor's own commands shows in the entry list of the category it touched and in a content
// box whose text the user has not changed. A changed text stays as typed: saving it asks first.
#include "ui/editor/editorwindow.h"

#include "ui/widgets/contentbox.h"
#include "ui/widgets/filebox.h"
#include "ui/widgets/namelist.h"

namespace quorvel {

void EditorWindow::followLibrary(const LibraryChange &change)
{
    for (Area *area : {&m_elements, &m_templates}) {
        if (change.kind == LibraryChange::Kind::Renamed) {
            if (change.from == area->loadedCategory)
                area->loadedCategory = change.name;
            if (change.from == area->loadedEntry) {
                area->loadedEntry = change.name;
                area->entryKey = m_document.keyOf(change.name);
            }
        }
        if (change.name == area->loadedCategory &&
            area->categories->selectedName() == area->loadedCategory)
            reloadEntries(*area);
        // A removed file leaves its text in the box, to be saved again if the user wants it.
        if (change.name == area->loadedEntry && (change.kind == LibraryChange::Kind::Written ||
                                                 change.kind == LibraryChange::Kind::Created))
            reloadEntry(*area);
    }
}

void EditorWindow::reloadEntries(Area &area)
{
    const Shown<TextList> list = m_document.readList(area.loadedCategory);
    area.categoryKey = list.key;
    area.entries->showNames(list.value);
}

void EditorWindow::reloadEntry(Area &area)
{
    if (area.content->isChanged() || area.entryUnread)
        return;
    const Shown<Text> read = m_document.readContent(area.loadedEntry);
    if (!read.result && !read.result.isMissing())
        return;
    area.entryKey = read.key;
    if (read.value != area.content->content())
        showText(area, read.value);
}

} // namespace quorvel
