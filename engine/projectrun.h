#pragma once

#include "engine/diagnostic.h"
#include "engine/expansion.h"
#include "engine/generator.h"
#include "engine/taskobserver.h"
#include "platform/text.h"

#include <functional>

namespace quorvel {

class ContentCache;
class Library;
class RandomSource;

// What a run did.
struct RunReport
{
    int lines = 0;        // story lines handed on
    int linesAtBound = 0; // of them, lines whose expansion ended at a limit
    bool stopped = false; // the observer stopped the run before its end
};

// Where a run hands what it makes: each story line with where it came from (its draws only while
// tracing is on), and each diagnostic the moment it is met. Either may be left empty.
struct RunSink
{
    std::function<void(const StoryLine &line)> line;
    DiagnosticSink diagnostic;
};

// One run of a project: for each of its templates, in order, one story line, handed to the sink
// the moment it is made, so that the diagnostics of a template come before its line. The run
// button and the command line differ only in where the lines and the diagnostics go.
class ProjectRun
{
public:
    explicit ProjectRun(ContentCache &files, RandomSource &random, ExpansionLimits limits = {});
    // With a content cache of its own, for one run.
    ProjectRun(const Library &library, RandomSource &random, ExpansionLimits limits = {});
    Q_DISABLE_COPY_MOVE(ProjectRun)

    // Runs the templates named, in this order; the same name twice is drawn twice. An empty
    // project gives its diagnostic and makes nothing; a template without any pattern (its file
    // missing or empty) makes no line and no diagnostic.
    RunReport run(const TextList &templateNames, const RunSink &sink,
                  TaskObserver *observer = nullptr);

    // Whether the lines carry their draws (off at first).
    void setTracing(bool on) { m_tracing = on; }

private:
    // The generator's diagnostics go to the sink of the run under way.
    void handOn(const Diagnostic &diagnostic);

    const RunSink *m_sink = nullptr;
    Generator m_generator;
    bool m_tracing = false;
};

} // namespace quorvel
