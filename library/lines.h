#pragma once

#include "platform/text.h"

namespace quorvel {

// Cuts a text at every CR LF, left to right. A piece between two adjacent CR LFs is an empty line
// and is kept; a final CR LF ends the last line without starting another; the empty text has no
// line. A lone CR or LF stays inside its line.
TextList splitLines(const Text &text);

// The list-file form of entries: every entry followed by CR LF. No entries give the empty text.
Text joinLines(const TextList &entries);

} // namespace quorvel
