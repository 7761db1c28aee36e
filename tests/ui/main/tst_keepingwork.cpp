// Nothing the writer made in the main window is lost without a word: the story at the close and
// after a kill, the project list when another project is selected or 新建 is pressed, and a
// project another window saved meanwhile.

#include "tests/support/mainworkspace.h"
#include "tests/support/templibrary.h"
#include "ui/widgets/storybox.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

using Choice = Dialogs::Choice;

const QString UnsavedStory = QStringLiteral("故事尚未保存，是否保存？");
const QString UnsavedList = QStringLiteral("内容已修改，是否保存？");
const QString ChangedOnDisk = QStringLiteral("该文件已被其他程序修改，是否覆盖？");

// The story's copies for recovery in the state folder.
QStringList keptCopies(const QTemporaryDir &state)
{
    return QDir(state.path()).entryList({QStringLiteral("story-*.json")}, QDir::Files);
}

void keepStoryNow(MainWindow &window)
{
    QVERIFY(QMetaObject::invokeMethod(&window, "keepStory"));
}

bool sameDraws(const QList<DrawTrace> &a, const QList<DrawTrace> &b)
{
    return std::equal(
        a.cbegin(), a.cend(), b.cbegin(), b.cend(), [](const DrawTrace &x, const DrawTrace &y) {
            return x.element.toGbk() == y.element.toGbk() && x.line == y.line &&
                   x.start == y.start && x.end == y.end && sameDraws(x.inner, y.inner);
        });
}

TextList texts(std::initializer_list<const char *> names)
{
    TextList list;
    for (const char *name : names)
        list.append(gbk(QString::fromUtf8(name)));
    return list;
}

} // namespace

class TestKeepingWork : public QObject
{
    Q_OBJECT

private slots:
    void closingAsksAboutAStoryNotSaved_data()
    {
        QTest::addColumn<Choice>("answer");
        QTest::addColumn<bool>("chooseFile");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<bool>("copyKept");
        QTest::newRow("保存") << Choice::Yes << true << true << false;
        QTest::newRow("保存, file dialog cancelled") << Choice::Yes << false << false << true;
        QTest::newRow("不保存") << Choice::No << false << true << false;
        QTest::newRow("取消") << Choice::Cancel << false << false << true;
    }
    void closingAsksAboutAStoryNotSaved()
    {
        QFETCH(Choice, answer);
        QFETCH(bool, chooseFile);
        QFETCH(bool, closed);
        QFETCH(bool, copyKept);
        TempLibrary lib;
        QTemporaryDir state;
        MainWorkspace ws(lib.files);
        ws.window->keepStoryIn(state.path());
        ws.story()->insertPlainText(QStringLiteral("渡口")); // as typed
        keepStoryNow(*ws.window);
        QCOMPARE(keptCopies(state).size(), 1);

        const QString saved = lib.root() + QStringLiteral("/故事.txt");
        if (chooseFile)
            ws.dialogs.saveTargets = {SaveTarget{saved, 0}};
        ws.dialogs.choices = {answer};
        QCOMPARE(ws.window->close(), closed);
        QCOMPARE(ws.dialogs.shown, QStringList{UnsavedStory});
        QCOMPARE(ws.dialogs.captionsShown.value(0),
                 QStringList(
                     {QStringLiteral("保存"), QStringLiteral("不保存"), QStringLiteral("取消")}));
        QCOMPARE(QFileInfo::exists(saved), chooseFile);
        if (chooseFile)
            QCOMPARE(lib.readBytes(QStringLiteral("故事.txt")), gbk(u"渡口"_qs).toGbk());
        QCOMPARE(keptCopies(state).size(), copyKept ? 1 : 0);
    }

    void savedOrEmptyStoryClosesWithoutAQuestion()
    {
        TempLibrary lib;
        MainWorkspace ws(lib.files);
        ws.story()->insertPlainText(QStringLiteral("渡口")); // as typed
        ws.dialogs.saveTargets = {SaveTarget{lib.root() + QStringLiteral("/故事.txt"), 1}};
        ws.click(u"按钮8");
        QVERIFY(ws.window->close());
        QVERIFY(ws.dialogs.shown.isEmpty());

        MainWorkspace empty(lib.files);
        QVERIFY(empty.window->close());
        QVERIFY(empty.dialogs.shown.isEmpty());
    }

