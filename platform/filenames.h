#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace quorvel {

// File names on disk are UTF-8. A library name may hold bytes that are no GBK character; they
// reach us as raw-byte carriers (platform/gbkcodec.h) and go onto disk as those very bytes, and a
// name on disk that is not UTF-8 comes back with a carrier for each byte that is not. So every
// name the program can form has exactly one name on disk, and back.
QByteArray encodeFileName(QStringView name);
QString decodeFileName(QByteArrayView name);

} // namespace quorvel
