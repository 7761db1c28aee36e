#include "ui/main/mainwindow.h"

#include "engine/projectrun.h"
#include "ui/widgets/contentbox.h"
#include "ui/widgets/namelist.h"
#include "ui/widgets/progresswatch.h"
#include "ui/widgets/storybox.h"

#include <QApplication>

#include <functional>
#include <utility>

namespace quorvel {

namespace {

// The dialogs of a run: before a message box opens, the lines made so far go into the story box,
// so that the box stands over every line made before it, as if each had been appended at once.
class RunDialogs : public Dialogs
{
public:
    RunDialogs(Dialogs &shown, std::function<void()> showLines)
        : m_shown(shown), m_showLines(std::move(showLines))
    {
    }
    void message(const QString &text) override
    {
        m_showLines();
        m_shown.message(text);
    }
    bool question(const QString &text) override
    {
        m_showLines();
        return m_shown.question(text);
    }
    Choice questionWithCancel(const QString &text) override
    {
        m_showLines();
        return m_shown.questionWithCancel(text);
    }
    bool input(QString &text) override
    {
        m_showLines();
        return m_shown.input(text);
    }

private:
    Dialogs &m_shown;
    std::function<void()> m_showLines;
};

} // namespace

// The project is what the project list shows now, saved or not; its lines go to the end of the
// story box. Appending costs a layout each time, so the lines are gathered and appended together
// whenever the window is served (every 100 ms of a long run, so that its lines show as they
// come), before any message box, and at the end. While the run lasts, what the user does in the
// windows waits for its end (it must not change the project under the run); only the progress
// dialog takes input, for 停止.
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
    RunDialogs dialogs(m_services.dialogs, showLines);
    const std::unique_ptr<Progress> progress =
        m_services.dialogs.startProgress(QStringLiteral("正在生成…"));
    ProgressWatch watch(*progress, [&showLines] {
        showLines();
        // The windows are painted; what the user does waits, but for the progress dialog.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
    ProjectRun run(m_content, m_services.random, dialogs);
    run.setTracing(true); // every line in the box knows where it came from
    run.run(
        m_projectList->names(), [&pending](const StoryLine &line) { pending.append(line); },
        &watch);
    showLines();
    QApplication::restoreOverrideCursor();
    m_running = false;
}

} // namespace quorvel
