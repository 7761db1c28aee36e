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
    // How many bytes are final: the search position, in the line as it will be.
    qsizetype done() const { return m_done; }
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
// the search is inside the line while more bytes than that are left to search. When traced,
// every line drawn is recorded with where it starts and, once the search has left it, where it
// ends; a line that a later reference cuts into ends where that reference starts.
class OpenDraws
{
public:
    explicit OpenDraws(bool trace) : m_trace(trace)
    {
        // Room for the draws of a usual line at once, rather than growing draw by draw.
        if (trace)
            m_records.reserve(16);
    }

    // The lines that end before the search position (bytes left to search) are done.
    void leaveEndedBefore(const GapText &text)
    {
        while (!m_draws.isEmpty() && m_draws.last().after >= text.rest().size())
            close(text.length() - m_draws.last().after);
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
    // A line drawn for the reference at the search position, followed by leftAfter bytes.
    void enter(QByteArrayView reference, const DrawnLine &line, const GapText &text,
               qsizetype leftAfter)
    {
        while (!m_draws.isEmpty() && m_draws.last().after > leftAfter)
            close(text.done());
        int record = -1;
        Text name = line.element.isEmpty() ? Text::fromGbk(nameIn(reference)) : line.element;
        if (m_trace) {
            record = int(m_records.size());
            m_records.append(
                {name, line.line, text.done(), 0, m_draws.isEmpty() ? -1 : m_draws.last().record});
        }
        m_draws.append({leftAfter, std::move(name), record});
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
    // The draws as a tree, once the expansion is over.
    QList<DrawTrace> finish(const GapText &text)
    {
        while (!m_draws.isEmpty())
            close(text.length() - m_draws.last().after);
        return tree();
    }

private:
    void close(qsizetype end)
    {
        if (m_draws.last().record >= 0)
            m_records[m_draws.last().record].end = end;
        m_draws.removeLast();
    }
    // Records are in the order the draws were made: each parent before its children, the
    // children in the order of the line. The tree is put together from the last record back, so
    // that every draw is complete when it moves into its parent's list, without a call per level.
    QList<DrawTrace> tree() const
    {
        const qsizetype count = m_records.size();
        QList<DrawTrace> draws(count);
        // Where each record goes in its parent's list, and how long each list is.
        QList<qsizetype> place(count);
        QList<qsizetype> children(count + 1, 0);
        for (qsizetype i = 0; i < count; ++i)
            place[i] = children[m_records.at(i).parent + 1]++;
        QList<DrawTrace> top(children.at(0));
        for (qsizetype i = count - 1; i >= 0; --i) {
            const Record &r = m_records.at(i);
            DrawTrace &draw = draws[i];
            draw.element = r.element;
            draw.line = r.line;
            draw.start = r.start;
            draw.end = r.end;
            // Its children, being later, are in place already; its list is sized by the first.
            QList<DrawTrace> &into = r.parent < 0 ? top : draws[r.parent].inner;
            if (into.isEmpty())
                into.resize(children.at(r.parent + 1));
            into[place.at(i)] = std::move(draw);
        }
        return top;
    }
    static QByteArrayView nameIn(QByteArrayView reference)
    {
        return reference.size() > 2 ? reference.sliced(1, reference.size() - 2) : QByteArrayView();
    }
    struct Open
    {
        qsizetype after;
        Text name;
        int record;
    };
    struct Record
    {
        Text element;
        int line;
        qsizetype start, end;
        int parent;
    };
    bool m_trace;
    QList<Open> m_draws;
    QList<Record> m_records;
};

Expansion finished(GapText &text, OpenDraws &open, ExpansionEnd end, TextList chain = {})
{
    QList<DrawTrace> draws = open.finish(text);
    return {text.take(), end, std::move(chain), std::move(draws)};
}

} // namespace

Expansion expandReferences(const Text &pattern, const ReferenceDraw &draw,
                           const ExpansionLimits &limits, bool trace)
{
    Reference reference = findReference(pattern.view());
    if (!reference.isReference())
        return {pattern, ExpansionEnd::Complete, {}, {}};
    if (reference.isEmpty())
        return {Text(), ExpansionEnd::EmptyReference, {}, {}};

    // Text left of the first "[" holds neither bracket (a "]" there would have ended the
    // expansion), and a replacement leaves it as it is, character boundaries included: so each
    // search starts at the reference just replaced, with the same result as one from the start.
    GapText text(pattern);
    OpenDraws open(trace);
    const qsizetype maxLength = std::max(limits.maxLength, pattern.size());
    for (qsizetype draws = 0;; ++draws) {
        text.keep(reference.open);
        open.leaveEndedBefore(text);
        const qsizetype length = reference.close - reference.open + 1;
        const QByteArrayView name = text.rest().first(length);
        const qsizetype leftAfter = text.rest().size() - length;
        if (draws >= limits.maxDraws || text.length() > maxLength ||
            open.depthOfNew(leftAfter) > limits.maxDepth)
            return finished(text, open, ExpansionEnd::Endless, open.chainTo(name, leftAfter));
        const std::optional<DrawnLine> line = draw(name);
        if (!line)
            return finished(text, open, ExpansionEnd::Endless, open.chainTo(name, leftAfter));
        open.enter(name, *line, text, leftAfter);
        text.drop(length);
        text.insert(line->text);

        reference = findReference(text.rest());
        if (!reference.isReference())
            return finished(text, open, ExpansionEnd::Complete);
        if (reference.isEmpty())
            return finished(text, open, ExpansionEnd::EmptyReference);
    }
}

} // namespace quorvel
