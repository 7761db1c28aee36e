// GBK / GB18030 codec over tables built once from the C library's iconv.
//
// Byte structure of GB18030 (GBK is its one- and two-byte part):
//   00-7F                      ASCII
//   81-FE  40-7E|80-FE         two-byte code (GBK)
//   81-FE  30-39  81-FE  30-39 four-byte code; 81308130 upwards covers the BMP code points that
//                              have no two-byte code, 90308130 upwards is U+10000.. in order
// Everything else (80, FF, a lead byte without a fitting tail) is not a character; decode() keeps
// such bytes as RawByteCarrier + byte so that encode() can write them back unchanged.
//
// Round trips hold by construction: the decode tables are the exact inverse of the encode table,
// so a sequence is only ever decoded to a character that encodes back to that same sequence.
#include "platform/gbkcodec.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>

#if __has_include(<iconv.h>)
#include <iconv.h>
#define QUORVEL_HAVE_ICONV 1
#endif

namespace quorvel::gbk {

namespace {

constexpr int LeadCount = 0xFE - 0x81 + 1;
constexpr bool isDigit(std::uint8_t b)
{
    return b >= 0x30 && b <= 0x39;
}

// Linear index of a four-byte code: b1 counts in units of 12600, b2 of 1260, b3 of 10.
constexpr std::uint32_t fourByteIndex(std::uint8_t b1, std::uint8_t b2, std::uint8_t b3,
                                      std::uint8_t b4)
{
    return ((b1 - 0x81u) * 10 + (b2 - 0x30u)) * 1260 + (b3 - 0x81u) * 10 + (b4 - 0x30u);
}
// The BMP's four-byte codes run from 81308130 to 8431A439; supplementary code points start at
// 90308130, which is this linear index.
constexpr std::uint32_t BmpFourByteCount = fourByteIndex(0x84, 0x31, 0xA4, 0x39) + 1;
constexpr std::uint32_t SupplementaryBase = fourByteIndex(0x90, 0x30, 0x81, 0x30);

// The four-byte code with this linear index, its bytes packed big-endian into one word.
constexpr std::uint32_t packFourByte(std::uint32_t index)
{
    std::uint32_t b4 = 0x30 + index % 10;
    index /= 10;
    std::uint32_t b3 = 0x81 + index % 126;
    index /= 126;
    std::uint32_t b2 = 0x30 + index % 10;
    std::uint32_t b1 = 0x81 + index / 10;
    return b1 << 24 | b2 << 16 | b3 << 8 | b4;
}

// GB18030-2022 moved 18 characters that older mappings (and older iconv builds) kept in the
// private-use area to their standard code points, handing the PUA code points the four-byte codes
// the standard characters had before; 6 more PUA code points keep their two-byte codes while the
// matching supplementary characters keep their regular four-byte codes. iconv builds disagree on
// these (some map one way only, some refuse the PUA code points), so they are pinned here and the
// tables are the same whatever the C library ships.
struct Pinned
{
    char16_t pua;
    std::uint32_t puaBytes;
    char16_t standard; // 0 where the standard character is supplementary and handled linearly
    std::uint32_t standardBytes;
};
constexpr std::array<Pinned, 24> Pinned2022{{
    {0xE78D, 0x84318236, 0xFE10, 0xA6D9},
    {0xE78E, 0x84318238, 0xFE12, 0xA6DA},
    {0xE78F, 0x84318237, 0xFE11, 0xA6DB},
    {0xE790, 0x84318239, 0xFE13, 0xA6DC},
    {0xE791, 0x84318330, 0xFE14, 0xA6DD},
    {0xE792, 0x84318331, 0xFE15, 0xA6DE},
    {0xE793, 0x84318332, 0xFE16, 0xA6DF},
    {0xE794, 0x84318333, 0xFE17, 0xA6EC},
    {0xE795, 0x84318334, 0xFE18, 0xA6ED},
    {0xE796, 0x84318335, 0xFE19, 0xA6F3},
    {0xE81E, 0x82359037, 0x9FB4, 0xFE59},
    {0xE826, 0x82359038, 0x9FB5, 0xFE61},
    {0xE82B, 0x82359039, 0x9FB6, 0xFE66},
    {0xE82C, 0x82359130, 0x9FB7, 0xFE67},
    {0xE832, 0x82359131, 0x9FB8, 0xFE6D},
    {0xE843, 0x82359132, 0x9FB9, 0xFE7E},
    {0xE854, 0x82359133, 0x9FBA, 0xFE90},
    {0xE864, 0x82359134, 0x9FBB, 0xFEA0},
    {0xE816, 0xFE51, 0, 0},
    {0xE817, 0xFE52, 0, 0},
    {0xE818, 0xFE53, 0, 0},
    {0xE831, 0xFE6C, 0, 0},
    {0xE83B, 0xFE76, 0, 0},
    {0xE855, 0xFE91, 0, 0},
}};

struct Tables
{
    // BMP code point -> its bytes, big-endian in one word: 81xx..FExx for two-byte codes,
    // 81xxxxxx..84xxxxxx for four-byte ones, 0 where there is none (ASCII, surrogates).
    std::array<std::uint32_t, 0x10000> encode{};
    // Two-byte code -> character, indexed by (lead - 0x81) * 256 + trail; 0 where unassigned.
    // The full 256 columns cost a few KiB and spare the decoder a trail-range check.
    std::array<char16_t, LeadCount * 256> twoByte{};
    // Four-byte BMP code -> character, by linear index; 0 where unassigned.
    std::array<char16_t, BmpFourByteCount> fourByte{};

