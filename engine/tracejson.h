#pragma once

#include "engine/generator.h"

#include <QByteArray>
#include <QJsonObject>

#include <optional>

namespace quorvel {

// A story line and where it came from, as one JSON object for scripts: the text (in UTF-8 as
// JSON has it), the template, the pattern's line, and the draws, nested, each with its element,
// its line, the byte range it fills in the GBK line ("bytes") and the range of characters in the
// text ("chars", counted in code points), both as [start, end). Draws nest no deeper than
// MaxJsonDrawDepth, so that any JSON reader (Qt's own stops at 1024 levels) can read them back:
// a draw at that depth whose draws are left out says so with "cut": true and an empty "draws".
inline constexpr int MaxJsonDrawDepth = 256;
QJsonObject traceToJson(const StoryLine &line);
// The story line such an object describes; nothing when it describes none. The byte ranges are
// taken as they stand ("chars" only repeats them).
std::optional<StoryLine> traceFromJson(const QJsonObject &object);

} // namespace quorvel
