// The library check: every kind of finding on one small library, in order, the check limited to
// a project, and the story counts on cases worked out by hand.

#include "engine/check.h"
#include "engine/checkjson.h"
#include "tests/support/templibrary.h"
#include "tests/support/testtext.h"

#include <QJsonArray>
#include <QSet>
#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

void write(TempLibrary &lib, const QString &path, const QString &content)
{
    lib.writeBytes(path, gbk(content));
}

const Text OddName = Text::fromGbk("\x80x.txt");

// One case of each finding, and material without any fault around them. The file whose name is
// no GBK text is one that the temporary folder cannot remove by itself.
struct FaultyLibrary
{
    FaultyLibrary();
    ~FaultyLibrary() { (void)lib.library.remove(Folder::Elements, OddName); }
    TempLibrary lib;
};

FaultyLibrary::FaultyLibrary()
{
    write(lib, u"模板/开头.txt"_qs,
          u"从前[天气]，[风向]吹。\r\n[]不见\r\n他说[人物]：]好[人物]\r\n[ 天气]来了\r\n"_qs);
    write(lib, u"模板/结尾.txt"_qs, u"完[天气"_qs);
    write(lib, u"模板/空.txt"_qs, QString());
    write(lib, u"模板/孤.txt"_qs, u"孤单"_qs);
    write(lib, u"模板/全部.l"_qs, u"开头\r\n结尾\r\n"_qs);
    write(lib, u"元素/天气.txt"_qs, u"晴\r\n雨\r\n阴[]天"_qs);
    write(lib, u"元素/人物.txt"_qs, u"老人\r\n[甲]\r\n[空元素]的\r\n"_qs);
    write(lib, u"元素/空元素.txt"_qs, QString());
    write(lib, u"元素/甲.txt"_qs, u"[乙]\r\n"_qs);
    write(lib, u"元素/乙.txt"_qs, u"好[甲]\r\n"_qs);
    write(lib, u"元素/回.txt"_qs, u"[回]\r\n停\r\n"_qs);
    lib.writeBytes(u"元素/坏.txt"_qs, QByteArray("a]b\r\nc[d\r\nx\x81"));
    write(lib, u"元素/常用.l"_qs, u"天气\r\n风\r\n"_qs);
    write(lib, u"项目/故事.l"_qs, u"开头\r\n空\r\n没有\r\n"_qs);
    QVERIFY(lib.library.writeContent(Folder::Elements, OddName, Text("z")));
}

QStringList lines(const CheckReport &report)
{
    QStringList all;
    for (const Finding &finding : report.findings)
        all.append(finding.compilerLine());
    return all;
}

} // namespace

class TestCheck : public QObject
{
    Q_OBJECT

private slots:
    void findsEachFaultInOrder()
    {
        FaultyLibrary faulty;
        LibraryCheck check(faulty.lib.library);
        const CheckReport &report = check.checkAll();
        const QString oddName = OddName.toUnicode();
        const QStringList expected{
            u"模板/孤.txt: 提示：这个模板不在任何分类中，也不在任何项目中"_qs,
            u"模板/结尾.txt:1: 错误：「[」后没有「]」：「[天气」不会展开"_qs,
            u"模板/开头.txt:1: 错误：引用的元素「风向」不存在"_qs,
            u"模板/开头.txt:2: 错误：空引用「[]」：这一行展开后为空"_qs,
            u"模板/开头.txt:3: 错误：「]」前没有「[」：「]好[人物]」不会展开"_qs,
            u"模板/开头.txt:4: 错误：引用的元素「 天气」不存在"_qs,
            u"模板/开头.txt:4: 提示：「 天气」与元素「天气」只差首尾的空白"_qs,
            u"模板/空.txt: 错误：模板没有句式"_qs,
            u"元素/"_qs + oddName + u": 提示：文件名中有不是 GBK 字符的字节"_qs,
            u"元素/"_qs + oddName + u": 提示：没有模板或其他元素引用这个元素"_qs,
            u"元素/常用.l:2: 错误：分类中的元素「风」不存在"_qs,
            u"元素/坏.txt: 提示：没有模板或其他元素引用这个元素"_qs,
            u"元素/坏.txt:1: 错误：「]」前没有「[」：用到这一行时，所在的行展开到此为止"_qs,
            u"元素/坏.txt:2: 错误：「[」后没有「]」：用到这一行时，会与其后的文字连成引用"_qs,
            u"元素/坏.txt:3: 错误：行尾是半个汉字：用到这一行时，会吞掉其后的一个字节"_qs,
            u"元素/坏.txt:3: 提示：这一行有不是 GBK 字符的字节"_qs,
            u"元素/回.txt: 提示：没有模板或其他元素引用这个元素"_qs,
            u"元素/回.txt:1: 循环：元素「回」引用自身：展开时可能层层递归"_qs,
            u"元素/甲.txt:1: 循环：元素「甲」→「乙」→「甲」循环引用，且每一行都引回循环："
            u"一旦用到，必定展开不完"_qs,
            u"元素/人物.txt:3: 错误：引用的元素「空元素」没有内容"_qs,
            u"元素/天气.txt:3: 错误：空引用「[]」：用到这一行时，所在的行展开到此为止"_qs,
            u"项目/故事.l:3: 错误：项目中的模板「没有」不存在"_qs,
        };
        QCOMPARE(lines(report), expected);
        QCOMPARE(report.summary(), u"错误 13 个，循环 2 个（其中 1 个必定展开不完），提示 7 个"_qs);
        QVERIFY(!report.passed());

        const Finding &circle = report.findings.at(18);
        QCOMPARE(circle.chain, (TextList{gbk(u"甲"_qs), gbk(u"乙"_qs), gbk(u"甲"_qs)}));
        QCOMPARE(circle.lineText, gbk(u"[乙]"_qs));
        QCOMPARE(report.findings.at(2).lineText, gbk(u"从前[天气]，[风向]吹。"_qs));
    }

