#pragma once

#include "engine/drawtrace.h"
#include "platform/text.h"

#include <QByteArrayView>
#include <functional>
#include <optional>

namespace quorvel {

// Where one expansion gives up. Element lines may refer to elements that refer back to them, so
// an expansion need not end by itself; no pattern written by hand comes near these figures.
struct ExpansionLimits
{
    // Element draws for one pattern.
    qsizetype maxDraws = 1'000'000;
    // Length of the line being expanded, in bytes; a longer pattern may keep its own length.
    qsizetype maxLength = qsizetype(16) << 20;
    // Bytes of element files read for one pattern: a circle through a large element would
    // otherwise read gigabytes long before it reaches the other limits.
    qint64 maxBytesRead = qint64(1) << 30;
    // How often one pattern may meet the same element empty or unreadable (one diagnostic of one
    // kind for one element); the next time it is taken for a circle.
    int maxSameDiagnostic = 10;
    // How many drawn lines a reference may sit inside: an element that names itself nests one
    // level deeper with every draw and is stopped here at once, while a chain of 10,000 elements
    // each naming the next (or 100,000 references side by side, all at depth 1) expands fully.
    int maxDepth = 20'000;
};

enum class ExpansionEnd
{
    Complete,       // no well-formed reference left
    EmptyReference, // stopped at a "[]"
    Endless,        // stopped at a limit, or because the draw said so
};

struct Expansion
{
    Text line;
    ExpansionEnd end = ExpansionEnd::Complete;
    // Of an endless expansion: the names of the elements whose drawn lines held the reference it
    // stopped at, outermost first, then the name in that reference.
    TextList chain;
    // When asked for: the draws, in the order of the line.
    QList<DrawTrace> draws;
};

// A line drawn for a reference: its bytes, and which line of its element it is (from 1). The
// element's name may come with it, shared, so that the trace need not copy it for every draw.
struct DrawnLine
{
    DrawnLine(QByteArrayView drawn, int lineNumber = 0, Text elementName = {})
        : text(drawn), line(lineNumber), element(std::move(elementName))
    {
    }
    QByteArrayView text;
    int line;
    Text element;
};

// Draws the line for one reference, given with its brackets. The bytes returned must stay valid
// until the next call. Nothing stops the expansion there, as endless, with the reference left in.
using ReferenceDraw = std::function<std::optional<DrawnLine>(QByteArrayView reference)>;

// The first reference of a text: close is the position of the first "]" (-1: none), open that of
// the first "[" when it stands before that "]" (-1 otherwise). Brackets are characters: a "[" or
// "]" byte that is the second byte of a two-byte GBK character belongs to that character.
struct Reference
{
    qsizetype open = -1;
    qsizetype close = -1;

    bool isReference() const { return open >= 0 && close > open; }
    bool isEmpty() const { return close == open + 1; }
};
Reference findReference(QByteArrayView text);

// Replaces the references of the pattern one by one, always the one at the first "[" (up to the
// first "]"), by the line draw() gives for it, until none is left. The line drawn for a reference
// is searched again, so references in element lines are expanded before those further right.
// A first reference "[]" empties the line; a later one stops the expansion where it stands, as
// does reaching a limit. Each pass resumes the search at the reference it replaced, since nothing
// to its left can become part of a reference again, so the cost grows with the line's length.
// With trace set, the expansion also tells where each part of the line came from.
Expansion expandReferences(const Text &pattern, const ReferenceDraw &draw,
                           const ExpansionLimits &limits = {}, bool trace = false);

} // namespace quorvel
