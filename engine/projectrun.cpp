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

void ProjectRun::run(const TextList &templateNames, const LineSink &sink)
{
    if (templateNames.isEmpty()) {
        m_dialogs.message(QString::fromUtf16(messages::EmptyProject));
        return;
    }
    for (const Text &templateName : templateNames) {
        if (const std::optional<Text> line = m_generator.storyLine(templateName))
            sink(*line);
    }
}

} // namespace quorvel
