#include "platform/gbkcodec.h"

#include <QElapsedTimer>
#include <QTest>

#include <algorithm>
#include <random>

using namespace Qt::StringLiterals;
using namespace quorvel;

namespace {

QString ucs4(std::initializer_list<char32_t> codePoints)
{
    return QString::fromUcs4(codePoints.begin(), qsizetype(codePoints.size()));
}
QString raw(int byte)
{
    return QString(QChar(char16_t(gbk::RawByteCarrier + byte)));
}
QByteArray hex(const char *digits)
{
    return QByteArray::fromHex(digits);
}

} // namespace

class TestGbkCodec : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everySingleByteRoundTrips();
    void everyTwoByteSequenceRoundTrips();
    void mappings_data();
    void mappings();
    void decodingStopsAtTheEndOfTheView();
    void everyCharacterRoundTrips();
    void loneSurrogatesBecomeQuestionMarks();
    void randomBytesRoundTrip();
    void throughput();
};

void TestGbkCodec::initTestCase()
{
    // The first call builds the tables.
    QElapsedTimer timer;
    timer.start();
    const QString first = gbk::decode(hex("c4a3"));
    qInfo("table build: %.1f ms", double(timer.nsecsElapsed()) / 1e6);
    QVERIFY2(first == u"模"_s,
             "no GB18030 converter in this C library: the codec only keeps bytes");
}

void TestGbkCodec::everySingleByteRoundTrips()
{
    for (int b = 0; b < 256; ++b) {
        const QByteArray bytes(1, char(b));
        const QString text = gbk::decode(bytes);
        QCOMPARE(text, b < 0x80 ? QString(QChar(b)) : raw(b));
        QCOMPARE(gbk::encode(text), bytes);
    }
}

void TestGbkCodec::everyTwoByteSequenceRoundTrips()
{
    for (int lead = 0x80; lead < 0x100; ++lead) {
        for (int trail = 0; trail < 0x100; ++trail) {
            const char pair[2] = {char(lead), char(trail)};
            const QByteArray bytes(pair, 2);
            const QString text = gbk::decode(bytes);
            QCOMPARE(gbk::encode(text), bytes);
            // GB18030 assigns every two-byte code, so all of them decode to one BMP character.
            const bool twoByteCode =
                lead >= 0x81 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE && trail != 0x7F;
            if (twoByteCode) {
                QCOMPARE(text.size(), 1);
                QVERIFY(text[0].unicode() >= 0x80 && !text[0].isSurrogate());
            } else if (trail < 0x80) {
                QCOMPARE(text, raw(lead) + QChar(trail));
            } else {
                QCOMPARE(text, raw(lead) + raw(trail));
            }
        }
    }
}

