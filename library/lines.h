#pragma once

#include "platform/text.h"

#include <QByteArrayView>
#include <QList>

namespace quorvel {

// The one rule for lines in library files: a text is cut at every CR LF, left to right. A piece
// between two adjacent CR LFs is an empty line and is kept; a final CR LF ends the last line
// without starting another; the empty text has no line. A lone CR or LF stays inside its line.

// The lines of a text, as a list.
TextList splitLines(const Text &text);
// How many lines the text has, counted in place.
int countLines(QByteArrayView text);
// Line index (from 0) of the text, found in place; the text must have more lines than index.
QByteArrayView lineAt(QByteArrayView text, int index);
// Where each line of the text starts, for a text used again and again (at most 4 GiB long).
QList<quint32> lineStarts(QByteArrayView text);
// Line index of the text whose line starts are given.
QByteArrayView lineAt(QByteArrayView text, const QList<quint32> &starts, int index);

// The list-file form of entries: every entry followed by CR LF. No entries give the empty text.
Text joinLines(const TextList &entries);

} // namespace quorvel
