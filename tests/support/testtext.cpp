#include "tests/support/testtext.h"

#include <QByteArray>

namespace quorvel {

char *toString(const Text &text)
{
    QByteArray shown = "\"";
    for (const char c : text.view()) {
        if (c >= 0x20 && c < 0x7F && c != '\\' && c != '"')
            shown += c;
        else
            shown += "\\x" + QByteArray::number(uchar(c), 16).rightJustified(2, '0');
    }
    shown += '"';
    return qstrdup(shown.constData());
}

} // namespace quorvel

namespace quorvel::test {

Text repeated(qsizetype count, char byte)
{
    return Text::fromGbk(QByteArray(count, byte));
}

Text numberText(qint64 value)
{
    return Text::fromGbk(QByteArray::number(value));
}

} // namespace quorvel::test
