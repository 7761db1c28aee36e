#include "engine/expansion.h"

#include "platform/gbkcodec.h"

#include <algorithm>
#include <cstring>

namespace quorvel {

namespace {

// A GBK lead byte takes the next byte with it, whatever that byte is: a bracket byte there is the
// second half of a character. GB18030's four-byte characters (lead, digit, lead, digit) pair up
// the same way and hold no bracket byte, so two-byte steps walk over them as well.
constexpr qsizetype characterStep(uchar byte)
{
    return gbk::isLeadByte(byte) ? 2 : 1;
}

qsizetype findClose(const uchar *bytes, qsizetype size, qsizetype from)
{
    for (qsizetype i = from; i < size; i += characterStep(bytes[i])) {
        if (bytes[i] == ']')
            return i;
    }
    return -1;
}

// The line being expanded, in two parts with a gap between them: the finished text left of the
// reference being replaced, and the text still to be searched. A drawn line goes into the gap in
// front of the text still to be searched, so a replacement never moves what lies to its right.
class GapText
{
public:
    explicit GapText(const Text &text) : m_bytes(text.toGbk()) {}

    qsizetype length() const { return m_done + m_bytes.size() - m_rest; }
    QByteArrayView rest() const
    {
        return QByteArrayView(m_bytes.constData() + m_rest, m_bytes.size() - m_rest);
    }

    // The first n bytes still to be searched are final.
    void keep(qsizetype n)
    {
        if (m_done != m_rest)
            std::memmove(m_bytes.data() + m_done, m_bytes.constData() + m_rest, size_t(n));
        m_done += n;
        m_rest += n;
    }
    void drop(qsizetype n) { m_rest += n; }
    void insert(QByteArrayView text)
    {
        // An empty line may come without any bytes behind it, and memcpy() must not see that.
        if (text.isEmpty())
            return;
        if (m_rest - m_done < text.size())
            widenGap(text.size());
        m_rest -= text.size();
        std::memcpy(m_bytes.data() + m_rest, text.data(), size_t(text.size()));
    }
    Text take()
    {
        m_bytes.remove(m_done, m_rest - m_done);
        return Text::fromGbk(std::move(m_bytes));
    }

private:
    // The new gap holds as much again as the whole line, so the copies made here cost no more,
    // over one expansion, than the bytes inserted.
    void widenGap(qsizetype needed)
    {
        const qsizetype tail = m_bytes.size() - m_rest;
        const qsizetype gap = needed + length() + 64;
        QByteArray wider(m_done + gap + tail, Qt::Uninitialized);
        std::memcpy(wider.data(), m_bytes.constData(), size_t(m_done));
        std::memcpy(wider.data() + m_done + gap, m_bytes.constData() + m_rest, size_t(tail));
        m_bytes = std::move(wider);
        m_rest = m_done + gap;
    }

    QByteArray m_bytes;
    qsizetype m_done = 0; // m_bytes[0, m_done) is final
    qsizetype m_rest = 0; // m_bytes[m_rest, end) is still to be searched
};

} // namespace

Reference findReference(QByteArrayView text)
{
    const auto *bytes = reinterpret_cast<const uchar *>(text.data());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; i += characterStep(bytes[i])) {
        if (bytes[i] == ']')
            return {-1, i};
        if (bytes[i] == '[')
            return {i, findClose(bytes, size, i + 1)};
    }
    return {};
}

namespace {

// The drawn lines that the search is inside, outermost first. The text after a drawn line is
// never touched until the search reaches it, so a line is known by how many bytes follow it:
// the search is inside the line while more bytes than that are left to search.
class OpenDraws
{
public:
    // The lines that end before the search position (bytes left to search) are done.
    void leaveEndedBefore(qsizetype left)
    {
        while (!m_draws.isEmpty() && m_draws.last().after >= left)
            m_draws.removeLast();
    }
    // How deep a line drawn for a reference followed by leftAfter bytes would sit: inside the
    // lines that do not end before the reference does.
    int depthOfNew(qsizetype leftAfter) const
    {
        qsizetype depth = m_draws.size();
        while (depth > 0 && m_draws.at(depth - 1).after > leftAfter)
            --depth;
        return int(depth + 1);
    }
    void enter(QByteArrayView reference, qsizetype leftAfter)
    {
        while (!m_draws.isEmpty() && m_draws.last().after > leftAfter)
            m_draws.removeLast();
        m_draws.append({leftAfter, Text::fromGbk(nameIn(reference))});
    }
    // The names of the lines that hold all of the reference, then the reference's own.
    TextList chainTo(QByteArrayView reference, qsizetype leftAfter) const
    {
        TextList chain;
        for (const Open &open : m_draws) {
            if (open.after <= leftAfter)
                chain.append(open.name);
        }
        chain.append(Text::fromGbk(nameIn(reference)));
        return chain;
    }

private:
    static QByteArrayView nameIn(QByteArrayView reference)
    {
        return reference.size() > 2 ? reference.sliced(1, reference.size() - 2) : QByteArrayView();
    }
    struct Open
    {
        qsizetype after;
        Text name;
    };
    QList<Open> m_draws;
};

Expansion endless(GapText &text, const OpenDraws &open, QByteArrayView reference,
                  qsizetype leftAfter)
{
    TextList chain = open.chainTo(reference, leftAfter);
    return {text.take(), ExpansionEnd::Endless, std::move(chain)};
}

} // namespace

Expansion expandReferences(const Text &pattern, const ReferenceDraw &draw,
                           const ExpansionLimits &limits)
{
    Reference reference = findReference(pattern.view());
    if (!reference.isReference())
        return {pattern, ExpansionEnd::Complete, {}};
    if (reference.isEmpty())
        return {Text(), ExpansionEnd::EmptyReference, {}};

    // Text left of the first "[" holds neither bracket (a "]" there would have ended the
    // expansion), and a replacement leaves it as it is, character boundaries included: so each
    // search starts at the reference just replaced, with the same result as one from the start.
    GapText text(pattern);
    OpenDraws open;
    const qsizetype maxLength = std::max(limits.maxLength, pattern.size());
    for (qsizetype draws = 0;; ++draws) {
        text.keep(reference.open);
        open.leaveEndedBefore(text.rest().size());
        const qsizetype length = reference.close - reference.open + 1;
        const QByteArrayView name = text.rest().first(length);
        const qsizetype leftAfter = text.rest().size() - length;
        if (draws >= limits.maxDraws || text.length() > maxLength ||
            open.depthOfNew(leftAfter) > limits.maxDepth)
            return endless(text, open, name, leftAfter);
        const std::optional<QByteArrayView> line = draw(name);
        if (!line)
            return endless(text, open, name, leftAfter);
        open.enter(name, leftAfter);
        text.drop(length);
        text.insert(*line);

        reference = findReference(text.rest());
        if (!reference.isReference())
            return {text.take(), ExpansionEnd::Complete, {}};
        if (reference.isEmpty())
            return {text.take(), ExpansionEnd::EmptyReference, {}};
    }
}

} // namespace quorvel
