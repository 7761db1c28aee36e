#include "ui/widgets/contentbox.h"

#include "platform/displaytext.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace quorvel {

ContentBox::ContentBox(QWidget *parent) : QPlainTextEdit(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
}

void ContentBox::setContent(const Text &text)
{
    setPlainText(textToDisplay(text));
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
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(textToDisplay(text));
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
