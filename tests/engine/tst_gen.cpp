// quorvel-gen as a script sees it: the built program run on a small library, judged by its
// standard output, standard error and exit status.

#include "engine/messages.h"
#include "tests/support/templibrary.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <cstring>

using namespace quorvel;
using namespace quorvel::test;

namespace {

struct Run
{
    int status = -1;
    QString out;
    QString err;
    QByteArray outBytes; // standard output as written
};

Run runGen(const QStringList &arguments, const QString &program = QStringLiteral(QUORVEL_GEN))
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    const QByteArray out = process.readAllStandardOutput();
    return {process.exitCode(), QString::fromUtf8(out),
            QString::fromUtf8(process.readAllStandardError()), out};
}

// A project p of three templates, the second of which does not exist, and a project of none.
struct Fixture
{
    Fixture()
    {
        lib.writeBytes(QStringLiteral("元素/人.txt"), gbk(QStringLiteral("老人")));
        lib.writeBytes(QStringLiteral("模板/开头.txt"), gbk(QStringLiteral("从前有个[人]。")));
        lib.writeBytes(QStringLiteral("模板/结尾.txt"), gbk(QStringLiteral("完\r\n")));
        lib.writeBytes(QStringLiteral("项目/故事.l"),
                       gbk(QStringLiteral("开头\r\n没有\r\n结尾\r\n")));
        lib.writeBytes(QStringLiteral("项目/空.l"), QByteArray());
    }
    // Quiet: the seed line is a test of its own.
    QStringList args(const QStringList &more) const
    {
        return QStringList{QStringLiteral("--library"), lib.root(), QStringLiteral("--quiet")} +
               more;
    }
    TempLibrary lib;
};

} // namespace

class TestGen : public QObject
{
    Q_OBJECT

private slots:
    void writesTheStoryInUtf8()
    {
        Fixture f;
        Run run = runGen(f.args({QStringLiteral("故事")}));
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QStringLiteral("从前有个老人。\n完\n"));
        QCOMPARE(run.err, QString());

