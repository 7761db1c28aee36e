#include "ui/main/mainwindow.h"

#include "engine/generator.h"
#include "engine/messages.h"
#include "ui/widgets/contentbox.h"
#include "ui/widgets/namelist.h"

namespace quorvel {

// The project is what the project list shows now, saved or not. Each template's line goes into
// the story box as soon as it is made, so the messages of a template come before its line.
void MainWindow::runNovel()
{
    Generator generator(*m_library, m_services.random, m_services.dialogs);
    const int count = m_projectList->count();
    if (count == 0) {
        m_services.dialogs.message(QString::fromUtf16(messages::EmptyProject));
        return;
    }
    for (int i = 0; i < count; ++i) {
        if (const std::optional<Text> line = generator.storyLine(m_projectList->nameAt(i)))
            m_story->appendContent(*line + "\r\n");
    }
}

} // namespace quorvel
