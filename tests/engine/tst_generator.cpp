// The generator on a library on disk: the expansion's main cases with their messages, the element
// draw and the pattern draw, the order of draws, files read afresh, the limit, and the randomness.

#include "engine/generator.h"
#include "engine/messages.h"
#include "engine/projectrun.h"
#include "platform/random.h"
#include "tests/support/fixedrandom.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/shownmessages.h"
#include "tests/support/storyline.h"
#include "tests/support/templibrary.h"
#include "tests/support/testtext.h"

#include <QFile>
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
    template <typename Bytes> void element(const char16_t *name, const Bytes &content)
    {
        lib.writeBytes(QStringLiteral("元素/%1.txt").arg(QString::fromUtf16(name)), content);
    }
    template <typename Bytes> void templateFile(const char16_t *name, const Bytes &content)
    {
        lib.writeBytes(QStringLiteral("模板/%1.txt").arg(QString::fromUtf16(name)), content);
    }

    TempLibrary lib;
    FixedRandom random;
    ScriptedDialogs dialogs;
    Generator generator{lib.library, random, shownIn(dialogs)};
};

} // namespace

class TestGenerator : public QObject
{
    Q_OBJECT

private slots:
    // The element a always gives A, b gives B; draws counts the element draws (each reseeds).
    void expandsPatterns_data()
    {
        QTest::addColumn<Text>("pattern");
        QTest::addColumn<Text>("line");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("draws");
        const QStringList none;
        // The main cases: plain, repeated, unclosed, misordered, empty and nested references.
        QTest::newRow("two references") << Text("x[a]y[b]z") << Text("xAyBz") << none << 2;
        QTest::newRow("same reference twice") << Text("x[a]y[a]z") << Text("xAyAz") << none << 2;
        QTest::newRow("no reference") << Text("xyz") << Text("xyz") << none << 0;
        QTest::newRow("no closing bracket") << Text("x[a") << Text("x[a") << none << 0;
        QTest::newRow("] before [ stops all") << Text("x]y[a]") << Text("x]y[a]") << none << 0;
        QTest::newRow("first reference empty")
            << Text("[]x[a]") << Text() << QStringList{EmptyReference} << 0;
        QTest::newRow("empty reference after a draw")
            << Text("[a]x[]y[b]") << Text("Ax[]y[b]") << QStringList{EmptyReference} << 1;
        QTest::newRow("nested brackets")
            << Text("[[a]]") << Text("]") << QStringList{emptyElement(QStringLiteral("[a"))} << 1;
        // Further cases.
        QTest::newRow("references in a drawn line") << Text("x[c]y") << Text("x<AB>y") << none << 3;
        QTest::newRow("drawn line with []")
            << Text("x[d]y[a]") << Text("x1[]2y[a]") << QStringList{EmptyReference} << 1;
        QTest::newRow("drawn line with a stray ]") << Text("[e][a]") << Text("][a]") << none << 1;
        QTest::newRow("missing element removed")
            << gbk(QStringLiteral("x[无]y[a]")) << Text("xyA")
            << QStringList{emptyElement(QStringLiteral("无"))} << 2;
        QTest::newRow("each missing reference reports")
            << Text("[z][z]") << Text()
            << QStringList{emptyElement(QStringLiteral("z")), emptyElement(QStringLiteral("z"))}
            << 2;
        QTest::newRow("three references to a missing element")
            << Text("[z]-[z]-[z]") << Text("--")
            << QStringList(3, emptyElement(QStringLiteral("z"))) << 3;
        QTest::newRow("name used verbatim, blank included")
            << Text("[ a]") << Text("blank") << none << 1;
        QTest::newRow("drawn empty line, no message") << Text("x[f]y") << Text("xy") << none << 1;
        QTest::newRow("GBK name") << gbk(QStringLiteral("[天气]")) << gbk(QStringLiteral("晴"))
                                  << none << 1;
        // 乕 (81 5B) holds a "[" byte that is no bracket; 乚 (81 5D) one that is no "]".
        QTest::newRow("trail [ is no bracket")
            << gbk(QStringLiteral("乕a][a]")) << gbk(QStringLiteral("乕a][a]")) << none << 0;
        QTest::newRow("trail ] inside a name")
            << gbk(QStringLiteral("x[乚]y")) << Text("xTy") << none << 1;
    }
    void expandsPatterns()
    {
        QFETCH(Text, pattern);
        QFETCH(Text, line);
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
        const Text before = pattern;
        QCOMPARE(f.generator.expand(pattern), line);
        QCOMPARE(f.dialogs.shown, messages);
        QCOMPARE(f.random.reseeds, draws);
        QCOMPARE(pattern, before);
    }

