#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace quorvel::gbk {

// The library's texts are GBK on disk; the widgets and the file system speak Unicode. These two
// functions are the only crossing between the two, and they lose nothing:
// - every byte sequence survives decode() then encode() unchanged. A byte that does not start a
//   valid GBK/GB18030 character is carried as the private-use character U+F0000 + byte, which
//   encode() turns back into that byte. The whole range U+F0000..U+F00FF is kept for raw bytes:
//   the edit boxes also carry a lone CR or LF as U+F000D or U+F000A;
// - every character survives encode() then decode(): characters outside GBK are written as
//   GB18030 four-byte sequences instead of being replaced. Lone surrogates, which no encoding can
//   hold, become '?'.
inline constexpr char32_t RawByteBase = 0xF0000;

// A byte that starts a two- or four-byte character: the byte after it belongs to the same
// character, whatever its value. The bytes of "[" and "]" are second bytes of some characters.
constexpr bool isLeadByte(unsigned char byte)
{
    return byte >= 0x81 && byte <= 0xFE;
}

QString decode(QByteArrayView bytes);
QByteArray encode(QStringView text);

} // namespace quorvel::gbk
