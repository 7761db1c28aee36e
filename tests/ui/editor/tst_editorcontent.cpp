// The content boxes: showing the selected entry's file, saving it back byte for byte, and the
// element reference inserted by a double-click.
#include "tests/ui/editor/editordriver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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
        // Characters an edit box would turn into line breaks or marks of its own: U+2028,
        // U+2029, U+FDD0, U+FDD1, U+FFFE and U+1FFFE; and U+F0061, once a raw-byte carrier.
        QTest::newRow("separators and noncharacters")
            << QByteArray::fromHex("61 8136a635 62 8136a636 8430fa32 8430fa33 8431a438 95328234");
        QTest::newRow("plane 15") << QByteArray::fromHex("d838a131 61");
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

    // A file the box cannot show (a link out of the folder, a file too large to read) is named in
    // a message and never replaced unasked: the link not at all, the large file only on 是.
    void unreadableFilesAreToldAndKeptUnlessTheUserSaysSo_data()
    {
        QTest::addColumn<bool>("link");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("afterSave");
        QTest::newRow("link out of the folder")
            << true << s(u"该文件无法读取：链接指向素材文件夹之外")
            << QStringList{s(u"保存失败！请检查文件是否可写！\r\n名称不可用")};
        QTest::newRow("too large") << false << s(u"文件过大，无法读取：e.txt")
                                   << QStringList{s(u"该文件未能读取，是否覆盖？")};
    }
    void unreadableFilesAreToldAndKeptUnlessTheUserSaysSo()
    {
        QFETCH(bool, link);
        QFETCH(QString, message);
        QFETCH(QStringList, afterSave);
        EditorDriver d;
        d.lib.writeBytes(s(u"元素/人物.l"), "e\r\n");
        d.lib.writeBytes(s(u"outside.txt"), "outside");
        if (link) {
            QVERIFY(QFile::link(d.lib.path(s(u"outside.txt")), d.lib.path(s(u"元素/e.txt"))));
        } else {
            QFile huge(d.lib.path(s(u"元素/e.txt")));
            QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(1) << 40));
        }
        QVERIFY(d.open());
        QVERIFY(d.select(s(u"文件框"), s(u"人物.l")));
        QVERIFY(d.select(s(u"列表框"), s(u"e")));
        QCOMPARE(d.dialogs.shown, QStringList{message});
        QCOMPARE(box(d, u"编辑框内容")->toPlainText(), QString());
        box(d, u"编辑框内容")->setPlainText(s(u"新"));
        d.clickButton(s(u"按钮1")); // the question, if any, answered No
        QCOMPARE(d.dialogs.shown.mid(1), afterSave);
        QCOMPARE(d.lib.readBytes(s(u"outside.txt")), QByteArray("outside"));
        QCOMPARE(QFileInfo(d.lib.path(s(u"元素/e.txt"))).size(),
                 link ? qint64(7) : qint64(1) << 40);
        if (!link) {
            d.dialogs.answers = {true};
            d.clickButton(s(u"按钮1"));
            QCOMPARE(d.lib.readBytes(s(u"元素/e.txt")), g(u"新"));
        }
    }

    // A file that another program changed while the box showed it is replaced only when the
    // user says so; after the box was saved, or shown again, it saves without asking.
    void fileChangedOnDiskIsReplacedOnlyWhenTheUserSaysSo()
    {
        EditorDriver d;
        d.lib.writeBytes(s(u"模板/开端.l"), "t\r\n");
        d.lib.writeBytes(s(u"模板/t.txt"), "first");
        QVERIFY(d.open());
        QVERIFY(d.select(s(u"文件框m"), s(u"开端.l")));
        QVERIFY(d.select(s(u"列表框m"), s(u"t")));
        box(d, u"编辑框mx")->setPlainText(s(u"mine"));
        d.lib.writeBytes(s(u"模板/t.txt"), "theirs, written meanwhile");
        const QStringList asked{s(u"该文件已被其他程序修改，是否覆盖？")};
        d.clickButton(s(u"按钮2"));
        QCOMPARE(d.dialogs.shown, asked);
        QCOMPARE(d.lib.readBytes(s(u"模板/t.txt")), QByteArray("theirs, written meanwhile"));
        QCOMPARE(box(d, u"编辑框mx")->toPlainText(), s(u"mine"));
        d.dialogs.answers = {true};
        d.clickButton(s(u"按钮2"));
        QCOMPARE(d.lib.readBytes(s(u"模板/t.txt")), QByteArray("mine"));
        d.clickButton(s(u"按钮2"));
        QCOMPARE(d.dialogs.shown, asked + asked);
    }

    // A missing file is announced and shows the placeholder, an empty one shows it silently;
    // either way, saving unchanged writes an empty file, and so does a cleared box.
    void missingAndEmptyFilesShowThePlaceholder()
    {
        EditorDriver d;
        d.lib.writeBytes(s(u"模板/开端.l"), "missing\r\nempty\r\n");
        d.lib.writeBytes(s(u"模板/empty.txt"), "");
        QVERIFY(d.open());
        QVERIFY(d.select(s(u"文件框m"), s(u"开端.l")));
        QVERIFY(d.select(s(u"列表框m"), s(u"missing")));
        QCOMPARE(d.dialogs.shown, QStringList{s(u"该文件不存在！请创建！")});
        QCOMPARE(box(d, u"编辑框mx")->toPlainText(), QString());
        QCOMPARE(box(d, u"编辑框mx")->placeholderText(), s(u"该文件没有内容！"));
        QVERIFY(!d.lib.exists(s(u"模板/missing.txt")));
        d.clickButton(s(u"按钮2"));
        QVERIFY(d.lib.exists(s(u"模板/missing.txt")));
        QCOMPARE(d.lib.readBytes(s(u"模板/missing.txt")), QByteArray());

        QVERIFY(d.select(s(u"列表框m"), s(u"empty")));
        QCOMPARE(box(d, u"编辑框mx")->toPlainText(), QString());
        QCOMPARE(box(d, u"编辑框mx")->placeholderText(), s(u"该文件没有内容！"));
        QCOMPARE(d.dialogs.shown.size(), 1);
        box(d, u"编辑框mx")->selectAll();
        QTest::keyClick(box(d, u"编辑框mx"), Qt::Key_Delete);
        d.clickButton(s(u"按钮2"));
        QVERIFY(d.lib.exists(s(u"模板/empty.txt")));
        QCOMPARE(d.lib.readBytes(s(u"模板/empty.txt")), QByteArray());
    }

    // Edits dropped at another selection are gone; the save goes to the entry selected at the
    // click, and with none selected nowhere.
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
        d.dialogs.choices = {Dialogs::Choice::No, Dialogs::Choice::No};
        QVERIFY(d.select(s(u"列表框"), s(u"b")));
        QVERIFY(d.select(s(u"列表框"), s(u"a")));
        QCOMPARE(box(d, u"编辑框内容")->toPlainText(), s(u"A"));

        QTest::keyClicks(box(d, u"编辑框内容"), QStringLiteral("x"));
        QVERIFY(d.select(s(u"文件框"), s(u"空.l")));
        d.clickButton(s(u"按钮1"));
        QVERIFY(!d.lib.exists(s(u"元素/.txt")));
        QCOMPARE(d.lib.readBytes(s(u"元素/a.txt")), QByteArray("A"));
        const QString unsaved = s(u"内容已修改，是否保存？");
        QCOMPARE(d.dialogs.shown, (QStringList{unsaved, unsaved, s(u"请先选择要保存的元素！")}));
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

    // Ctrl+T tries the line under the caret, as typed and unsaved, five times; each result says
    // where its parts came from, and a message the tries met is listed once.
    void ctrlTTriesTheCurrentLine_data()
    {
        QTest::addColumn<QString>("contentBox");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("results");
        QTest::addColumn<QString>("firstTooltip");
        QTest::newRow("template")
            << s(u"编辑框mx") << s(u"\n[人物]说[空]")
            << QStringList{s(u"王说"),   s(u"小李说"), s(u"王说"),
                           s(u"小李说"), s(u"王说"),   s(u"提示：空内容为空！请检查！")}
            << s(u"模板「t」第 2 行\n[人物] → 人物 第 1 行：王\n[空] → 空 没有内容");
        QTest::newRow("element") << s(u"编辑框内容") << s(u"\n老[姓]") << QStringList(5, s(u"老李"))
                                 << s(u"元素「人物」第 3 行\n[姓] → 姓 第 1 行：李");
    }
    void ctrlTTriesTheCurrentLine()
    {
        QFETCH(QString, contentBox);
        QFETCH(QString, typed);
        QFETCH(QStringList, results);
        QFETCH(QString, firstTooltip);
        EditorDriver d;
        d.lib.writeBytes(s(u"元素/角色.l"), g(u"人物\r\n"));
        d.lib.writeBytes(s(u"元素/人物.txt"), g(u"王\r\n小[姓]"));
        d.lib.writeBytes(s(u"元素/姓.txt"), g(u"李"));
        d.lib.writeBytes(s(u"元素/空.txt"), "");
        d.lib.writeBytes(s(u"模板/开端.l"), "t\r\n");
        d.lib.writeBytes(s(u"模板/t.txt"), g(u"他是"));
        QVERIFY(d.open());
        QVERIFY(d.select(s(u"文件框"), s(u"角色.l")));
        QVERIFY(d.select(s(u"列表框"), s(u"人物")));
        QVERIFY(d.select(s(u"文件框m"), s(u"开端.l")));
        QVERIFY(d.select(s(u"列表框m"), s(u"t")));
        d.random.setDraws({1, 2, 1, 1, 2, 1, 1});
        auto *content = d.child<QPlainTextEdit>(contentBox);
        content->moveCursor(QTextCursor::End);
        content->insertPlainText(typed);
        content->setFocus();
        QTest::keyClick(content, Qt::Key_T, Qt::ControlModifier);

        auto *tried = d.window()->findChild<QListWidget *>(s(u"试写结果"));
        QVERIFY(tried && tried->window()->isVisible());
        QCOMPARE(EditorDriver::texts(tried), results);
        QCOMPARE(tried->item(0)->toolTip(), firstTooltip);
        QCOMPARE(d.lib.readBytes(s(u"模板/t.txt")), g(u"他是"));
        QCOMPARE(d.lib.readBytes(s(u"元素/人物.txt")), g(u"王\r\n小[姓]"));
        QVERIFY(d.dialogs.shown.isEmpty());
    }
};

QTEST_MAIN(TestEditorContent)
#include "tst_editorcontent.moc"
