#include "ui/main/mainwindow.h"

#include "engine/projectrun.h"
#include "ui/widgets/contentbox.h"
#include "ui/widgets/namelist.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace quorvel {

// The project is what the project list shows now, saved or not; its lines go to the end of the
// story box. A long run keeps the window painted, so that its lines show as they come; what the
// user does meanwhile waits for the end of the run, as it would for a short one.
void MainWindow::runNovel()
{
    QElapsedTimer sincePainted;
    sincePainted.start();
    ProjectRun run(m_library, m_services.random, m_services.dialogs);
    run.run(m_projectList->names(), [&](const Text &line) {
        m_story->appendContent(line + "\r\n");
        if (sincePainted.elapsed() >= 100) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            sincePainted.restart();
        }
    });
}

} // namespace quorvel
