#pragma once

#include "platform/text.h"

namespace quorvel {

// Shown by the test framework when two texts differ: printable ASCII as it is, every other byte
// in hex, since the bytes are what a test compares. Found by argument-dependent lookup, so it
// lives in the program's namespace; a test that compares texts includes this header.
char *toString(const Text &text);

} // namespace quorvel

namespace quorvel::test {

// count times the byte: the long names, lines and files that hostile material is made of.
Text repeated(qsizetype count, char byte);
// The decimal digits of a number, for names made by the thousand: ASCII, the same in every
// encoding.
Text numberText(qint64 value);

} // namespace quorvel::test
