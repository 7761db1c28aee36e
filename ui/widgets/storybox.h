#pragma once

#include "engine/generator.h"
#include "ui/widgets/contentbox.h"

#include <QTextEdit>

#include <optional>

namespace quorvel {

// The story box: a content box whose lines made by a run keep where they came from, for as long
// as the line stays as it was made (the user may edit around it; a line the user edits forgets
// it). Hovering such a line shows its source; the context menu offers "查看来源…".
class StoryBox : public ContentBox
{
    Q_OBJECT

public:
    explicit StoryBox(QWidget *parent = nullptr);

    // Appends the lines, each ended by CR LF, remembering where each came from.
    void appendStory(const QList<StoryLine> &lines);
    // The line of the block at the text position, with its source, when it still has one.
    std::optional<StoryLine> storyLineAt(int position) const;
    // The story line under the selection and the bytes of it that the selection covers.
    std::optional<StoryLine> selectedStoryLine(qsizetype &start, qsizetype &end) const;
    // The lines that still have their source, each with its line number in the box (from 0).
    QList<std::pair<int, StoryLine>> sourcedLines() const;
    // Gives the lines their sources again, where the box's line at that number still shows it.
    void restoreSources(const QList<std::pair<int, StoryLine>> &lines);

signals:
    void sourceRequested(const StoryLine &line);
    // The selection moved within a line that has a source: bytes [start, end) of it.
    void selectionInStoryLine(const StoryLine &line, qsizetype start, qsizetype end);

protected:
    bool event(QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void keepSourcesWithLines(int position, int removed, int added);
    void tellSelection();
    QTextEdit::ExtraSelection drawMark(const StoryLine &line, const DrawTrace &draw) const;

    bool m_appending = false;
};

} // namespace quorvel