    void invert()
    {
        for (std::uint32_t cp = 0x80; cp < 0x10000; ++cp) {
            const std::uint32_t bytes = encode[cp];
            if (bytes > 0xFFFF) {
                const auto idx = fourByteIndex(bytes >> 24, bytes >> 16, bytes >> 8, bytes);
                fourByte[idx] = char16_t(cp);
            } else if (bytes != 0) {
                twoByte[((bytes >> 8) - 0x81) * 256 + (bytes & 0xFF)] = char16_t(cp);
            }
        }
    }
};

// Checks that iconv's answer is a well-formed two- or four-byte code, so that a surprising
// converter can never put an entry outside the tables.
std::uint32_t acceptCode(const unsigned char *bytes, std::size_t length)
{
    if (length == 2 && isLeadByte(bytes[0]) && bytes[1] >= 0x40 && bytes[1] <= 0xFE &&
        bytes[1] != 0x7F)
        return std::uint32_t(bytes[0]) << 8 | bytes[1];
    if (length == 4 && isLeadByte(bytes[0]) && isDigit(bytes[1]) && isLeadByte(bytes[2]) &&
        isDigit(bytes[3])) {
        const auto code = std::uint32_t(bytes[0]) << 24 | std::uint32_t(bytes[1]) << 16 |
                          std::uint32_t(bytes[2]) << 8 | bytes[3];
        if (fourByteIndex(bytes[0], bytes[1], bytes[2], bytes[3]) < BmpFourByteCount)
            return code;
    }
    return 0;
}

std::unique_ptr<Tables> buildTables()
{
    auto tables = std::make_unique<Tables>();
#ifdef QUORVEL_HAVE_ICONV
    // Without a usable converter (a C library without GB18030, a sandbox without the gconv
    // modules) the tables stay empty: every byte from 0x80 up then decodes as a raw byte, which
    // keeps files intact, only non-ASCII text is not readable and BMP characters encode as '?'.
    iconv_t cd = iconv_open("GB18030", "UTF-32LE");
    if (cd == iconv_t(-1))
        return tables;
    for (std::uint32_t cp = 0x80; cp < 0x10000; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF)
            continue;
        unsigned char in[4] = {static_cast<unsigned char>(cp), static_cast<unsigned char>(cp >> 8),
                               0, 0};
        unsigned char out[8];
        char *inPtr = reinterpret_cast<char *>(in);
        char *outPtr = reinterpret_cast<char *>(out);
        std::size_t inLeft = sizeof in;
        std::size_t outLeft = sizeof out;
        // Code points the converter refuses stay 0 unless pinned below.
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != std::size_t(-1))
            tables->encode[cp] = acceptCode(out, sizeof out - outLeft);
    }
    iconv_close(cd);

    for (const Pinned &p : Pinned2022) {
        tables->encode[p.pua] = p.puaBytes;
        if (p.standard != 0)
            tables->encode[p.standard] = p.standardBytes;
    }
    tables->invert();
#endif
    return tables;
}

const Tables &tables()
{
    static const std::unique_ptr<const Tables> built = buildTables();
    return *built;
}

// Decodes the character that starts at in[0] (n > 0 bytes left) into out (room for two units):
// how many bytes it takes, and how many units it wrote. A byte that starts no character is one
// carrier. decode() and characterLength() both go through here, so a cut made at a length this
// gives falls exactly where decode() sees a character end.
struct Step
{
    int bytes;
    int units;
};

