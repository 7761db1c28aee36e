#pragma once

#include "platform/dialogs.h"

#include <QList>
#include <QStringList>
#include <optional>

namespace quorvel::test {

// Dialogs answered from a script. Every message and question shown is recorded in order, in
// shown; questions take their answers from answers (No once the list is used up); input boxes
// take theirs from inputs, where an empty optional means the user pressed Cancel. A progress
// dialog shows at once and its 停止 is pressed once stopAfter steps are done (never when -1);
// file dialogs answer from saveTargets (Cancel once used up, or for an empty optional).
class ScriptedDialogs : public Dialogs
{
public:
    void message(const QString &text) override;
    bool question(const QString &text) override;
    // Answered from choices (Cancel once used up).
    Choice questionWithCancel(const QString &text) override;
    // The same, recording the captions in captionsShown.
    Choice questionWithCaptions(const QString &text, const Captions &captions) override;
    bool input(QString &text) override;
    std::unique_ptr<Progress> startProgress(const QString &label) override;
    std::optional<SaveTarget> saveFileName(const QString &suggested,
                                           const QStringList &fileTypes) override;

    QStringList shown;
    QList<bool> answers;
    QList<Choice> choices;
    QList<QStringList> captionsShown; // yes, no, cancel
    QList<std::optional<QString>> inputs;
    int inputsAsked = 0;

    int stopAfter = -1;
    QStringList progressLabels;
    QList<int> progressSteps; // every step reported, in order

    QList<std::optional<SaveTarget>> saveTargets;
    QStringList suggestedPaths;
    QStringList offeredFileTypes;
};

} // namespace quorvel::test
