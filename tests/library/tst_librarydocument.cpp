// The library document on a temporary library: every command does, undoes and redoes its files to
// the byte, and a command on two files changes both or neither, in undo and redo too.
#include "tests/library/documentfixture.h"

using namespace quorvel;
using namespace quorvel::test;

class TestLibraryDocument : public QObject
{
    Q_OBJECT

private slots:
    void commandsDoUndoAndRedoToTheByte_data()
    {
        QTest::addColumn<Action>("action");
        QTest::addColumn<Tree>("changes");
        QTest::addColumn<QString>("undoText");
        row("create category", create(u"元素/风景.l"), {{u"元素/风景.l"_qs, {}}},
            u"添加元素类「风景」"_qs);
        row("create content file", create(u"模板/开头.txt"), {{u"模板/开头.txt"_qs, {}}},
            u"创建模板「开头」"_qs);
        // The content file of the category's name is no part of the category.
        row("rename category", rename(u"模板/开端.l", u"起因"),
            {{u"模板/起因.l"_qs, b(u"甲\r\n乙")}, {u"模板/开端.l"_qs, Removed}},
            u"修改模板类「开端」为「起因」"_qs);
        row("rename project", rename(u"项目/相遇.l", u"重逢"),
            {{u"项目/重逢.l"_qs, b(u"开端\r\n结局\r\n")}, {u"项目/相遇.l"_qs, Removed}},
            u"修改项目「相遇」为「重逢」"_qs);
        row("remove category", remove(u"元素/天气.l"), {{u"元素/天气.l"_qs, Removed}},
            u"删除元素类「天气」"_qs);
        row("remove project", remove(u"项目/相遇.l"), {{u"项目/相遇.l"_qs, Removed}},
            u"删除项目「相遇」"_qs);
        row("write content", write(u"元素/乙.txt", b(u"少年\r\n")),
            {{u"元素/乙.txt"_qs, b(u"少年\r\n")}}, u"保存元素「乙」"_qs);
        row("write new content file", write(u"模板/开头.txt", b(u"[人物]")),
            {{u"模板/开头.txt"_qs, b(u"[人物]")}}, u"保存模板「开头」"_qs);
        row("save project", Action([](LibraryDocument &doc) {
                (void)doc.openProject(at(u"项目/相遇.l"));
                doc.appendToProject(t(u"转折"));
                doc.removeFromProject(0);
                return doc.saveProject(at(u"项目/相遇.l"));
            }),
            {{u"项目/相遇.l"_qs, b(u"结局\r\n转折\r\n")}}, u"保存项目「相遇」"_qs);
        row("add entry", onList(u"元素/人物.l", addEntry(u"丁")),
            {{u"元素/人物.l"_qs, lines(u"甲乙丙丁")}, {u"元素/丁.txt"_qs, {}}},
            u"添加元素「丁」"_qs);
        row("add entry to sorted list without final CR LF",
            onList(u"模板/开端.l", addEntry(u"丙"), true),
            {{u"模板/开端.l"_qs, lines(u"丙甲乙")}, {u"模板/丙.txt"_qs, {}}}, u"添加模板「丙」"_qs);
        row("add entry to missing category", onList(u"元素/风景.l", addEntry(u"山")),
            {{u"元素/风景.l"_qs, lines(u"山")}, {u"元素/山.txt"_qs, {}}}, u"添加元素「山」"_qs);
        row("rename entry", onList(u"元素/人物.l", renameEntry(1, u"戊")),
            {{u"元素/人物.l"_qs, lines(u"甲戊丙")},
             {u"元素/戊.txt"_qs, library()[u"元素/乙.txt"_qs]},
             {u"元素/乙.txt"_qs, Removed}},
            u"修改元素「乙」为「戊」"_qs);
        row("rename entry without content file", onList(u"元素/人物.l", renameEntry(2, u"己")),
            {{u"元素/人物.l"_qs, lines(u"甲乙己")}}, u"修改元素「丙」为「己」"_qs);
        row("remove entry", onList(u"元素/人物.l", removeEntry(1)),
            {{u"元素/人物.l"_qs, lines(u"甲丙")}, {u"元素/乙.txt"_qs, Removed}},
            u"删除元素「乙」"_qs);
        row("remove last entry of list without final CR LF", onList(u"模板/开端.l", removeEntry(1)),
            {{u"模板/开端.l"_qs, lines(u"甲")}, {u"模板/乙.txt"_qs, Removed}},
            u"删除模板「乙」"_qs);
        // A command that finds the disk as it would leave it is done, but is no step to undo:
        // an undo that changes nothing would leave the user wondering what it took back.
        row("save same content", write(u"元素/甲.txt", b(u"老人\r\n")), {}, QString());
        // A view that read the list before another program took 丁 out; 丁 has no file.
        row("remove entry already gone", Action([](LibraryDocument &doc) {
                const ShownList stale{
                    at(u"元素/人物.l"), {t(u"甲"), t(u"乙"), t(u"丙"), t(u"丁")}, {}};
                return doc.removeEntry(stale, 3).result;
            }),
            {}, QString());
    }
    void commandsDoUndoAndRedoToTheByte()
    {
        QFETCH(Action, action);
        QFETCH(Tree, changes);
        QFETCH(QString, undoText);
        Doc d;
        const QStringList after = listing(changed(library(), changes));
        QVERIFY(action(d.doc));
        QCOMPARE(d.files(), after);
        QCOMPARE(d.doc.undoStack().count(), undoText.isEmpty() ? 0 : 1);
        QCOMPARE(d.doc.undoStack().undoText(), undoText);
        QVERIFY(d.doc.undo());
        QCOMPARE(d.files(), listing(library()));
        QVERIFY(d.doc.redo());
        QCOMPARE(d.files(), after);
    }

