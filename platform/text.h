#pragma once

#include <QByteArray>
#include <QList>

namespace quorvel {

// A text of the program: the bytes exactly as they stand in the library files (GBK, or GB18030
// for characters GBK cannot hold). Positions and lengths count bytes.
using Text = QByteArray;
using TextList = QList<QByteArray>;

} // namespace quorvel
