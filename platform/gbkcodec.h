#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace quorvel::gbk {

// The library's texts are GBK on disk; the widgets and the file system speak Unicode. These two
// functions are the only crossing between the two, and they lose nothing:
// - every byte sequence survives decode() then encode() unchanged. A byte that does not start a
//   valid GBK/GB18030 character is carried as the lone low surrogate U+DC00 + byte, which
//   encode() turns back into that byte. A lone surrogate is no character: no text and no file
//   name can hold one, so a carrier is never mistaken for a real character. The edit boxes use
//   the same carriers for the bytes they must not show as themselves (a lone CR or LF, say);
// - every character survives encode() then decode(): characters outside GBK are written as
//   GB18030 four-byte sequences instead of being replaced. Other lone surrogates, which no
//   encoding can hold, become '?'.
inline constexpr char16_t RawByteCarrier = 0xDC00;

constexpr bool isRawByteCarrier(char16_t unit)
{
    return unit >= RawByteCarrier && unit <= RawByteCarrier + 0xFF;
}

// A byte that starts a two- or four-byte character: the byte after it belongs to the same
// character, whatever its value. The bytes of "[" and "]" are second bytes of some characters.
constexpr bool isLeadByte(unsigned char byte)
{
    return byte >= 0x81 && byte <= 0xFE;
}

QString decode(QByteArrayView bytes);
QByteArray encode(QStringView text);

// The bytes of the character that starts the bytes, as decode() reads it: 1 for ASCII and for a
// byte that starts no character (a carrier), 2 or 4 for a GBK or GB18030 code; 0 when empty.
qsizetype characterLength(QByteArrayView bytes);
// The longest start of the bytes, at most limit long, that ends where a character ends: a cut
// there leaves every character whole on both sides.
qsizetype wholeCharactersWithin(QByteArrayView bytes, qsizetype limit);

} // namespace quorvel::gbk
