// The whole cycle inside the program: material written in the editor, a project built from it in
// the main window, and the run's story line.
#include "tests/ui/editor/editordriver.h"
#include "ui/main/mainwindow.h"
#include "ui/widgets/contentbox.h"

#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

class TestEditorEndToEnd : public QObject
{
    Q_OBJECT

    // Chinese comes from an input method, which commits the finished text at the caret.
    static void type(QWidget *box, const QString &text)
    {
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(box, &commit);
    }
    static void typeAtEnd(QWidget *box, const QString &text)
    {
        QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier);
        type(box, text);
    }
    // Selects the whole text (the placeholder of a new entry) and types over it.
    static void typeOver(QWidget *box, const QString &text)
    {
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        type(box, text);
    }

private slots:
    void materialWrittenInTheEditorRunsInAProject()
    {
        EditorDriver d;
        {
            LibraryDocument document(d.lib.files, LibraryDocument::Opening::CreateFolders);
            MainWindow first(document, Services{d.lib.files, d.random, d.dialogs});
            first.show();
            QTest::mouseClick(first.findChild<QWidget *>(s(u"按钮1")), Qt::LeftButton);
            d.attach(first.editor());
            QVERIFY(d.window() && QTest::qWaitForWindowExposed(d.window()));

            // Elements: the category 角色 with 人物 (two lines) and 地点 (one).
            d.dialogs.inputs = {s(u"角色"), s(u"人物"), s(u"地点")};
            QVERIFY(d.choose(s(u"类别菜单"), s(u"elementAddCategory")));
            QVERIFY(d.select(s(u"文件框"), s(u"角色.l")));
            QVERIFY(d.choose(s(u"列表菜单"), s(u"elementAddEntry")));
            QVERIFY(d.choose(s(u"列表菜单"), s(u"elementAddEntry")));
            QVERIFY(d.select(s(u"列表框"), s(u"人物")));
            QWidget *elementText = d.child(s(u"编辑框内容"));
            typeOver(elementText, s(u"他"));
            QTest::keyClick(elementText, Qt::Key_Return);
            type(elementText, s(u"她"));
            d.clickButton(s(u"按钮1"));
            QVERIFY(d.select(s(u"列表框"), s(u"地点")));
            typeOver(elementText, s(u"公园"));
            d.clickButton(s(u"按钮1"));

            // A template that refers to both, its references inserted by double-click.
            d.dialogs.inputs = {s(u"开端"), s(u"开场")};
            QVERIFY(d.choose(s(u"模板类别菜单"), s(u"templateAddCategory")));
            QVERIFY(d.select(s(u"文件框m"), s(u"开端.l")));
            QVERIFY(d.choose(s(u"模板菜单"), s(u"templateAddEntry")));
            QVERIFY(d.select(s(u"列表框m"), s(u"开场")));
            QWidget *templateText = d.child(s(u"编辑框mx"));
            typeOver(templateText, s(u"某天，"));
            d.doubleClickRow(d.list(s(u"列表框")), 0);
            typeAtEnd(templateText, s(u"来到了"));
            d.doubleClickRow(d.list(s(u"列表框")), 1);
            typeAtEnd(templateText, s(u"。"));
            d.clickButton(s(u"按钮2"));
            // Closing ends the editor; the next click on 按钮1 makes a fresh one.
            d.window()->close();
            QTRY_VERIFY(!first.editor());
        }
        QCOMPARE(d.lib.readBytes(s(u"元素/角色.l")), g(u"人物\r\n地点\r\n"));
        QCOMPARE(d.lib.readBytes(s(u"元素/人物.txt")), g(u"他\r\n她"));
        QCOMPARE(d.lib.readBytes(s(u"模板/开端.l")), g(u"开场\r\n"));
        QCOMPARE(d.lib.readBytes(s(u"模板/开场.txt")), g(u"某天，[人物]来到了[地点]。"));

        // The next start of the program lists the new template category.
        LibraryDocument document(d.lib.files, LibraryDocument::Opening::CreateFolders);
        MainWindow main(document, Services{d.lib.files, d.random, d.dialogs});
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        main.findChild<QLineEdit *>(s(u"编辑框项目名"))->setText(s(u"故事"));
        QTest::mouseClick(main.findChild<QWidget *>(s(u"按钮2")), Qt::LeftButton);
        auto *projects = main.findChild<QListWidget *>(s(u"文件框1"));
        QTest::mouseClick(projects->viewport(), Qt::LeftButton, {},
                          projects->visualItemRect(projects->item(0)).center());
        QCOMPARE(projects->currentItem()->text(), s(u"故事.l"));
        QCOMPARE(main.findChild<QComboBox *>(s(u"组合框模板"))->currentText(), s(u"开端.l"));
        d.doubleClickRow(main.findChild<QListWidget *>(s(u"列表框总目录")), 0);
        QTest::mouseClick(main.findChild<QWidget *>(s(u"按钮5")), Qt::LeftButton);
        QCOMPARE(d.lib.readBytes(s(u"项目/故事.l")), g(u"开场\r\n"));

        d.random.setDraws({1, 2, 1}); // the one pattern, 人物's second line, 地点's one line
        QTest::mouseClick(main.findChild<QWidget *>(s(u"按钮6")), Qt::LeftButton);
        QCOMPARE(main.findChild<ContentBox *>(s(u"编辑框小说"))->content().toGbk(),
                 g(u"某天，她来到了公园。\r\n"));
        QVERIFY(d.dialogs.shown.isEmpty());
    }
};

QTEST_MAIN(TestEditorEndToEnd)
#include "tst_editorendtoend.moc"