void TestGbkCodec::mappings_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    // Characters and their codes, both ways.
    QTest::newRow("GBK words") << hex("c4a3b0e5d4aacbd8cfeec4bf") << u"模板元素项目"_s;
    QTest::newRow("with ASCII") << hex("5bcfeec4bf5d3d410d0a") << u"[项目]=A\r\n"_s;
    // 癩 is B0 5D and 腫 is C4 5B: their trail bytes are ']' and '['.
    QTest::newRow("brackets as trails") << hex("5bb05d5d5bc45b5d") << u"[癩][腫]"_s;
    QTest::newRow("euro sign") << hex("a2e3") << u"€"_s;
    QTest::newRow("no-break space") << hex("81308432") << u"\u00a0"_s;
    QTest::newRow("first four-byte") << hex("81308130") << u"\u0080"_s;
    QTest::newRow("last BMP") << hex("8431a439") << u"\uffff"_s;
    QTest::newRow("m acute") << hex("a8bc8135f437") << u"\u1e3f\ue7c7"_s;
    QTest::newRow("PUA with two-byte code") << hex("a3a0aaa1") << u"\ue5e5\ue000"_s;
    QTest::newRow("first supplementary") << hex("90308130") << ucs4({0x10000});
    QTest::newRow("emoji") << hex("9439fc36") << ucs4({0x1F600});
    QTest::newRow("last supplementary") << hex("e3329a35") << ucs4({0x10FFFF});
    QTest::newRow("private use, plane 15") << hex("d838b130") << ucs4({0xF0100});
    // Characters GB18030-2022 moved out of the private-use area, and the PUA code points they
    // left, which must still come back.
    QTest::newRow("vertical forms")
        << hex("a6d9a6daa6dba6dca6dda6dea6dfa6eca6eda6f3"
               "84318236843182378431823884318239843183308431833184318332843183338431833484318335")
        << u"\ufe10\ufe12\ufe11\ufe13\ufe14\ufe15\ufe16\ufe17\ufe18\ufe19"
           u"\ue78d\ue78f\ue78e\ue790\ue791\ue792\ue793\ue794\ue795\ue796"_s;
    QTest::newRow("FE row")
        << hex("fe59fe61fe66fe67fe6dfe7efe90fea0"
               "8235903782359038823590398235913082359131823591328235913382359134")
        << u"\u9fb4\u9fb5\u9fb6\u9fb7\u9fb8\u9fb9\u9fba\u9fbb"
           u"\ue81e\ue826\ue82b\ue82c\ue832\ue843\ue854\ue864"_s;
    QTest::newRow("FE row kept PUA") << hex("fe51fe52fe53fe6cfe76fe9195329031")
                                     << u"\ue816\ue817\ue818\ue831\ue83b\ue855"_s + ucs4({0x20087});

    // Bytes that start no character stay raw; what follows them is read afresh.
    QTest::newRow("lead before CR LF") << hex("d40d0a") << raw(0xD4) + u"\r\n"_s;
    QTest::newRow("lead at the end") << hex("6162c4") << u"ab"_s + raw(0xC4);
    QTest::newRow("0x80 then character") << hex("80c4a3") << raw(0x80) + u"模"_s;
    QTest::newRow("0xFF as trail") << hex("c4ff") << raw(0xC4) + raw(0xFF);
    QTest::newRow("DEL as trail") << hex("c47f") << raw(0xC4) + u"\x7f"_s;
    QTest::newRow("truncated four-byte")
        << hex("41813081") << u"A"_s + raw(0x81) + u"0"_s + raw(0x81);
    QTest::newRow("four-byte bad third") << hex("81302030") << raw(0x81) + u"0 0"_s;
    QTest::newRow("after the BMP") << hex("8431a530") << raw(0x84) + u"1"_s + raw(0xA5) + u"0"_s;
    QTest::newRow("after U+10FFFF") << hex("e3329a36") << raw(0xE3) + u"2"_s + raw(0x9A) + u"6"_s;
    // Raw bytes are carried by lone surrogates, so the plane-15 characters that once carried
    // them are characters like any other.
    QTest::newRow("U+F0081") << hex("d838a433") << ucs4({0xF0081});
    QTest::newRow("U+F0041") << hex("d8389d39") << ucs4({0xF0041});
}

void TestGbkCodec::mappings()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(gbk::decode(bytes), text);
    QCOMPARE(gbk::encode(text), bytes);
}

void TestGbkCodec::decodingStopsAtTheEndOfTheView()
{
    // Callers decode slices of larger buffers: the bytes after the view must not complete a code.
    const QByteArray buffer = hex("81308130");
    QCOMPARE(gbk::decode(QByteArrayView(buffer).first(1)), raw(0x81));
    QCOMPARE(gbk::decode(QByteArrayView(buffer).first(3)), raw(0x81) + u"0"_s + raw(0x81));
}

