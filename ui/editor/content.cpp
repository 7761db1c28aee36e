// The content boxes: the text of the entry selected in an area, shown and saved verbatim.
#include "ui/editor/editorwindow.h"

#include "ui/widgets/contentbox.h"
#include "ui/widgets/namelist.h"

namespace quorvel {

namespace {

// An ordinary text in the box: saving it unchanged writes it into the file.
constexpr char16_t Placeholder[] = u"该文件没有内容！";

} // namespace

void EditorWindow::showEntry(Area &area)
{
    // The box is empty while the message is open.
    area.content->setContent(Text());
    const Text fileName = contentFileName(area);
    if (!m_library.exists(area.folder, fileName))
        showMessage(u"该文件不存在！请创建！");
    const Text text = m_library.readContent(area.folder, fileName);
    area.content->setContent(text.isEmpty() ? Text::fromUnicode(Placeholder) : text);
}

void EditorWindow::saveEntry(Area &area)
{
    // Into the entry selected now, whichever entry the text came from. A refused write leaves
    // the text in the box, so that the user can try again.
    const FileResult saved =
        m_library.writeContent(area.folder, contentFileName(area), area.content->content());
    if (!saved)
        reportFailure(SaveFailed, saved);
}

void EditorWindow::insertElementReference()
{
    // At the very end of the template text, wherever its caret stands; nothing is saved.
    m_templates.content->appendContent("[" + m_elements.entries->currentName() + "]");
}

} // namespace quorvel
