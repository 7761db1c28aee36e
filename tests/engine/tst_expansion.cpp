// The bracket expansion on its own, with element lines given in memory: where references are
// found, in which order they are drawn, where the expansion gives up, and that resuming each
// search in the middle of the line gives exactly what searching from the start gives.

#include "engine/expansion.h"
#include "tests/support/referenceexpansion.h"
#include "tests/support/testtext.h"

#include <QElapsedTimer>
#include <QTest>

#include <random>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// Element lines from a script: each draw is a pure function of the seed, the reference and how
// many draws came before, so two expansions that ask for the same references get the same lines.
class ScriptedElements
{
public:
    explicit ScriptedElements(quint32 seed) : m_seed(seed) {}

    Text draw(const Text &reference)
    {
        asked.append(reference);
        std::mt19937 gen(m_seed ^ quint32(qHash(reference)) ^ quint32(asked.size() * 2654435761u));
        // Lines often hold references and stray brackets, so that nesting, "[]", stray brackets
        // and endless expansion all come up.
        static constexpr const char *Pieces[] = {"[a]", "[b]",  "[a]", "[",   "]",
                                                 "a",   "\x81", "0",   "\xFE"};
        QByteArray line;
        for (int n = int(gen() % 6); n > 0; --n)
            line += Pieces[gen() % std::size(Pieces)];
        return Text::fromGbk(line);
    }
    ReferenceDraw viewDraw()
    {
        return [this](QByteArrayView reference) {
            m_last = draw(Text::fromGbk(reference));
            return m_last.view();
        };
    }

    TextList asked;

private:
    quint32 m_seed;
    Text m_last;
};

ExpansionEnd toEnd(ReferenceEnd end)
{
    switch (end) {
    case ReferenceEnd::Complete:
        return ExpansionEnd::Complete;
    case ReferenceEnd::EmptyReference:
        return ExpansionEnd::EmptyReference;
    case ReferenceEnd::Endless:
        return ExpansionEnd::Endless;
    }
    return ExpansionEnd::Complete;
}

} // namespace

