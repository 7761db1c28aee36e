#include "ui/widgets/storybox.h"

#include "platform/displaytext.h"
#include "ui/widgets/tracetext.h"

#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QTextBlock>
#include <QToolTip>

namespace quorvel {

namespace {

// A block's source: the line it was made with. A block whose text no longer shows that line was
// edited, and its source no longer holds.
class Source : public QTextBlockUserData
{
public:
    explicit Source(StoryLine line) : m_line(std::move(line)) {}
    const StoryLine *lineFor(const QTextBlock &block) const
    {
        return block.text() == textToDisplay(m_line.text) ? &m_line : nullptr;
    }

private:
    StoryLine m_line;
};

const StoryLine *sourceOf(const QTextBlock &block)
{
    const auto *source = static_cast<const Source *>(block.userData());
    return source ? source->lineFor(block) : nullptr;
}

// Bytes of the line before the block's character position (the line holds no line break).
qsizetype bytesBefore(const QTextBlock &block, int position)
{
    return displayToText(QStringView(block.text()).first(position)).size();
}

} // namespace

StoryBox::StoryBox(QWidget *parent) : ContentBox(parent)
{
    connect(this, &QPlainTextEdit::selectionChanged, this, &StoryBox::tellSelection);
    connect(document(), &QTextDocument::contentsChange, this, &StoryBox::keepSourcesWithLines);
}

void StoryBox::appendStory(const QList<StoryLine> &lines)
{
    if (lines.isEmpty())
        return;
    Text text;
    for (const StoryLine &line : lines)
        text += line.text + "\r\n";
    // The first line starts a block of its own unless the box's last line is unfinished (typed
    // by the user): then it shares that block and has no source of its own.
    QTextBlock block = document()->lastBlock();
    const bool shared = !block.text().isEmpty();
    m_appending = true;
    appendContent(text);
    m_appending = false;
    for (qsizetype i = 0; i < lines.size() && block.isValid(); ++i, block = block.next()) {
        if (i > 0 || !shared)
            block.setUserData(new Source(lines.at(i)));
    }
}

std::optional<StoryLine> StoryBox::storyLineAt(int position) const
{
    const StoryLine *line = sourceOf(document()->findBlock(position));
    return line ? std::optional<StoryLine>(*line) : std::nullopt;
}

std::optional<StoryLine> StoryBox::selectedStoryLine(qsizetype &start, qsizetype &end) const
{
    const QTextCursor cursor = textCursor();
    const QTextBlock block = document()->findBlock(cursor.selectionStart());
    if (!cursor.hasSelection() || block != document()->findBlock(cursor.selectionEnd()))
        return std::nullopt;
    const StoryLine *line = sourceOf(block);
    if (!line)
        return std::nullopt;
    start = bytesBefore(block, cursor.selectionStart() - block.position());
    end = bytesBefore(block, cursor.selectionEnd() - block.position());
    return *line;
}

QList<std::pair<int, StoryLine>> StoryBox::sourcedLines() const
{
    QList<std::pair<int, StoryLine>> lines;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (const StoryLine *line = sourceOf(block))
            lines.append({block.blockNumber(), *line});
    }
    return lines;
}

void StoryBox::restoreSources(const QList<std::pair<int, StoryLine>> &lines)
{
    for (const auto &[number, line] : lines) {
        QTextBlock block = document()->findBlockByNumber(number);
        if (block.isValid() && block.text() == textToDisplay(line.text))
            block.setUserData(new Source(line));
    }
}

bool StoryBox::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const QPoint at = viewport()->mapFromGlobal(help->globalPos());
        const std::optional<StoryLine> line = storyLineAt(cursorForPosition(at).position());
        if (line)
            QToolTip::showText(help->globalPos(), traceText(*line), this);
        else
            QToolTip::hideText();
        return true;
    }
    return ContentBox::event(event);
}

void StoryBox::contextMenuEvent(QContextMenuEvent *event)
{
    std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
    const std::optional<StoryLine> line = storyLineAt(cursorForPosition(event->pos()).position());
    QAction *source = menu->addAction(QStringLiteral("查看来源…"));
    source->setObjectName(QStringLiteral("storySource"));
    source->setEnabled(line.has_value());
    if (line)
        connect(source, &QAction::triggered, this, [this, line] { emit sourceRequested(*line); });
    menu->exec(event->globalPos());
}

void StoryBox::keepSourcesWithLines(int position, int removed, int added)
{
    Q_UNUSED(removed);
    // Lines appended by a run get their sources right after.
    if (m_appending)
        return;
    // A line break typed at the start of a line splits its block: the block with the source keeps
    // the text before the break, and the line itself goes on in the next block. The source goes
    // with the line, to the block of the change that now holds it unedited.
    const QTextBlock end = document()->findBlock(position + added).next();
    for (QTextBlock block = document()->findBlock(position); block.isValid() && block != end;
         block = block.next()) {
        const auto *source = static_cast<const Source *>(block.userData());
        if (!source || source->lineFor(block))
            continue;
        for (QTextBlock later = block.next(); later.isValid() && later != end;
             later = later.next()) {
            if (!later.userData() && source->lineFor(later)) {
                later.setUserData(new Source(*source));
                block.setUserData(nullptr);
                break;
            }
        }
    }
}

void StoryBox::tellSelection()
{
    // The text of the draw the selection lies in is marked, so that the writer sees which
    // element line made it; a selection outside any draw marks nothing.
    QList<QTextEdit::ExtraSelection> marks;
    qsizetype start = 0, end = 0;
    if (const std::optional<StoryLine> line = selectedStoryLine(start, end)) {
        if (const DrawTrace *draw = drawHolding(line->trace.draws, start, end))
            marks.append(drawMark(*line, *draw));
        emit selectionInStoryLine(*line, start, end);
    }
    setExtraSelections(marks);
}

QTextEdit::ExtraSelection StoryBox::drawMark(const StoryLine &line, const DrawTrace &draw) const
{
    const int block = document()->findBlock(textCursor().selectionStart()).position();
    const auto position = [&](qsizetype bytes) {
        return block + int(textToDisplay(Text::fromGbk(line.text.view().first(bytes))).size());
    };
    QTextEdit::ExtraSelection mark;
    mark.cursor = QTextCursor(document());
    mark.cursor.setPosition(position(draw.start));
    mark.cursor.setPosition(position(draw.end), QTextCursor::KeepAnchor);
    mark.format.setBackground(palette().color(QPalette::Highlight).lighter(170));
    return mark;
}

} // namespace quorvel
