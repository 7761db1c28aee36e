#include "ui/main/mainwindow.h"

#include "engine/projectrun.h"
#include "ui/widgets/contentbox.h"
#include "ui/widgets/namelist.h"

#include <QCoreApplication>
#include <QElapsedTimer>

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
// whenever the window is painted (every 100 ms of a long run, so that its lines show as they
// come), before any message box, and at the end. What the user does meanwhile waits for the end
// of the run, as it would for a short one.
void MainWindow::runNovel()
{
    Text pending;
    const auto showLines = [this, &pending] {
        if (!pending.isEmpty())
            m_story->appendContent(std::exchange(pending, Text()));
    };
    RunDialogs dialogs(m_services.dialogs, showLines);
    QElapsedTimer sincePainted;
    sincePainted.start();
    ProjectRun run(m_content, m_services.random, dialogs);
    run.run(m_projectList->names(), [&](const Text &line) {
        pending += line;
        pending += "\r\n";
        if (sincePainted.elapsed() >= 100) {
            showLines();
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            sincePainted.restart();
        }
    });
    showLines();
}

} // namespace quorvel
