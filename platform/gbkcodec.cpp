// Placeholder until the table-driven codec lands: byte-for-byte, lossless but not GBK-aware.
#include "platform/gbkcodec.h"

namespace quorvel::gbk {
QString decode(QByteArrayView bytes)
{
    return QString::fromLatin1(bytes);
}
QByteArray encode(QStringView text)
{
    return text.toLatin1();
}
} // namespace quorvel::gbk
