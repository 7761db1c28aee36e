#include "tools/gen/consoledialogs.h"

namespace quorvel {

void ConsoleDialogs::message(const QString &text)
{
    print(text);
}

bool ConsoleDialogs::question(const QString &text)
{
    print(text);
    return false;
}

Dialogs::Choice ConsoleDialogs::questionWithCancel(const QString &text)
{
    print(text);
    return Choice::Cancel;
}

bool ConsoleDialogs::input(QString &)
{
    return false;
}

void ConsoleDialogs::print(const QString &text)
{
    // Whatever was written to standard output goes first, so that in a shared terminal or log a
    // message stands after the lines made before it.
    std::fflush(stdout);
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.append(u'\n');
    std::fputs(line.toUtf8().constData(), m_stream);
    std::fflush(m_stream);
}

} // namespace quorvel
