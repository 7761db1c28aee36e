#include "ui/widgets/progresswatch.h"

namespace quorvel {

namespace {

// Often enough for the dialog to follow the task smoothly, seldom enough to cost it nothing.
constexpr qint64 ServeEveryMs = 100;

} // namespace

ProgressWatch::ProgressWatch(Progress &progress, std::function<void()> serving)
    : m_progress(progress), m_serving(std::move(serving))
{
    m_sinceServed.start();
}

void ProgressWatch::progressed(int done, int total)
{
    m_progress.setProgress(done, total);
    serveNowAndThen();
}

bool ProgressWatch::stopRequested()
{
    serveNowAndThen();
    return m_progress.stopRequested();
}

void ProgressWatch::serveNowAndThen()
{
    if (m_sinceServed.elapsed() < ServeEveryMs)
        return;
    if (m_serving)
        m_serving();
    m_progress.keepServed();
    m_sinceServed.restart();
}

} // namespace quorvel
