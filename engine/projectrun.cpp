#include "engine/projectrun.h"

#include "engine/messages.h"
#include "platform/dialogs.h"

namespace quorvel {

ProjectRun::ProjectRun(ContentCache &files, RandomSource &random, Dialogs &dialogs,
                       ExpansionLimits limits)
    : m_generator(files, random, dialogs, limits), m_dialogs(dialogs)
{
}

ProjectRun::ProjectRun(const Library &library, RandomSource &random, Dialogs &dialogs,
                       ExpansionLimits limits)
    : m_generator(library, random, dialogs, limits), m_dialogs(dialogs)
{
}

RunReport ProjectRun::run(const TextList &templateNames, const LineSink &sink,
                          TaskObserver *observer)
{
    RunReport report;
    if (templateNames.isEmpty()) {
        m_dialogs.message(QString::fromUtf16(messages::EmptyProject));
        return report;
    }
    if (observer)
        m_generator.setStopCheck([observer] { return observer->stopRequested(); });
    const int atBoundBefore = m_generator.linesAtBound();
    const int total = int(templateNames.size());
    for (int done = 0; done < total && !report.stopped;) {
        if (const std::optional<StoryLine> line =
                m_generator.tracedStoryLine(templateNames.at(done), m_tracing)) {
            sink(*line);
            ++report.lines;
        }
        ++done;
        report.stopped = m_generator.stopped();
        if (observer && !report.stopped) {
            observer->progressed(done, total);
            report.stopped = done < total && observer->stopRequested();
        }
    }
    report.linesAtBound = m_generator.linesAtBound() - atBoundBefore;
    m_generator.setStopCheck({});
    return report;
}

} // namespace quorvel