inline Step decodeOne(const Tables &t, const std::uint8_t *in, qsizetype n, char16_t *out)
{
    const std::uint8_t b1 = in[0];
    if (b1 < 0x80) {
        out[0] = b1;
        return {1, 1};
    }
    if (isLeadByte(b1) && n > 1) {
        const std::uint8_t b2 = in[1];
        if (!isDigit(b2)) {
            if (char16_t c = t.twoByte[(b1 - 0x81) * 256 + b2]) {
                out[0] = c;
                return {2, 1};
            }
        } else if (n > 3 && isLeadByte(in[2]) && isDigit(in[3])) {
            const std::uint32_t idx = fourByteIndex(b1, b2, in[2], in[3]);
            if (idx < BmpFourByteCount) {
                if (char16_t c = t.fourByte[idx]) {
                    out[0] = c;
                    return {4, 1};
                }
            } else if (idx >= SupplementaryBase) {
                const char32_t cp = 0x10000 + (idx - SupplementaryBase);
                if (cp <= 0x10FFFF) {
                    out[0] = char16_t(0xD800 + ((cp - 0x10000) >> 10));
                    out[1] = char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
                    return {4, 2};
                }
            }
        }
    }
    // Not the start of a character: keep the byte; the next one is looked at afresh.
    out[0] = char16_t(RawByteCarrier + b1);
    return {1, 1};
}

} // namespace

QString decode(QByteArrayView bytes)
{
    const Tables &t = tables();
    const auto *in = reinterpret_cast<const std::uint8_t *>(bytes.data());
    const qsizetype n = bytes.size();

    // Every step writes at most one UTF-16 unit per byte read, so n units suffice.
    QString result;
    result.resize(n);
    auto *out = reinterpret_cast<char16_t *>(result.data());
    qsizetype o = 0;
    for (qsizetype i = 0; i < n;) {
        const Step step = decodeOne(t, in + i, n - i, out + o);
        i += step.bytes;
        o += step.units;
    }
    result.truncate(o);
    return result;
}

qsizetype characterLength(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return 0;
    char16_t scratch[2];
    return decodeOne(tables(), reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size(),
                     scratch)
        .bytes;
}

qsizetype wholeCharactersWithin(QByteArrayView bytes, qsizetype limit)
{
    qsizetype end = 0;
    while (end < bytes.size()) {
        const qsizetype next = end + characterLength(bytes.sliced(end));
        if (next > limit)
            break;
        end = next;
    }
    return end;
}

QByteArray encode(QStringView text)
{
    const Tables &t = tables();
    const char16_t *in = text.utf16();
    const qsizetype n = text.size();

    // Most library text is ASCII or two-byte codes; start there and grow when four-byte codes
    // need more. Each step writes at most 4 bytes, so checking for 4 free bytes is enough.
    QByteArray result;
    result.resize(n + n / 2 + 4);
    auto *out = reinterpret_cast<std::uint8_t *>(result.data());
    qsizetype o = 0;

    const auto putFour = [&](std::uint32_t bytes) {
        out[o++] = std::uint8_t(bytes >> 24);
        out[o++] = std::uint8_t(bytes >> 16);
        out[o++] = std::uint8_t(bytes >> 8);
        out[o++] = std::uint8_t(bytes);
    };

    for (qsizetype i = 0; i < n; ++i) {
        if (o + 4 > result.size()) {
            result.resize(result.size() + result.size() / 2 + 4);
            out = reinterpret_cast<std::uint8_t *>(result.data());
        }
        const char16_t c = in[i];
        if (c < 0x80) {
            out[o++] = std::uint8_t(c);
        } else if (c < 0xD800 || c > 0xDFFF) {
            const std::uint32_t bytes = t.encode[c];
            if (bytes > 0xFFFF) {
                putFour(bytes);
            } else if (bytes != 0) {
                out[o++] = std::uint8_t(bytes >> 8);
                out[o++] = std::uint8_t(bytes);
            } else {
                out[o++] = '?'; // only without a converter: see buildTables()
            }
        } else if (c <= 0xDBFF && i + 1 < n && in[i + 1] >= 0xDC00 && in[i + 1] <= 0xDFFF) {
            const char32_t cp = 0x10000 + ((char32_t(c) - 0xD800) << 10) + (in[i + 1] - 0xDC00);
            ++i;
            putFour(packFourByte(SupplementaryBase + (cp - 0x10000)));
        } else if (isRawByteCarrier(c)) {
            out[o++] = std::uint8_t(c - RawByteCarrier);
        } else {
            out[o++] = '?'; // a lone surrogate that carries no byte
        }
    }
    result.truncate(o);
    return result;
}

} // namespace quorvel::gbk
