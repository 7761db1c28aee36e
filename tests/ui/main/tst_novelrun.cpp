// The Run button: the project list as it stands goes through the generator into the story box,
// one line per template, as each line is made.

#include "engine/messages.h"
#include "tests/support/fixedrandom.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/templibrary.h"
#include "ui/main/mainwindow.h"
#include "ui/widgets/contentbox.h"
#include "ui/widgets/namelist.h"

#include <QPushButton>
#include <QScrollBar>
#include <QTest>

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
    }
    ContentBox *story = nullptr;
    TextList storyAtMessage;
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
        project->clearNames();
        for (const char16_t *name : names)
            project->addName(gbk(QString::fromUtf16(name)));
    }
    void clickRun() { QTest::mouseClick(run, Qt::LeftButton); }

    TempLibrary lib;
    FixedRandom random;
    WatchingDialogs dialogs;
    MainWindow window{Services{lib.files, random, dialogs}};
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
