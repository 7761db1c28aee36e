// The content boxes: showing the selected entry's file, saving it back byte for byte, and the
// element reference inserted by a double-click.
#include "tests/ui/editor/editordriver.h"

#include <QDir>
#include <QPlainTextEdit>
#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

class TestEditorContent : public QObject
{
    Q_OBJECT

    QPlainTextEdit *box(const EditorDriver &d, const char16_t *name)
    {
        return d.child<QPlainTextEdit>(s(name));
    }

private slots:
    // A file shown and saved unchanged is written back exactly, whatever its bytes.
    void unchangedTextIsSavedByteForByte_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("CR LF inside, none at the end") << QByteArray::fromHex("610D0A62");
        QTest::newRow("CR LF at the end") << QByteArray("a\r\nb\r\n");
        QTest::newRow("empty last line") << QByteArray("a\r\n\r\n");
        QTest::newRow("only CR LF") << QByteArray("\r\n");
        QTest::newRow("lone CR and LF") << QByteArray("a\rb\nc\n\r\r\r\nd\r");
        QTest::newRow("invalid GBK") << QByteArray("\x80 \xff \x81\x20 \xa1\x7f \xd6");
        QTest::newRow("GBK and GB18030") << g(u"他是[人物]\r\n") + QByteArray("\x81\x30\x81\x30");
        QTest::newRow("tabs and spaces") << QByteArray("\t a  \t\r\n ");
    }
    void unchangedTextIsSavedByteForByte()
    {
        QFETCH(QByteArray, bytes);
        EditorDriver d;
        d.lib.writeBytes(s(u"元素/人物.l"), "e\r\n");
        d.lib.writeBytes(s(u"元素/e.txt"), bytes);
        QVERIFY(d.open());
        QVERIFY(d.select(s(u"文件框"), s(u"人物.l")));
        QVERIFY(d.select(s(u"列表框"), s(u"e")));
        d.clickButton(s(u"按钮1"));
        QCOMPARE(d.lib.readBytes(s(u"元素/e.txt")).toHex(' '), bytes.toHex(' '));
        QVERIFY(d.dialogs.shown.isEmpty());
    }

    // A missing file is announced and shows the placeholder, an empty one shows it silently;
    // either way, saving unchanged writes the placeholder, and a cleared box an empty file.
    void missingAndEmptyFilesShowThePlaceholder()
    {
        EditorDriver d;
        d.lib.writeBytes(s(u"模板/开端.l"), "missing\r\nempty\r\n");
        d.lib.writeBytes(s(u"模板/empty.txt"), "");
        QVERIFY(d.open());
        QVERIFY(d.select(s(u"文件框m"), s(u"开端.l")));
        QVERIFY(d.select(s(u"列表框m"), s(u"missing")));
        QCOMPARE(d.dialogs.shown, QStringList{s(u"该文件不存在！请创建！")});
        QCOMPARE(box(d, u"编辑框mx")->toPlainText(), s(u"该文件没有内容！"));
        QVERIFY(!d.lib.exists(s(u"模板/missing.txt")));
        d.clickButton(s(u"按钮2"));
        QCOMPARE(d.lib.readBytes(s(u"模板/missing.txt")), g(u"该文件没有内容！"));

        QVERIFY(d.select(s(u"列表框m"), s(u"empty")));
        QCOMPARE(box(d, u"编辑框mx")->toPlainText(), s(u"该文件没有内容！"));
        QCOMPARE(d.dialogs.shown.size(), 1);
        box(d, u"编辑框mx")->selectAll();
        QTest::keyClick(box(d, u"编辑框mx"), Qt::Key_Delete);
        d.clickButton(s(u"按钮2"));
        QVERIFY(d.lib.exists(s(u"模板/empty.txt")));
        QCOMPARE(d.lib.readBytes(s(u"模板/empty.txt")), QByteArray());
    }

    // Edits are lost to another selection; the save goes to the entry selected at the click,
    // and with none selected to ".txt".
    void saveWritesTheEntrySelectedNow()
    {
        EditorDriver d;
        d.lib.writeBytes(s(u"元素/人物.l"), "a\r\nb\r\n");
        d.lib.writeBytes(s(u"元素/空.l"), "");
        d.lib.writeBytes(s(u"元素/a.txt"), "A");
        d.lib.writeBytes(s(u"元素/b.txt"), "B");
        QVERIFY(d.open());
        QVERIFY(d.select(s(u"文件框"), s(u"人物.l")));
        QVERIFY(d.select(s(u"列表框"), s(u"a")));
        QTest::keyClicks(box(d, u"编辑框内容"), QStringLiteral("edit"));
        QVERIFY(d.select(s(u"列表框"), s(u"b")));
        QVERIFY(d.select(s(u"列表框"), s(u"a")));
        QCOMPARE(box(d, u"编辑框内容")->toPlainText(), s(u"A"));

        QTest::keyClicks(box(d, u"编辑框内容"), QStringLiteral("x"));
        QVERIFY(d.select(s(u"文件框"), s(u"空.l")));
        d.clickButton(s(u"按钮1"));
        QCOMPARE(d.lib.readBytes(s(u"元素/.txt")), QByteArray("xA"));
        QCOMPARE(d.lib.readBytes(s(u"元素/a.txt")), QByteArray("A"));
        QVERIFY(d.dialogs.shown.isEmpty());
    }

    // A refused write is said, and the text stays for another try.
    void refusedSaveIsReportedAndKeepsTheText()
    {
        EditorDriver d;
        d.lib.writeBytes(s(u"元素/人物.l"), g(u"坏\r\n"));
        QVERIFY(QDir().mkdir(d.lib.path(s(u"元素/坏.txt"))));
        QVERIFY(d.open());
        QVERIFY(d.select(s(u"文件框"), s(u"人物.l")));
        QVERIFY(d.select(s(u"列表框"), s(u"坏")));
        box(d, u"编辑框内容")->setPlainText(s(u"要紧的文字"));
        d.clickButton(s(u"按钮1"));
        QCOMPARE(d.dialogs.shown,
                 QStringList{s(u"保存失败！请检查文件是否可写！\r\n") + systemCause(EISDIR)});
        QCOMPARE(box(d, u"编辑框内容")->toPlainText(), s(u"要紧的文字"));
    }

    void doubleClickOnAnElementAppendsItsReference()
    {
        EditorDriver d;
        d.lib.writeBytes(s(u"元素/角色.l"), g(u"人物\r\n"));
        d.lib.writeBytes(s(u"元素/人物.txt"), g(u"他\r\n她"));
        d.lib.writeBytes(s(u"模板/开端.l"), "t\r\n");
        d.lib.writeBytes(s(u"模板/t.txt"), g(u"他是"));
        QVERIFY(d.open());
        QVERIFY(d.select(s(u"文件框"), s(u"角色.l")));
        QVERIFY(d.select(s(u"文件框m"), s(u"开端.l")));
        QVERIFY(d.select(s(u"列表框m"), s(u"t")));
        // At the end, wherever the caret stands.
        box(d, u"编辑框mx")->moveCursor(QTextCursor::Start);
        d.doubleClickRow(d.list(s(u"列表框")), 0);
        QCOMPARE(box(d, u"编辑框mx")->toPlainText(), s(u"他是[人物]"));
        QCOMPARE(box(d, u"编辑框内容")->toPlainText(), s(u"他\n她")); // CR LF is a line break
        d.doubleClickRow(d.list(s(u"列表框")), 0);
        QCOMPARE(box(d, u"编辑框mx")->toPlainText(), s(u"他是[人物][人物]"));
        QCOMPARE(d.lib.readBytes(s(u"模板/t.txt")), g(u"他是"));
        d.clickButton(s(u"按钮2"));
        QCOMPARE(d.lib.readBytes(s(u"模板/t.txt")), g(u"他是[人物][人物]"));

        // A double-click on a template only selects it.
        d.doubleClickRow(d.list(s(u"列表框m")), 0);
        QCOMPARE(box(d, u"编辑框mx")->toPlainText(), s(u"他是[人物][人物]"));
        QCOMPARE(box(d, u"编辑框内容")->toPlainText(), s(u"他\n她"));
        QVERIFY(d.dialogs.shown.isEmpty());
    }
};

QTEST_MAIN(TestEditorContent)
#include "tst_editorcontent.moc"
