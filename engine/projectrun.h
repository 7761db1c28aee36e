#pragma once

#include "engine/expansion.h"
#include "engine/generator.h"
#include "engine/taskobserver.h"
#include "platform/text.h"

#include <functional>

namespace quorvel {

class ContentCache;
class Dialogs;
class Library;
class RandomSource;

// What a run did.
struct RunReport
{
    int lines = 0;        // story lines handed on
    int linesAtBound = 0; // of them, lines whose expansion ended at a limit
    bool stopped = false; // the observer stopped the run before its end
};

// One run of a project: for each of its templates, in order, one story line, handed to the sink
// the moment it is made, so that the messages of a template come before its line. The run button
// and the command line differ only in where the lines go.
class ProjectRun
{
public:
    // Each line with where it came from (its draws only while tracing is on).
    using LineSink = std::function<void(const StoryLine &line)>;

    ProjectRun(ContentCache &files, RandomSource &random, Dialogs &dialogs,
               ExpansionLimits limits = {});
    // With a content cache of its own, for one run.
    ProjectRun(const Library &library, RandomSource &random, Dialogs &dialogs,
               ExpansionLimits limits = {});

    // Runs the templates named, in this order; the same name twice is drawn twice. An empty
    // project shows its message and makes nothing; a template without any pattern (its file
    // missing or empty) makes no line and no message.
    RunReport run(const TextList &templateNames, const LineSink &sink,
                  TaskObserver *observer = nullptr);

    // Whether the lines carry their draws (off at first).
    void setTracing(bool on) { m_tracing = on; }

private:
    Generator m_generator;
    Dialogs &m_dialogs;
    bool m_tracing = false;
};

} // namespace quorvel
