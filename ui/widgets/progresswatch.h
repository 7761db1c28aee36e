#pragma once

#include "engine/taskobserver.h"
#include "platform/dialogs.h"

#include <QElapsedTimer>

#include <functional>

namespace quorvel {

// Follows a long task of the engine for a window (a run, a library check): each step goes to the
// progress dialog, and every 100 ms at most the dialog is served (it shows once the task has
// lasted a second, and takes the 停止). Whatever else the window needs done at those moments
// (showing what the task made so far, say) is done first, by serving().
class ProgressWatch : public TaskObserver
{
public:
    explicit ProgressWatch(Progress &progress, std::function<void()> serving = {});

    void progressed(int done, int total) override;
    bool stopRequested() override;

private:
    void serveNowAndThen();

    Progress &m_progress;
    std::function<void()> m_serving;
    QElapsedTimer m_sinceServed;
};

} // namespace quorvel
