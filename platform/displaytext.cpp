#include "platform/displaytext.h"

#include "platform/gbkcodec.h"

namespace quorvel {

namespace {

// Characters an edit box does not hand back as they were given: U+2029 is a line break to it (and
// so to displayToText), U+2028 one it draws as such, and a text document keeps noncharacters such
// as U+FDD0 for its own marks. Such a character is shown as the bytes of its code instead.
bool changedByEditBoxes(char32_t c)
{
    return c == 0x2028 || c == 0x2029 || (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE;
}

void appendCarriers(QString &out, QByteArrayView bytes)
{
    for (const char byte : bytes)
        out.append(QChar(char16_t(gbk::RawByteCarrier + uchar(byte))));
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
            appendCarriers(shown, QByteArray(1, char(c.unicode())));
        } else if (c.isHighSurrogate() && i + 1 < decoded.size() &&
                   decoded.at(i + 1).isLowSurrogate()) {
            const QStringView pair = QStringView(decoded).sliced(i++, 2);
            if (changedByEditBoxes(QChar::surrogateToUcs4(pair.at(0), pair.at(1))))
                appendCarriers(shown, gbk::encode(pair));
            else
                shown.append(pair);
        } else if (changedByEditBoxes(c.unicode())) {
            appendCarriers(shown, gbk::encode(QStringView(&c, 1)));
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
        if (c == u'\n' || c == QChar::ParagraphSeparator)
            text.append(u"\r\n");
        else
            text.append(c);
    }
    return Text::fromUnicode(text);
}

} // namespace quorvel
