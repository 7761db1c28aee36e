// The generator on a library on disk: the worked examples with their messages, the element draw
// and the pattern draw, the order of draws, files read afresh, the limit, and the randomness.

#include "engine/generator.h"
#include "engine/messages.h"
#include "platform/random.h"
#include "tests/support/fixedrandom.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/templibrary.h"

#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

const QString EmptyReference = QString::fromUtf16(messages::EmptyReference);

QString emptyElement(const QString &name)
{
    return name + QString::fromUtf16(messages::EmptyElement);
}

// A library with a few elements, and the services a generator needs.
struct Fixture
{
    Fixture()
    {
        element(u"a", "A");
        element(u"b", "B");
    }
    void element(const char16_t *name, const QByteArray &content)
    {
        lib.writeBytes(QStringLiteral("元素/%1.txt").arg(QString::fromUtf16(name)), content);
    }
    void templateFile(const char16_t *name, const QByteArray &content)
    {
        lib.writeBytes(QStringLiteral("模板/%1.txt").arg(QString::fromUtf16(name)), content);
    }

    TempLibrary lib;
    FixedRandom random;
    ScriptedDialogs dialogs;
    Generator generator{lib.library, random, dialogs};
};

} // namespace

class TestGenerator : public QObject
{
    Q_OBJECT

private slots:
    // The element a always gives A, b gives B; draws counts the element draws (each reseeds).
    void expandsPatterns_data()
    {
        QTest::addColumn<QByteArray>("pattern");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("draws");
        const QStringList none;
        // The worked examples.
        QTest::newRow("two references")
            << QByteArray("x[a]y[b]z") << QByteArray("xAyBz") << none << 2;
        QTest::newRow("same reference twice")
            << QByteArray("x[a]y[a]z") << QByteArray("xAyAz") << none << 2;
        QTest::newRow("no reference") << QByteArray("xyz") << QByteArray("xyz") << none << 0;
        QTest::newRow("no closing bracket") << QByteArray("x[a") << QByteArray("x[a") << none << 0;
        QTest::newRow("] before [ stops all")
            << QByteArray("x]y[a]") << QByteArray("x]y[a]") << none << 0;
        QTest::newRow("first reference empty")
            << QByteArray("[]x[a]") << QByteArray() << QStringList{EmptyReference} << 0;
        QTest::newRow("empty reference after a draw")
            << QByteArray("[a]x[]y[b]") << QByteArray("Ax[]y[b]") << QStringList{EmptyReference}
            << 1;
        QTest::newRow("nested brackets") << QByteArray("[[a]]") << QByteArray("]")
                                         << QStringList{emptyElement(QStringLiteral("[a"))} << 1;
        // Further cases.
        QTest::newRow("references in a drawn line")
            << QByteArray("x[c]y") << QByteArray("x<AB>y") << none << 3;
        QTest::newRow("drawn line with []") << QByteArray("x[d]y[a]") << QByteArray("x1[]2y[a]")
                                            << QStringList{EmptyReference} << 1;
        QTest::newRow("drawn line with a stray ]")
            << QByteArray("[e][a]") << QByteArray("][a]") << none << 1;
        QTest::newRow("missing element removed")
            << gbk(QStringLiteral("x[无]y[a]")) << QByteArray("xyA")
            << QStringList{emptyElement(QStringLiteral("无"))} << 2;
        QTest::newRow("each missing reference reports")
            << QByteArray("[z][z]") << QByteArray()
            << QStringList{emptyElement(QStringLiteral("z")), emptyElement(QStringLiteral("z"))}
            << 2;
        QTest::newRow("name used verbatim, blank included")
            << QByteArray("[ a]") << QByteArray("blank") << none << 1;
        QTest::newRow("drawn empty line, no message")
            << QByteArray("x[f]y") << QByteArray("xy") << none << 1;
        QTest::newRow("GBK name") << gbk(QStringLiteral("[天气]")) << gbk(QStringLiteral("晴"))
                                  << none << 1;
        // 乕 (81 5B) holds a "[" byte that is no bracket; 乚 (81 5D) one that is no "]".
        QTest::newRow("trail [ is no bracket")
            << gbk(QStringLiteral("乕a][a]")) << gbk(QStringLiteral("乕a][a]")) << none << 0;
        QTest::newRow("trail ] inside a name")
            << gbk(QStringLiteral("x[乚]y")) << QByteArray("xTy") << none << 1;
    }
    void expandsPatterns()
    {
        QFETCH(QByteArray, pattern);
        QFETCH(QByteArray, line);
        QFETCH(QStringList, messages);
        QFETCH(int, draws);
        Fixture f;
        f.element(u"c", "<[a][b]>");
        f.element(u"d", "1[]2");
        f.element(u"e", "]");
        f.element(u" a", "blank");
        f.element(u"f", "\r\nF");
        f.element(u"天气", gbk(QStringLiteral("晴")));
        f.element(u"乚", "T");
        f.element(u"z", "");
        const QByteArray before = pattern;
        QCOMPARE(f.generator.expand(pattern), line);
        QCOMPARE(f.dialogs.shown, messages);
        QCOMPARE(f.random.reseeds, draws);
        QCOMPARE(pattern, before);
    }