    // The JSON that scripts read: a name of its own for every kind of finding, the chain only
    // for circles, and counts whose digits are null when there are none to give.
    void findingsAndCountsAsJson()
    {
        FaultyLibrary faulty;
        LibraryCheck check(faulty.lib.library);
        const CheckReport &report = check.checkAll();
        QHash<int, QString> kindNames;
        for (const Finding &finding : report.findings) {
            const QJsonObject json = findingToJson(finding);
            const QString kind = json.value(u"kind"_qs).toString();
            QVERIFY(!kind.isEmpty());
            QCOMPARE(kindNames.value(int(finding.kind), kind), kind);
            kindNames.insert(int(finding.kind), kind);
            QCOMPARE(json.value(u"file"_qs).toString(), finding.filePath());
            QCOMPARE(json.contains(u"chain"_qs), finding.severity == Finding::Severity::Circle);
        }
        QCOMPARE(QSet<QString>(kindNames.cbegin(), kindNames.cend()).size(), kindNames.size());
        const QJsonObject circle = findingToJson(report.findings.at(18));
        QCOMPARE(circle.value(u"severity"_qs).toString(), u"circle"_qs);
        QCOMPARE(circle.value(u"chain"_qs).toArray(), (QJsonArray{u"甲"_qs, u"乙"_qs, u"甲"_qs}));
        QCOMPARE(circle.value(u"alwaysEndless"_qs).toBool(), true);
        QCOMPARE(findingToJson(report.findings.at(17)).value(u"alwaysEndless"_qs).toBool(), false);
        QCOMPARE(checkSummaryToJson(report).value(u"summary"_qs).toObject(),
                 (QJsonObject{{u"errors"_qs, 13},
                              {u"circles"_qs, 2},
                              {u"alwaysEndless"_qs, 1},
                              {u"notices"_qs, 7},
                              {u"passed"_qs, false}}));

        QCOMPARE(projectCountToJson(u"小"_qs, StoryCount::endless()),
                 (QJsonObject{{u"project"_qs, u"小"_qs},
                              {u"stories"_qs, QJsonValue()},
                              {u"endless"_qs, true},
                              {u"shown"_qs, u"无穷"_qs}}));
        StoryCount large(1'000'000'000ul);
        large *= large;
        large *= large;
        QCOMPARE(templateCountToJson(gbk(u"开头"_qs), large),
                 (QJsonObject{{u"template"_qs, u"开头"_qs},
                              {u"stories"_qs, u"1"_qs + QString(36, u'0')},
                              {u"endless"_qs, false},
                              {u"shown"_qs, large.shown()}}));
    }

    // Only what the project reaches: its own list, its templates, their elements.
    void projectCheckSeesWhatTheProjectReaches()
    {
        FaultyLibrary faulty;
        TempLibrary &lib = faulty.lib;
        write(lib, u"项目/小.l"_qs, u"结尾\r\n"_qs);
        LibraryCheck check(lib.library);
        QCOMPARE(lines(check.checkProject(gbk(u"小.l"_qs))),
                 QStringList{u"模板/结尾.txt:1: 错误：「[」后没有「]」：「[天气」不会展开"_qs});

        write(lib, u"模板/结尾.txt"_qs, u"完[人物]"_qs);
        const CheckReport &report = check.checkProject(gbk(u"小.l"_qs));
        QCOMPARE(lines(report),
                 (QStringList{u"元素/甲.txt:1: 循环：元素「甲」→「乙」→「甲」循环引用，且每一行都引"
                              u"回循环：一旦用到，必定展开不完"_qs,
                              u"元素/人物.txt:3: 错误：引用的元素「空元素」没有内容"_qs}));
        QCOMPARE(check.projectCount(gbk(u"小.l"_qs)).shown(), u"无穷"_qs);
    }

    // Files given as path and content in turn; the count of the template t, and of the
    // project p when there is one.
    void countsStories_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("templateCount");
        QTest::addColumn<QString>("projectCount");
        const QStringList ab{u"元素/a.txt"_qs, u"1\r\n2\r\n3"_qs, u"元素/b.txt"_qs,
                             u"x\r\ny\r\n"_qs};
        QTest::newRow("product of the references")
            << ab + QStringList{u"模板/t.txt"_qs, u"[a]和[b]"_qs} << u"6"_qs << QString();
        QTest::newRow("sum of the patterns")
            << ab + QStringList{u"模板/t.txt"_qs, u"[a]\r\n[b][b]\r\n无\r\n"_qs} << u"8"_qs
            << QString();
        QTest::newRow("identical lines once")
            << QStringList{u"元素/a.txt"_qs, u"同\r\n同\r\n异\r\n"_qs, u"模板/t.txt"_qs,
                           u"[a]\r\n[a]\r\n"_qs}
            << u"2"_qs << QString();
        QTest::newRow("nested lines") << ab + QStringList{u"元素/c.txt"_qs, u"[a][b]\r\n[b]\r\n"_qs,
                                                          u"模板/t.txt"_qs, u"[c]，[c]"_qs}
                                      << u"64"_qs << QString();
        QTest::newRow("missing and empty elements draw nothing")
            << QStringList{u"元素/e.txt"_qs, QString(), u"模板/t.txt"_qs, u"[e][无][]"_qs}
            << u"1"_qs << QString();
        QTest::newRow("only what the brackets reach")
            << ab + QStringList{u"模板/t.txt"_qs, u"[]x[a]\r\n[a]]x[b]\r\n"_qs} << u"4"_qs
            << QString();
        QTest::newRow("circle") << QStringList{u"元素/a.txt"_qs, u"停\r\n[b]"_qs,  u"元素/b.txt"_qs,
                                               u"[a]"_qs,        u"模板/t.txt"_qs, u"[b]"_qs,
                                               u"项目/p.l"_qs,   u"t\r\n"_qs}
                                << u"无穷"_qs << u"无穷"_qs;
        QTest::newRow("project: product, templates without patterns left out")
            << ab + QStringList{u"模板/t.txt"_qs,  u"[a]"_qs,
                                u"模板/u.txt"_qs,  u"[b]"_qs,
                                u"模板/空.txt"_qs, QString(),
                                u"项目/p.l"_qs,    u"t\r\n空\r\n无\r\nu\r\nt\r\n"_qs}
            << u"3"_qs << u"18"_qs;
        QTest::newRow("empty project")
            << QStringList{u"模板/t.txt"_qs, u"x"_qs, u"项目/p.l"_qs, QString()} << u"1"_qs
            << u"0"_qs;
        QString pattern = u"[甲]"_qs, twentyThree;
        for (int i = 0; i < 40; ++i)
            pattern += u"[十]"_qs;
        for (int i = 0; i < 23; ++i)
            twentyThree += QString::number(i) + u"\r\n"_qs;
        QTest::newRow("10^41")
            << QStringList{u"元素/十.txt"_qs, u"0\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9"_qs,
                           u"元素/甲.txt"_qs, twentyThree,
                           u"模板/t.txt"_qs,  pattern,
                           u"项目/p.l"_qs,    u"t\r\nt\r\n"_qs}
            << u"约 2.3 × 10^41"_qs << u"约 5.3 × 10^82"_qs;
    }
    void countsStories()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, templateCount);
        QFETCH(QString, projectCount);
        TempLibrary lib;
        for (qsizetype i = 0; i + 1 < files.size(); i += 2)
            write(lib, files.at(i), files.at(i + 1));
        LibraryCheck check(lib.library);
        check.checkAll();
        QCOMPARE(check.templateCount(Text("t")).shown(), templateCount);
        if (!projectCount.isEmpty())
            QCOMPARE(check.projectCount(Text("p.l")).shown(), projectCount);
    }

    // A chain of a thousand elements, each naming the next twice: the count squares at every
    // step, far past any number of digits, and the check must neither run out of stack nor of
    // memory.
    void runawayMaterialStaysBounded()
    {
        constexpr int Length = 1000;
        TempLibrary lib;
        for (int i = 0; i < Length; ++i)
            lib.writeBytes(u"元素/e%1.txt"_qs.arg(i),
                           i + 1 < Length ? u"[e%1][e%1]\r\nx"_qs.arg(i + 1).toLatin1()
                                          : QByteArray("x\r\ny"));
        lib.writeBytes(u"模板/t.txt"_qs, QByteArray("[e0]"));
        lib.writeBytes(u"模板/u.txt"_qs, QByteArray("[e975]"));
        LibraryCheck check(lib.library);
        QCOMPARE(check.checkAll().errors, 0);
        QCOMPARE(check.templateCount(Text("t")).shown(), u"超过 10^(10^15)"_qs);
        QVERIFY(!check.templateCount(Text("u")).isExact());
        QVERIFY(check.templateCount(Text("u")).shown().startsWith(u"约 "_qs));
    }

    // A hostile line of a megabyte is named in a description by its start only.
    void longNamesAreCutShort()
    {
        TempLibrary lib;
        const QByteArray name(1 << 20, 'n');
        lib.writeBytes(u"模板/t.txt"_qs, "[" + name + "]x]" + name);
        LibraryCheck check(lib.library);
        const CheckReport &report = check.checkAll();
        // In no category, the missing element, the stray bracket.
        QCOMPARE(report.findings.size(), 3);
        QCOMPARE(report.findings.at(1).description,
                 u"引用的元素「"_qs + QString(60, u'n') + u"…」不存在"_qs);
        QCOMPARE(report.findings.at(2).description,
                 u"「]」前没有「[」：「]"_qs + QString(19, u'n') + u"…」不会展开"_qs);
    }

    // In full up to 30 digits, rounded to two beyond; past the exact range by the logarithm.
    void showsLargeCounts_data()
    {
        QTest::addColumn<int>("leading");
        QTest::addColumn<int>("zeros");
        QTest::addColumn<QString>("digits");
        QTest::addColumn<QString>("shown");
        QTest::newRow("23 x 10^40")
            << 23 << 40 << u"23"_qs + QString(40, u'0') << u"约 2.3 × 10^41"_qs;
        QTest::newRow("30 digits")
            << 1 << 29 << u"1"_qs + QString(29, u'0') << u"1"_qs + QString(29, u'0');
        QTest::newRow("31 digits")
            << 1 << 30 << u"1"_qs + QString(30, u'0') << u"约 1.0 × 10^30"_qs;
        QTest::newRow("rounds up into the next power")
            << 996 << 39 << u"996"_qs + QString(39, u'0') << u"约 1.0 × 10^42"_qs;
        QTest::newRow("rounds half up")
            << 245 << 39 << u"245"_qs + QString(39, u'0') << u"约 2.5 × 10^41"_qs;
        QTest::newRow("beyond the exact range")
            << 3 << 100000 << QString() << u"约 3.0 × 10^100000"_qs;
    }
    void showsLargeCounts()
    {
        QFETCH(int, leading);
        QFETCH(int, zeros);
        StoryCount count(static_cast<unsigned long>(leading));
        for (int i = 0; i < zeros; ++i)
            count *= StoryCount(10);
        QTEST(count.digits(), "digits");
        QTEST(count.shown(), "shown");
    }
};

QTEST_GUILESS_MAIN(TestCheck)
#include "tst_check.moc"
