// What a run meets, as values: each diagnostic's kind, element, chain and place in the run, handed
// on in order between the lines; the exact words the user reads for each; and the bound on how
// often one expansion meets the same element empty, counted element by element.

#include "engine/diagnostic.h"
#include "engine/generator.h"
#include "engine/projectrun.h"
#include "tests/support/fixedrandom.h"
#include "tests/support/templibrary.h"

#include <QFile>
#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// A diagnostic in a few words: "empty-element z @two:2", "endless 甲 (甲→乙→甲) @circle:1".
QString describe(const Diagnostic &d)
{
    static const char *const Kinds[] = {"empty-project", "empty-reference", "empty-element",
                                        "unreadable", "endless"};
    QString text = QString::fromLatin1(Kinds[int(d.kind)]);
    if (!d.element.isEmpty())
        text += u' ' + d.element.toUnicode();
    if (!d.chain.isEmpty()) {
        QStringList names;
        for (const Text &name : d.chain)
            names.append(name.toUnicode());
        text += QStringLiteral(" (") + names.join(u'→') + u')';
    }
    if (d.cause == FileResult::Cause::TooLarge)
        text += QStringLiteral(" too-large");
    if (!d.templateName.isEmpty())
        text += QStringLiteral(" @%1:%2").arg(d.templateName.toUnicode()).arg(d.patternLine);
    return text;
}

Text repeated(const char *piece, int times)
{
    return Text::fromGbk(QByteArray(piece).repeated(times));
}

struct Fixture
{
    Fixture()
    {
        write(u"元素/a.txt", u"A");
        write(u"元素/z.txt", u"");
        write(u"元素/甲.txt", u"[乙]");
        write(u"元素/乙.txt", u"[甲]");
        write(u"模板/plain.txt", u"x[a]");
        write(u"模板/two.txt", u"first\r\nx[z]y");
        write(u"模板/ref.txt", u"[a][]");
        write(u"模板/circle.txt", u"<[甲]>");
        write(u"模板/hugeel.txt", u"[huge]");
        for (const char16_t *name : {u"元素/huge.txt", u"模板/big.txt"}) {
            QFile file(lib.path(QString::fromUtf16(name)));
            if (!file.open(QIODevice::WriteOnly) || !file.resize(qint64(1) << 40))
                qFatal("cannot make a sparse file");
        }
    }
    void write(const char16_t *path, const char16_t *text)
    {
        lib.writeBytes(QString::fromUtf16(path), gbk(QString::fromUtf16(text)));
    }

    TempLibrary lib;
    FixedRandom random;
};

} // namespace

Q_DECLARE_METATYPE(quorvel::Diagnostic)

class TestDiagnostics : public QObject
{
    Q_OBJECT

private slots:
    // Each diagnostic comes the moment it is met, before the line of its template, and knows
    // the template and the pattern's line.
    void runHandsOnDiagnosticsInOrder_data()
    {
        QTest::addColumn<QStringList>("templates");
        QTest::addColumn<QList<int>>("draws");
        QTest::addColumn<QStringList>("events");
        QTest::newRow("empty project")
            << QStringList() << QList<int>() << QStringList{u"empty-project"_qs};
        QTest::newRow("element without lines")
            << QStringList{u"plain"_qs, u"two"_qs} << QList<int>{1, 1, 2}
            << QStringList{u"line xA"_qs, u"empty-element z @two:2"_qs, u"line xy"_qs};
        QTest::newRow("[] after a draw")
            << QStringList{u"ref"_qs} << QList<int>()
            << QStringList{u"empty-reference @ref:1"_qs, u"line A[]"_qs};
        QTest::newRow("circle of two") << QStringList{u"circle"_qs, u"plain"_qs} << QList<int>()
                                       << QStringList{u"endless 甲 (甲→乙→甲→乙→甲) @circle:1"_qs,
                                                      u"line <[甲]>"_qs, u"line xA"_qs};
        QTest::newRow("template too large: no line")
            << QStringList{u"big"_qs, u"plain"_qs} << QList<int>()
            << QStringList{u"unreadable too-large @big:0"_qs, u"line xA"_qs};
        QTest::newRow("element too large")
            << QStringList{u"hugeel"_qs} << QList<int>()
            << QStringList{u"unreadable huge too-large @hugeel:1"_qs, u"line "_qs};
    }
    void runHandsOnDiagnosticsInOrder()
    {
        QFETCH(QStringList, templates);
        QFETCH(QList<int>, draws);
        QFETCH(QStringList, events);
        Fixture f;
        f.random.setDraws(draws);
        ExpansionLimits limits;
        limits.maxDepth = 4;
        ProjectRun run(f.lib.library, f.random, limits);
        TextList names;
        for (const QString &name : templates)
            names.append(gbk(name));
        QStringList seen;
        run.run(names,
                {[&](const StoryLine &line) { seen.append(u"line "_qs + line.text.toUnicode()); },
                 [&](const Diagnostic &d) { seen.append(describe(d)); }});
        QCOMPARE(seen, events);
    }

