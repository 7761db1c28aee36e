#include "platform/text.h"

#include "platform/gbkcodec.h"

namespace quorvel {

Text Text::fromUnicode(QStringView text)
{
    return fromGbk(gbk::encode(text));
}

QString Text::toUnicode() const
{
    return gbk::decode(m_bytes);
}

char *toString(const Text &text)
{
    // Printable ASCII as it is, every other byte in hex: the bytes are what a test compares.
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
