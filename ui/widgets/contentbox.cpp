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
    QScrollBar *bar = verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(textToDisplay(text));
    if (atEnd)
        bar->setValue(bar->maximum());
}

} // namespace quorvel
