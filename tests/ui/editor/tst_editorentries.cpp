// The entry commands of both areas: the entry list, the selected category file and the entries'
// content files kept in step, asserted on the bytes on disk.
#include "tests/ui/editor/editordriver.h"

#include <QDir>
#include <QTest>

#include <cerrno>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// Passes everything through to the real files, but refuses to replace list files when asked to,
// as a category file the user made read-only does.
class ListRefusingFiles : public LocalFiles
{
public:
    using LocalFiles::LocalFiles;
    FileResult write(const QString &path, const QByteArray &bytes) override
    {
        if (refuseLists && path.endsWith(QStringLiteral(".l")))
            return FileResult::systemError(EACCES);
        return LocalFiles::write(path, bytes);
    }
    FileResult remove(const QString &path) override
    {
        if (refuseRemovals)
            return FileResult::systemError(EACCES);
        return LocalFiles::remove(path);
    }
    TrashResult moveToTrash(const QString &path) override
    {
        if (refuseRemovals)
            return {FileResult::systemError(EACCES), {}};
        return LocalFiles::moveToTrash(path);
    }
    bool refuseLists = false;
    bool refuseRemovals = false;
};

// An editor with the element category 人物.l (x, y) and the template category 开端.l (p), all
// selected and loaded, every entry with a content file.
bool openWithCategories(EditorDriver &d)
{
    d.lib.writeBytes(s(u"元素/人物.l"), "x\r\ny\r\n");
    d.lib.writeBytes(s(u"元素/x.txt"), "X");
    d.lib.writeBytes(s(u"元素/y.txt"), "Y");
    d.lib.writeBytes(s(u"模板/开端.l"), "p\r\n");
    d.lib.writeBytes(s(u"模板/p.txt"), "P[x]");
    return d.open() && d.select(s(u"文件框"), s(u"人物.l")) &&
           d.select(s(u"文件框m"), s(u"开端.l"));
}

} // namespace

class TestEditorEntries : public QObject
{
    Q_OBJECT

private slots:
    void addEntry()
    {
        EditorDriver d;
        QVERIFY(openWithCategories(d));
        d.dialogs.inputs = {s(u"z")};
        QVERIFY(d.choose(s(u"列表菜单"), s(u"elementAddEntry")));
        QVERIFY(d.lib.exists(s(u"元素/z.txt")));
        QCOMPARE(d.lib.readBytes(s(u"元素/z.txt")), QByteArray());
        QCOMPARE(d.texts(d.list(s(u"列表框"))), (QStringList{s(u"x"), s(u"y"), s(u"z")}));
        QCOMPARE(d.lib.readBytes(s(u"元素/人物.l")), QByteArray::fromHex("780D0A790D0A7A0D0A"));

        // A refused name still saves the list. A category file that another program changed
        // since it was loaded keeps what that program wrote: the one change goes into the file
        // as it is now, and the list shows the result.
        d.lib.writeBytes(s(u"元素/人物.l"), "x\r\ny\r\nz\r\nw\r\n");
        d.dialogs.inputs = {std::nullopt, s(u"x"), s(u"v")};
        QVERIFY(d.choose(s(u"列表菜单"), s(u"elementAddEntry")));
        QCOMPARE(d.lib.readBytes(s(u"元素/人物.l")), QByteArray("x\r\ny\r\nz\r\nw\r\n"));
        QCOMPARE(d.texts(d.list(s(u"列表框"))), (QStringList{s(u"x"), s(u"y"), s(u"z"), s(u"w")}));
        QVERIFY(d.choose(s(u"列表菜单"), s(u"elementAddEntry")));
        QCOMPARE(d.lib.readBytes(s(u"元素/x.txt")), QByteArray("X"));
        d.lib.writeBytes(s(u"元素/人物.l"), "x\r\ny\r\nu\r\nz\r\nw\r\n");
        QVERIFY(d.choose(s(u"列表菜单"), s(u"elementAddEntry")));
        QCOMPARE(d.lib.readBytes(s(u"元素/人物.l")), QByteArray("x\r\ny\r\nu\r\nz\r\nw\r\nv\r\n"));
        QCOMPARE(d.dialogs.shown,
                 (QStringList{s(u"信息不能为空！"), s(u"该文件已经存在，请重新命名")}));

        // A name the file system cannot take adds no entry that would name a missing file.
        d.dialogs.inputs = {s(u"a/b")};
        QVERIFY(d.choose(s(u"模板菜单"), s(u"templateAddEntry")));
        QCOMPARE(d.dialogs.shown.last(), s(u"创建失败！请检查名称是否可用！\r\n名称不可用"));
        QCOMPARE(d.texts(d.list(s(u"列表框m"))), QStringList{s(u"p")});
        QCOMPARE(d.lib.readBytes(s(u"模板/开端.l")), QByteArray("p\r\n"));
    }

