#include "platform/displaytext.h"

#include "platform/gbkcodec.h"

namespace quorvel {

namespace {

void appendRawByte(QString &out, char byte)
{
    const char32_t raw = gbk::RawByteBase + char32_t(uchar(byte));
    const char16_t units[2] = {QChar::highSurrogate(raw), QChar::lowSurrogate(raw)};
    out.append(QStringView(units, 2));
}

} // namespace

QString textToDisplay(const Text &text)
{
    const QString decoded = text.toUnicode();
    QString shown;
    shown.reserve(decoded.size());
    for (qsizetype i = 0; i < decoded.size(); ++i) {
        const QChar c = decoded.at(i);
        if (c == u'\r' && i + 1 < decoded.size() && decoded.at(i + 1) == u'\n') {
            shown.append(u'\n');
            ++i;
        } else if (c == u'\r' || c == u'\n') {
            appendRawByte(shown, char(c.unicode()));
        } else {
            shown.append(c);
        }
    }
    return shown;
}

Text displayToText(QStringView shown)
{
    QString text;
    text.reserve(shown.size() + shown.size() / 16);
    for (const QChar c : shown) {
        if (c == u'\n' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            text.append(u"\r\n");
        else
            text.append(c);
    }
    return Text::fromUnicode(text);
}

} // namespace quorvel
