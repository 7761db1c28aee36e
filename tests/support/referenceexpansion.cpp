#include "tests/support/referenceexpansion.h"

#include "platform/gbkcodec.h"

#include <algorithm>

namespace quorvel::test {

namespace {

bool isTrail(uchar b)
{
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE);
}
bool isDigit(uchar b)
{
    return b >= 0x30 && b <= 0x39;
}

// The length of the character that starts at i.
qsizetype characterLength(const Text &text, qsizetype i)
{
    const auto at = [&text](qsizetype k) {
        return k < text.size() ? uchar(text.view().at(k)) : uchar(0);
    };
    if (!gbk::isLeadByte(at(i)))
        return 1;
    if (isDigit(at(i + 1)) && gbk::isLeadByte(at(i + 2)) && isDigit(at(i + 3)))
        return 4;
    if (i + 1 < text.size() && isTrail(at(i + 1)))
        return 2;
    return 1;
}

} // namespace

qsizetype findBracketFromStart(const Text &text, char bracket)
{
    for (qsizetype i = 0; i < text.size(); i += characterLength(text, i)) {
        if (text.view().at(i) == bracket)
            return i;
    }
    return -1;
}

ReferenceResult
expandFromStart(const Text &pattern,
                const std::function<std::optional<Text>(const Text &reference)> &draw,
                qsizetype maxDraws, qsizetype maxLength, int maxDepth)
{
    // The drawn lines still being searched, as ranges of the line, outermost first.
    struct Drawn
    {
        qsizetype start, end;
        Text name;
    };
    QList<Drawn> drawn;
    const auto nameIn = [](const Text &reference) {
        return Text::fromGbk(reference.view().sliced(1, reference.size() - 2));
    };
    const qsizetype lengthLimit = std::max(maxLength, pattern.size());
    Text line = pattern;
    for (qsizetype draws = 0;; ++draws) {
        const qsizetype open = findBracketFromStart(line, '[');
        const qsizetype close = findBracketFromStart(line, ']');
        if (open < 0 || close < 0 || close < open)
            return {line, ReferenceEnd::Complete};
        const Text reference = Text::fromGbk(line.view().sliced(open, close - open + 1));
        if (reference == Text("[]"))
            return {draws == 0 ? Text() : line, ReferenceEnd::EmptyReference};
        // The reference sits inside the drawn lines that hold all of it.
        QList<Drawn> holding;
        for (const Drawn &d : drawn) {
            if (d.start <= open && d.end > close)
                holding.append(d);
        }
        TextList chain;
        for (const Drawn &d : holding)
            chain.append(d.name);
        chain.append(nameIn(reference));
        if (draws >= maxDraws || line.size() > lengthLimit || holding.size() + 1 > maxDepth)
            return {line, ReferenceEnd::Endless, chain};
        // The first occurrence of the reference that starts a character is the one at open,
        // since no character "[" stands before it.
        const std::optional<Text> lineDrawn = draw(reference);
        if (!lineDrawn)
            return {line, ReferenceEnd::Endless, chain};
        QByteArray bytes = std::move(line).toGbk();
        bytes.replace(open, reference.size(), lineDrawn->toGbk());
        line = Text::fromGbk(std::move(bytes));
        const qsizetype grown = lineDrawn->size() - reference.size();
        for (Drawn &d : holding)
            d.end += grown;
        holding.append({open, open + lineDrawn->size(), nameIn(reference)});
        drawn = holding;
    }
}

} // namespace quorvel::test
