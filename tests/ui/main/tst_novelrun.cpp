// The Run button: the project list as it stands goes through the generator into the story box,
// one line per template, as each line is made; its progress and 停止; and 保存故事.

#include "engine/messages.h"
#include "tests/support/fixedrandom.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/templibrary.h"
#include "tests/support/testtext.h"
#include "ui/main/mainwindow.h"
#include "ui/widgets/contentbox.h"
#include "ui/widgets/namelist.h"

#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <functional>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// Dialogs that also note what the story box held when each message came up.
class WatchingDialogs : public ScriptedDialogs
{
public:
    void message(const QString &text) override
    {
        ScriptedDialogs::message(text);
        storyAtMessage.append(story ? story->content() : Text());
        if (whileShown)
            whileShown();
    }
    ContentBox *story = nullptr;
    TextList storyAtMessage;
    std::function<void()> whileShown; // what the user does while the message is open
};

struct Fixture
{
    Fixture()
    {
        for (const char16_t *name : {u"甲", u"乙", u"丙"})
            templateFile(name, gbk(QString::fromUtf16(name) + QStringLiteral("句")));
        templateFile(u"空行", Text("\r\n"));
        window.show();
        story = window.findChild<ContentBox *>(QStringLiteral("编辑框小说"));
        project = window.findChild<NameList *>(QStringLiteral("列表框项目"));
        run = window.findChild<QPushButton *>(QStringLiteral("按钮6"));
        dialogs.story = story;
    }
    void templateFile(const char16_t *name, const Text &content)
    {
        lib.writeBytes(QStringLiteral("模板/%1.txt").arg(QString::fromUtf16(name)), content);
    }
    // The project list as a project file or double-clicks in the catalogue would leave it.
    void setProject(std::initializer_list<const char16_t *> names)
    {
        CurrentProject made;
        for (const char16_t *name : names)
            made.templates.append(gbk(QString::fromUtf16(name)));
        document.setProject(made);
    }
    void clickRun() { QTest::mouseClick(run, Qt::LeftButton); }

    TempLibrary lib;
    FixedRandom random;
    WatchingDialogs dialogs;
    LibraryDocument document{lib.files, LibraryDocument::Opening::CreateFolders};
    MainWindow window{document, Services{lib.files, random, dialogs}};
    ContentBox *story = nullptr;
    NameList *project = nullptr;
    QPushButton *run = nullptr;
};

} // namespace

class TestNovelRun : public QObject
{
    Q_OBJECT

private slots:
    void emptyProjectShowsItsMessageOnce()
    {
        Fixture f;
        f.story->setContent(Text("earlier\r\n"));
        f.clickRun();
        QCOMPARE(f.dialogs.shown, QStringList{QString::fromUtf16(messages::EmptyProject)});
        QCOMPARE(f.story->content(), Text("earlier\r\n"));
    }

    void appendsOneLinePerTemplateInOrder()
    {
        Fixture f;
        f.setProject({u"丙", u"甲", u"乙"});
        f.clickRun();
        QCOMPARE(f.story->content(), gbk(QStringLiteral("丙句\r\n甲句\r\n乙句\r\n")));
        QVERIFY(f.dialogs.shown.isEmpty());
    }

    // A template without a file gives no line and no message, and draws nothing; an empty
    // pattern gives an empty line.
    void missingTemplateIsSkippedSilently()
    {
        Fixture f;
        f.setProject({u"甲", u"没有", u"空行", u"丙"});
        f.clickRun();
        QCOMPARE(f.story->content(), gbk(QStringLiteral("甲句\r\n\r\n丙句\r\n")));
        QVERIFY(f.dialogs.shown.isEmpty());
        QCOMPARE(f.random.ranges, QList<int>({1, 1, 1}));
    }

    // The story box is never cleared: a second run's lines follow the first run's directly, and
    // a template saved between the runs is used by the second.
    void runsAccumulate()
    {
        Fixture f;
        f.setProject({u"甲", u"乙"});
        f.clickRun();
        f.templateFile(u"乙", gbk(QStringLiteral("新句")));
        f.clickRun();
        QCOMPARE(f.story->content(), gbk(QStringLiteral("甲句\r\n乙句\r\n甲句\r\n新句\r\n")));
    }

    // Each line is in the story box before the next template is expanded, so a template's
    // messages come after the lines of the templates before it.
    void eachLineIsAppendedAsSoonAsItIsMade()
    {
        Fixture f;
        f.templateFile(u"坏", gbk(QStringLiteral("x[无]y")));
        f.setProject({u"甲", u"坏", u"乙"});
        f.clickRun();
        QCOMPARE(f.dialogs.shown,
                 QStringList{QStringLiteral("无") + QString::fromUtf16(messages::EmptyElement)});
        QCOMPARE(f.dialogs.storyAtMessage, TextList{gbk(QStringLiteral("甲句\r\n"))});
        QCOMPARE(f.story->content(), gbk(QStringLiteral("甲句\r\nxy\r\n乙句\r\n")));
    }