    // Without a selected category the entry is still made, but no list file is written.
    void addEntryWithoutCategoryWritesNoList()
    {
        EditorDriver d;
        QVERIFY(d.open());
        d.dialogs.inputs = {s(u"新")};
        QVERIFY(d.choose(s(u"模板菜单"), s(u"templateAddEntry")));
        QCOMPARE(d.texts(d.list(s(u"列表框m"))), QStringList{s(u"新")});
        QCOMPARE(QDir(d.lib.folders.templates).entryList(QDir::Files), QStringList{s(u"新.txt")});
    }

    void renameEntry()
    {
        EditorDriver d;
        QVERIFY(openWithCategories(d));
        QVERIFY(d.select(s(u"列表框"), s(u"x")));
        d.lib.writeBytes(s(u"元素/人物.l"), "untouched");
        // Empty, taken and unusable names change nothing, and the list is not saved.
        d.dialogs.inputs = {QString(), s(u"y"), s(u"a/b")};
        for (int i = 0; i < 3; ++i)
            QVERIFY(d.choose(s(u"列表菜单"), s(u"elementRenameEntry")));
        QCOMPARE(d.dialogs.shown,
                 (QStringList{s(u"信息不能为空"), s(u"该文件已经存在，请重新命名！"),
                              s(u"修改失败！请检查名称是否可用！\r\n名称不可用")}));
        QCOMPARE(d.lib.readBytes(s(u"元素/x.txt")), QByteArray("X"));
        QCOMPARE(d.lib.readBytes(s(u"元素/y.txt")), QByteArray("Y"));
        QCOMPARE(d.texts(d.list(s(u"列表框"))), (QStringList{s(u"x"), s(u"y")}));
        QCOMPARE(d.lib.readBytes(s(u"元素/人物.l")), QByteArray("untouched"));

        // The file moves with its bytes, the item keeps its place, the category follows.
        QVERIFY(d.select(s(u"列表框m"), s(u"p")));
        d.dialogs.inputs = {s(u"q")};
        QVERIFY(d.choose(s(u"模板菜单"), s(u"templateRenameEntry")));
        QVERIFY(!d.lib.exists(s(u"模板/p.txt")));
        QCOMPARE(d.lib.readBytes(s(u"模板/q.txt")), QByteArray("P[x]"));
        QCOMPARE(d.list(s(u"列表框m"))->currentItem()->text(), s(u"q"));
        QCOMPARE(d.lib.readBytes(s(u"模板/开端.l")), QByteArray("q\r\n"));
    }

    void deleteEntry()
    {
        EditorDriver d;
        QVERIFY(openWithCategories(d));
        QVERIFY(d.select(s(u"列表框"), s(u"x")));
        d.dialogs.answers = {true, true};
        QVERIFY(d.choose(s(u"列表菜单"), s(u"elementDeleteEntry")));
        QVERIFY(!d.lib.exists(s(u"元素/x.txt")));
        QCOMPARE(d.lib.readBytes(s(u"元素/人物.l")), QByteArray("y\r\n"));
        // Nothing is selected afterwards: the text still in the box must not be saved into the
        // neighbour that took the deleted row.
        QCOMPARE(d.list(s(u"列表框"))->currentRow(), -1);
        d.clickButton(s(u"按钮1"));
        QCOMPARE(d.lib.readBytes(s(u"元素/y.txt")), QByteArray("Y"));
        QVERIFY(!d.lib.exists(s(u"元素/.txt")));
        const QStringList noEntry{s(u"删除元素「x」？"), s(u"请先选择要保存的元素！")};
        QCOMPARE(d.dialogs.shown, noEntry);

        QVERIFY(d.select(s(u"列表框"), s(u"y")));
        QVERIFY(d.choose(s(u"列表菜单"), s(u"elementDeleteEntry")));
        QVERIFY(d.lib.exists(s(u"元素/人物.l")));
        QCOMPARE(d.lib.readBytes(s(u"元素/人物.l")), QByteArray());
        QCOMPARE(d.dialogs.shown, noEntry + QStringList{s(u"删除元素「y」？")});
    }

