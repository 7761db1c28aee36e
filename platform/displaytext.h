#pragma once

#include "platform/text.h"

#include <QString>
#include <QStringView>

namespace quorvel {

// Edit boxes break lines at "\n"; the library breaks them at CR LF only. These two functions map
// one form to the other without loss: CR LF is shown as a line break, while a lone CR or a lone
// LF, which is not a line break in a library file, is carried as a raw byte (shown as a box) so
// that it goes back to disk exactly as it came. So are the characters an edit box would change
// (U+2028, U+2029 and the noncharacters): shown as the raw bytes of their code.
QString textToDisplay(const Text &text);
// Every line break of the edit box ("\n", or the paragraph separator a text document puts between
// its lines) becomes CR LF. A line separator (U+2028) inside a line is a character typed as text
// (edit boxes take a typed soft break as a line break of its own) and is kept as it is.
Text displayToText(QStringView shown);

} // namespace quorvel
