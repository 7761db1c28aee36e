#pragma once

#include <QString>

namespace quorvel {

// Every question the program asks and every message it shows goes through here, so that tests can
// answer and read them.
class Dialogs
{
public:
    virtual ~Dialogs() = default;
    // A modal message with an OK button.
    virtual void message(const QString &text) = 0;
    // A modal Yes/No question; true when the user chose Yes.
    virtual bool question(const QString &text) = 0;
    // A modal input box with no prompt, title or initial text. On OK the typed line is stored into
    // text and true is returned; on Cancel text keeps its value and false is returned.
    virtual bool input(QString &text) = 0;
};

} // namespace quorvel