    // A step the disk refuses, in the command or in its undo or redo, changes nothing and keeps
    // its place on the stack: a command on two files puts the first back when the second is
    // refused, and an undo refuses a file another program changed or a name it took since.
    void refusedStepChangesNothing_data()
    {
        QTest::addColumn<Action>("action");
        QTest::addColumn<int>("steps"); // refused in: 0 the command, 1 its undo, 2 its redo
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QString>("meddled"); // a file another program writes just before
        QTest::addColumn<QString>("cause");
        const QString denied = u"没有写入权限"_qs;
        const QString changed = u"文件已被其他程序修改"_qs;
        const QString taken = u"名称已被占用"_qs;
        const Action add = onList(u"元素/人物.l", addEntry(u"丁"));
        const Action move = onList(u"元素/人物.l", renameEntry(1, u"戊"));
        const Action drop = onList(u"元素/人物.l", removeEntry(1));
        const QString none;
        QTest::newRow("add: list refused") << add << 0 << Fault::ListWrites << none << denied;
        QTest::newRow("rename: list refused") << move << 0 << Fault::ListWrites << none << denied;
        QTest::newRow("remove: list refused") << drop << 0 << Fault::ListWrites << none << denied;
        QTest::newRow("remove: file kept") << drop << 0 << Fault::ContentRemoval << none << denied;
        QTest::newRow("undo add: file kept") << add << 1 << Fault::ContentRemoval << none << denied;
        QTest::newRow("undo rename: list refused")
            << move << 1 << Fault::ListWrites << none << denied;
        QTest::newRow("undo remove: list refused")
            << drop << 1 << Fault::ListWrites << none << denied;
        QTest::newRow("redo add: list refused") << add << 2 << Fault::ListWrites << none << denied;
        QTest::newRow("redo remove: file kept")
            << drop << 2 << Fault::ContentRemoval << none << denied;
        QTest::newRow("undo save: file changed") << write(u"元素/甲.txt", b(u"青年\r\n")) << 1
                                                 << Fault::None << u"元素/甲.txt"_qs << changed;
        QTest::newRow("undo add: file written")
            << add << 1 << Fault::None << u"元素/丁.txt"_qs << changed;
        QTest::newRow("undo remove: name taken")
            << remove(u"元素/甲.txt") << 1 << Fault::None << u"元素/甲.txt"_qs << taken;
        QTest::newRow("undo rename: old name taken")
            << rename(u"元素/人物.l", u"角色") << 1 << Fault::None << u"元素/人物.l"_qs << taken;
        QTest::newRow("undo entry rename: old name taken")
            << move << 1 << Fault::None << u"元素/乙.txt"_qs << taken;
        QTest::newRow("redo create: name taken")
            << create(u"元素/丁.txt") << 2 << Fault::None << u"元素/丁.txt"_qs << taken;
    }
    void refusedStepChangesNothing()
    {
        QFETCH(Action, action);
        QFETCH(int, steps);
        QFETCH(Fault, fault);
        QFETCH(QString, meddled);
        QFETCH(QString, cause);
        Doc d;
        if (steps > 0)
            QVERIFY(action(d.doc));
        if (steps > 1)
            QVERIFY(d.doc.undo());
        if (!meddled.isEmpty())
            d.lib.writeBytes(meddled, b(u"别的程序\r\n"));
        const QStringList before = d.files();
        const int index = d.index();
        d.disk.fault = fault;
        const FileResult refused =
            steps == 0 ? action(d.doc) : (steps == 1 ? d.doc.undo() : d.doc.redo());
        QCOMPARE(refused.describe(), cause);
        QCOMPARE(d.files(), before);
        QCOMPARE(d.index(), index);
        QCOMPARE(d.doc.undoStack().count(), steps == 0 ? 0 : 1);
    }