    // A window that goes without its close (the program killed) leaves its copy, written a few
    // seconds after the run; the next window on the same state folder offers it back, the
    // sources of its lines included.
    void nextStartOffersTheStoryBack_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("恢复") << true;
        QTest::newRow("不恢复") << false;
    }
    void nextStartOffersTheStoryBack()
    {
        QFETCH(bool, accept);
        TempLibrary lib;
        lib.writeBytes(u"元素/人物.txt"_qs, gbk(u"老周\r\n小李\r\n"_qs));
        lib.writeBytes(u"模板/相遇.txt"_qs, gbk(u"[人物]在河边\r\n"_qs));
        QTemporaryDir state;
        QList<std::pair<int, StoryLine>> sources;
        Text story;
        {
            MainWorkspace killed(lib.files);
            killed.window->keepStoryIn(state.path());
            killed.document->appendToProject(gbk(u"相遇"_qs));
            killed.document->appendToProject(gbk(u"相遇"_qs));
            killed.random.setDraws({1, 2, 1, 1});
            killed.click(u"按钮6");
            killed.story()->insertPlainText(QStringLiteral("完"));
            story = killed.story()->content();
            sources = killed.find<StoryBox>(u"编辑框小说")->sourcedLines();
            QCOMPARE(sources.size(), 2);
            QTRY_COMPARE_WITH_TIMEOUT(keptCopies(state).size(), 1, 6000);
        }

        MainWorkspace next(lib.files);
        next.dialogs.answers = {accept};
        next.window->keepStoryIn(state.path());
        QCOMPARE(next.dialogs.shown, QStringList{QStringLiteral("上次的故事没有保存，是否恢复？")});
        auto *box = next.find<StoryBox>(u"编辑框小说");
        QCOMPARE(box->content().toGbk(), accept ? story.toGbk() : QByteArray());
        QCOMPARE(keptCopies(state).size(), accept ? 1 : 0);
        if (!accept)
            return;
        QVERIFY(box->isChanged()); // still not saved: closing asks
        const QList<std::pair<int, StoryLine>> restored = box->sourcedLines();
        QCOMPARE(restored.size(), sources.size());
        for (qsizetype i = 0; i < restored.size(); ++i) {
            const auto &[block, line] = restored.at(i);
            QCOMPARE(block, sources.at(i).first);
            QCOMPARE(line.text.toGbk(), sources.at(i).second.text.toGbk());
            QCOMPARE(line.trace.templateName.toGbk(),
                     sources.at(i).second.trace.templateName.toGbk());
            QCOMPARE(line.trace.patternLine, sources.at(i).second.trace.patternLine);
            QVERIFY(sameDraws(line.trace.draws, sources.at(i).second.trace.draws));
        }
    }

    // 是 saves into the project the list came from, 否 drops the changes, 取消 keeps the
    // project selected with its list.
    void selectingAnotherProjectAsksAboutTheList_data()
    {
        QTest::addColumn<Choice>("answer");
        QTest::addColumn<QByteArray>("firstOnDisk");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<TextList>("list");
        QTest::newRow("是") << Choice::Yes << QByteArray("a\r\nx\r\n") << u"q.l"_qs << texts({"b"});
        QTest::newRow("否") << Choice::No << QByteArray("a\r\n") << u"q.l"_qs << texts({"b"});
        QTest::newRow("取消") << Choice::Cancel << QByteArray("a\r\n") << u"p.l"_qs
                              << texts({"a", "x"});
    }
    void selectingAnotherProjectAsksAboutTheList()
    {
        QFETCH(Choice, answer);
        QFETCH(QByteArray, firstOnDisk);
        QFETCH(QString, selected);
        QFETCH(TextList, list);
        TempLibrary lib;
        lib.writeBytes(u"项目/p.l"_qs, "a\r\n");
        lib.writeBytes(u"项目/q.l"_qs, "b\r\n");
        MainWorkspace ws(lib.files);
        ws.selectProject(u"p.l"_qs);
        ws.document->appendToProject(gbk(u"x"_qs));
        ws.dialogs.choices = {answer};
        ws.selectProject(u"q.l"_qs);
        QCOMPARE(ws.dialogs.shown, QStringList{UnsavedList});
        QCOMPARE(lib.readBytes(u"项目/p.l"_qs), firstOnDisk);
        QCOMPARE(ws.projectFiles()->currentItem()->text(), selected);
        QCOMPARE(ws.projectList()->names(), list);
        // Closing the window asks too, while the list is still not saved.
        ws.dialogs.shown.clear();
        ws.dialogs.choices = {Choice::Cancel};
        QCOMPARE(ws.window->close(), answer != Choice::Cancel);
        QCOMPARE(ws.dialogs.shown.size(), answer == Choice::Cancel ? 1 : 0);
    }

    void newProjectKeepsTheListBuilt()
    {
        TempLibrary lib;
        lib.writeBytes(u"项目/旧.l"_qs, "");
        MainWorkspace ws(lib.files);
        ws.document->appendToProject(gbk(u"开场"_qs));
        ws.document->appendToProject(gbk(u"尾声"_qs));
        ws.typeName(u"新"_qs);
        ws.click(u"按钮2");
        QCOMPARE(ws.projectFiles()->currentItem()->text(), u"新.l"_qs);
        QCOMPARE(ws.projectList()->names(), texts({"开场", "尾声"}));
        QCOMPARE(lib.readBytes(u"项目/新.l"_qs), QByteArray());
        ws.click(u"按钮5");
        QCOMPARE(lib.readBytes(u"项目/新.l"_qs), gbk(u"开场\r\n尾声\r\n"_qs).toGbk());
        QVERIFY(ws.dialogs.shown.isEmpty());
        ws.selectProject(u"旧.l"_qs); // saved: no question
        QVERIFY(ws.dialogs.shown.isEmpty());
    }

    // Two windows on one library, each with its own document, both on project p: the first
    // saves, then the second. What the first only added is kept; anything else is overwritten
    // only when the user says so.
    void secondSaveOfAProjectKeepsOrAsks_data()
    {
        QTest::addColumn<bool>("firstRemoves");
        QTest::addColumn<QByteArray>("firstAdds");
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<QByteArray>("onDisk");
        QTest::newRow("other template added: both kept")
            << false << QByteArray("x") << QList<bool>{} << false << QByteArray("a\r\ny\r\nx\r\n");
        QTest::newRow("same template added, overwrite")
            << false << QByteArray("y") << QList<bool>{true} << true << QByteArray("a\r\ny\r\n");
        QTest::newRow("entry removed, overwrite")
            << true << QByteArray() << QList<bool>{true} << true << QByteArray("a\r\ny\r\n");
        QTest::newRow("entry removed, keep theirs")
            << true << QByteArray() << QList<bool>{false} << true << QByteArray();
    }
    void secondSaveOfAProjectKeepsOrAsks()
    {
        QFETCH(bool, firstRemoves);
        QFETCH(QByteArray, firstAdds);
        QFETCH(QList<bool>, answers);
        QFETCH(bool, asked);
        QFETCH(QByteArray, onDisk);
        TempLibrary lib;
        lib.writeBytes(u"项目/p.l"_qs, "a\r\n");
        MainWorkspace first(lib.files), second(lib.files);
        first.selectProject(u"p.l"_qs);
        second.selectProject(u"p.l"_qs);
        if (firstRemoves)
            first.document->removeFromProject(0);
        if (!firstAdds.isEmpty())
            first.document->appendToProject(Text::fromGbk(firstAdds));
        first.click(u"按钮5");
        second.document->appendToProject(gbk(u"y"_qs));
        second.dialogs.answers = answers;
        second.click(u"按钮5");
        QCOMPARE(second.dialogs.shown, asked ? QStringList{ChangedOnDisk} : QStringList{});
        QCOMPARE(lib.readBytes(u"项目/p.l"_qs), onDisk);
        if (!asked) // the second window shows what it saved
            QCOMPARE(second.projectList()->names(), texts({"a", "y", "x"}));
    }
};

QTEST_MAIN(TestKeepingWork)
#include "tst_keepingwork.moc"
