#include "platform/text.h"

#include "platform/gbkcodec.h"

namespace quorvel {

Text Text::fromUnicode(QStringView text)
{
    return fromGbk(gbk::encode(text));
}

QString Text::toUnicode() const
{
    return gbk::decode(m_bytes);
}

} // namespace quorvel
