#include "library/story.h"

#include "platform/gbkcodec.h"
#include "platform/utf8.h"

namespace quorvel {

QByteArray storyBytes(const Text &story, StoryEncoding encoding)
{
    if (encoding == StoryEncoding::Gbk)
        return story.toGbk();
    QString text = story.toUnicode();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return utf8::encode(text);
}

QByteArray wellFormedStoryBytes(const Text &story, StoryEncoding encoding)
{
    if (encoding == StoryEncoding::Utf8) {
        QString text = story.toUnicode();
        for (QChar &c : text) {
            if (gbk::isRawByteCarrier(c.unicode()))
                c = QChar::ReplacementCharacter;
        }
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        return text.toUtf8();
    }
    const QByteArrayView bytes = story.view();
    QByteArray out;
    out.reserve(bytes.size());
    for (qsizetype at = 0; at < bytes.size();) {
        const qsizetype length = gbk::characterLength(bytes.sliced(at));
        if (length == 1 && uchar(bytes[at]) >= 0x80)
            out += '?';
        else
            out += bytes.sliced(at, length);
        at += length;
    }
    return out;
}

} // namespace quorvel
