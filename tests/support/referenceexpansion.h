#pragma once

#include "platform/text.h"

#include <functional>
#include <optional>

namespace quorvel::test {

// The bracket expansion written as plainly as possible, to hold a faster one against: every pass
// searches the whole line again from its start and rebuilds it by one replacement.
enum class ReferenceEnd
{
    Complete,
    EmptyReference,
    Endless
};

struct ReferenceResult
{
    Text line;
    ReferenceEnd end = ReferenceEnd::Complete;
    // Of an endless end: the names of the drawn lines that held the reference it stopped at,
    // outermost first, then the reference's own name.
    TextList chain = {};
};

// Position of the first character "[" or "]" (bracket) in text, -1 when there is none. The text
// is read as GBK/GB18030 characters from its start: a lead byte 81-FE followed by a trail byte
// (40-7E, 80-FE) is one character, lead digit lead digit (digits 30-39) is one, and any other byte
// stands alone.
qsizetype findBracketFromStart(const Text &text, char bracket);

// Replaces the reference from the first "[" to the first "]" by draw(reference) as long as the
// first "]" follows the first "["; a first reference "[]" empties the line, a later one ends
// the expansion. Before each draw, maxDraws draws already made, a draw that would sit inside more
// than maxDepth - 1 drawn lines, or a line longer than maxLength
// (or than the pattern, if that is longer) end it as Endless.
ReferenceResult
expandFromStart(const Text &pattern,
                const std::function<std::optional<Text>(const Text &reference)> &draw,
                qsizetype maxDraws = 1'000'000, qsizetype maxLength = qsizetype(16) << 20,
                int maxDepth = 20'000);

} // namespace quorvel::test
