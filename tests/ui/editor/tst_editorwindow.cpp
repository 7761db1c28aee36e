// The editor window itself: its controls and menus, the pop-ups, and the category commands.
#include "tests/ui/editor/editordriver.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

class TestEditorWindow : public QObject
{
    Q_OBJECT

private slots:
    // Every control is where the layout puts it, in its parent, with its caption and colour.
    void controlsHaveTheirNamesCaptionsGeometryAndColours()
    {
        EditorDriver d;
        QVERIFY(d.open());
        QWidget *w = d.window();
        QCOMPARE(w->windowTitle(), s(u"模板元素编辑器v.1.0.0"));
        // The menu bar stands above the client area and adds its height to the window.
        const int menuBar = w->findChild<QMenuBar *>()->height();
        QVERIFY(menuBar > 0);
        QCOMPARE(w->frameGeometry(), QRect(50, 50, 641, 497 + menuBar));
        QCOMPARE(w->windowIcon().availableSizes().value(0), QSize(32, 32));

        const QColor white(255, 255, 255), grey(236, 236, 236);
        struct Expect
        {
            const char16_t *name, *parent;
            QRect rect;
            const char16_t *caption;
            QColor background;
        };
        const Expect controls[] = {
            {u"分组框1", nullptr, {8, -6, 622, 447}, u"", {}},
            {u"分组框2", u"分组框1", {8, 8, 256, 436}, u"元素区", {}},
            {u"文件框", u"分组框2", {8, 14, 77, 187}, nullptr, white},
            {u"列表框", u"分组框2", {86, 14, 160, 208}, nullptr, white},
            {u"按钮1", u"分组框2", {8, 200, 77, 25}, u"保存元素", {}},
            {u"编辑框内容", u"分组框2", {8, 226, 239, 208}, nullptr, white},
            {u"分组框3", u"分组框1", {264, 8, 256, 436}, u"模板区", {}},
            {u"文件框m", u"分组框3", {8, 15, 78, 186}, nullptr, grey},
            {u"列表框m", u"分组框3", {88, 15, 161, 208}, nullptr, grey},
            {u"按钮2", u"分组框3", {9, 202, 78, 23}, u"保存模板", {}},
            {u"编辑框mx", u"分组框3", {8, 227, 243, 204}, nullptr, grey},
        };
        const QImage shot = w->grab().toImage();
        for (const Expect &e : controls) {
            auto *c = d.child(s(e.name));
            QVERIFY2(c, qPrintable(s(e.name)));
            QCOMPARE(c->geometry(), e.rect);
            QCOMPARE(c->parentWidget()->objectName(), e.parent ? s(e.parent) : QString());
            if (auto *b = qobject_cast<QPushButton *>(c)) {
                QCOMPARE(b->text(), s(e.caption));
                QVERIFY(b->fontMetrics().horizontalAdvance(b->text()) <= b->width() - 4);
            }
            if (auto *g = qobject_cast<QGroupBox *>(c))
                QCOMPARE(g->title(), s(e.caption));
            // The colour really drawn, just inside the box's frame.
            if (e.background.isValid())
                QCOMPARE(shot.pixelColor(c->mapTo(w, QPoint(4, c->height() - 4))), e.background);
        }
    }

    // Both category boxes list their folders and nothing is selected, also once the window is
    // active and the focus has passed through the lists: a list given the focus must not pick an
    // item by itself, or the entry commands would write into a category nobody chose.
    void createdWithBothFoldersListedAndNothingSelected()
    {
        EditorDriver d;
        d.lib.writeBytes(s(u"元素/人物.l"), "x\r\n");
        d.lib.writeBytes(s(u"元素/x.txt"), "");
        d.lib.writeBytes(s(u"模板/开端.l"), "p\r\n");
        QVERIFY(d.open());
        QApplication::setActiveWindow(d.window());
        QVERIFY(QTest::qWaitForWindowActive(d.window()));
        for (const char16_t *name : {u"文件框", u"列表框", u"文件框m", u"列表框m"})
            d.list(s(name))->setFocus(Qt::TabFocusReason);
        QCOMPARE(d.texts(d.list(s(u"文件框"))), QStringList{s(u"人物.l")});
        QCOMPARE(d.texts(d.list(s(u"文件框m"))), QStringList{s(u"开端.l")});
        for (const char16_t *name : {u"文件框", u"文件框m"})
            QCOMPARE(d.list(s(name))->currentRow(), -1);
        QCOMPARE(d.list(s(u"列表框"))->count() + d.list(s(u"列表框m"))->count(), 0);
        d.dialogs.inputs = {s(u"y")};
        QVERIFY(d.choose(s(u"列表菜单"), s(u"elementAddEntry")));
        QCOMPARE(d.lib.readBytes(s(u"元素/人物.l")), QByteArray("x\r\n"));
    }

