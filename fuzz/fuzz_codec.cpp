// The codec: decoding any bytes and encoding the result gives back the same bytes; encoding any
// text and decoding it gives back the same text, except for what no byte sequence can carry.
#include "fuzz/fuzzcheck.h"
#include "platform/gbkcodec.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

using namespace quorvel;

namespace {

// What decode(encode(text)) must give: lone surrogates that carry no byte become '?'. A carrier
// stands for a byte that is not a character, so it survives only where the byte after it cannot
// be read together with it; the byte direction covers those, and texts holding them are left
// out.
bool expectedAfterRoundTrip(QStringView text, QString &expected)
{
    expected.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            expected.append(c);
            expected.append(text.at(++i));
        } else if (gbk::isRawByteCarrier(c.unicode())) {
            return false;
        } else if (c.isSurrogate()) {
            expected.append(u'?');
        } else {
            expected.append(c);
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    const QString decoded = gbk::decode(bytes);
    QUORVEL_FUZZ_CHECK(gbk::encode(decoded) == bytes);
    // No byte takes more than one UTF-16 unit.
    QUORVEL_FUZZ_CHECK(decoded.size() <= bytes.size());

    // The same bytes read as UTF-16 text, as the widgets would hand it over; copied, because the
    // input need not be aligned for 16-bit units.
    std::u16string text(size / 2, u'\0');
    std::memcpy(text.data(), data, text.size() * sizeof(char16_t));
    QString expected;
    if (expectedAfterRoundTrip(text, expected))
        QUORVEL_FUZZ_CHECK(gbk::decode(gbk::encode(text)) == expected);
    return 0;
}