    // A story box showing its end keeps showing it after a run; one scrolled back by the user
    // stays where the user left it.
    // 停止 ends the run after the current line: exactly the lines made so far stay.
    void stopKeepsTheLinesMadeSoFar()
    {
        Fixture f;
        f.setProject({u"甲", u"乙", u"丙", u"甲", u"乙"});
        f.dialogs.stopAfter = 3;
        f.clickRun();
        QCOMPARE(f.story->content(), gbk(QStringLiteral("甲句\r\n乙句\r\n丙句\r\n")));
        QCOMPARE(f.dialogs.progressLabels, QStringList{QStringLiteral("正在生成…")});
        QCOMPARE(f.dialogs.progressSteps, (QList<int>{1, 2, 3}));
        // The next run starts afresh and runs to its end.
        f.dialogs.stopAfter = -1;
        f.clickRun();
        QCOMPARE(f.story->content(), gbk(QStringLiteral("甲句\r\n乙句\r\n丙句\r\n甲句\r\n乙句\r\n"
                                                        "丙句\r\n甲句\r\n乙句\r\n")));
    }

    // While a run lasts (here, while its message box is open) the Run button starts no other.
    void aRunStartsNoOtherWhileItLasts()
    {
        Fixture f;
        f.templateFile(u"坏", gbk(QStringLiteral("x[无]y")));
        f.setProject({u"甲", u"坏", u"乙"});
        f.dialogs.whileShown = [&f] { f.run->click(); };
        f.clickRun();
        QCOMPARE(f.dialogs.shown.size(), 1);
        QCOMPARE(f.story->content(), gbk(QStringLiteral("甲句\r\nxy\r\n乙句\r\n")));
    }

    // 保存故事 writes the whole story box where the user chooses, in the file type chosen.
    void saveStoryWritesTheWholeStory_data()
    {
        QTest::addColumn<int>("fileType");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("GBK with CR LF")
            << 0 << gbk(QStringLiteral("甲句\r\n乙句\r\n我的话")).toGbk();
        QTest::newRow("UTF-8 with LF") << 1 << QStringLiteral("甲句\n乙句\n我的话").toUtf8();
    }
    void saveStoryWritesTheWholeStory()
    {
        QFETCH(int, fileType);
        QFETCH(QByteArray, bytes);
        Fixture f;
        f.setProject({u"甲", u"乙"});
        f.clickRun();
        f.story->appendContent(gbk(QStringLiteral("我的话"))); // typed by the user
        const QString file = f.lib.path(QStringLiteral("story.txt"));
        f.dialogs.saveTargets = {SaveTarget{file, fileType}};
        QTest::mouseClick(f.window.findChild<QPushButton *>(QStringLiteral("按钮8")),
                          Qt::LeftButton);
        QCOMPARE(f.lib.readBytes(QStringLiteral("story.txt")), bytes);
        QVERIFY(f.dialogs.shown.isEmpty());
        QCOMPARE(f.dialogs.offeredFileTypes,
                 (QStringList{QStringLiteral("文本文件 GBK (*.txt)"),
                              QStringLiteral("文本文件 UTF-8 (*.txt)")}));
        QVERIFY2(QRegularExpression(QStringLiteral("/故事-\\d{8}-\\d{4}\\.txt$"))
                     .match(f.dialogs.suggestedPaths.value(0))
                     .hasMatch(),
                 qPrintable(f.dialogs.suggestedPaths.value(0)));
    }

    // A file that is there is replaced only on 是; a save that fails says why and keeps the box.
    void saveStoryAsksBeforeReplacingAndTellsFailures()
    {
        Fixture f;
        f.setProject({u"甲"});
        f.clickRun();
        f.lib.writeBytes(QStringLiteral("old.txt"), "old");
        const QString old = f.lib.path(QStringLiteral("old.txt"));
        f.dialogs.saveTargets = {SaveTarget{old, 0},
                                 SaveTarget{old, 0},
                                 SaveTarget{f.lib.path(QStringLiteral("gone/s.txt")), 0},
                                 {}};
        f.dialogs.answers = {false, true};
        QPushButton *save = f.window.findChild<QPushButton *>(QStringLiteral("按钮8"));
        for (int i = 0; i < 4; ++i)
            QTest::mouseClick(save, Qt::LeftButton);
        const QString replace = QStringLiteral("该文件已经存在，是否替换？");
        QCOMPARE(f.dialogs.shown, (QStringList{replace, replace,
                                               QStringLiteral("故事保存失败！\r\n") +
                                                   QString::fromLocal8Bit(std::strerror(ENOENT))}));
        QCOMPARE(f.lib.readBytes(QStringLiteral("old.txt")),
                 gbk(QStringLiteral("甲句\r\n")).toGbk());
        QCOMPARE(f.story->content(), gbk(QStringLiteral("甲句\r\n")));
    }

    void storyBoxFollowsTheEndOnlyWhenAtTheEnd()
    {
        Fixture f;
        Text earlier;
        for (int i = 0; i < 300; ++i)
            earlier += "line\r\n";
        f.story->setContent(earlier);
        QScrollBar *bar = f.story->verticalScrollBar();
        bar->setValue(bar->maximum());
        const int before = bar->maximum();
        f.setProject({u"甲", u"乙", u"丙"});
        f.clickRun();
        QTRY_COMPARE(bar->value(), bar->maximum());
        QVERIFY(bar->maximum() > before);

        bar->setValue(0);
        f.clickRun();
        QTest::qWait(20);
        QCOMPARE(bar->value(), 0);
    }
};

QTEST_MAIN(TestNovelRun)
#include "tst_novelrun.moc"