    // Lines are cut at CR LF only; the draw is between 1 and the number of lines, and picks that
    // line unchanged.
    void elementDrawPicksTheDrawnLine_data()
    {
        QTest::addColumn<Text>("content");
        QTest::addColumn<int>("draw");
        QTest::addColumn<int>("lines");
        QTest::addColumn<Text>("line");
        QTest::newRow("one line") << Text("only") << 1 << 1 << Text("only");
        QTest::newRow("final CR LF makes no line") << Text("p\r\nq\r\n") << 2 << 2 << Text("q");
        QTest::newRow("empty line between") << Text("p\r\n\r\nq") << 2 << 3 << Text();
        QTest::newRow("lone LF stays inside") << Text("p\nq\r\nr") << 1 << 2 << Text("p\nq");
        QTest::newRow("CR CR LF") << Text("p\r\r\nq") << 1 << 2 << Text("p\r");
        QTest::newRow("last line") << Text("p\r\nq\r\nr") << 3 << 3 << Text("r");
        QTest::newRow("references returned as they are")
            << Text("[a]\r\n[b]") << 2 << 2 << Text("[b]");
    }
    void elementDrawPicksTheDrawnLine()
    {
        QFETCH(Text, content);
        QFETCH(int, draw);
        QFETCH(int, lines);
        QFETCH(Text, line);
        Fixture f;
        f.element(u"e", content);
        f.random.setDraws({draw});
        QCOMPARE(f.generator.drawElement(Text("[e]")), line);
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
        QCOMPARE(storyLine(f.generator, Text("t")), std::optional<Text>(Text("BA")));
        QCOMPARE(f.random.ranges, QList<int>({3, 1, 1}));
        QCOMPARE(f.random.reseeds, 2);
        f.random.setDraws({2});
        QCOMPARE(storyLine(f.generator, Text("t")), std::optional<Text>(Text("plain")));
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
        QCOMPARE(f.generator.expand(Text("[p]-[r]")), Text("4-5"));
        QCOMPARE(f.random.ranges, QList<int>({3, 4, 5}));
    }

    void storyLineOfTemplates_data()
    {
        QTest::addColumn<Text>("content");
        QTest::addColumn<std::optional<Text>>("line");
        QTest::newRow("missing template") << Text("-") << std::optional<Text>();
        QTest::newRow("empty template") << Text() << std::optional<Text>();
        QTest::newRow("only CR LF: one empty pattern")
            << Text("\r\n") << std::optional<Text>(Text());
        QTest::newRow("LF is no separator")
            << Text("one\ntwo\n") << std::optional<Text>(Text("one\ntwo\n"));
        QTest::newRow("pattern expanded") << Text("x[a]y\r\n") << std::optional<Text>(Text("xAy"));
    }
    void storyLineOfTemplates()
    {
        QFETCH(Text, content);
        QFETCH(std::optional<Text>, line);
        Fixture f;
        if (content != Text("-"))
            f.templateFile(u"t", content);
        QCOMPARE(storyLine(f.generator, Text("t")), line);
        QVERIFY(f.dialogs.shown.isEmpty());
        if (!line)
            QVERIFY(f.random.ranges.isEmpty());
    }