void TestGbkCodec::everyCharacterRoundTrips()
{
    QList<char32_t> all;
    for (char32_t cp = 1; cp <= 0x10FFFF; ++cp) {
        const bool surrogate = cp >= 0xD800 && cp <= 0xDFFF;
        if (!surrogate)
            all.append(cp);
    }
    const QString text = QString::fromUcs4(all.constData(), all.size());
    const QList<uint> back = gbk::decode(gbk::encode(text)).toUcs4();
    const auto mismatch = std::mismatch(all.cbegin(), all.cend(), back.cbegin(), back.cend());
    if (mismatch.first != all.cend())
        QFAIL(qPrintable(
            u"U+%1 does not come back"_s.arg(uint(*mismatch.first), 4, 16, QChar(u'0'))));
    QCOMPARE(back.size(), all.size());

    // GBK holds all of the CJK block up to U+9FA5 in two bytes.
    QString cjk;
    for (char16_t c = 0x4E00; c <= 0x9FA5; ++c)
        cjk.append(QChar(c));
    QCOMPARE(gbk::encode(cjk).size(), 2 * cjk.size());
}

void TestGbkCodec::loneSurrogatesBecomeQuestionMarks()
{
    const QChar high(0xD83D), low(0xDE00);
    QCOMPARE(gbk::encode(QString(high)), "?"_ba);
    QCOMPARE(gbk::encode(u"a"_s + low + u"b"_s), "a?b"_ba);
    QCOMPARE(gbk::encode(QString(low) + high), "??"_ba);
    QCOMPARE(gbk::encode(u"模"_s + high), hex("c4a33f"));
    QCOMPARE(gbk::encode(QString(high) + high + low), hex("3f9439fc36"));
    QCOMPARE(gbk::encode(QString(high) + QChar(0xE000)), hex("3faaa1"));
    // Lone low surrogates up to U+DCFF carry raw bytes; the ones after them carry nothing.
    QCOMPARE(gbk::encode(QString(QChar(0xDCFF)) + QChar(0xDC41) + QChar(0xDD00)), hex("ff413f"));
}

void TestGbkCodec::randomBytesRoundTrip()
{
    // Leads, digits and trails are drawn often enough that four-byte codes and broken ones occur.
    std::mt19937 rng(20240611);
    std::uniform_int_distribution<int> length(0, 4096), kind(0, 3), any(0, 255), lead(0x81, 0xFE),
        digit('0', '9');
    for (int round = 0; round < 4000; ++round) {
        QByteArray bytes(length(rng), Qt::Uninitialized);
        for (char &b : bytes) {
            const int k = kind(rng);
            b = char(k == 0 ? lead(rng) : k == 1 ? digit(rng) : any(rng));
        }
        const QByteArray back = gbk::encode(gbk::decode(bytes));
        if (back != bytes) {
            const auto at = std::mismatch(bytes.cbegin(), bytes.cend(), back.cbegin(), back.cend());
            const qsizetype offset = at.first - bytes.cbegin();
            const QByteArray around = bytes.mid(std::max<qsizetype>(0, offset - 4), 12).toHex(' ');
            QFAIL(qPrintable(u"round %1, offset %2: %3"_s.arg(round).arg(offset).arg(
                QLatin1StringView(around))));
        }
    }
}

void TestGbkCodec::throughput()
{
    const QByteArray unit = hex("7461673d5bc4a3b0e55d20d4aacbd8cfeec4bf2c9439fc3620a2e3") +
                            "plain ASCII words, a few more of them\r\n"_ba + hex("80ff81");
    QByteArray bytes;
    bytes.reserve(16 << 20);
    while (bytes.size() < (16 << 20))
        bytes += unit;

    QElapsedTimer timer;
    timer.start();
    const QString text = gbk::decode(bytes);
    const qint64 decodeNs = timer.nsecsElapsed();
    timer.restart();
    const QByteArray back = gbk::encode(text);
    const qint64 encodeNs = timer.nsecsElapsed();
    qInfo("16 MiB: decode %.1f ms, encode %.1f ms", double(decodeNs) / 1e6, double(encodeNs) / 1e6);
    QVERIFY(back == bytes);
}

QTEST_APPLESS_MAIN(TestGbkCodec)
#include "tst_gbkcodec.moc"