    // The words of each diagnostic, exactly as the user has always read them; where it was met
    // does not change them.
    void messagesAreTheUsersWords_data()
    {
        using K = Diagnostic::Kind;
        QTest::addColumn<Diagnostic>("diagnostic");
        QTest::addColumn<QString>("message");
        const auto names = [](std::initializer_list<const char16_t *> list) {
            TextList chain;
            for (const char16_t *name : list)
                chain.append(gbk(QString::fromUtf16(name)));
            return chain;
        };
        QTest::newRow("empty project")
            << Diagnostic{.kind = K::EmptyProject} << u"项目为空，请建立或选择已进行项目运行！"_qs;
        QTest::newRow("empty reference")
            << Diagnostic{.kind = K::EmptyReference, .templateName = Text("t"), .patternLine = 2}
            << u"括号中的内容不能为空！请检查后再执行程序！"_qs;
        QTest::newRow("empty element")
            << Diagnostic{.kind = K::EmptyElement, .element = gbk(u"人物"_qs)}
            << u"人物内容为空！请检查！"_qs;
        QTest::newRow("empty element, placed") << Diagnostic{.kind = K::EmptyElement,
                                                             .element = gbk(u"人物"_qs),
                                                             .templateName = Text("t"),
                                                             .patternLine = 3}
                                               << u"人物内容为空！请检查！"_qs;
        QTest::newRow("element too large") << Diagnostic{.kind = K::UnreadableFile,
                                                         .element = Text("huge"),
                                                         .cause = FileResult::Cause::TooLarge,
                                                         .templateName = gbk(u"开头"_qs)}
                                           << u"文件过大，无法读取：huge.txt"_qs;
        QTest::newRow("template too large") << Diagnostic{.kind = K::UnreadableFile,
                                                          .cause = FileResult::Cause::TooLarge,
                                                          .templateName = gbk(u"结尾"_qs)}
                                            << u"文件过大，无法读取：结尾.txt"_qs;
        QTest::newRow("link out of the folder")
            << Diagnostic{.kind = K::UnreadableFile,
                          .element = Text("away"),
                          .cause = FileResult::Cause::OutsideFolder}
            << u"该文件无法读取：链接指向素材文件夹之外"_qs;
        QTest::newRow("endless, no chain") << Diagnostic{.kind = K::EndlessExpansion}
                                           << u"元素引用层层嵌套，无法展开完毕！请检查！"_qs;
        QTest::newRow("endless, names itself")
            << Diagnostic{.kind = K::EndlessExpansion,
                          .element = gbk(u"循环"_qs),
                          .chain = names({u"循环", u"循环"})}
            << u"元素「循环」引用自身，无法展开完毕！请检查！"_qs;
        QTest::newRow("endless, circle of two")
            << Diagnostic{.kind = K::EndlessExpansion,
                          .element = gbk(u"甲"_qs),
                          .chain = names({u"外", u"甲", u"乙", u"甲"})}
            << u"元素「甲」→「乙」→「甲」层层嵌套，无法展开完毕！请检查！"_qs;
        QTest::newRow("endless, no circle")
            << Diagnostic{.kind = K::EndlessExpansion,
                          .element = gbk(u"乙"_qs),
                          .chain = names({u"甲", u"乙"})}
            << u"元素「乙」：元素引用层层嵌套，无法展开完毕！请检查！"_qs;
    }
    void messagesAreTheUsersWords()
    {
        QFETCH(Diagnostic, diagnostic);
        QFETCH(QString, message);
        QCOMPARE(diagnostic.message(), message);
    }

    // A circle through an element without lines would meet it for ever: one expansion meets the
    // same element empty (or unreadable) as often as the limit allows, each element counted
    // apart, and the next time ends as endless, with the line as far as it got.
    void boundCountsEachElementApart_data()
    {
        QTest::addColumn<Text>("pattern");
        QTest::addColumn<int>("bound");
        QTest::addColumn<QStringList>("diagnostics");
        QTest::addColumn<Text>("line");
        const QString m = u"empty-element m"_qs, n = u"empty-element n"_qs;
        QTest::newRow("two elements ten times each")
            << repeated("[m]", 10) + repeated("[n]", 10) << 10
            << QStringList(10, m) + QStringList(10, n) << Text();
        QTest::newRow("interleaved, ten times each") << repeated("[m][n]", 10) + Text("<>") << 10 <<
            [&] {
                QStringList list;
                for (int i = 0; i < 10; ++i)
                    list << m << n;
                return list;
            }() << Text("<>");
        QTest::newRow("one element eleven times")
            << repeated("[m]-", 11) << 10 << QStringList(10, m) + QStringList{u"endless m (m)"_qs}
            << repeated("-", 10) + Text("[m]-");
        QTest::newRow("the eleventh m among n") << repeated("[m][n]", 11) << 10 << [&] {
            QStringList list;
            for (int i = 0; i < 10; ++i)
                list << m << n;
            return list << u"endless m (m)"_qs;
        }() << Text("[m][n]");
        QTest::newRow("the limit's own figure")
            << repeated("[m]", 4) << 3 << QStringList(3, m) + QStringList{u"endless m (m)"_qs}
            << Text("[m]");
        QTest::newRow("unreadable element eleven times")
            << repeated("[huge]", 11) << 10
            << QStringList(10, u"unreadable huge too-large"_qs) +
                   QStringList{u"endless huge (huge)"_qs}
            << Text("[huge]");
    }
    void boundCountsEachElementApart()
    {
        QFETCH(Text, pattern);
        QFETCH(int, bound);
        QFETCH(QStringList, diagnostics);
        QFETCH(Text, line);
        Fixture f;
        ExpansionLimits limits;
        limits.maxSameDiagnostic = bound;
        QStringList seen;
        Generator generator(
            f.lib.library, f.random, [&](const Diagnostic &d) { seen.append(describe(d)); },
            limits);
        QCOMPARE(generator.expand(pattern), line);
        QCOMPARE(seen, diagnostics);
        // The next expansion counts afresh.
        seen.clear();
        QCOMPARE(generator.expand(Text("[m]")), Text());
        QCOMPARE(seen, QStringList{m_emptyM});
    }

private:
    const QString m_emptyM = u"empty-element m"_qs;
};

QTEST_GUILESS_MAIN(TestDiagnostics)
#include "tst_diagnostics.moc"
