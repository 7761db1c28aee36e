// Both windows show the one library document: what one window changes shows in the other at
// once, and 撤销 / 重做 take library commands back from the keyboard, in either window.
#include "tests/ui/editor/editordriver.h"
#include "ui/main/mainwindow.h"
#include "ui/widgets/contentbox.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// The main window with its editor open, both on one document.
struct TwoWindows
{
    explicit TwoWindows(EditorDriver &d)
        : document(d.lib.files, LibraryDocument::Opening::CreateFolders),
          main(document, Services{d.lib.files, d.random, d.dialogs})
    {
        main.show();
        QTest::mouseClick(main.findChild<QWidget *>(s(u"按钮1")), Qt::LeftButton);
        d.attach(main.editor());
    }
    template <typename W> W *inMain(const char16_t *name) const
    {
        return main.findChild<W *>(QString::fromUtf16(name));
    }

    LibraryDocument document;
    MainWindow main;
};

// Presses the key in the window as the user does, with the focus on the widget.
void press(QWidget *focus, QKeyCombination key)
{
    focus->activateWindow();
    if (!QTest::qWaitForWindowActive(focus->window()))
        qWarning("window not active");
    focus->setFocus();
    QTest::keyClick(focus, key.key(), key.keyboardModifiers());
}

// An editor on the element 天气 (晴) of the category 人物, selected, its text in the box.
bool openOnWeather(EditorDriver &d)
{
    d.lib.writeBytes(s(u"元素/人物.l"), g(u"天气\r\n"));
    d.lib.writeBytes(s(u"元素/天气.txt"), g(u"晴\r\n"));
    return d.open() && d.select(s(u"文件框"), s(u"人物.l")) && d.select(s(u"列表框"), s(u"天气"));
}

QAction *undoAction(QWidget *window)
{
    return window->findChild<QAction *>(s(u"undoLibrary"));
}

} // namespace

class TestViewsFollow : public QObject
{
    Q_OBJECT

private slots:
    // A first library built in the editor can be used in the main window without a restart.
    void editorChangesShowInTheMainWindow()
    {
        EditorDriver d;
        TwoWindows w(d);
        QVERIFY(d.window() && QTest::qWaitForWindowExposed(d.window()));
        auto *categories = w.inMain<QComboBox>(u"组合框模板");
        QCOMPARE(categories->count(), 0);

        d.dialogs.inputs = {s(u"开端"), s(u"开场")};
        QVERIFY(d.choose(s(u"模板类别菜单"), s(u"templateAddCategory")));
        QCOMPARE(categories->count(), 1);
        QCOMPARE(categories->currentText(), s(u"开端.l"));
        QVERIFY(d.select(s(u"文件框m"), s(u"开端.l")));
        QVERIFY(d.choose(s(u"模板菜单"), s(u"templateAddEntry")));
        auto *catalogue = w.inMain<QListWidget>(u"列表框总目录");
        QCOMPARE(d.texts(catalogue), QStringList{s(u"开场")});

        // The preview follows a template saved in the editor.
        d.clickRow(catalogue, 0);
        auto *preview = w.inMain<ContentBox>(u"编辑框预览");
        QCOMPARE(preview->toPlainText(), s(u"内容为空，请添加！"));
        QVERIFY(d.select(s(u"列表框m"), s(u"开场")));
        d.child<ContentBox>(s(u"编辑框mx"))->setContent(gbk(s(u"从前有座山")));
        d.clickButton(s(u"按钮2"));
        QCOMPARE(preview->toPlainText(), s(u"从前有座山"));

        // A renamed category stays the one shown, under its new name; a deleted one goes.
        d.dialogs.inputs = {s(u"序幕")};
        QVERIFY(d.choose(s(u"模板类别菜单"), s(u"templateRenameCategory")));
        QCOMPARE(categories->currentText(), s(u"序幕.l"));
        QCOMPARE(d.texts(catalogue), QStringList{s(u"开场")});
        d.dialogs.answers = {true};
        QVERIFY(d.choose(s(u"模板类别菜单"), s(u"templateDeleteCategory")));
        QCOMPARE(categories->count(), 0);
        QCOMPARE(d.dialogs.shown, QStringList{s(u"删除模板类「序幕」？")});
    }

    // 删除项 asks, and Ctrl+Z in the editor brings the element back: its exact bytes and
    // its entry at its place. Ctrl+Y deletes it again.
    void ctrlZInTheEditorBringsADeletedElementBack()
    {
        EditorDriver d;
        const QByteArray odd = g(u"晴\r\n") + QByteArray("\xff\x80 no end");
        d.lib.writeBytes(s(u"元素/人物.l"), g(u"甲\r\n天气\r\n乙\r\n"));
        d.lib.writeBytes(s(u"元素/天气.txt"), odd);
        QVERIFY(d.open());
        QVERIFY(d.select(s(u"文件框"), s(u"人物.l")));
        QVERIFY(d.select(s(u"列表框"), s(u"天气")));
        d.dialogs.answers = {true};
        QVERIFY(d.choose(s(u"列表菜单"), s(u"elementDeleteEntry")));
        QVERIFY(!d.lib.exists(s(u"元素/天气.txt")));
        QCOMPARE(undoAction(d.window())->text(), s(u"撤销 删除元素「天气」"));

        press(d.list(s(u"列表框")), Qt::CTRL | Qt::Key_Z);
        QCOMPARE(d.lib.readBytes(s(u"元素/天气.txt")), odd);
        QCOMPARE(d.lib.readBytes(s(u"元素/人物.l")), g(u"甲\r\n天气\r\n乙\r\n"));
        QCOMPARE(d.texts(d.list(s(u"列表框"))), (QStringList{s(u"甲"), s(u"天气"), s(u"乙")}));

        press(d.list(s(u"列表框")), Qt::CTRL | Qt::Key_Y);
        QVERIFY(!d.lib.exists(s(u"元素/天气.txt")));
        QCOMPARE(d.texts(d.list(s(u"列表框"))), (QStringList{s(u"甲"), s(u"乙")}));
        QCOMPARE(d.dialogs.shown, QStringList{s(u"删除元素「天气」？")});
    }

