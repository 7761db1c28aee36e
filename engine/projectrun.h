#pragma once

#include "engine/expansion.h"
#include "engine/generator.h"
#include "platform/text.h"

#include <functional>

namespace quorvel {

class ContentCache;
class Dialogs;
class Library;
class RandomSource;

// One run of a project: for each of its templates, in order, one story line, handed to the sink
// the moment it is made, so that the messages of a template come before its line. The run button
// and the command line differ only in where the lines go.
class ProjectRun
{
public:
    using LineSink = std::function<void(const Text &line)>;

    ProjectRun(ContentCache &files, RandomSource &random, Dialogs &dialogs,
               ExpansionLimits limits = {});
    // With a content cache of its own, for one run.
    ProjectRun(const Library &library, RandomSource &random, Dialogs &dialogs,
               ExpansionLimits limits = {});

    // Runs the templates named, in this order; the same name twice is drawn twice. An empty
    // project shows its message and makes nothing; a template without any pattern (its file
    // missing or empty) makes no line and no message.
    void run(const TextList &templateNames, const LineSink &sink);

private:
    Generator m_generator;
    Dialogs &m_dialogs;
};

} // namespace quorvel