    // A command that changes a content file and the category file changes both or neither: when
    // the list cannot be written, the content file is put back as it was and the message says so.
    void commandsChangeBothFilesOrNeither()
    {
        EditorDriver d;
        d.lib.writeBytes(s(u"模板/开端.l"), "t\r\n");
        d.lib.writeBytes(s(u"模板/t.txt"), "T");
        ListRefusingFiles files(d.lib.root());
        LibraryDocument document(files, LibraryDocument::Opening::ReadOnly);
        EditorWindow window(document, Services{files, d.random, d.dialogs});
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        d.attach(&window);
        QVERIFY(d.select(s(u"文件框m"), s(u"开端.l")));
        QVERIFY(d.select(s(u"列表框m"), s(u"t")));
        files.refuseLists = true;
        d.dialogs.inputs = {s(u"r2"), s(u"r3")};
        QVERIFY(d.choose(s(u"模板菜单"), s(u"templateRenameEntry")));
        QVERIFY(d.select(s(u"列表框m"), s(u"t")));
        QVERIFY(d.choose(s(u"模板菜单"), s(u"templateAddEntry")));
        d.dialogs.answers = {true};
        QVERIFY(d.choose(s(u"模板菜单"), s(u"templateDeleteEntry")));
        const QString failed = s(u"保存失败！请检查文件是否可写！\r\n没有写入权限");
        QCOMPARE(d.dialogs.shown,
                 (QStringList{failed + s(u"\r\n改名已撤销"), failed + s(u"\r\n添加已撤销"),
                              s(u"删除模板「t」？"), failed}));
        QCOMPARE(QDir(d.lib.folders.templates).entryList(QDir::Files),
                 (QStringList{s(u"t.txt"), s(u"开端.l")}));
        QCOMPARE(d.lib.readBytes(s(u"模板/t.txt")), QByteArray("T"));
        QCOMPARE(d.lib.readBytes(s(u"模板/开端.l")), QByteArray("t\r\n"));
        QCOMPARE(d.texts(d.list(s(u"列表框m"))), QStringList{s(u"t")});

        // Once the list can be written again, a name another program added meanwhile stays.
        files.refuseLists = false;
        d.lib.writeBytes(s(u"模板/开端.l"), "t\r\nu\r\n");
        QVERIFY(d.select(s(u"列表框m"), s(u"t")));
        d.dialogs.answers = {true, true, true};
        QVERIFY(d.choose(s(u"模板菜单"), s(u"templateDeleteEntry")));
        QCOMPARE(d.lib.readBytes(s(u"模板/开端.l")), QByteArray("u\r\n"));
        QCOMPARE(d.texts(d.list(s(u"列表框m"))), QStringList{s(u"u")});
        QVERIFY(!d.lib.exists(s(u"模板/t.txt")));

        // A content file that cannot be removed takes its entry back into the list: no file may
        // stay behind that no list names.
        d.lib.writeBytes(s(u"模板/u.txt"), "U");
        files.refuseRemovals = true;
        QVERIFY(d.select(s(u"列表框m"), s(u"u")));
        QVERIFY(d.choose(s(u"模板菜单"), s(u"templateDeleteEntry")));
        QCOMPARE(d.dialogs.shown.last(),
                 s(u"删除失败！请检查文件是否可写！\r\n没有写入权限\r\n删除已撤销"));
        QCOMPARE(d.lib.readBytes(s(u"模板/开端.l")), QByteArray("u\r\n"));
        QCOMPARE(d.lib.readBytes(s(u"模板/u.txt")), QByteArray("U"));
        QCOMPARE(d.texts(d.list(s(u"列表框m"))), QStringList{s(u"u")});

        // So is a category the file system keeps.
        QVERIFY(d.choose(s(u"模板类别菜单"), s(u"templateDeleteCategory")));
        QCOMPARE(d.dialogs.shown.last(), s(u"删除失败！请检查文件是否可写！\r\n没有写入权限"));
        QCOMPARE(d.texts(d.list(s(u"文件框m"))), QStringList{s(u"开端.l")});
    }