    // The four menus, their entries in order, and the two auto-sort entries' decisions.
    void menusHoldTheirEntriesInOrder()
    {
        EditorDriver d;
        QVERIFY(d.open());
        const QList<QStringList> menus = {
            {s(u"类别菜单"), s(u"添加类"), s(u"修改类"), s(u"删除类")},
            {s(u"列表菜单"), s(u"添加项"), s(u"修改项"), s(u"删除项"), s(u"创建该项目"),
             s(u"自动排序项")},
            {s(u"模板类别菜单"), s(u"添加模板类"), s(u"修改模板类"), s(u"删模板类")},
            {s(u"模板菜单"), s(u"添加模板"), s(u"修改模板"), s(u"删除模板"), s(u"创建该模板"),
             s(u"自动排序模板")},
        };
        // The pop-ups, and the menu bar that shows the same entries under titles with a key.
        const QList<QMenu *> popUps =
            d.window()->findChildren<QMenu *>(QString(), Qt::FindDirectChildrenOnly);
        QCOMPARE(popUps.size(), 4);
        const QList<QAction *> bar = d.window()->findChild<QMenuBar *>()->actions();
        QCOMPARE(bar.size(), 5);
        // The library's 撤销 and 重做 close the bar, disabled while there is nothing to undo.
        QCOMPARE(bar.at(4)->text(), s(u"编辑(&E)"));
        const QList<QAction *> editing = bar.at(4)->menu()->actions();
        QCOMPARE(editing.size(), 2);
        QCOMPARE(editing.at(0)->text(), s(u"撤销"));
        QCOMPARE(editing.at(1)->text(), s(u"重做"));
        QVERIFY(!editing.at(0)->isEnabled() && !editing.at(1)->isEnabled());
        const QStringList keys{s(u"(&C)"), s(u"(&L)"), s(u"(&M)"), s(u"(&T)")};
        for (int m = 0; m < menus.size(); ++m) {
            QCOMPARE(popUps.at(m)->objectName(), menus[m].first());
            QStringList captions{popUps.at(m)->title()};
            for (const QAction *a : popUps.at(m)->actions())
                captions.append(a->text());
            QCOMPARE(captions, menus[m]);
            QCOMPARE(bar.at(m)->text(), menus[m].first() + keys.at(m));
            // The entry menus end with trying the line of their area's text box.
            QList<QAction *> inBar = bar.at(m)->menu()->actions();
            if (m % 2 == 1) {
                QCOMPARE(inBar.takeLast()->text(), s(u"试写当前行"));
                QVERIFY(inBar.takeLast()->isSeparator());
            }
            QCOMPARE(inBar, popUps.at(m)->actions());
        }

        QVERIFY(d.choose(s(u"列表菜单"), s(u"elementSortEntries")));
        QVERIFY(d.choose(s(u"列表菜单"), s(u"elementSortEntries")));
        QVERIFY(d.child<QAction>(s(u"elementSortEntries"))->isChecked());
        QVERIFY(d.list(s(u"列表框"))->isSortingEnabled());
        QVERIFY(d.choose(s(u"模板菜单"), s(u"templateSortEntries")));
        QVERIFY(!d.child<QAction>(s(u"templateSortEntries"))->isChecked());
        QVERIFY(!d.list(s(u"列表框m"))->isSortingEnabled());
    }

