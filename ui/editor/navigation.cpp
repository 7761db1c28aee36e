// Going to a place in the library from outside the editor: a finding of the library check.
#include "ui/editor/editorwindow.h"

#include "ui/widgets/contentbox.h"
#include "ui/widgets/filebox.h"
#include "ui/widgets/namelist.h"

#include <QSignalBlocker>
#include <QTextBlock>

namespace quorvel {

namespace {

// Selects the row as the program, not the user: the caller loads what the row names.
void selectRow(NameList *list, int row)
{
    const QSignalBlocker blocker(list);
    list->setCurrentRow(row);
    list->scrollToItem(list->currentItem());
}

} // namespace

bool EditorWindow::showLibraryFile(Folder folder, const Text &fileName, int line)
{
    if (folder == Folder::Projects)
        return false;
    Area &area = folder == Folder::Elements ? m_elements : m_templates;
    relistCategories(area);
    const TextList categories = area.categories->names();
    const std::optional<LibraryName> file = LibraryName::fromFileName(folder, fileName);
    if (!file)
        return false;
    const bool isCategory = file->isList();
    int categoryRow = -1, entryRow = -1;
    if (isCategory) {
        categoryRow = int(categories.indexOf(fileName));
        entryRow = line - 1;
    } else {
        for (int row = 0; row < categories.size() && categoryRow < 0; ++row) {
            const LibraryName category = LibraryName::list(folder, Text());
            const std::optional<LibraryName> listed =
                LibraryName::fromFileName(folder, categories.at(row));
            entryRow =
                int(m_document.readList(listed.value_or(category)).value.indexOf(file->name()));
            if (entryRow >= 0)
                categoryRow = row;
        }
    }
    if (categoryRow < 0)
        return false;
    // Going there loads another list into the area and shows another text in its box.
    if (!settleChangedText(area, contentName(area)))
        return true;
    selectRow(area.categories, categoryRow);
    loadCategory(area);
    if (entryRow < 0 || entryRow >= area.entries->count())
        return true;
    selectRow(area.entries, entryRow);
    // An entry of a category may name a missing file: selecting it is enough.
    if (isCategory)
        return true;
    showEntry(area);
    const QTextBlock block = area.content->document()->findBlockByNumber(std::max(0, line - 1));
    if (block.isValid())
        area.content->setTextCursor(QTextCursor(block));
    area.content->setFocus();
    area.content->ensureCursorVisible();
    return true;
}

} // namespace quorvel
