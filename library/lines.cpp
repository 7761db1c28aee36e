#include "library/lines.h"

namespace quorvel {

TextList splitLines(const Text &text)
{
    TextList lines;
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype end = text.indexOf("\r\n", start);
        if (end < 0) {
            lines.append(text.mid(start));
            break;
        }
        lines.append(text.mid(start, end - start));
        start = end + 2;
    }
    return lines;
}

Text joinLines(const TextList &entries)
{
    qsizetype size = 0;
    for (const Text &entry : entries)
        size += entry.size() + 2;
    Text text;
    text.reserve(size);
    for (const Text &entry : entries) {
        text += entry;
        text += "\r\n";
    }
    return text;
}

} // namespace quorvel
