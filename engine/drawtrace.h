#pragma once

#include "platform/text.h"

#include <QList>
#include <functional>

namespace quorvel {

// Where one part of a story line came from: the element drawn, the line of it (from 1; 0 where
// the element had no line), and the bytes of the story line its text finally fills, with the
// draws made inside it.
//
// A circle of elements nests draws as deep as the expansion allows (many thousands of levels),
// so nothing that walks the draws may call itself once per level: comparing and destroying are
// written with a list of their own, and so must be every other walk (see forEachDraw).
struct DrawTrace
{
    DrawTrace() = default;
    DrawTrace(Text elementName, int lineNumber, qsizetype startByte, qsizetype endByte,
              QList<DrawTrace> innerDraws = {})
        : element(std::move(elementName)), line(lineNumber), start(startByte), end(endByte),
          inner(std::move(innerDraws))
    {
    }
    DrawTrace(const DrawTrace &) = default;
    DrawTrace(DrawTrace &&) noexcept = default;
    DrawTrace &operator=(const DrawTrace &) = default;
    DrawTrace &operator=(DrawTrace &&) noexcept = default;
    ~DrawTrace();

    Text element;
    int line = 0;
    qsizetype start = 0;
    qsizetype end = 0;
    QList<DrawTrace> inner;

    friend bool operator==(const DrawTrace &a, const DrawTrace &b);
};

// Calls visit for every draw, each before the draws inside it, in the order of the line, with how
// many draws hold it (0 for those of the list given).
void forEachDraw(const QList<DrawTrace> &draws,
                 const std::function<void(const DrawTrace &, int depth)> &visit);

} // namespace quorvel
