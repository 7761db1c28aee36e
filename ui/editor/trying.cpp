// 试写当前行: the line under the cursor of a content box, expanded a few times with the files as
// they are (the box's own text as it stands, unsaved), to see what it makes before running.
#include "ui/editor/editorwindow.h"

#include "engine/generator.h"
#include "platform/displaytext.h"
#include "ui/editor/trywindow.h"
#include "ui/widgets/contentbox.h"
#include "ui/widgets/namelist.h"

#include <QTextBlock>

namespace quorvel {

namespace {

constexpr int Tries = 5;

} // namespace

void EditorWindow::tryCurrentLine(Area &area)
{
    const QTextBlock block = area.content->textCursor().block();
    const Text line = displayToText(block.text());
    // The messages of the tries, each once, for the window rather than a box per try.
    QStringList noted;
    Generator generator(m_document.content(), m_services.random,
                        [&noted](const Diagnostic &diagnostic) {
                            const QString message = diagnostic.message();
                            if (!noted.contains(message))
                                noted.append(message);
                        });
    QList<StoryLine> results;
    for (int i = 0; i < Tries; ++i) {
        StoryLine result;
        result.text = generator.expand(line, &result.trace.draws);
        results.append(result);
    }
    const QString source =
        QStringLiteral("%1「%2」第 %3 行")
            .arg(area.folder == Folder::Templates ? QStringLiteral("模板") : QStringLiteral("元素"),
                 area.entries->currentName().toUnicode())
            .arg(block.blockNumber() + 1);
    if (!m_tryWindow) {
        m_tryWindow = new TryWindow(this);
        m_tryWindow->setObjectName(QStringLiteral("试写窗口"));
    }
    m_tryWindow->showResults(source, results, noted);
    m_tryWindow->show();
    m_tryWindow->raise();
}

} // namespace quorvel
