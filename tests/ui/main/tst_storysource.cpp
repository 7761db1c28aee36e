// Where a story line came from, as the writer sees it: the tooltip over a line of the story box,
// 查看来源… in its context menu, the draw a selection falls in, the editor opened at the line, and
// the source forgotten when the line is edited.

#include "tests/support/fixedrandom.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/templibrary.h"
#include "tests/support/testtext.h"
#include "ui/editor/editorwindow.h"
#include "ui/main/mainwindow.h"
#include "ui/widgets/namelist.h"
#include "ui/widgets/storybox.h"

#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>

using namespace quorvel;
using namespace quorvel::test;

namespace {

struct Fixture
{
    Fixture()
    {
        write(u"元素/人物.txt", u"老周\r\n小[姓]\r\n");
        write(u"元素/姓.txt", u"王\r\n李\r\n");
        write(u"元素/人物.l", u"人物\r\n姓\r\n");
        write(u"模板/相遇.txt", u"无人\r\n[人物]在河边\r\n");
        write(u"模板/开篇.l", u"相遇\r\n");
        window.show();
        story = window.findChild<StoryBox *>(u"编辑框小说"_qs);
        document.appendToProject(gbk(u"相遇"_qs));
        document.appendToProject(gbk(u"相遇"_qs));
        // Line 1: pattern 2, 人物 2, 姓 2; line 2: pattern 2, 人物 1.
        random.setDraws({2, 2, 2, 2, 1});
        QTest::mouseClick(window.findChild<QPushButton *>(u"按钮6"_qs), Qt::LeftButton);
    }
    void write(const char16_t *path, const char16_t *text)
    {
        lib.writeBytes(QString::fromUtf16(path), gbk(QString::fromUtf16(text)));
    }
    int positionIn(int line, int column) const
    {
        return story->document()->findBlockByNumber(line).position() + column;
    }
    bool hasSource(int line) const { return story->storyLineAt(positionIn(line, 0)).has_value(); }
    // Right-clicks the line and chooses 查看来源… in the menu that opens.
    void viewSource(int line)
    {
        QTextCursor cursor(story->document()->findBlockByNumber(line));
        const QPoint at = story->cursorRect(cursor).center();
        QTimer::singleShot(0, [] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QAction *source = menu ? menu->findChild<QAction *>(u"storySource"_qs) : nullptr;
            if (menu)
                menu->close();
            if (source && source->isEnabled())
                source->trigger();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, story->viewport()->mapToGlobal(at));
        QApplication::sendEvent(story->viewport(), &event);
    }
    QTreeWidget *sourceTree() const { return window.findChild<QTreeWidget *>(u"来源树"_qs); }

    TempLibrary lib;
    FixedRandom random;
    ScriptedDialogs dialogs;
    LibraryDocument document{lib.files, LibraryDocument::Opening::CreateFolders};
    MainWindow window{document, Services{lib.files, random, dialogs}};
    StoryBox *story = nullptr;
};

QStringList treeTexts(const QTreeWidgetItem *item, int depth = 0)
{
    QStringList texts{QString(depth * 2, u' ') + item->text(0)};
    for (int i = 0; i < item->childCount(); ++i)
        texts += treeTexts(item->child(i), depth + 1);
    return texts;
}

// The editor the main window opened (a window of its own).
EditorWindow *openEditor()
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (auto *editor = qobject_cast<EditorWindow *>(window))
            return editor;
    }
    return nullptr;
}

} // namespace

class TestStorySource : public QObject
{
    Q_OBJECT

private slots:
    void hoveringALineShowsItsSource()
    {
        Fixture f;
        QCOMPARE(f.story->toPlainText(), u"小李在河边\n老周在河边\n"_qs);
        QTextCursor cursor(f.story->document()->findBlockByNumber(0));
        const QPoint at = f.story->cursorRect(cursor).center() + QPoint(4, 0);
        QHelpEvent help(QEvent::ToolTip, at, f.story->viewport()->mapToGlobal(at));
        QApplication::sendEvent(f.story->viewport(), &help);
        QCOMPARE(QToolTip::text(), u"模板「相遇」第 2 行\n"
                                   u"[人物] → 人物 第 2 行：小李\n"
                                   u"  [姓] → 姓 第 2 行：李"_qs);
    }

    // The source stays with the lines the user leaves as they were, wherever they move to.
    void editingALineForgetsOnlyItsSource()
    {
        Fixture f;
        QTextCursor cursor(f.story->document());
        cursor.setPosition(f.positionIn(0, 2));
        cursor.insertText(u"和"_qs);
        QVERIFY(!f.hasSource(0));
        QVERIFY(f.hasSource(1));
        // Text typed after the story, and a line put before it, leave the second line alone.
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(u"尾声"_qs);
        cursor.setPosition(f.positionIn(1, 0));
        cursor.insertText(u"插话\n"_qs);
        QCOMPARE(f.story->document()->findBlockByNumber(2).text(), u"老周在河边"_qs);
        QVERIFY(f.hasSource(2));
        QVERIFY(!f.hasSource(1));
        QVERIFY(!f.hasSource(3));
    }

    void viewSourceShowsTheTreeAndOpensTheEditorAtTheLine()
    {
        Fixture f;
        f.viewSource(0);
        QTreeWidget *tree = f.sourceTree();
        QVERIFY(tree && tree->window()->isVisible());
        QCOMPARE(treeTexts(tree->topLevelItem(0)),
                 (QStringList{u"模板「相遇」第 2 行"_qs, u"  [人物] → 人物 第 2 行：小李"_qs,
                              u"    [姓] → 姓 第 2 行：李"_qs}));
        // Selecting 李 in the story marks the draw that made it; 小 is 人物's own.
        QTextCursor select(f.story->document());
        select.setPosition(f.positionIn(0, 1));
        select.setPosition(f.positionIn(0, 2), QTextCursor::KeepAnchor);
        f.story->setTextCursor(select);
        QCOMPARE(tree->currentItem()->text(0), u"[姓] → 姓 第 2 行：李"_qs);
        select.setPosition(f.positionIn(0, 0));
        select.setPosition(f.positionIn(0, 1), QTextCursor::KeepAnchor);
        f.story->setTextCursor(select);
        QCOMPARE(tree->currentItem()->text(0), u"[人物] → 人物 第 2 行：小李"_qs);
        // The story box marks the whole text of that draw.
        QCOMPARE(f.story->extraSelections().size(), 1);
        QCOMPARE(f.story->extraSelections().first().cursor.selectedText(), u"小李"_qs);

        emit tree->itemActivated(tree->currentItem()->child(0), 0);
        EditorWindow *editor = openEditor();
        QVERIFY(editor && editor->isVisible());
        auto *entries = editor->findChild<NameList *>(u"列表框"_qs);
        QCOMPARE(entries->currentName(), gbk(u"姓"_qs));
        auto *content = editor->findChild<QPlainTextEdit *>(u"编辑框内容"_qs);
        QCOMPARE(content->textCursor().blockNumber(), 1);
        delete editor;
    }

    // A line the user typed has no source: the menu entry is there but cannot be chosen.
    void typedLineHasNoSource()
    {
        Fixture f;
        f.story->appendPlainText(u"自己写的"_qs);
        f.viewSource(f.story->document()->lastBlock().blockNumber());
        QVERIFY(!f.sourceTree());
    }
};

QTEST_MAIN(TestStorySource)
#include "tst_storysource.moc"
