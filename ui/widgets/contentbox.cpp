#include "ui/widgets/contentbox.h"

#include "platform/displaytext.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace quorvel {

namespace {

// Wrapping at word boundaries looks for the end of the word at every line it breaks, so laying
// out a line of megabytes without a blank takes hours. No line written by hand comes near this
// length; a text that holds a longer one is wrapped anywhere, which takes time in proportion.
constexpr qsizetype LongestWordWrappedLine = 16 * 1024;

bool hasLongLine(QStringView shown)
{
    for (qsizetype start = 0;;) {
        const qsizetype end = shown.indexOf(u'\n', start);
        if ((end < 0 ? shown.size() : end) - start > LongestWordWrappedLine)
            return true;
        if (end < 0)
            return false;
        start = end + 1;
    }
}

} // namespace

ContentBox::ContentBox(QWidget *parent) : QPlainTextEdit(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab moves on to the next control; the library's texts hold tabs pasted in, not typed.
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
}

void ContentBox::contextMenuEvent(QContextMenuEvent *event)
{
    std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
    if (!actions().isEmpty()) {
        menu->addSeparator();
        menu->addActions(actions());
    }
    menu->exec(event->globalPos());
}

void ContentBox::keyPressEvent(QKeyEvent *event)
{
    // The edit box would put a soft break into its line as U+2028, the very character an input
    // method commits or a key types as text, and content() could not tell the two apart after
    // the fact. So the box takes a soft break as the line break it is meant to be (a library line
    // ends with CR LF either way), and every U+2028 left inside a line is a character, which
    // content() hands back as it is.
    if (!isReadOnly() && event->matches(QKeySequence::InsertLineSeparator)) {
        QKeyEvent lineBreak(event->type(), Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"),
                            event->isAutoRepeat(), ushort(event->count()));
        QPlainTextEdit::keyPressEvent(&lineBreak);
        event->setAccepted(lineBreak.isAccepted());
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void ContentBox::setContent(const Text &text)
{
    const QString shown = textToDisplay(text);
    setWordWrapMode(hasLongLine(shown) ? QTextOption::WrapAnywhere
                                       : QTextOption::WrapAtWordBoundaryOrAnywhere);
    setPlainText(shown);
    document()->setModified(false);
}

Text ContentBox::content() const
{
    // toRawText() keeps every character as typed; toPlainText() would turn non-breaking spaces
    // into plain ones.
    return displayToText(document()->toRawText());
}

void ContentBox::appendContent(const Text &text)
{
    // Scrolling lays out the lines in view again, which costs as much as the append itself; so a
    // series of appends (one per line of a run) moves the view once, back in the event loop.
    QScrollBar *bar = verticalScrollBar();
    const bool follow = m_followEnd || bar->value() == bar->maximum();
    const QString shown = textToDisplay(text);
    if (wordWrapMode() != QTextOption::WrapAnywhere && hasLongLine(shown))
        setWordWrapMode(QTextOption::WrapAnywhere);
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    // One edit: the document tells its changes once, and the append is one step to undo.
    cursor.beginEditBlock();
    cursor.insertText(shown);
    cursor.endEditBlock();
    if (follow && !m_followEnd) {
        m_followEnd = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_followEnd = false;
                verticalScrollBar()->setValue(verticalScrollBar()->maximum());
            },
            Qt::QueuedConnection);
    }
}

} // namespace quorvel
