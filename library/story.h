#pragma once

#include "platform/text.h"

#include <QByteArray>

namespace quorvel {

// How a story is written out of the program: in the library's own form, GBK with CR LF (what
// Windows programs read as a Chinese text file), or UTF-8 with LF (what the rest of the world
// reads). Either way nothing is lost: bytes that are no character go out as themselves.
enum class StoryEncoding
{
    Gbk,
    Utf8
};

// A story (lines each ended by CR LF, as the story box holds them) as a file holds it.
QByteArray storyBytes(const Text &story, StoryEncoding encoding);
// The same for readers that take only well-formed text (scripts, pipes): a byte that is no
// character, which a library file may hold, goes out as U+FFFD in UTF-8 and as "?" in GBK, so
// that the whole output is valid in its encoding.
QByteArray wellFormedStoryBytes(const Text &story, StoryEncoding encoding);

} // namespace quorvel
