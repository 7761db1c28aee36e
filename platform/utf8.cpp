#include "platform/utf8.h"

#include "platform/gbkcodec.h"

namespace quorvel::utf8 {

QByteArray encode(QStringView name)
{
    QByteArray bytes;
    bytes.reserve(name.size() * 3);
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        char32_t cp = c;
        if (QChar::isHighSurrogate(c) && i + 1 < name.size() && name.at(i + 1).isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(c, name.at(++i).unicode());
        } else if (gbk::isRawByteCarrier(c)) {
            bytes += char(c - gbk::RawByteCarrier);
            continue;
        } else if (QChar::isSurrogate(c)) {
            bytes += '?'; // a lone surrogate that carries nothing, as UTF-8 writers do
            continue;
        }
        if (cp < 0x80) {
            bytes += char(cp);
        } else if (cp < 0x800) {
            bytes += char(0xC0 | (cp >> 6));
            bytes += char(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            bytes += char(0xE0 | (cp >> 12));
            bytes += char(0x80 | ((cp >> 6) & 0x3F));
            bytes += char(0x80 | (cp & 0x3F));
        } else {
            bytes += char(0xF0 | (cp >> 18));
            bytes += char(0x80 | ((cp >> 12) & 0x3F));
            bytes += char(0x80 | ((cp >> 6) & 0x3F));
            bytes += char(0x80 | (cp & 0x3F));
        }
    }
    return bytes;
}

namespace {

// The length of the well-formed UTF-8 sequence at the start of bytes, or 0. Overlong forms,
// surrogates and code points beyond U+10FFFF are not well-formed.
qsizetype sequenceLength(const unsigned char *b, qsizetype left, char32_t &cp)
{
    const auto tail = [&](qsizetype k) { return k < left && (b[k] & 0xC0) == 0x80; };
    if (b[0] < 0x80) {
        cp = b[0];
        return 1;
    }
    if (b[0] >= 0xC2 && b[0] <= 0xDF && tail(1)) {
        cp = char32_t(b[0] & 0x1F) << 6 | (b[1] & 0x3F);
        return 2;
    }
    if (b[0] >= 0xE0 && b[0] <= 0xEF && tail(1) && tail(2)) {
        cp = char32_t(b[0] & 0x0F) << 12 | char32_t(b[1] & 0x3F) << 6 | (b[2] & 0x3F);
        return cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF) ? 3 : 0;
    }
    if (b[0] >= 0xF0 && b[0] <= 0xF4 && tail(1) && tail(2) && tail(3)) {
        cp = char32_t(b[0] & 0x07) << 18 | char32_t(b[1] & 0x3F) << 12 |
             char32_t(b[2] & 0x3F) << 6 | (b[3] & 0x3F);
        return cp >= 0x10000 && cp <= 0x10FFFF ? 4 : 0;
    }
    return 0;
}

} // namespace

QString decode(QByteArrayView name)
{
    const auto *b = reinterpret_cast<const unsigned char *>(name.data());
    QString text;
    text.reserve(name.size());
    for (qsizetype i = 0; i < name.size();) {
        char32_t cp = 0;
        const qsizetype length = sequenceLength(b + i, name.size() - i, cp);
        if (length == 0) {
            text.append(QChar(char16_t(gbk::RawByteCarrier + b[i])));
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            text.append(QChar(QChar::highSurrogate(cp)));
            text.append(QChar(QChar::lowSurrogate(cp)));
        } else {
            text.append(QChar(char16_t(cp)));
        }
        i += length;
    }
    return text;
}

} // namespace quorvel::utf8