    // The right button opens the control's menu at the pointer and selects nothing: a command
    // then acts on the category the user selected before, not on the row under the pointer.
    void popUpOpensAtThePointerAndSelectsNothing()
    {
        EditorDriver d;
        d.lib.writeBytes(s(u"元素/甲.l"), "x\r\n");
        d.lib.writeBytes(s(u"元素/乙.l"), "y\r\n");
        QVERIFY(d.open());
        QListWidget *box = d.list(s(u"文件框"));
        QVERIFY(d.select(s(u"文件框"), s(u"甲.l")));
        const int other = 1 - box->currentRow();
        const QPoint at = box->visualItemRect(box->item(other)).center();

        QTest::mouseClick(box->viewport(), Qt::RightButton, {}, at);
        auto *menu = d.child<QMenu>(s(u"类别菜单"));
        QVERIFY(menu->isVisible());
        QCOMPARE(menu->pos(), box->viewport()->mapToGlobal(at));
        QCOMPARE(box->item(other)->isSelected(), false);
        menu->hide();
        d.dialogs.answers = {true};
        QVERIFY(d.choose(s(u"类别菜单"), s(u"elementDeleteCategory")));
        QVERIFY(!d.lib.exists(s(u"元素/甲.l")));
        QVERIFY(d.lib.exists(s(u"元素/乙.l")));

        // The entry lists likewise, where a selection would show an entry's content.
        QListWidget *entries = d.list(s(u"列表框"));
        QCOMPARE(d.texts(entries), QStringList{s(u"x")});
        QTest::mouseClick(entries->viewport(), Qt::RightButton, {},
                          entries->visualItemRect(entries->item(0)).center());
        QVERIFY(d.child<QMenu>(s(u"列表菜单"))->isVisible());
        QCOMPARE(entries->currentRow(), -1);
        // The question named the category selected before, not the row under the pointer.
        QCOMPARE(d.dialogs.shown, QStringList{s(u"删除元素类「甲」？")});
    }

    void addCategory()
    {
        EditorDriver d;
        d.lib.writeBytes(s(u"模板/人物.l"), "a\r\n");
        QVERIFY(d.open());
        QListWidget *box = d.list(s(u"文件框"));
        // Empty and cancelled input: the message, nothing created, and the box re-listed (it
        // shows a file that appeared behind its back).
        d.dialogs.inputs = {QString(), std::nullopt};
        d.lib.writeBytes(s(u"元素/外来.l"), "");
        QVERIFY(d.choose(s(u"类别菜单"), s(u"elementAddCategory")));
        QCOMPARE(d.texts(box), QStringList{s(u"外来.l")});
        QVERIFY(d.choose(s(u"类别菜单"), s(u"elementAddCategory")));
        QCOMPARE(d.dialogs.shown, QStringList(2, s(u"信息不能为空！")));
        QCOMPARE(QDir(d.lib.folders.elements).count(), 3u);

        // 人物 in the element area, independent of the template category of the same name.
        d.dialogs.inputs = {s(u"人物")};
        QVERIFY(d.choose(s(u"类别菜单"), s(u"elementAddCategory")));
        QCOMPARE(d.lib.readBytes(s(u"元素/人物.l")), QByteArray());
        QVERIFY(d.lib.exists(s(u"元素/人物.l")));
        QVERIFY(d.texts(box).contains(s(u"人物.l")));
        QCOMPARE(d.lib.readBytes(s(u"模板/人物.l")), QByteArray("a\r\n"));

        // An existing category keeps its content.
        d.dialogs.inputs = {s(u"人物")};
        QVERIFY(d.choose(s(u"模板类别菜单"), s(u"templateAddCategory")));
        QCOMPARE(d.dialogs.shown.last(), s(u"该文件已经存在，请重新命名！"));
        QCOMPARE(d.lib.readBytes(s(u"模板/人物.l")), QByteArray("a\r\n"));

        // A name the library refuses is told, with its cause, and creates nothing.
        d.dialogs.inputs = {s(u"../人物")};
        QVERIFY(d.choose(s(u"模板类别菜单"), s(u"templateAddCategory")));
        QCOMPARE(d.dialogs.shown.last(), s(u"创建失败！请检查名称是否可用！\r\n名称不可用"));
        QCOMPARE(d.texts(d.list(s(u"文件框m"))), QStringList{s(u"人物.l")});
    }

