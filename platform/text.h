#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHashFunctions>
#include <QList>
#include <QString>
#include <QStringView>

#include <compare>
#include <cstddef>

namespace quorvel {

// A string literal that holds ASCII only, checked when the program is compiled. ASCII reads the
// same in every encoding the program meets, so such a literal may stand for a library text: a
// file extension, a bracket, CR LF. A literal with any other byte does not compile.
class AsciiLiteral
{
public:
    template <std::size_t N>
    consteval AsciiLiteral(const char (&text)[N]) // NOLINT: implicit on purpose
        : m_text(text), m_size(qsizetype(N - 1))
    {
        for (std::size_t i = 0; i + 1 < N; ++i) {
            if (static_cast<unsigned char>(text[i]) >= 0x80)
                throw "not an ASCII literal"; // stops the compilation
        }
    }
    QByteArrayView view() const { return QByteArrayView(m_text, m_size); }

private:
    const char *m_text;
    qsizetype m_size;
};

// A text of the program: the bytes exactly as they stand in the library files, GBK (GB18030 for
// the characters GBK cannot hold). Positions and lengths count bytes. The encoding is in the
// type: bytes come in only through fromGbk() (bytes known to be the library's own, read from a
// file or cut from another text) or fromUnicode() (encoded), and go out through toGbk() (to a
// file) or toUnicode() (to a widget or a terminal). A QByteArray or a const char * never turns
// into a Text by itself.
class Text
{
public:
    Text() = default;
    explicit Text(AsciiLiteral literal) : m_bytes(literal.view().toByteArray()) {}

    static Text fromGbk(QByteArray bytes)
    {
        Text text;
        text.m_bytes = std::move(bytes);
        return text;
    }
    static Text fromGbk(QByteArrayView bytes) { return fromGbk(bytes.toByteArray()); }
    // A byte literal (escapes and NUL included) that is written in GBK.
    template <std::size_t N> static Text fromGbk(const char (&bytes)[N])
    {
        return fromGbk(QByteArrayView(bytes, qsizetype(N - 1)));
    }
    // Lossless: see platform/gbkcodec.h.
    static Text fromUnicode(QStringView text);

    const QByteArray &toGbk() const & { return m_bytes; }
    QByteArray toGbk() && { return std::move(m_bytes); }
    QString toUnicode() const;
    QByteArrayView view() const { return m_bytes; }

    qsizetype size() const { return m_bytes.size(); }
    bool isEmpty() const { return m_bytes.isEmpty(); }

    Text &operator+=(const Text &more)
    {
        m_bytes += more.m_bytes;
        return *this;
    }
    Text &operator+=(AsciiLiteral more)
    {
        m_bytes += more.view();
        return *this;
    }
    Text &operator+=(char ascii)
    {
        m_bytes += ascii;
        return *this;
    }
    friend Text operator+(Text left, const Text &right) { return left += right; }
    friend Text operator+(Text left, AsciiLiteral right) { return left += right; }
    friend Text operator+(AsciiLiteral left, const Text &right) { return Text(left) += right; }

    // Byte order: GBK orders the common characters by pinyin, so this is the order a Chinese
    // reader expects, ASCII first.
    friend bool operator==(const Text &a, const Text &b) { return a.m_bytes == b.m_bytes; }
    friend std::strong_ordering operator<=>(const Text &a, const Text &b)
    {
        const int c = QByteArrayView(a.m_bytes).compare(QByteArrayView(b.m_bytes));
        return c < 0 ? std::strong_ordering::less
                     : (c > 0 ? std::strong_ordering::greater : std::strong_ordering::equal);
    }
    friend size_t qHash(const Text &text, size_t seed = 0) { return qHash(text.m_bytes, seed); }

private:
    QByteArray m_bytes;
};

using TextList = QList<Text>;

} // namespace quorvel
