#pragma once

#include "platform/text.h"

namespace quorvel {

// Shown by the test framework when two texts differ: printable ASCII as it is, every other byte
// in hex, since the bytes are what a test compares. Found by argument-dependent lookup, so it
// lives in the program's namespace; a test that compares texts includes this header.
char *toString(const Text &text);

} // namespace quorvel
