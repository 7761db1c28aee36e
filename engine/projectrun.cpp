#include "engine/projectrun.h"

namespace quorvel {

ProjectRun::ProjectRun(ContentCache &files, RandomSource &random, ExpansionLimits limits)
    : m_generator(
          files, random, [this](const Diagnostic &d) { handOn(d); }, limits)
{
}

ProjectRun::ProjectRun(const Library &library, RandomSource &random, ExpansionLimits limits)
    : m_generator(
          library, random, [this](const Diagnostic &d) { handOn(d); }, limits)
{
}

void ProjectRun::handOn(const Diagnostic &diagnostic)
{
    if (m_sink && m_sink->diagnostic)
        m_sink->diagnostic(diagnostic);
}

RunReport ProjectRun::run(const TextList &templateNames, const RunSink &sink,
                          TaskObserver *observer)
{
    RunReport report;
    if (templateNames.isEmpty()) {
        if (sink.diagnostic)
            sink.diagnostic({.kind = Diagnostic::Kind::EmptyProject});
        return report;
    }
    m_sink = &sink;
    if (observer)
        m_generator.setStopCheck([observer] { return observer->stopRequested(); });
    const int atBoundBefore = m_generator.linesAtBound();
    const int total = int(templateNames.size());
    for (int done = 0; done < total && !report.stopped;) {
        if (const std::optional<StoryLine> line =
                m_generator.tracedStoryLine(templateNames.at(done), m_tracing)) {
            if (sink.line)
                sink.line(*line);
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
    m_sink = nullptr;
    return report;
}

} // namespace quorvel
