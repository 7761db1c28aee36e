#include "platform/dialogs.h"

namespace quorvel {

namespace {

class Unwatched : public Progress
{
public:
    void setProgress(int, int) override {}
    void keepServed() override {}
    bool stopRequested() override { return false; }
};

} // namespace

std::unique_ptr<Progress> Dialogs::startProgress(const QString &)
{
    return std::make_unique<Unwatched>();
}

Dialogs::Choice Dialogs::questionWithCaptions(const QString &text, const Captions &)
{
    return questionWithCancel(text);
}

std::optional<SaveTarget> Dialogs::saveFileName(const QString &, const QStringList &)
{
    return std::nullopt;
}

} // namespace quorvel
