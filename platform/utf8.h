#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace quorvel::utf8 {

// UTF-8 that loses nothing of a library text: raw-byte carriers (platform/gbkcodec.h) are written
// as the very bytes they carry, and bytes that are not UTF-8 come back as carriers. File names on
// disk are made this way, so every name the program can form has exactly one name on disk, and
// back; so is a story written as UTF-8.
QByteArray encode(QStringView text);
QString decode(QByteArrayView bytes);

} // namespace quorvel::utf8