    // A delete puts the file into the desktop's trash beside its info file, or into the library's
    // hidden folder where there is no trash; the undo takes it out, info file and all, and the
    // redo puts it back in. A name the trash holds already gives the next free one.
    void deletesGoToTheTrash_data()
    {
        QTest::addColumn<Action>("action");
        QTest::addColumn<QString>("file");      // what goes
        QTest::addColumn<QString>("trashedAs"); // its name in the trash
        QTest::addColumn<bool>("noTrash");      // the trash folder is a plain file
        QTest::addColumn<bool>("taken");        // the trash holds a file of the name already
        const Action drop = onList(u"元素/人物.l", removeEntry(1));
        QTest::newRow("category") << remove(u"元素/天气.l") << u"元素/天气.l"_qs << u"天气.l"_qs
                                  << false << false;
        QTest::newRow("project") << remove(u"项目/相遇.l") << u"项目/相遇.l"_qs << u"相遇.l"_qs
                                 << false << false;
        QTest::newRow("entry") << drop << u"元素/乙.txt"_qs << u"乙.txt"_qs << false << false;
        QTest::newRow("entry, name taken in the trash")
            << drop << u"元素/乙.txt"_qs << u"乙.txt.2"_qs << false << true;
        QTest::newRow("entry, no trash")
            << drop << u"元素/乙.txt"_qs << u"乙.txt"_qs << true << false;
    }
    void deletesGoToTheTrash()
    {
        QFETCH(Action, action);
        QFETCH(QString, file);
        QFETCH(QString, trashedAs);
        QFETCH(bool, noTrash);
        QFETCH(bool, taken);
        Doc d;
        const QString trash = noTrash ? d.lib.path(u".quorvel-trash"_qs) : d.lib.trash();
        if (noTrash)
            QVERIFY(QFile(d.lib.trash()).open(QIODevice::WriteOnly));
        const QStringList before =
            taken ? QStringList{trashedAs.chopped(2), trashedAs.chopped(2) + u".trashinfo"_qs}
                  : QStringList{};
        if (taken) {
            QVERIFY(QDir().mkpath(trash + u"/files"_qs) && QDir().mkpath(trash + u"/info"_qs));
            QVERIFY(QFile(trash + u"/files/"_qs + before[0]).open(QIODevice::WriteOnly));
            QVERIFY(QFile(trash + u"/info/"_qs + before[1]).open(QIODevice::WriteOnly));
        }
        const auto inTrash = [&] {
            QStringList names;
            for (const QString &folder : {u"/files"_qs, u"/info"_qs})
                names += QDir(trash + folder).entryList(QDir::Files | QDir::Hidden);
            return names;
        };
        const auto trashed = [&] {
            QFile in(trash + u"/files/"_qs + trashedAs);
            return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("(missing)");
        };
        QVERIFY(action(d.doc));
        QVERIFY(!d.lib.exists(file));
        QCOMPARE(trashed(), library()[file]);
        QVERIFY(inTrash().contains(trashedAs + u".trashinfo"_qs));
        QVERIFY(d.doc.undo());
        QCOMPARE(d.files(), listing(library()));
        QCOMPARE(inTrash(), before);
        QVERIFY(d.doc.redo());
        QCOMPARE(trashed(), library()[file]);

        // A file taken out of the trash meanwhile cannot come back: the undo says so and stays.
        QVERIFY(QFile::remove(trash + u"/files/"_qs + trashedAs));
        const QStringList now = d.files();
        QVERIFY(d.doc.undo().isSystemError(ENOENT));
        QCOMPARE(d.files(), now);
        QCOMPARE(d.index(), 1);
    }

