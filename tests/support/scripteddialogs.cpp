#include "tests/support/scripteddialogs.h"

namespace quorvel::test {

void ScriptedDialogs::message(const QString &text)
{
    shown.append(text);
}

bool ScriptedDialogs::question(const QString &text)
{
    shown.append(text);
    return answers.isEmpty() ? false : answers.takeFirst();
}

bool ScriptedDialogs::input(QString &text)
{
    ++inputsAsked;
    const std::optional<QString> typed = inputs.isEmpty() ? std::nullopt : inputs.takeFirst();
    if (!typed)
        return false;
    text = *typed;
    return true;
}

} // namespace quorvel::test
