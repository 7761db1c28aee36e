#pragma once

#include "engine/generator.h"

#include <optional>

namespace quorvel::test {

// The text of the template's story line, untraced; nothing when it makes none.
inline std::optional<Text> storyLine(Generator &generator, const Text &templateName)
{
    std::optional<StoryLine> line = generator.tracedStoryLine(templateName, false);
    if (!line)
        return std::nullopt;
    return std::move(line->text);
}

} // namespace quorvel::test