    void createContentFile()
    {
        EditorDriver d;
        d.lib.writeBytes(s(u"元素/人物.l"), "x\r\nmissing\r\n");
        d.lib.writeBytes(s(u"元素/x.txt"), "X");
        QVERIFY(d.open());
        QVERIFY(d.select(s(u"文件框"), s(u"人物.l")));
        QVERIFY(d.select(s(u"列表框"), s(u"missing")));
        QVERIFY(d.choose(s(u"列表菜单"), s(u"elementCreateContentFile")));
        QVERIFY(d.lib.exists(s(u"元素/missing.txt")));
        QCOMPARE(d.lib.readBytes(s(u"元素/missing.txt")), QByteArray());
        QVERIFY(d.select(s(u"列表框"), s(u"x")));
        QVERIFY(d.choose(s(u"列表菜单"), s(u"elementCreateContentFile")));
        QCOMPARE(d.lib.readBytes(s(u"元素/x.txt")), QByteArray("X"));
        QCOMPARE(d.lib.readBytes(s(u"元素/人物.l")), QByteArray("x\r\nmissing\r\n"));
    }

    // Sorted by GBK bytes (ASCII first, then pinyin order), also after a rename; the template
    // list is never sorted.
    void sortedElementList()
    {
        EditorDriver d;
        d.lib.writeBytes(s(u"元素/人物.l"), "");
        d.lib.writeBytes(s(u"模板/开端.l"), "");
        QVERIFY(d.open());
        QVERIFY(d.select(s(u"文件框"), s(u"人物.l")));
        QVERIFY(d.select(s(u"文件框m"), s(u"开端.l")));
        QVERIFY(d.choose(s(u"列表菜单"), s(u"elementSortEntries")));
        QVERIFY(d.choose(s(u"模板菜单"), s(u"templateSortEntries")));
        d.dialogs.inputs = {s(u"中"), s(u"z"), s(u"安"), s(u"x"),
                            s(u"y"),  s(u"z"), s(u"x"),  s(u"y")};
        for (int i = 0; i < 5; ++i)
            QVERIFY(d.choose(s(u"列表菜单"), s(u"elementAddEntry")));
        QCOMPARE(d.texts(d.list(s(u"列表框"))),
                 (QStringList{s(u"x"), s(u"y"), s(u"z"), s(u"安"), s(u"中")}));
        QCOMPARE(d.lib.readBytes(s(u"元素/人物.l")), "x\r\ny\r\nz\r\n" + g(u"安\r\n中\r\n"));
        for (int i = 0; i < 3; ++i)
            QVERIFY(d.choose(s(u"模板菜单"), s(u"templateAddEntry")));
        QCOMPARE(d.lib.readBytes(s(u"模板/开端.l")), QByteArray("z\r\nx\r\ny\r\n"));

        QVERIFY(d.select(s(u"列表框"), s(u"x")));
        d.dialogs.inputs = {s(u"北")};
        QVERIFY(d.choose(s(u"列表菜单"), s(u"elementRenameEntry")));
        QCOMPARE(d.texts(d.list(s(u"列表框"))),
                 (QStringList{s(u"y"), s(u"z"), s(u"安"), s(u"北"), s(u"中")}));
        QCOMPARE(d.lib.readBytes(s(u"元素/人物.l")), "y\r\nz\r\n" + g(u"安\r\n北\r\n中\r\n"));
        QCOMPARE(d.list(s(u"列表框"))->currentItem()->text(), s(u"北"));

        // A category loaded later shows sorted too (a refused add re-lists the category box).
        d.lib.writeBytes(s(u"元素/其他.l"), "b\r\na\r\n");
        d.dialogs.inputs = {QString()};
        QVERIFY(d.choose(s(u"类别菜单"), s(u"elementAddCategory")));
        QVERIFY(d.select(s(u"文件框"), s(u"其他.l")));
        QCOMPARE(d.texts(d.list(s(u"列表框"))), (QStringList{s(u"a"), s(u"b")}));
    }

    // A list save the file system refuses is said, not passed off as done.
    void refusedListSaveIsReported()
    {
        EditorDriver d;
        QVERIFY(openWithCategories(d));
        QVERIFY(QFile::remove(d.lib.path(s(u"元素/人物.l"))));
        QVERIFY(QDir().mkdir(d.lib.path(s(u"元素/人物.l"))));
        d.dialogs.inputs = {s(u"z")};
        QVERIFY(d.choose(s(u"列表菜单"), s(u"elementAddEntry")));
        QCOMPARE(d.dialogs.shown, QStringList{s(u"保存失败！请检查文件是否可写！\r\n") +
                                              systemCause(EISDIR) + s(u"\r\n添加已撤销")});
        // Both or neither: the content file made for the entry goes again.
        QVERIFY(!d.lib.exists(s(u"元素/z.txt")));
        QCOMPARE(d.texts(d.list(s(u"列表框"))), (QStringList{s(u"x"), s(u"y")}));
    }
};

QTEST_MAIN(TestEditorEntries)
#include "tst_editorentries.moc"
