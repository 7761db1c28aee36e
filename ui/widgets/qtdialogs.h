#pragma once

#include "platform/dialogs.h"

namespace quorvel {

// The program's dialogs as Qt shows them, titled with the program's name and centred on the
// window the user is working in.
class QtDialogs : public Dialogs
{
public:
    void message(const QString &text) override;
    bool question(const QString &text) override;
    Choice questionWithCancel(const QString &text) override;
    Choice questionWithCaptions(const QString &text, const Captions &captions) override;
    bool input(QString &text) override;
    std::unique_ptr<Progress> startProgress(const QString &label) override;
    std::optional<SaveTarget> saveFileName(const QString &suggested,
                                           const QStringList &fileTypes) override;
};

} // namespace quorvel