    // A name starting with "." is refused for whatever is named now: a new category, project or
    // entry and a new name, changing nothing. The element .隐, which has such a name already,
    // is read, saved, renamed and removed like any other.
    void hiddenNamesAreRefusedForNewNamesOnly_data()
    {
        QTest::addColumn<Action>("action");
        QTest::addColumn<bool>("refused");
        QTest::newRow("new category") << create(u"元素/.类.l") << true;
        QTest::newRow("new project") << create(u"项目/.p.l") << true;
        QTest::newRow("category renamed") << rename(u"元素/人物.l", u".角色") << true;
        QTest::newRow("project renamed") << rename(u"项目/相遇.l", u".相遇") << true;
        QTest::newRow("new entry") << onList(u"元素/人物.l", addEntry(u".丁")) << true;
        QTest::newRow("entry renamed") << onList(u"元素/人物.l", renameEntry(0, u".戊")) << true;
        QTest::newRow("entry without file renamed")
            << onList(u"元素/人物.l", renameEntry(2, u".戊")) << true;
        QTest::newRow("existing saved") << write(u"元素/.隐.txt", b(u"新\r\n")) << false;
        QTest::newRow("existing renamed") << onList(u"元素/隐者.l", renameEntry(0, u"显")) << false;
        QTest::newRow("existing removed") << onList(u"元素/隐者.l", removeEntry(0)) << false;
        QTest::newRow("existing text created") << create(u"模板/.模.txt") << false;
        QTest::newRow("a dot inside") << create(u"元素/类.一.l") << false;
    }
    void hiddenNamesAreRefusedForNewNamesOnly()
    {
        QFETCH(Action, action);
        QFETCH(bool, refused);
        Doc d;
        d.lib.writeBytes(u"元素/隐者.l"_qs, b(u".隐\r\n"));
        d.lib.writeBytes(u"元素/.隐.txt"_qs, b(u"旧"));
        QCOMPARE(d.doc.readContent(at(u"元素/.隐.txt")).value, t(u"旧"));
        const QStringList before = d.files();
        const FileResult result = action(d.doc);
        QCOMPARE(result.describe(), refused ? u"名称不可用"_qs : QString());
        QCOMPARE(d.files() == before, refused);
        QCOMPARE(d.doc.undoStack().count(), refused ? 0 : 1);
    }
};

QTEST_GUILESS_MAIN(TestLibraryDocument)
#include "tst_librarydocument.moc"
