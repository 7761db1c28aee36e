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

namespace {

class ScriptedProgress : public Progress
{
public:
    explicit ScriptedProgress(ScriptedDialogs &dialogs) : m_dialogs(dialogs) {}
    void setProgress(int done, int) override
    {
        m_done = done;
        m_dialogs.progressSteps.append(done);
    }
    void keepServed() override {}
    bool stopRequested() override
    {
        return m_dialogs.stopAfter >= 0 && m_done >= m_dialogs.stopAfter;
    }

private:
    ScriptedDialogs &m_dialogs;
    int m_done = 0;
};

} // namespace

std::unique_ptr<Progress> ScriptedDialogs::startProgress(const QString &label)
{
    progressLabels.append(label);
    return std::make_unique<ScriptedProgress>(*this);
}

std::optional<SaveTarget> ScriptedDialogs::saveFileName(const QString &suggested,
                                                        const QStringList &fileTypes)
{
    suggestedPaths.append(suggested);
    offeredFileTypes = fileTypes;
    return saveTargets.isEmpty() ? std::nullopt : saveTargets.takeFirst();
}

Dialogs::Choice ScriptedDialogs::questionWithCancel(const QString &text)
{
    shown.append(text);
    return choices.isEmpty() ? Choice::Cancel : choices.takeFirst();
}

Dialogs::Choice ScriptedDialogs::questionWithCaptions(const QString &text, const Captions &captions)
{
    captionsShown.append({captions.yes, captions.no, captions.cancel});
    return questionWithCancel(text);
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
