#pragma once

#include "platform/text.h"

#include <QPlainTextEdit>
#include <QTextDocument>

namespace quorvel {

// A multi-line edit box that shows a library text and hands it back exactly: a text shown and
// taken back unchanged gives the same bytes, whatever they are.
class ContentBox : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit ContentBox(QWidget *parent = nullptr);

    void setContent(const Text &text);
    Text content() const;
    // Whether the text changed since it was set or marked saved.
    bool isChanged() const { return document()->isModified(); }
    void markSaved() { document()->setModified(false); }
    // Adds text at the very end, wherever the caret stands; the view follows the end when it was
    // showing the end (once control is back in the event loop).
    void appendContent(const Text &text);

protected:
    // The edit box's own menu, then the actions added to the box.
    void contextMenuEvent(QContextMenuEvent *event) override;
    // A soft break (Shift+Return) is typed as a line break of its own.
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool m_followEnd = false; // the view is to be moved to the end
};

} // namespace quorvel