    // Every draw reads the file again: an element saved between two references of one line, or
    // between two lines, is what the next draw uses.
    void filesAreReadForEveryDraw()
    {
        Fixture f;
        QCOMPARE(f.generator.drawElement(Text("[a]")), Text("A"));
        f.element(u"a", "changed");
        QCOMPARE(f.generator.drawElement(Text("[a]")), Text("changed"));

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
        Generator generator(f.lib.library, f.random, shownIn(dialogs));
        QCOMPARE(generator.expand(Text("[a]-[missing]-[a]")), Text("changed--after"));

        f.templateFile(u"t", "first");
        QCOMPARE(storyLine(f.generator, Text("t")), std::optional<Text>(Text("first")));
        f.templateFile(u"t", "second");
        QCOMPARE(storyLine(f.generator, Text("t")), std::optional<Text>(Text("second")));
    }

    // An element whose only line is its own reference stops at the limit with one message and the
    // line as far as it got.
    void endlessExpansionStopsWithOneMessage()
    {
        Fixture f;
        f.element(u"self", "[self]");
        Generator generator(f.lib.library, f.random, shownIn(f.dialogs), ExpansionLimits{1000});
        QCOMPARE(generator.expand(Text("x[a]y[self]z[b]")), Text("xAy[self]z[b]"));
        QCOMPARE(f.dialogs.shown,
                 QStringList{QStringLiteral("元素「self」引用自身，无法展开完毕！请检查！")});
        QCOMPARE(f.random.reseeds, 1000); // the limit counts every draw of the line
    }

    // An element that names itself after a few characters grows the line past the 64 KiB a
    // story line may have: it is cut after the last whole character that leaves room for the
    // mark, whatever the characters' lengths and wherever the first one starts.
    void endlessLineIsCutAfterAWholeCharacter_data()
    {
        QTest::addColumn<QString>("before"); // the pattern's text before the reference
        QTest::addColumn<QString>("grown");  // what each level of the element adds
        QTest::newRow("1-byte, after a 2-byte") << u"甲"_qs << u"abcd"_qs;
        QTest::newRow("2-byte, from the start") << QString() << u"甲乙丙丁"_qs;
        QTest::newRow("2-byte, after one byte") << u"a"_qs << u"甲乙丙丁"_qs;
        QTest::newRow("4-byte, after one byte") << u"a"_qs << u"𠀀𠀁"_qs;
        QTest::newRow("4-byte, after two bytes") << u"甲"_qs << u"𠀀㐀"_qs;
        QTest::newRow("4- and 2-byte mixed") << u"ab"_qs << u"甲𠀀"_qs;
    }
    void endlessLineIsCutAfterAWholeCharacter()
    {
        QFETCH(QString, before);
        QFETCH(QString, grown);
        Fixture f;
        f.element(u"A", Text::fromUnicode(grown + u"[A]"_qs).toGbk());
        const Text line = f.generator.expand(Text::fromUnicode(before + u"[A]"_qs));
        // The longest run of whole characters within 64 KiB less the mark, then the mark.
        const qsizetype room = 64 * 1024 - Text::fromUnicode(u"……").size();
        QString kept = before;
        qsizetype size = Text::fromUnicode(before).size();
        for (qsizetype i = 0;; ++i) {
            QString next = grown.at(i % grown.size());
            if (next.back().isHighSurrogate())
                next += grown.at(++i % grown.size());
            size += Text::fromUnicode(next).size();
            if (size > room)
                break;
            kept += next;
        }
        QCOMPARE(line, Text::fromUnicode(kept + u"……"_qs));
    }

    // The run that the Run button and quorvel-gen share: one line per template in project order,
    // each handed on before the next template is read (so a template's messages come after the
    // lines before it), templates without patterns skipped silently, an empty project told.
    void projectRunHandsOnEachLineInOrder()
    {
        Fixture f;
        f.templateFile(u"t", "[a]");
        f.templateFile(u"u", "x[z]");
        f.templateFile(u"empty", "");
        f.element(u"z", "");
        ProjectRun run(f.lib.library, f.random);
        QList<std::pair<Text, qsizetype>> lines; // each line, and how many messages came before
        const RunSink sink{[&](const StoryLine &line) {
                               lines.append({line.text, f.dialogs.shown.size()});
                           },
                           shownIn(f.dialogs)};
        run.run({Text("t"), Text("missing"), Text("u"), Text("empty"), Text("t")}, sink);
        QCOMPARE(lines, (QList<std::pair<Text, qsizetype>>{
                            {Text("A"), 0}, {Text("x"), 1}, {Text("A"), 1}}));
        QCOMPARE(f.dialogs.shown, QStringList{emptyElement(QStringLiteral("z"))});

        lines.clear();
        run.run({}, sink);
        QVERIFY(lines.isEmpty());
        QCOMPARE(f.dialogs.shown.last(), QString::fromUtf16(messages::EmptyProject));
    }

