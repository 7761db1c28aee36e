#include "library/story.h"

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

} // namespace quorvel