    // Lines are cut at CR LF only; the draw is between 1 and the number of lines, and picks that
    // line unchanged.
    void elementDrawPicksTheDrawnLine_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("draw");
        QTest::addColumn<int>("lines");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("one line") << QByteArray("only") << 1 << 1 << QByteArray("only");
        QTest::newRow("final CR LF makes no line")
            << QByteArray("p\r\nq\r\n") << 2 << 2 << QByteArray("q");
        QTest::newRow("empty line between") << QByteArray("p\r\n\r\nq") << 2 << 3 << QByteArray();
        QTest::newRow("lone LF stays inside")
            << QByteArray("p\nq\r\nr") << 1 << 2 << QByteArray("p\nq");
        QTest::newRow("CR CR LF") << QByteArray("p\r\r\nq") << 1 << 2 << QByteArray("p\r");
        QTest::newRow("last line") << QByteArray("p\r\nq\r\nr") << 3 << 3 << QByteArray("r");
        QTest::newRow("references returned as they are")
            << QByteArray("[a]\r\n[b]") << 2 << 2 << QByteArray("[b]");
    }
    void elementDrawPicksTheDrawnLine()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, draw);
        QFETCH(int, lines);
        QFETCH(QByteArray, line);
        Fixture f;
        f.element(u"e", content);
        f.random.setDraws({draw});
        QCOMPARE(f.generator.drawElement("[e]"), line);
        QCOMPARE(f.random.ranges, QList<int>{lines});
        QCOMPARE(f.random.reseeds, 1);
        QVERIFY(f.dialogs.shown.isEmpty());
    }

    // The element draw reseeds before it draws; the pattern draw does not reseed.
    void onlyElementDrawsReseed()
    {
        Fixture f;
        f.templateFile(u"t", "[a]\r\nplain\r\n[b][a]");
        f.random.setDraws({3});
        QCOMPARE(f.generator.storyLine("t"), std::optional<Text>("BA"));
        QCOMPARE(f.random.ranges, QList<int>({3, 1, 1}));
        QCOMPARE(f.random.reseeds, 2);
        f.random.setDraws({2});
        QCOMPARE(f.generator.storyLine("t"), std::optional<Text>("plain"));
        QCOMPARE(f.random.reseeds, 2);
    }

    // Leftmost first, depth first: seen in the number of lines of each element drawn.
    void drawsInTheOrderOfTheLine()
    {
        Fixture f;
        f.element(u"p", "1\r\n2\r\n[q]");         // 3 lines
        f.element(u"q", "1\r\n2\r\n3\r\n4");      // 4 lines
        f.element(u"r", "1\r\n2\r\n3\r\n4\r\n5"); // 5 lines
        f.random.setDraws({3, 4, 5});
        QCOMPARE(f.generator.expand("[p]-[r]"), QByteArray("4-5"));
        QCOMPARE(f.random.ranges, QList<int>({3, 4, 5}));
    }

    void storyLineOfTemplates_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<std::optional<Text>>("line");
        QTest::newRow("missing template") << QByteArray("-") << std::optional<Text>();
        QTest::newRow("empty template") << QByteArray() << std::optional<Text>();
        QTest::newRow("only CR LF: one empty pattern")
            << QByteArray("\r\n") << std::optional<Text>(Text());
        QTest::newRow("LF is no separator")
            << QByteArray("one\ntwo\n") << std::optional<Text>("one\ntwo\n");
        QTest::newRow("pattern expanded") << QByteArray("x[a]y\r\n") << std::optional<Text>("xAy");
    }
    void storyLineOfTemplates()
    {
        QFETCH(QByteArray, content);
        QFETCH(std::optional<Text>, line);
        Fixture f;
        if (content != "-")
            f.templateFile(u"t", content);
        QCOMPARE(f.generator.storyLine("t"), line);
        QVERIFY(f.dialogs.shown.isEmpty());
        if (!line)
            QVERIFY(f.random.ranges.isEmpty());
    }

    // Every draw reads the file again: an element saved between two references of one line, or
    // between two lines, is what the next draw uses.
    void filesAreReadForEveryDraw()
    {
        Fixture f;
        QCOMPARE(f.generator.drawElement("[a]"), QByteArray("A"));
        f.element(u"a", "changed");
        QCOMPARE(f.generator.drawElement("[a]"), QByteArray("changed"));

        // The element g rewrites a while the line is being expanded, as the editor could between
        // two runs; here it happens between two references of the same line.
        class RewritingDialogs : public ScriptedDialogs
        {
        public:
            explicit RewritingDialogs(Fixture &f) : m_f(f) {}
            void message(const QString &text) override
            {
                ScriptedDialogs::message(text);
                m_f.element(u"a", "after");
            }
            Fixture &m_f;
        } dialogs(f);
        Generator generator(f.lib.library, f.random, dialogs);
        QCOMPARE(generator.expand("[a]-[missing]-[a]"), QByteArray("changed--after"));

        f.templateFile(u"t", "first");
        QCOMPARE(f.generator.storyLine("t"), std::optional<Text>("first"));
        f.templateFile(u"t", "second");
        QCOMPARE(f.generator.storyLine("t"), std::optional<Text>("second"));
    }

    // An element whose only line is its own reference stops at the limit with one message and the
    // line as far as it got.
    void endlessExpansionStopsWithOneMessage()
    {
        Fixture f;
        f.element(u"self", "[self]");
        Generator generator(f.lib.library, f.random, f.dialogs, ExpansionLimits{1000});
        QCOMPARE(generator.expand("x[a]y[self]z[b]"), QByteArray("xAy[self]z[b]"));
        QCOMPARE(f.dialogs.shown, QStringList{QString::fromUtf16(messages::EndlessExpansion)});
        QCOMPARE(f.random.reseeds, 1000); // the limit counts every draw of the line
    }

    // With the real random source every line of an element comes up about equally often
    // (chi-square over 5 lines, an empty line among them).
    void everyLineIsEquallyLikely()
    {
        Fixture f;
        f.element(u"five", "1\r\n2\r\n\r\n4\r\n5\r\n");
        SystemRandom random;
        Generator generator(f.lib.library, random, f.dialogs);
        const int draws = 20000;
        QHash<Text, int> counts;
        for (int i = 0; i < draws; ++i)
            ++counts[generator.drawElement("[five]")];
        QCOMPARE(counts.size(), 5);
        double chi2 = 0;
        for (int count : std::as_const(counts))
            chi2 += (count - draws / 5.0) * (count - draws / 5.0) / (draws / 5.0);
        QVERIFY2(chi2 < 23.0, qPrintable(QString::number(chi2))); // p < 0.0002, 4 degrees
    }

    // The two references of x[a]y[a]z are drawn independently: the same line for both about one
    // time in four (four lines), not every time.
    void twoReferencesDrawIndependently()
    {
        Fixture f;
        f.element(u"a", "1\r\n2\r\n3\r\n4");
        SystemRandom random;
        Generator generator(f.lib.library, random, f.dialogs);
        const int runs = 4000;
        int same = 0;
        for (int i = 0; i < runs; ++i) {
            const Text line = generator.expand("x[a]y[a]z");
            same += line.at(1) == line.at(3);
        }
        QVERIFY2(same > runs / 4 - 200 && same < runs / 4 + 200, qPrintable(QString::number(same)));
    }
};

QTEST_GUILESS_MAIN(TestGenerator)
#include "tst_generator.moc"