class TestExpansion : public QObject
{
    Q_OBJECT

private slots:
    void findsBracketCharacters_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<qsizetype>("open");
        QTest::addColumn<qsizetype>("close");
        QTest::newRow("plain reference") << QByteArray("x[a]y") << qsizetype(1) << qsizetype(3);
        QTest::newRow("close before open") << QByteArray("x]y[a]") << qsizetype(-1) << qsizetype(1);
        QTest::newRow("nested: first open, first close")
            << QByteArray("[[a]]") << qsizetype(0) << qsizetype(3);
        // 乕 is 81 5B and 乚 is 81 5D: their second bytes are not brackets.
        QTest::newRow("trail [ of 乕") << QByteArray("\x81[a]") << qsizetype(-1) << qsizetype(3);
        QTest::newRow("trail ] of 乚") << QByteArray("[a\x81]") << qsizetype(0) << qsizetype(-1);
        QTest::newRow("乚 inside a name") << QByteArray("[\x81]]") << qsizetype(0) << qsizetype(3);
        QTest::newRow("four-byte character")
            << QByteArray("\x81\x30\x81\x30[a]") << qsizetype(4) << qsizetype(6);
        QTest::newRow("four-byte character before 乕")
            << QByteArray("\x81\x30\x81\x30\x81[a]") << qsizetype(-1) << qsizetype(7);
        QTest::newRow("lead and digit alone")
            << QByteArray("\x81\x30[a]") << qsizetype(2) << qsizetype(4);
        QTest::newRow("lead before 7F")
            << QByteArray("\x81\x7F[a]") << qsizetype(2) << qsizetype(4);
        QTest::newRow("lead at the end") << QByteArray("[a]\x81") << qsizetype(0) << qsizetype(2);
    }
    void findsBracketCharacters()
    {
        QFETCH(QByteArray, text);
        QFETCH(qsizetype, open);
        QFETCH(qsizetype, close);
        const Reference found = findReference(text);
        QCOMPARE(found.close, close);
        QCOMPARE(found.open, open);
        // The from-the-start search of the reference implementation agrees.
        QCOMPARE(findBracketFromStart(Text::fromGbk(text), ']'), close);
        if (open >= 0)
            QCOMPARE(findBracketFromStart(Text::fromGbk(text), '['), open);
    }

    // The same results as searching from the start on every pass, over many random patterns and
    // lines full of brackets, GBK lead bytes and digits; the limits are small so that the endless
    // cases are compared too.
    void agreesWithTheSearchFromTheStart()
    {
        std::mt19937 gen(20240611);
        static constexpr const char *Pieces[] = {"[a]", "[b]",  "[",    "]",    "x",    "\x81", "0",
                                                 "5",   "\x7F", "\x80", "\xFF", "\xFE", "[]"};
        QHash<int, int> ends;
        for (int round = 0; round < 20000; ++round) {
            QByteArray bytes;
            for (int n = int(gen() % 10); n > 0; --n)
                bytes += Pieces[gen() % std::size(Pieces)];
            const Text pattern = Text::fromGbk(bytes);
            const qsizetype maxDraws = 1 + gen() % 40;
            const qsizetype maxLength = 8 + gen() % 64;
            ExpansionLimits limits;
            limits.maxDraws = maxDraws;
            limits.maxLength = maxLength;
            limits.maxDepth = 1 + int(gen() % 6);

            ScriptedElements expected(round), actual(round);
            const ReferenceResult reference = expandFromStart(
                pattern, [&expected](const Text &r) { return expected.draw(r); }, maxDraws,
                maxLength, limits.maxDepth);
            const Expansion result = expandReferences(pattern, actual.viewDraw(), limits);
            const QByteArray context = "pattern " + bytes.toHex(' ');
            QVERIFY2(result.line == reference.line, context.constData());
            QVERIFY2(result.end == toEnd(reference.end), context.constData());
            QVERIFY2(actual.asked == expected.asked, context.constData());
            QVERIFY2(result.end != ExpansionEnd::Endless || result.chain == reference.chain,
                     context.constData());
            ++ends[int(result.end)];
        }
        // Every way of ending came up often enough to have been compared.
        for (ExpansionEnd end :
             {ExpansionEnd::Complete, ExpansionEnd::EmptyReference, ExpansionEnd::Endless})
            QVERIFY2(ends.value(int(end)) > 300, qPrintable(QString::number(ends.value(int(end)))));
    }

    // An element whose only line is its own reference would never end: each draw sits inside the
    // one before, so the bound on depth stops it long before a million draws, with the line as it
    // stands and the chain of the element's own name.
    void selfReferenceStopsAtTheDepthBound()
    {
        qsizetype draws = 0;
        const Text self("[a]");
        const Expansion result = expandReferences(Text("x[a]y"), [&](QByteArrayView) {
            ++draws;
            return self.view();
        });
        QCOMPARE(result.end, ExpansionEnd::Endless);
        QCOMPARE(result.line, Text("x[a]y"));
        QCOMPARE(draws, qsizetype(ExpansionLimits().maxDepth));
        QCOMPARE(result.chain.size(), ExpansionLimits().maxDepth + 1);
        QCOMPARE(result.chain.first(), Text("a"));
    }

    // References side by side all sit at depth 1, however many: they meet the draw limit, not
    // the bound on depth.
    void referencesSideBySideStopAtTheDrawLimit()
    {
        qsizetype draws = 0;
        const Text line("x");
        Text pattern;
        for (int i = 0; i < 50; ++i)
            pattern += "[a]";
        ExpansionLimits limits;
        limits.maxDraws = 40;
        limits.maxDepth = 1;
        const Expansion result = expandReferences(
            pattern,
            [&](QByteArrayView) {
                ++draws;
                return line.view();
            },
            limits);
        QCOMPARE(draws, qsizetype(40));
        QCOMPARE(result.end, ExpansionEnd::Endless);
        QCOMPARE(result.chain, TextList{Text("a")});
    }

    // An element that grows the line on every draw is stopped by the length limit, long before
    // the draw limit and without taking all memory.
    void growingLineStopsAtTheLengthLimit()
    {
        qsizetype draws = 0;
        const Text growing = repeated(4096, 'g') + "[a]";
        const Expansion result = expandReferences(Text("[a]"), [&](QByteArrayView) {
            ++draws;
            return growing.view();
        });
        QCOMPARE(result.end, ExpansionEnd::Endless);
        const qsizetype limit = ExpansionLimits().maxLength;
        QVERIFY(result.line.size() > limit);
        QVERIFY(result.line.size() <= limit + growing.size());
        QVERIFY(result.line.view().endsWith("g[a]"));
        QVERIFY(draws < ExpansionLimits().maxDraws);
    }

    // Each search resumes where the last replacement was made: a quadratic expansion would take
    // minutes here, a linear one well under a second.
    void manyReferencesExpandInLinearTime()
    {
        constexpr int References = 300'000;
        Text pattern;
        for (int i = 0; i < References; ++i)
            pattern += "x[a]";
        const Text line = Text::fromGbk("\xC4\xA3");
        QElapsedTimer timer;
        timer.start();
        const Expansion result =
            expandReferences(pattern, [&](QByteArrayView) { return line.view(); });
        QCOMPARE(result.line.size(), qsizetype(References) * 3);
        QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    }
};

QTEST_GUILESS_MAIN(TestExpansion)
#include "tst_expansion.moc"
