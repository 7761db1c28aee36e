// quorvel-gen as a script sees it: the built program run on a small library, judged by its
// standard output, standard error and exit status.

#include "engine/messages.h"
#include "tests/engine/genrun.h"

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

    // --trace on elements that name each other stops at the same bound: one JSON object for
    // each line the plain run writes, with the same text, the same messages and status 4.
    void traceOfACircleExitsWithFour_data()
    {
        QTest::addColumn<QString>("element");
        QTest::addColumn<QString>("other");
        QTest::newRow("self-reference") << u"[人]"_qs << QString();
        QTest::newRow("two elements in a circle") << u"甲[乙]"_qs << u"乙[人]"_qs;
    }
    void traceOfACircleExitsWithFour()
    {
        QFETCH(QString, element);
        QFETCH(QString, other);
        Fixture f;
        f.lib.writeBytes(u"元素/人.txt"_qs, gbk(element));
        f.lib.writeBytes(u"元素/乙.txt"_qs, gbk(other));
        const Run plain = runGen(f.args({u"故事"_qs}));
        const Run traced = runGen(f.args({u"--trace"_qs, u"故事"_qs}));
        QCOMPARE(plain.status, 4);
        QCOMPARE(traced.status, 4);
        QCOMPARE(traced.err, plain.err);
        const QStringList lines = plain.out.split(u'\n', Qt::SkipEmptyParts);
        const QStringList objects = traced.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(objects.size(), lines.size());
        for (qsizetype i = 0; i < lines.size(); ++i) {
            QJsonParseError error;
            const QJsonDocument json = QJsonDocument::fromJson(objects.at(i).toUtf8(), &error);
            QCOMPARE(error.error, QJsonParseError::NoError);
            QCOMPARE(json.object().value(u"text"_qs).toString(), lines.at(i));
        }
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
};

QTEST_GUILESS_MAIN(TestGen)
#include "tst_gen.moc"
