// Leaving a changed text: selecting another category or entry in an area whose content box holds
// changes not saved asks first, as closing the window does. 是 saves the text as the save button
// would have before the click, 否 drops the changes and goes on, 取消 keeps the selection and the
// text where they were.
#include "ui/editor/editorwindow.h"

#include "ui/widgets/contentbox.h"
#include "ui/widgets/filebox.h"
#include "ui/widgets/librarymessages.h"
#include "ui/widgets/namelist.h"

#include <QItemSelectionModel>
#include <QSignalBlocker>

namespace quorvel {

void EditorWindow::selectCategory(Area &area)
{
    // Loading a category leaves no entry selected: the text would stay in the box with no file
    // to go to.
    if (!settleChangedText(area, contentName(area))) {
        putBack(area.categories, area.settledCategory);
        return;
    }
    loadCategory(area);
}

void EditorWindow::selectEntry(Area &area)
{
    // The list has moved already: the text goes into the entry selected before the click. A
    // click on the entry shown reads its file again, and so asks too.
    const int before = area.settledEntry.isValid() ? area.settledEntry.row() : -1;
    if (!settleChangedText(area, LibraryName::content(area.folder, area.entries->nameAt(before)))) {
        putBack(area.entries, area.settledEntry);
        return;
    }
    showEntry(area);
}

bool EditorWindow::settleChangedText(Area &area, const LibraryName &saveInto)
{
    bool dropped = false;
    if (!askAboutChangedText(area, saveInto, dropped))
        return false;
    if (dropped)
        dropChanges(area);
    return true;
}

bool EditorWindow::askAboutChangedText(Area &area, const LibraryName &saveInto, bool &dropped)
{
    dropped = false;
    if (!area.content->isChanged())
        return true;
    switch (m_services.dialogs.questionWithCancel(QString::fromUtf16(messages::UnsavedChanges))) {
    case Dialogs::Choice::Yes:
        return saveContent(area, saveInto);
    case Dialogs::Choice::No:
        dropped = true;
        return true;
    case Dialogs::Choice::Cancel:
        break;
    }
    return false;
}

void EditorWindow::dropChanges(Area &area)
{
    // The box shows the file it was loaded from as it is now, without a message; a file that
    // is not there to be shown (none loaded, or not readable) leaves the box empty.
    const bool loaded = !area.loadedEntry.name().isEmpty() && !area.entryUnread;
    const Shown<Text> read = loaded ? m_document.readContent(area.loadedEntry) : Shown<Text>();
    if (loaded && (read.result || read.result.isMissing())) {
        area.entryKey = read.key;
        showText(area, read.value);
    } else {
        area.content->setContent(Text());
        area.content->setPlaceholderText(QString());
    }
}

void EditorWindow::putBack(NameList *list, const QPersistentModelIndex &item)
{
    const QSignalBlocker blocker(list);
    list->setCurrentRow(item.isValid() ? item.row() : -1);
    // A mouse press selects the item under the pointer once the list has taken the new current
    // item, that is after this: the selection follows the current item again once the press is
    // over.
    QMetaObject::invokeMethod(
        list,
        [list] {
            list->selectionModel()->select(list->currentIndex(),
                                           QItemSelectionModel::ClearAndSelect);
        },
        Qt::QueuedConnection);
}

} // namespace quorvel
