#pragma once

#include "platform/dialogs.h"

#include <cstdio>

namespace quorvel {

// The dialogs of a program without windows: every message and question goes to a stream (standard
// error), one per line, in UTF-8. Nobody is there to answer, so questions are answered No and
// input boxes are cancelled.
class ConsoleDialogs : public Dialogs
{
public:
    explicit ConsoleDialogs(std::FILE *stream = stderr) : m_stream(stream) {}

    void message(const QString &text) override;
    bool question(const QString &text) override;
    Choice questionWithCancel(const QString &text) override;
    bool input(QString &text) override;

private:
    void print(const QString &text);

    std::FILE *m_stream;
};

} // namespace quorvel
