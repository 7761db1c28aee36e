#pragma once

#include "engine/generator.h"

#include <QString>
#include <QStringList>

namespace quorvel {

// Where a story line came from, in words: "模板「相遇」第 3 行" for the pattern, and for each draw
// "[人物] → 人物 第 12 行：老周" (what the drawn line became in the story line), the draws made
// inside a draw indented under it.
QString patternLineText(const LineTrace &trace);
QString drawText(const Text &storyLine, const DrawTrace &draw);
// The whole tree as lines, for a tooltip: the pattern line, then the draws.
QString traceText(const StoryLine &line);
// The draws alone, one a line, inner draws indented.
QString drawsText(const Text &storyLine, const QList<DrawTrace> &draws);

// The innermost draw whose bytes hold all of [start, end) of the line, or nullptr.
const DrawTrace *drawHolding(const QList<DrawTrace> &draws, qsizetype start, qsizetype end);

} // namespace quorvel
