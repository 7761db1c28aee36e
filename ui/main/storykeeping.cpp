// The story is what the writer came for: it is not lost to a closed window, a crash or a kill.
// Closing asks about a story not saved; meanwhile a copy of the story box, with the sources of
// its lines, is kept in the state folder and offered back at the next start.
#include "ui/main/mainwindow.h"

#include "engine/tracejson.h"
#include "library/storyrecovery.h"
#include "ui/widgets/storybox.h"

namespace quorvel {

namespace {

const QString UnsavedStory = QStringLiteral("故事尚未保存，是否保存？");
const QString RecoverStory = QStringLiteral("上次的故事没有保存，是否恢复？");
// Often enough to lose little, seldom enough that typing does not write a file per key.
constexpr int KeepingDelayMs = 2000;

} // namespace

void MainWindow::keepStoryIn(const QString &stateFolder)
{
    if (m_recovery)
        return; // one state folder for the window's life
    m_recovery = std::make_unique<StoryRecovery>(m_services.files, stateFolder);
    // Where no slot can be had the story is still asked about at the close, only not kept.
    if (!m_recovery->open()) {
        m_recovery.reset();
        return;
    }
    m_storyKeeping.setSingleShot(true);
    m_storyKeeping.setInterval(KeepingDelayMs);
    connect(&m_storyKeeping, &QTimer::timeout, this, &MainWindow::keepStory);
    // The first change starts the clock; later changes before it runs out are written with it.
    connect(m_story, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_storyKeeping.isActive())
            m_storyKeeping.start();
    });
    offerRecoveredStory();
}

void MainWindow::offerRecoveredStory()
{
    const std::optional<KeptStory> left = m_recovery->left();
    if (!left)
        return;
    if (left->text.isEmpty() || !m_services.dialogs.question(RecoverStory)) {
        m_recovery->discard();
        return;
    }
    m_story->setContent(left->text);
    QList<std::pair<int, StoryLine>> sources;
    for (const KeptStory::Line &line : left->lines) {
        if (std::optional<StoryLine> source = traceFromJson(line.source))
            sources.append({line.block, std::move(*source)});
    }
    m_story->restoreSources(sources);
    // The story came back, but it is still not saved anywhere but in its copy.
    m_story->document()->setModified(true);
    m_storyKeeping.stop();
}

void MainWindow::keepStory()
{
    if (!m_recovery)
        return;
    if (!m_story->isChanged() || m_story->content().isEmpty()) {
        m_recovery->discard();
        return;
    }
    KeptStory story{m_story->content(), {}};
    const QList<std::pair<int, StoryLine>> lines = m_story->sourcedLines();
    for (const auto &[block, line] : lines)
        story.lines.append({block, traceToJson(line)});
    // A copy that cannot be written is not worth a message at every pause in the typing: the
    // question at the close still guards the story.
    (void)m_recovery->keep(story);
}

void MainWindow::storySettled()
{
    m_storyKeeping.stop();
    if (m_recovery)
        m_recovery->discard();
}

bool MainWindow::storyMayClose()
{
    if (!m_story->isChanged() || m_story->content().isEmpty()) {
        storySettled();
        return true;
    }
    switch (m_services.dialogs.questionWithCaptions(
        UnsavedStory, {QStringLiteral("保存"), QStringLiteral("不保存"), QStringLiteral("取消")})) {
    case Dialogs::Choice::Yes:
        // A save cancelled in its dialog, or refused by the disk, keeps the program open.
        return writeStory();
    case Dialogs::Choice::No:
        storySettled();
        return true;
    case Dialogs::Choice::Cancel:
        break;
    }
    return false;
}

} // namespace quorvel
