#include "ui/main/mainwindow.h"

#include "engine/projectrun.h"
#include "ui/widgets/contentbox.h"
#include "ui/widgets/namelist.h"
#include "ui/widgets/progresswatch.h"
#include "ui/widgets/storybox.h"

#include <QApplication>

#include <utility>

namespace quorvel {

// The project is what the project list shows now, saved or not; its lines go to the end of the
// story box. Appending costs a layout each time, so the lines are gathered and appended together
// whenever the window is served (every 100 ms of a long run, so that its lines show as they
// come), before any message box, and at the end: each message box stands over every line made
// before it, as if each had been appended at once. While the run lasts, what the user does in
// the windows waits for its end (it must not change the project under the run); only the
// progress dialog takes input, for 停止.
void MainWindow::runNovel()
{
    if (m_running)
        return;
    m_running = true;
    QApplication::setOverrideCursor(Qt::BusyCursor);
    QList<StoryLine> pending;
    const auto showLines = [this, &pending] {
        if (!pending.isEmpty())
            m_story->appendStory(std::exchange(pending, {}));
    };
    const std::unique_ptr<Progress> progress =
        m_services.dialogs.startProgress(QStringLiteral("正在生成…"));
    ProgressWatch watch(*progress, [&showLines] {
        showLines();
        // The windows are painted; what the user does waits, but for the progress dialog.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
    ProjectRun run(m_document.content(), m_services.random);
    run.setTracing(true); // every line in the box knows where it came from
    RunSink sink;
    sink.line = [&pending](const StoryLine &line) { pending.append(line); };
    sink.diagnostic = [this, &showLines](const Diagnostic &diagnostic) {
        showLines();
        m_services.dialogs.message(diagnostic.message());
    };
    run.run(m_document.project().templates, sink, &watch);
    showLines();
    QApplication::restoreOverrideCursor();
    m_running = false;
}

} // namespace quorvel