        run = runGen(
            f.args({QStringLiteral("--times"), QStringLiteral("3"), QStringLiteral("故事")}));
        QCOMPARE(run.out, QStringLiteral("从前有个老人。\n完\n").repeated(3));
    }

    // The messages of the window, one per line on standard error; the run goes on after each.
    void writesMessagesToStandardError()
    {
        Fixture f;
        f.lib.writeBytes(QStringLiteral("模板/开头.txt"), gbk(QStringLiteral("[]x\r\n")));
        f.lib.writeBytes(QStringLiteral("模板/结尾.txt"), gbk(QStringLiteral("[天气]好")));
        Run run = runGen(f.args({QStringLiteral("故事")}));
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QStringLiteral("\n好\n"));
        QCOMPARE(run.err, QString::fromUtf16(messages::EmptyReference) + u'\n' +
                              QStringLiteral("天气") + QString::fromUtf16(messages::EmptyElement) +
                              u'\n');

        run =
            runGen(f.args({QStringLiteral("--times"), QStringLiteral("2"), QStringLiteral("空")}));
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QString());
        QCOMPARE(run.err, QString::fromUtf16(messages::EmptyProject) + u"（共 2 次）\n"_qs);
    }

    // A template too large to read is named on standard error; the run goes on without it.
    void tooLargeTemplateIsNamed()
    {
        Fixture f;
        QFile huge(f.lib.path(QStringLiteral("模板/结尾.txt")));
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(1) << 40));
        huge.close();
        const Run run = runGen(f.args({QStringLiteral("故事")}));
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QStringLiteral("从前有个老人。\n"));
        QCOMPARE(run.err, QStringLiteral("文件过大，无法读取：结尾.txt\n"));
    }

    // Without --seed the seed used is told after the story, and --seed replays the story.
    void unseededRunTellsItsSeed()
    {
        Fixture f;
        QByteArray lines;
        for (int i = 0; i < 100; ++i)
            lines += QByteArray::number(i) + "\r\n";
        f.lib.writeBytes(QStringLiteral("元素/人.txt"), lines);
        const QStringList common{QStringLiteral("--library"), f.lib.root(),
                                 QStringLiteral("--times"), QStringLiteral("20"),
                                 QStringLiteral("故事")};
        const Run first = runGen(common);
        QCOMPARE(first.status, 0);
        const QRegularExpressionMatch seed =
            QRegularExpression(QStringLiteral("^种子：(\\d+)\n$")).match(first.err);
        QVERIFY2(seed.hasMatch(), qPrintable(first.err));
        const Run replay = runGen(common + QStringList{QStringLiteral("--seed"), seed.captured(1)});
        QCOMPARE(replay.out, first.out);
        QCOMPARE(replay.err, QString()); // a given seed is not told again
    }

    // -o writes the story into a file, whole, in the encoding asked for.
    void writesTheStoryToAFile_data()
    {
        QTest::addColumn<QStringList>("encoding");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("default, UTF-8 with LF")
            << QStringList{} << QStringLiteral("从前有个老人。\n完\n").toUtf8();
        QTest::newRow("GBK with CR LF")
            << QStringList{QStringLiteral("--encoding"), QStringLiteral("gbk")}
            << gbk(QStringLiteral("从前有个老人。\r\n完\r\n")).toGbk();
    }
    void writesTheStoryToAFile()
    {
        QFETCH(QStringList, encoding);
        QFETCH(QByteArray, bytes);
        Fixture f;
        const QString file = f.lib.path(QStringLiteral("story.txt"));
        f.lib.writeBytes(QStringLiteral("story.txt"), "replaced");
        const Run run = runGen(f.args(QStringList{QStringLiteral("-o"), file} + encoding +
                                      QStringList{QStringLiteral("故事")}));
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QString());
        QCOMPARE(f.lib.readBytes(QStringLiteral("story.txt")), bytes);
        // A file that cannot be written says so, with its cause.
        const Run failed =
            runGen(f.args({QStringLiteral("-o"), f.lib.path(QStringLiteral("no/s.txt")),
                           QStringLiteral("故事")}));
        QCOMPARE(failed.status, 3);
        QCOMPARE(failed.err, QStringLiteral("quorvel-gen：故事保存失败！ ") +
                                 QString::fromLocal8Bit(std::strerror(ENOENT)) + u'\n');
    }

    // --trace: one JSON object a line, in UTF-8 whatever the story's encoding, on standard
    // output and in a file alike.
    void traceWritesOneJsonObjectPerLine()
    {
        Fixture f;
        const QString file = f.lib.path(u"trace.json"_qs);
        const Run run = runGen(f.args({u"--trace"_qs, u"故事"_qs}));
        const Run toFile = runGen(
            f.args({u"--trace"_qs, u"--encoding"_qs, u"gbk"_qs, u"-o"_qs, file, u"故事"_qs}));
        QCOMPARE(run.status, 0);
        QCOMPARE(toFile.status, 0);
        const QString written = QString::fromUtf8(f.lib.readBytes(u"trace.json"_qs));
        for (const QString &out : {run.out, written}) {
            const QStringList lines =
                out.split(QRegularExpression(u"\\r?\\n"_qs), Qt::SkipEmptyParts);
            QCOMPARE(lines.size(), 2);
            const QJsonObject first = QJsonDocument::fromJson(lines.at(0).toUtf8()).object();
            QCOMPARE(first.value(u"text"_qs).toString(), u"从前有个老人。"_qs);
            QCOMPARE(first.value(u"template"_qs).toString(), u"开头"_qs);
            QCOMPARE(first.value(u"line"_qs).toInt(), 1);
            const QJsonArray draws = first.value(u"draws"_qs).toArray();
            QCOMPARE(draws.size(), 1);
            const QJsonObject draw = draws.at(0).toObject();
            QCOMPARE(draw.value(u"element"_qs).toString(), u"人"_qs);
            QCOMPARE(draw.value(u"line"_qs).toInt(), 1);
            QCOMPARE(draw.value(u"bytes"_qs).toArray(), (QJsonArray{8, 12}));
            QCOMPARE(draw.value(u"chars"_qs).toArray(), (QJsonArray{4, 6}));
            QCOMPARE(draw.value(u"draws"_qs).toArray(), QJsonArray());
            const QJsonObject second = QJsonDocument::fromJson(lines.at(1).toUtf8()).object();
            QCOMPARE(second.value(u"text"_qs).toString(), u"完"_qs);
            QCOMPARE(second.value(u"draws"_qs).toArray(), QJsonArray());
        }
    }

    // An endless line is written as far as it got, with the message naming the element, and
    // the exit status says that a line hit a limit.
    void endlessLinesExitWithFour()
    {
        Fixture f;
        f.lib.writeBytes(QStringLiteral("元素/人.txt"), gbk(QStringLiteral("[人]")));
        const Run run = runGen(f.args({QStringLiteral("故事")}));
        QCOMPARE(run.status, 4);
        QCOMPARE(run.out, QStringLiteral("从前有个[人]。\n完\n"));
        QCOMPARE(run.err, QStringLiteral("元素「人」引用自身，无法展开完毕！请检查！\n"));
    }

    // The output is well-formed in its encoding whatever the library holds: a line cut at the
    // 64 KiB bound ends after a whole character, and a byte that is no character is replaced.
    // A message met by every run is written once, after the story, with its count.
    void outputIsWellFormedAndMessagesCounted_data()
    {
        QTest::addColumn<QString>("encoding");
        QTest::addColumn<QByteArray>("element");
        QTest::addColumn<QString>("lineEnd");
        QTest::addColumn<QString>("err");
        const QString endless = u"元素「人」引用自身，无法展开完毕！请检查！（共 3 次）\n"_qs;
        for (const QString &encoding : {u"utf-8"_qs, u"gbk"_qs}) {
            const auto row = [&](const char *name) -> QTestData & {
                return QTest::addRow("%s, %s", name, qPrintable(encoding)) << encoding;
            };
            row("cut after 2-byte characters")
                << gbk(u"甲乙丙丁[人]"_qs).toGbk() << u"……"_qs << endless;
            row("cut after 4-byte characters")
                << gbk(u"𠀀𠀁[人]"_qs).toGbk() << u"……"_qs << endless;
            row("a byte that is no character")
                << QByteArray("\xbc\xd7\x80x")
                << (encoding == u"gbk" ? u"甲?x。"_qs : u"甲\uFFFDx。"_qs) << QString();
        }
    }
    void outputIsWellFormedAndMessagesCounted()
    {
        QFETCH(QString, encoding);
        QFETCH(QByteArray, element);
        QFETCH(QString, lineEnd);
        QFETCH(QString, err);
        Fixture f;
        f.lib.writeBytes(u"元素/人.txt"_qs, element);
        const Run run =
            runGen(f.args({u"--times"_qs, u"3"_qs, u"--encoding"_qs, encoding, u"故事"_qs}));
        QCOMPARE(run.status, err.isEmpty() ? 0 : 4);
        QCOMPARE(run.err, err);
        QString text;
        if (encoding == u"gbk") {
            // A byte that is no character decodes as a lone surrogate, which no valid text has.
            text = Text::fromGbk(run.outBytes).toUnicode();
            QVERIFY(text.isValidUtf16());
        } else {
            QStringDecoder utf8(QStringDecoder::Utf8);
            text = utf8(run.outBytes);
            QVERIFY(!utf8.hasError());
        }
        const QStringList lines = text.split(QRegularExpression(u"\\r?\\n"_qs));
        QCOMPARE(lines.size(), 7);
        for (int i = 0; i < 6; i += 2) {
            QVERIFY(lines.at(i).startsWith(u"从前有个"_qs));
            QVERIFY2(lines.at(i).endsWith(lineEnd), qPrintable(lines.at(i).right(8)));
        }
    }

    // SIGINT and SIGTERM stop the run after the current line: every line written is whole.
    void stopsCleanlyOnASignal_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<int>("status");
        QTest::newRow("SIGTERM") << int(SIGTERM) << 143;
        QTest::newRow("SIGINT") << int(SIGINT) << 130;
    }
    void stopsCleanlyOnASignal()
    {
        QFETCH(int, signal);
        QFETCH(int, status);
        Fixture f;
        QProcess process;
        process.start(QStringLiteral(QUORVEL_GEN),
                      f.args({QStringLiteral("--times"), QStringLiteral("100000000"),
                              QStringLiteral("故事")}));
        QVERIFY(process.waitForStarted());
        QByteArray out;
        while (out.count('\n') < 1000 && process.waitForReadyRead(10000))
            out += process.readAllStandardOutput();
        ::kill(pid_t(process.processId()), signal);
        QVERIFY(process.waitForFinished(10000));
        out += process.readAllStandardOutput();
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), status);
        QVERIFY(out.count('\n') >= 1000);
        QVERIFY(out.endsWith("\n"));
        const QString text = QString::fromUtf8(out);
        QCOMPARE(text.count(QStringLiteral("从前有个老人。\n")) +
                     text.count(QStringLiteral("完\n")),
                 text.count(u'\n'));
    }

    void sameSeedSameStory()
    {
        Fixture f;
        QByteArray lines;
        for (int i = 0; i < 100; ++i)
            lines += QByteArray::number(i) + "\r\n";
        f.lib.writeBytes(QStringLiteral("元素/人.txt"), lines);
        const QStringList seeded =
            f.args({QStringLiteral("--seed"), QStringLiteral("42"), QStringLiteral("--times"),
                    QStringLiteral("20"), QStringLiteral("故事")});
        const Run first = runGen(seeded);
        QCOMPARE(first.status, 0);
        QCOMPARE(first.out.count(u'\n'), 40);
        QCOMPARE(runGen(seeded).out, first.out);
        QVERIFY(runGen(f.args({QStringLiteral("--seed"), QStringLiteral("43"),
                               QStringLiteral("--times"), QStringLiteral("20"),
                               QStringLiteral("故事")}))
                    .out != first.out);
        // Without a seed every run draws afresh.
        const QStringList unseeded =
            f.args({QStringLiteral("--times"), QStringLiteral("20"), QStringLiteral("故事")});
        QVERIFY(runGen(unseeded).out != runGen(unseeded).out);
    }

    void missingProjectFails()
    {
        Fixture f;
        const Run run = runGen(f.args({QStringLiteral("不存在")}));
        QCOMPARE(run.status, 1);
        QCOMPARE(run.out, QString());
        QVERIFY2(run.err.contains(QStringLiteral("不存在.l")), qPrintable(run.err));
    }

    // A folder without any of the three library folders is named as such, for every command,
    // and quorvel-gen makes nothing in it.
    void folderWithoutALibraryFails()
    {
        const TempLibrary empty(false);
        for (const QStringList &command : {QStringList{u"故事"_qs}, QStringList{u"--check"_qs},
                                           QStringList{u"--count"_qs, u"故事"_qs}}) {
            const Run run =
                runGen(QStringList{u"--library"_qs, empty.root(), u"--quiet"_qs} + command);
            QCOMPARE(run.status, 1);
            QCOMPARE(run.out, QString());
            QCOMPARE(run.err, u"quorvel-gen："_qs + QDir::toNativeSeparators(empty.root()) +
                                  u" 中没有素材库：“模板”“元素”“项目”文件夹都不存在\n"_qs);
        }
        QVERIFY(QDir(empty.root()).isEmpty());
    }

    void badArgumentsFail_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no project") << QStringList{};
        QTest::newRow("two projects") << QStringList{QStringLiteral("a"), QStringLiteral("b")};
        QTest::newRow("times not a number")
            << QStringList{QStringLiteral("--times"), QStringLiteral("x"), QStringLiteral("故事")};
        QTest::newRow("negative seed")
            << QStringList{QStringLiteral("--seed"), QStringLiteral("-1"), QStringLiteral("故事")};
        QTest::newRow("unknown option")
            << QStringList{QStringLiteral("--fast"), QStringLiteral("故事")};
        QTest::newRow("check and count")
            << QStringList{u"--check"_qs, u"--count"_qs, QStringLiteral("故事")};
        QTest::newRow("count without project") << QStringList{u"--count"_qs};
        QTest::newRow("format of a run") << QStringList{u"--format"_qs, u"json"_qs, u"故事"_qs};
        QTest::newRow("unknown format") << QStringList{u"--check"_qs, u"--format"_qs, u"xml"_qs};
        QTest::newRow("trace of a check") << QStringList{u"--check"_qs, u"--trace"_qs};
    }
    void badArgumentsFail()
    {
        QFETCH(QStringList, arguments);
        Fixture f;
        const Run run = runGen(f.args(arguments));
        QCOMPARE(run.status, 2);
        QCOMPARE(run.out, QString());
        QVERIFY(run.err.contains(QStringLiteral("--help")));
    }

    // Files to add as path and content in turn, the arguments, and what comes out.
    void checkPrintsFindingsLikeACompiler_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("out");
        QTest::addColumn<int>("status");
        QTest::newRow("whole library")
            << QStringList{} << QStringList{u"--check"_qs}
            << u"项目/故事.l:2: 错误：项目中的模板「没有」不存在\n错误 1 个，循环 0 个，提示 0 个\n"_qs
            << 1;
        QTest::newRow("a project without faults")
            << QStringList{} << QStringList{u"--check"_qs, u"空"_qs}
            << u"错误 0 个，循环 0 个，提示 0 个\n"_qs << 0;
        QTest::newRow("a circle that may end passes")
            << QStringList{u"元素/回.txt"_qs, u"[回]\r\n停"_qs, u"模板/回.txt"_qs,
                           u"[回]"_qs,        u"项目/回.l"_qs,  u"回"_qs}
            << QStringList{u"--check"_qs, u"回"_qs}
            << u"元素/回.txt:1: 循环：元素「回」引用自身：展开时可能层层递归\n"
               u"错误 0 个，循环 1 个，提示 0 个\n"_qs
            << 0;
        QTest::newRow("an endless circle fails")
            << QStringList{u"元素/环.txt"_qs, u"[环]"_qs,      u"模板/环.txt"_qs,
                           u"[环]"_qs,        u"项目/环.l"_qs, u"环"_qs}
            << QStringList{u"--check"_qs, u"环"_qs}
            << u"元素/环.txt:1: "
               u"循环：元素「环」引用自身，且每一行都引回循环：一旦用到，必定展开不完\n"
               u"错误 0 个，循环 1 个（其中 1 个必定展开不完），提示 0 个\n"_qs
            << 1;
        QTest::newRow("json lines")
            << QStringList{} << QStringList{u"--check"_qs, u"--format"_qs, u"json"_qs, u"故事"_qs}
            << uR"({"file":"项目/故事.l","kind":"missing-template","line":2,)"
               uR"("message":"项目中的模板「没有」不存在","severity":"error","text":"没有"})"
               u"\n"
               uR"({"summary":{"alwaysEndless":0,"circles":0,"errors":1,"notices":0,)"
               uR"("passed":false}})"
               u"\n"_qs
            << 1;
        QTest::newRow("count")
            << QStringList{u"元素/人.txt"_qs, u"老人\r\n少年"_qs}
            << QStringList{u"--count"_qs, u"故事"_qs}
            << u"项目「故事」可生成 2 种故事\n  模板「开头」：2 种\n  模板「没有」：0 种\n"
               u"  模板「结尾」：1 种\n"_qs
            << 0;
        QTest::newRow("count in json")
            << QStringList{u"项目/一.l"_qs, u"开头"_qs}
            << QStringList{u"--count"_qs, u"一"_qs, u"--format"_qs, u"json"_qs}
            << uR"({"endless":false,"project":"一","shown":"1","stories":"1"})"
               u"\n"
               uR"({"endless":false,"shown":"1","stories":"1","template":"开头"})"
               u"\n"_qs
            << 0;
        QTest::newRow("count of a missing project")
            << QStringList{} << QStringList{u"--count"_qs, u"不存在"_qs} << QString() << 1;
    }
    void checkPrintsFindingsLikeACompiler()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, arguments);
        Fixture f;
        for (qsizetype i = 0; i + 1 < files.size(); i += 2)
            f.lib.writeBytes(files.at(i), gbk(files.at(i + 1)));
        const Run run = runGen(f.args(arguments));
        QTEST(run.out, "out");
        QTEST(run.status, "status");
    }

    void helpIsInChinese()
    {
        const Run run = runGen({QStringLiteral("--help")});
        QCOMPARE(run.status, 0);
        QVERIFY(run.out.startsWith(QStringLiteral("用法：quorvel-gen")));
        QVERIFY(run.out.contains(QStringLiteral("--seed")));
        QVERIFY(run.out.contains(u"--check"_qs) && run.out.contains(u"--count"_qs));
    }

    // Without --library the library is the one beside the program, as for the window.
    void libraryDefaultsToTheProgramFolder()
    {
        Fixture f;
        const QString copy = f.lib.path(QStringLiteral("quorvel-gen"));
        QVERIFY(QFile::copy(QStringLiteral(QUORVEL_GEN), copy));
        const Run run = runGen({QStringLiteral("故事")}, copy);
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QStringLiteral("从前有个老人。\n完\n"));
    }
};

QTEST_GUILESS_MAIN(TestGen)
#include "tst_gen.moc"