    // A circle through a missing element would show its message for ever, one box after another:
    // one expansion shows the same message ten times at most, then ends as endless, with the
    // line as far as it got.
    void aMessageRepeatedTooOftenEndsTheExpansion()
    {
        Fixture f;
        f.element(u"circle", "[m][circle]");
        QCOMPARE(f.generator.expand(Text("<[circle]>")), Text("<[m][circle]>"));
        QCOMPARE(f.dialogs.shown,
                 QStringList(10, emptyElement(QStringLiteral("m")))
                     << QStringLiteral("元素「circle」引用自身，无法展开完毕！请检查！"));
        QCOMPARE(f.random.reseeds, 22); // eleven draws of each, the last one of m not shown
        // The next expansion starts counting afresh.
        f.dialogs.shown.clear();
        QCOMPARE(f.generator.expand(Text("[m]")), Text());
        QCOMPARE(f.dialogs.shown, QStringList{emptyElement(QStringLiteral("m"))});
    }

    // An element of 10 MiB whose line names itself never grows the line: the bytes read for one
    // expansion (a gigabyte) end it long before a million draws would.
    void bytesReadBoundTheExpansion()
    {
        Fixture f;
        f.element(u"big", "[big]\r\n" + QByteArray(10 << 20, 'x'));
        QCOMPARE(f.generator.expand(Text("[big]")), Text("[big]"));
        QCOMPARE(f.dialogs.shown,
                 QStringList{QStringLiteral("元素「big」引用自身，无法展开完毕！请检查！")});
        QVERIFY2(f.random.reseeds <= 103, qPrintable(QString::number(f.random.reseeds)));
    }

    // A file larger than the program reads is not read, and the message names it: an element
    // gives the empty line, a template no line.
    void filesTooLargeToReadAreNamed()
    {
        Fixture f;
        for (const char *name : {"元素/huge.txt", "模板/huge.txt"}) {
            QFile file(f.lib.path(QString::fromUtf8(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.write(QByteArray(20000, 'x')) == 20000);
            QVERIFY(file.resize(qint64(1) << 40)); // sparse: a terabyte that takes no disk
        }
        QCOMPARE(f.generator.expand(Text("<[huge]>")), Text("<>"));
        QCOMPARE(storyLine(f.generator, Text("huge")), std::optional<Text>());
        QCOMPARE(f.dialogs.shown, QStringList(2, QStringLiteral("文件过大，无法读取：huge.txt")));
    }

    // With the real random source every line of an element comes up about equally often
    // (chi-square over 5 lines, an empty line among them).
    void everyLineIsEquallyLikely()
    {
        Fixture f;
        f.element(u"five", "1\r\n2\r\n\r\n4\r\n5\r\n");
        SystemRandom random;
        Generator generator(f.lib.library, random, shownIn(f.dialogs));
        const int draws = 20000;
        QHash<Text, int> counts;
        for (int i = 0; i < draws; ++i)
            ++counts[generator.drawElement(Text("[five]"))];
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
        Generator generator(f.lib.library, random, shownIn(f.dialogs));
        const int runs = 4000;
        int same = 0;
        for (int i = 0; i < runs; ++i) {
            const Text line = generator.expand(Text("x[a]y[a]z"));
            same += line.view().at(1) == line.view().at(3);
        }
        QVERIFY2(same > runs / 4 - 200 && same < runs / 4 + 200, qPrintable(QString::number(same)));
    }
};

QTEST_GUILESS_MAIN(TestGenerator)
#include "tst_generator.moc"
