// The content boxes: the text of the entry selected in an area, shown and saved verbatim.
#include "ui/editor/editorwindow.h"

#include "ui/widgets/contentbox.h"
#include "ui/widgets/librarymessages.h"
#include "ui/widgets/namelist.h"

#include <QCloseEvent>

namespace quorvel {

namespace {

// Said instead of a save when no entry is selected: nobody chose a file for the text.
constexpr char16_t NoElementToSave[] = u"请先选择要保存的元素！";
constexpr char16_t NoTemplateToSave[] = u"请先选择要保存的模板！";

} // namespace

void EditorWindow::showEntry(Area &area)
{
    // The box is empty while the message is open. The key of the file is taken before it is
    // read, so that any change by another program after it shows when the box is saved.
    area.content->setContent(Text());
    area.content->setPlaceholderText(QString());
    area.loadedEntry = contentName(area);
    if (!m_document.exists(area.loadedEntry))
        showMessage(u"该文件不存在！请创建！");
    const Shown<Text> read = m_document.readContent(area.loadedEntry);
    area.entryKey = read.key;
    // What the box shows of a file too large to read is not that file: saving it asks first. A
    // link out of the folder is never written at all.
    area.entryUnread = read.result.cause() == FileResult::Cause::TooLarge;
    if (reportUnreadable(read.result, area.loadedEntry.fileName()))
        return;
    showText(area, read.value);
}

void EditorWindow::showText(Area &area, const Text &text)
{
    area.content->setContent(text);
    area.content->setPlaceholderText(text.isEmpty() ? QString::fromUtf16(NoContent) : QString());
}

bool EditorWindow::saveEntry(Area &area)
{
    // Into the entry selected now, whichever entry the text came from.
    return saveContent(area, contentName(area));
}

bool EditorWindow::saveContent(Area &area, const LibraryName &entry)
{
    // A file that changed on disk since the box showed it is replaced only when the user says
    // so. A refused write leaves the text in the box, so that the user can try again.
    if (entry.name().isEmpty()) {
        showMessage(area.folder == Folder::Elements ? NoElementToSave : NoTemplateToSave);
        return false;
    }
    if (entry == area.loadedEntry) {
        const bool changedMeanwhile = m_document.keyOf(entry) != area.entryKey;
        const char16_t *question = area.entryUnread
                                       ? UnreadOnDisk
                                       : (changedMeanwhile ? messages::ChangedOnDisk : nullptr);
        if (question && !m_services.dialogs.question(QString::fromUtf16(question)))
            return false;
    }
    const FileResult saved = m_document.writeContent(entry, area.content->content());
    if (!saved) {
        reportFailure(messages::SaveFailed, saved);
        return false;
    }
    area.loadedEntry = entry;
    area.entryKey = m_document.keyOf(entry);
    area.entryUnread = false;
    area.content->markSaved();
    return true;
}

void EditorWindow::closeEvent(QCloseEvent *event)
{
    // A text changed since it was shown or saved is not lost without a word: 是 saves it as the
    // area's save button would, 否 lets it go, 取消 keeps the window open. A save that does not
    // happen keeps the window open too.
    // The window may stay open after all, so 否 leaves the text in its box.
    for (Area *area : {&m_elements, &m_templates}) {
        bool dropped = false;
        if (!askAboutChangedText(*area, contentName(*area), dropped)) {
            event->ignore();
            return;
        }
    }
    QWidget::closeEvent(event);
}

void EditorWindow::insertElementReference()
{
    // At the very end of the template text, wherever its caret stands; nothing is saved.
    m_templates.content->appendContent("[" + m_elements.entries->currentName() + "]");
}

} // namespace quorvel