    void renameCategory()
    {
        EditorDriver d;
        d.lib.writeBytes(s(u"元素/人物.l"), "a\r\nb\r\n");
        d.lib.writeBytes(s(u"元素/地点.l"), "c\r\n");
        QVERIFY(d.open());
        QListWidget *box = d.list(s(u"文件框"));
        QVERIFY(d.select(s(u"文件框"), s(u"人物.l")));

        // Empty name: "信息不能为空" without "！", and no re-list.
        d.dialogs.inputs = {QString()};
        d.lib.writeBytes(s(u"元素/外来.l"), "");
        QVERIFY(d.choose(s(u"类别菜单"), s(u"elementRenameCategory")));
        QCOMPARE(d.dialogs.shown, QStringList{s(u"信息不能为空")});
        QCOMPARE(box->count(), 2);

        // Onto an existing name: neither file changes, nothing is said.
        d.dialogs.inputs = {s(u"地点")};
        QVERIFY(d.choose(s(u"类别菜单"), s(u"elementRenameCategory")));
        QCOMPARE(d.lib.readBytes(s(u"元素/人物.l")), QByteArray("a\r\nb\r\n"));
        QCOMPARE(d.lib.readBytes(s(u"元素/地点.l")), QByteArray("c\r\n"));
        QCOMPARE(d.dialogs.shown.size(), 1);

        d.dialogs.inputs = {s(u"角色")};
        QVERIFY(d.choose(s(u"类别菜单"), s(u"elementRenameCategory")));
        QVERIFY(!d.lib.exists(s(u"元素/人物.l")));
        QCOMPARE(d.lib.readBytes(s(u"元素/角色.l")), QByteArray("a\r\nb\r\n"));
        QVERIFY(d.texts(box).contains(s(u"角色.l")));
        QCOMPARE(d.texts(d.list(s(u"列表框"))), (QStringList{s(u"a"), s(u"b")}));
    }

    void deleteCategory()
    {
        EditorDriver d;
        d.lib.writeBytes(s(u"模板/开端.l"), "p\r\n");
        d.lib.writeBytes(s(u"模板/p.txt"), "text");
        QVERIFY(d.open());
        // Without a selection nothing goes, in either area, by rename or by delete.
        d.dialogs.inputs = {s(u"新"), s(u"新")};
        for (const char16_t *action : {u"elementRenameCategory", u"elementDeleteCategory"})
            QVERIFY(d.choose(s(u"类别菜单"), s(action)));
        for (const char16_t *action : {u"templateRenameCategory", u"templateDeleteCategory"})
            QVERIFY(d.choose(s(u"模板类别菜单"), s(action)));
        QVERIFY(d.lib.exists(s(u"模板/开端.l")));
        QCOMPARE(QDir(d.lib.folders.templates).count(), 4u);
        QCOMPARE(QDir(d.lib.folders.elements).count(), 2u);

        // With one, the category file goes at once; its entries' files and the list stay.
        QVERIFY(d.select(s(u"文件框m"), s(u"开端.l")));
        d.dialogs.answers = {true};
        QVERIFY(d.choose(s(u"模板类别菜单"), s(u"templateDeleteCategory")));
        QVERIFY(!d.lib.exists(s(u"模板/开端.l")));
        QCOMPARE(d.lib.readBytes(s(u"模板/p.txt")), QByteArray("text"));
        QCOMPARE(d.texts(d.list(s(u"列表框m"))), QStringList{s(u"p")});
        QCOMPARE(d.list(s(u"文件框m"))->count(), 0);
        QCOMPARE(d.dialogs.shown, QStringList{s(u"删除模板类「开端」？")});
    }

    void loadCategory()
    {
        EditorDriver d;
        d.lib.writeBytes(s(u"元素/两项.l"), QByteArray::fromHex("610D0A620D0A"));
        d.lib.writeBytes(s(u"元素/空.l"), "");
        d.lib.writeBytes(s(u"元素/a.txt"), "A");
        QVERIFY(d.open());
        QListWidget *entries = d.list(s(u"列表框"));
        QVERIFY(d.select(s(u"文件框"), s(u"两项.l")));
        QCOMPARE(d.texts(entries), (QStringList{s(u"a"), s(u"b")}));
        // Loading touches neither the content box nor the selection of another area.
        QVERIFY(d.select(s(u"列表框"), s(u"a")));
        QVERIFY(d.select(s(u"文件框"), s(u"空.l")));
        QCOMPARE(entries->count(), 0);
        QCOMPARE(d.child<QPlainTextEdit>(s(u"编辑框内容"))->toPlainText(), s(u"A"));
        QVERIFY(d.dialogs.shown.isEmpty());
    }
};

QTEST_MAIN(TestEditorWindow)
#include "tst_editorwindow.moc"
