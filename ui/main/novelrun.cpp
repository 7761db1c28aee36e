#include "ui/main/mainwindow.h"

#include "engine/generator.h"
#include "engine/messages.h"
#include "ui/widgets/contentbox.h"
#include "ui/widgets/namelist.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace quorvel {

// The project is what the project list shows now, saved or not. Each template's line goes into
// the story box as soon as it is made, so the messages of a template come before its line.
void MainWindow::runNovel()
{
    Generator generator(*m_library, m_services.random, m_services.dialogs);
    const int count = m_projectList->count();
    if (count == 0) {
        m_services.dialogs.message(QString::fromUtf16(messages::EmptyProject));
        return;
    }
    // A long run (every template and every element is read from its file) keeps the window
    // painted, so that its lines show as they come; what the user does meanwhile waits for the
    // end of the run, as it would for a short one.
    QElapsedTimer sincePainted;
    sincePainted.start();
    for (int i = 0; i < count; ++i) {
        if (const std::optional<Text> line = generator.storyLine(m_projectList->nameAt(i)))
            m_story->appendContent(*line + "\r\n");
        if (sincePainted.elapsed() >= 100) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            sincePainted.restart();
        }
    }
}

} // namespace quorvel