    // In a text box Ctrl+Z undoes the typing, as ever, and leaves the library alone.
    void aTextBoxKeepsItsOwnUndo()
    {
        EditorDriver d;
        QVERIFY(openOnWeather(d));
        d.dialogs.inputs = {s(u"风")};
        QVERIFY(d.choose(s(u"列表菜单"), s(u"elementAddEntry")));
        auto *box = d.child<ContentBox>(s(u"编辑框内容"));
        press(box, Qt::Key_End);
        QTest::keyClicks(box, QStringLiteral("abc"));
        press(box, Qt::CTRL | Qt::Key_Z);
        QCOMPARE(box->toPlainText(), s(u"晴\n"));
        QVERIFY(d.lib.exists(s(u"元素/风.txt")));
    }

    // A box whose text the user has not changed since it was saved follows an undo of the save;
    // a box with typed text keeps it, and a deleted entry leaves its text in the box.
    void contentBoxFollowsUndoUnlessChanged()
    {
        EditorDriver d;
        QVERIFY(openOnWeather(d));
        auto *box = d.child<ContentBox>(s(u"编辑框内容"));
        box->setContent(gbk(s(u"雨\r\n")));
        d.clickButton(s(u"按钮1"));
        undoAction(d.window())->trigger();
        QCOMPARE(box->toPlainText(), s(u"晴\n"));
        d.window()->findChild<QAction *>(s(u"redoLibrary"))->trigger();
        QCOMPARE(box->toPlainText(), s(u"雨\n"));
        box->setContent(gbk(s(u"雪\r\n")));
        box->document()->setModified(true);
        undoAction(d.window())->trigger();
        QCOMPARE(box->toPlainText(), s(u"雪\n"));
        QCOMPARE(d.lib.readBytes(s(u"元素/天气.txt")), g(u"晴\r\n"));

        // Selecting the entry again drops the typed text only when the user says so.
        d.dialogs.choices = {Dialogs::Choice::No};
        QVERIFY(d.select(s(u"列表框"), s(u"天气")));
        d.dialogs.answers = {true};
        QVERIFY(d.choose(s(u"列表菜单"), s(u"elementDeleteEntry")));
        QCOMPARE(box->toPlainText(), s(u"晴\n"));
        QCOMPARE(d.dialogs.shown,
                 (QStringList{s(u"内容已修改，是否保存？"), s(u"删除元素「天气」？")}));
    }

    // An undo the disk refuses is told with its cause, and the file keeps what another program
    // wrote.
    void aRefusedUndoIsTold()
    {
        EditorDriver d;
        QVERIFY(openOnWeather(d));
        d.child<ContentBox>(s(u"编辑框内容"))->setContent(gbk(s(u"雨\r\n")));
        d.clickButton(s(u"按钮1"));
        d.lib.writeBytes(s(u"元素/天气.txt"), g(u"雪\r\n"));
        undoAction(d.window())->trigger();
        QCOMPARE(d.dialogs.shown,
                 QStringList{s(u"撤销失败！保存元素「天气」\r\n文件已被其他程序修改")});
        QCOMPARE(d.lib.readBytes(s(u"元素/天气.txt")), g(u"雪\r\n"));
        QCOMPARE(undoAction(d.window())->text(), s(u"撤销 保存元素「天气」"));
    }

    // The main window's commands are undone from the main window too, and the editor's from
    // there: one stack.
    void oneUndoStackForBothWindows()
    {
        EditorDriver d;
        TwoWindows w(d);
        w.inMain<QLineEdit>(u"编辑框项目名")->setText(s(u"故事"));
        QTest::mouseClick(w.inMain<QWidget>(u"按钮2"), Qt::LeftButton);
        QVERIFY(d.lib.exists(s(u"项目/故事.l")));
        QCOMPARE(undoAction(d.window())->text(), s(u"撤销 添加项目「故事」"));
        press(w.inMain<QListWidget>(u"文件框1"), Qt::CTRL | Qt::Key_Z);
        QVERIFY(!d.lib.exists(s(u"项目/故事.l")));
        QCOMPARE(w.inMain<QListWidget>(u"文件框1")->count(), 0);
        QVERIFY(!undoAction(&w.main)->isEnabled());
        QCOMPARE(undoAction(d.window())->text(), s(u"撤销"));
    }
};

QTEST_MAIN(TestViewsFollow)
#include "tst_viewsfollow.moc"
