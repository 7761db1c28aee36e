// quorvel-gen as a script sees it, beyond the run: the library it opens, its arguments, the
// check, its help.

#include "engine/messages.h"
#include "tests/engine/genrun.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <grp.h>
#include <unistd.h>

using namespace quorvel;
using namespace quorvel::test;

class TestGenCommands : public QObject
{
    Q_OBJECT

private slots:
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
        // A seed is digits alone, and a story file has a name.
        for (const QString &seed : {u" 5"_qs, u"5 "_qs, u"+5"_qs, QString()})
            QTest::addRow("seed \"%s\"", qPrintable(seed))
                << QStringList{u"--seed"_qs, seed, u"故事"_qs};
        // So is a count of runs.
        for (const QString &times : {u" 5"_qs, u"5 "_qs, u"+5"_qs, QString()})
            QTest::addRow("times \"%s\"", qPrintable(times))
                << QStringList{u"--times"_qs, times, u"故事"_qs};
        QTest::newRow("empty story file") << QStringList{u"-o"_qs, QString(), u"故事"_qs};
    }
    void badArgumentsFail()
    {
        QFETCH(QStringList, arguments);
        Fixture f;
        const Run run = runGen(f.args(arguments));
        QCOMPARE(run.status, 2);
        QCOMPARE(run.out, QString());
        QVERIFY(run.err.contains(QStringLiteral("--help")));
        if (arguments.value(0) == u"--times")
            QVERIFY2(
                run.err.startsWith(u"quorvel-gen：--times 要求非负整数："_qs + arguments.value(1)),
                qPrintable(run.err));
    }

    // A project file that is there but cannot be read is told with its cause, by the run and
    // the count alike, and the check fails on it; none takes it for an empty project.
    void unreadableProjectIsTold_data()
    {
        QTest::addColumn<bool>("link");
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QString>("err");
        const QString outside = u"quorvel-gen：该文件无法读取：链接指向素材文件夹之外\n"_qs;
        const QString huge = u"quorvel-gen：文件过大，无法读取：故事.l\n"_qs;
        QTest::newRow("run of a link") << true << QStringList{u"故事"_qs} << outside;
        QTest::newRow("runs of a file too large")
            << false << QStringList{u"--times"_qs, u"3"_qs, u"故事"_qs} << huge;
        QTest::newRow("count of a link")
            << true << QStringList{u"--count"_qs, u"故事"_qs} << outside;
        QTest::newRow("count of a file too large")
            << false << QStringList{u"--count"_qs, u"故事"_qs} << huge;
        QTest::newRow("check of a link")
            << true << QStringList{u"--check"_qs, u"故事"_qs} << QString();
        QTest::newRow("check of a file too large")
            << false << QStringList{u"--check"_qs, u"故事"_qs} << QString();
    }
    void unreadableProjectIsTold()
    {
        QFETCH(bool, link);
        QFETCH(QStringList, command);
        QFETCH(QString, err);
        Fixture f;
        const QString project = f.lib.path(u"项目/故事.l"_qs);
        f.lib.writeBytes(u"outside.l"_qs, "开头\r\n");
        QVERIFY(QFile::remove(project));
        if (link) {
            QVERIFY(QFile::link(f.lib.path(u"outside.l"_qs), project));
        } else {
            QFile sparse(project);
            QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.resize(qint64(1) << 40));
        }
        const QString output = f.lib.path(u"story.txt"_qs);
        const Run run = runGen(f.args(QStringList{u"-o"_qs, output} + command));
        QCOMPARE(run.status, 1);
        QCOMPARE(run.err, err);
        QVERIFY(!QFile::exists(output));
        if (command.contains(u"--check"_qs))
            QVERIFY2(run.out.contains(u"项目/故事.l: 错误：文件无法读取"_qs), qPrintable(run.out));
        else
            QCOMPARE(run.out, QString());
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

    // An installed program (its folder not writable) whose user library cannot be made, a file
    // being in its way, tells why and ends, instead of looking for the project in a library that
    // is not there.
    void userLibraryThatCannotBeMadeIsTold()
    {
        QTemporaryDir program;
        QTemporaryDir data;
        const QString copy = program.path() + u"/quorvel-gen"_qs;
        QVERIFY(QFile::copy(QStringLiteral(QUORVEL_GEN), copy));
        QVERIFY(QFile(data.path() + u"/quorvel"_qs).open(QIODevice::WriteOnly));
        // Both folders may be read and entered by anyone and written by no one but root, whose
        // rights the program gives up: root may write any folder.
        const QFile::Permissions readAndEnter = QFile::ReadOwner | QFile::ExeOwner |
                                                QFile::ReadGroup | QFile::ExeGroup |
                                                QFile::ReadOther | QFile::ExeOther;
        QVERIFY(QFile::setPermissions(program.path(), readAndEnter));
        QVERIFY(QFile::setPermissions(data.path(), readAndEnter));
        const auto writable = qScopeGuard([&] {
            QFile::setPermissions(program.path(), readAndEnter | QFile::WriteOwner);
            QFile::setPermissions(data.path(), readAndEnter | QFile::WriteOwner);
        });
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"XDG_DATA_HOME"_qs, data.path());
        process.setProcessEnvironment(environment);
        process.setChildProcessModifier([] {
            constexpr uid_t Nobody = 65534;
            if (::geteuid() == 0 &&
                (::setgroups(0, nullptr) != 0 || ::setgid(Nobody) != 0 || ::setuid(Nobody) != 0))
                ::_exit(99);
        });
        process.start(copy, {u"故事"_qs});
        QVERIFY(process.waitForFinished(60000));
        const QString err = QString::fromUtf8(process.readAllStandardError());
        QCOMPARE(process.exitCode(), 1);
        QCOMPARE(process.readAllStandardOutput(), QByteArray());
        const QString told = u"quorvel-gen：无法建立素材库“%1/quorvel”（从示例素材库“"_qs;
        QVERIFY2(err.startsWith(told.arg(data.path())) &&
                     err.endsWith(u"。 该位置已有同名的文件，不是文件夹\n"_qs) &&
                     err.count(u'\n') == 1,
                 qPrintable(err));
        QVERIFY(QFileInfo(data.path() + u"/quorvel"_qs).isFile());
    }
};

QTEST_GUILESS_MAIN(TestGenCommands)
#include "tst_gencommands.moc"
