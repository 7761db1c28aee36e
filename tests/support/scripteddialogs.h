#pragma once

#include "platform/dialogs.h"

#include <QList>
#include <QStringList>
#include <optional>

namespace quorvel::test {

// Dialogs answered from a script. Every message and question shown is recorded in order, in
// shown; questions take their answers from answers (No once the list is used up); input boxes
// take theirs from inputs, where an empty optional means the user pressed Cancel.
class ScriptedDialogs : public Dialogs
{
public:
    void message(const QString &text) override;
    bool question(const QString &text) override;
    bool input(QString &text) override;

    QStringList shown;
    QList<bool> answers;
    QList<std::optional<QString>> inputs;
    int inputsAsked = 0;
};

} // namespace quorvel::test
