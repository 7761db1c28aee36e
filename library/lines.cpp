#include "library/lines.h"

#include <cstring>

namespace quorvel {

namespace {

// The first CR LF at or after from, or nullptr. memchr finds each LF far faster than a loop over
// the bytes would; a CR right before it makes the pair.
const char *findCrLf(const char *from, const char *end)
{
    while (from < end) {
        const auto *lf = static_cast<const char *>(std::memchr(from, '\n', size_t(end - from)));
        if (!lf)
            return nullptr;
        if (lf > from && lf[-1] == '\r')
            return lf - 1;
        from = lf + 1;
    }
    return nullptr;
}

// Calls take(line) for every line of text, in order; each line a view into text.
template <typename Take> void forEachLine(QByteArrayView text, Take take)
{
    const char *from = text.data();
    const char *const end = from + text.size();
    while (from < end) {
        const char *crlf = findCrLf(from, end);
        const char *lineEnd = crlf ? crlf : end;
        take(QByteArrayView(from, lineEnd - from));
        if (!crlf)
            break;
        from = crlf + 2;
    }
}

} // namespace

TextList splitLines(const Text &text)
{
    TextList lines;
    forEachLine(text.view(), [&lines](QByteArrayView line) { lines.append(Text::fromGbk(line)); });
    return lines;
}

int countLines(QByteArrayView text)
{
    int count = 0;
    forEachLine(text, [&count](QByteArrayView) { ++count; });
    return count;
}

QByteArrayView lineAt(QByteArrayView text, int index)
{
    const char *from = text.data();
    const char *const end = from + text.size();
    for (int i = 0; i < index; ++i)
        from = findCrLf(from, end) + 2;
    const char *crlf = findCrLf(from, end);
    return QByteArrayView(from, (crlf ? crlf : end) - from);
}

QList<quint32> lineStarts(QByteArrayView text)
{
    QList<quint32> starts;
    forEachLine(text, [&starts, &text](QByteArrayView line) {
        starts.append(quint32(line.data() - text.data()));
    });
    return starts;
}

QByteArrayView lineAt(QByteArrayView text, const QList<quint32> &starts, int index)
{
    // A line ends two bytes before the next one starts; the last one at the end of the text,
    // or before the CR LF that ends it.
    const qsizetype start = starts.at(index);
    qsizetype end = text.size();
    if (index + 1 < starts.size())
        end = qsizetype(starts.at(index + 1)) - 2;
    else if (end - start >= 2 && text.endsWith("\r\n"))
        end -= 2;
    return text.sliced(start, end - start);
}

Text joinLines(const TextList &entries)
{
    qsizetype size = 0;
    for (const Text &entry : entries)
        size += entry.size() + 2;
    QByteArray bytes;
    bytes.reserve(size);
    for (const Text &entry : entries) {
        bytes += entry.view();
        bytes += "\r\n";
    }
    return Text::fromGbk(std::move(bytes));
}

} // namespace quorvel
