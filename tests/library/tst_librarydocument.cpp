// The library document on a temporary library: every command does, undoes and redoes its files to
// the byte; a command on two files changes both or neither, in undo and redo too; what another
// program wrote meanwhile is kept, or makes an undo refuse; and a second view hears every change.
#include "library/librarydocument.h"
#include "library/lines.h"
#include "tests/support/templibrary.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <cerrno>
#include <functional>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// What the three folders hold, by path from the program folder ("元素/人物.l").
using Tree = QMap<QString, QByteArray>;
// A command on the document, with what became of it.
using Action = std::function<FileResult(LibraryDocument &)>;
// An entry command on the list a view read.
using EntryCommand = std::function<EntryResult(LibraryDocument &, const ShownList &)>;

enum class Fault
{
    None,
    ListWrites,     // a list file cannot be replaced
    ContentRemoval, // a content file cannot be removed
};

// Passes everything through to the real files, but refuses what the fault names, as a file the
// user may not change would. (The tests run as root, which file modes do not stop.)
class RefusingFiles : public LocalFiles
{
public:
    using LocalFiles::LocalFiles;
    FileResult write(const QString &path, const QByteArray &bytes) override
    {
        if (fault == Fault::ListWrites && path.endsWith(u".l"))
            return FileResult::systemError(EACCES);
        return LocalFiles::write(path, bytes);
    }
    FileResult remove(const QString &path) override
    {
        if (fault == Fault::ContentRemoval && path.endsWith(u".txt"))
            return FileResult::systemError(EACCES);
        return LocalFiles::remove(path);
    }
    Fault fault = Fault::None;
};

Text t(const char16_t *text)
{
    return gbk(QString::fromUtf16(text));
}
QByteArray b(const char16_t *text)
{
    return t(text).toGbk();
}
// A list file of one-character entries: lines(u"甲乙") is "甲\r\n乙\r\n".
QByteArray lines(const char16_t *entries)
{
    QByteArray list;
    for (const QChar entry : QString::fromUtf16(entries))
        list += gbk(entry).toGbk() + "\r\n";
    return list;
}

// The name of the file at a path such as "元素/人物.l".
LibraryName at(const char16_t *path)
{
    const QString whole = QString::fromUtf16(path);
    for (const Folder folder : {Folder::Templates, Folder::Elements, Folder::Projects}) {
        if (whole.section(u'/', 0, 0) == folderName(folder))
            return *LibraryName::fromFileName(folder, gbk(whole.section(u'/', 1)));
    }
    qFatal("not a library path");
}

// What a row expects a file to become when the command removes it.
const QByteArray Removed = QByteArrayLiteral("(removed)");

// The tree with the files written, or removed where they hold Removed.
Tree changed(Tree tree, const Tree &files)
{
    for (auto file = files.cbegin(); file != files.cend(); ++file) {
        if (file.value() == Removed)
            tree.remove(file.key());
        else
            tree.insert(file.key(), file.value());
    }
    return tree;
}

// One library for every test. The element category 人物 (甲 乙 丙): 甲's text plain, 乙's with
// bytes that are no GBK and no final CR LF, 丙 without a content file; 天气, a category with bytes
// that are no GBK; the template category 开端 without a final CR LF, beside a content file of its
// own name; the project 相遇.
Tree library()
{
    return {{u"元素/人物.l"_qs, lines(u"甲乙丙")},
            {u"元素/甲.txt"_qs, b(u"老人\r\n")},
            {u"元素/乙.txt"_qs, QByteArray("\xff\xfe") + b(u"孩子")},
            {u"元素/天气.l"_qs, QByteArray("\xff\xfe") + b(u"雨")},
            {u"模板/开端.l"_qs, b(u"甲\r\n乙")},
            {u"模板/开端.txt"_qs, b(u"[甲]")},
            {u"模板/乙.txt"_qs, b(u"[丙]")},
            {u"项目/相遇.l"_qs, b(u"开端\r\n结局\r\n")}};
}

// A tree as lines to compare, decoded for reading (the decoding loses no byte).
QStringList listing(const Tree &tree)
{
    QStringList out;
    for (auto file = tree.cbegin(); file != tree.cend(); ++file)
        out << file.key() + u" = "_qs + Text::fromGbk(file.value()).toUnicode();
    return out;
}

struct Doc
{
    Doc()
    {
        const Tree start = library();
        for (auto file = start.cbegin(); file != start.cend(); ++file)
            lib.writeBytes(file.key(), file.value());
    }
    // Hidden files too: a leftover of a save must show.
    QStringList files() const
    {
        Tree tree;
        for (const QString &folder : {u"模板"_qs, u"元素"_qs, u"项目"_qs}) {
            const QStringList names =
                QDir(lib.path(folder)).entryList(QDir::Files | QDir::Hidden | QDir::System);
            for (const QString &name : names)
                tree.insert(folder + u'/' + name, lib.readBytes(folder + u'/' + name));
        }
        return listing(tree);
    }
    int index() { return doc.undoStack().index(); }

    TempLibrary lib;
    RefusingFiles disk{lib.root()};
    LibraryDocument doc{disk, LibraryDocument::Opening::CreateFolders};
};

ShownList shown(LibraryDocument &doc, const LibraryName &list, bool sorted = false)
{
    Shown<TextList> read = doc.readList(list);
    return {list, read.value, read.key, sorted};
}

Action create(const char16_t *path)
{
    return [name = at(path)](LibraryDocument &doc) { return doc.create(name); };
}
Action rename(const char16_t *path, const char16_t *to)
{
    return [name = at(path), to = t(to)](LibraryDocument &doc) { return doc.rename(name, to); };
}
Action remove(const char16_t *path)
{
    return [name = at(path)](LibraryDocument &doc) { return doc.remove(name); };
}
Action write(const char16_t *path, const QByteArray &bytes)
{
    return [name = at(path), text = Text::fromGbk(bytes)](LibraryDocument &doc) {
        return doc.writeContent(name, text);
    };
}
Action onList(const char16_t *path, const EntryCommand &command, bool sorted = false)
{
    return [=, list = at(path)](LibraryDocument &doc) {
        return command(doc, shown(doc, list, sorted)).result;
    };
}
EntryCommand addEntry(const char16_t *name)
{
    return [name = t(name)](LibraryDocument &doc, const ShownList &list) {
        return doc.addEntry(list, name);
    };
}
EntryCommand renameEntry(int row, const char16_t *to)
{
    return [row, to = t(to)](LibraryDocument &doc, const ShownList &list) {
        return doc.renameEntry(list, row, to);
    };
}
EntryCommand removeEntry(int row)
{
    return
        [row](LibraryDocument &doc, const ShownList &list) { return doc.removeEntry(list, row); };
}

// A row of the command table: the command, the files it writes (or removes), its undo text.
void row(const char *name, const Action &action, const Tree &changes, const QString &undoText)
{
    QTest::newRow(name) << action << changes << undoText;
}

// What a view following the document heard since last asked. The file name is made from the
// name the change tells, without extension, and its kind.
QStringList heard(QSignalSpy &spy)
{
    static const QString kinds[] = {u"created"_qs, u"written"_qs, u"renamed"_qs, u"removed"_qs};
    const auto path = [](const LibraryName &name) {
        return folderName(name.folder()) + u'/' + name.fileName().toUnicode();
    };
    QStringList changes;
    for (const QList<QVariant> &arguments : std::as_const(spy)) {
        const auto change = arguments.at(0).value<LibraryChange>();
        changes << kinds[int(change.kind)] + u' ' + path(change.name);
        if (change.kind == LibraryChange::Kind::Renamed)
            changes.last() += u" from "_qs + path(change.from);
    }
    spy.clear();
    return changes;
}

} // namespace

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

    // Another program changes the list between the view's read and the command, and again before
    // the undo: each time the one change is made to the file as it is now. (The other program's
    // list always differs in size: a rewrite of the same size within one tick of the file
    // system's clock is one that a file key cannot tell.)
    void changesMergeWithAnotherProgramsLines_data()
    {
        QTest::addColumn<EntryCommand>("command");
        QTest::addColumn<QByteArray>("meanwhile"); // before the command
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QByteArray>("beforeUndo");
        QTest::addColumn<QByteArray>("afterUndo");
        QTest::newRow("add") << addEntry(u"丁") << lines(u"甲乙丙庚") << lines(u"甲乙丙庚丁")
                             << lines(u"甲丙庚丁辛") << lines(u"甲丙庚辛");
        QTest::newRow("rename moved entry")
            << renameEntry(1, u"戊") << lines(u"乙甲丙庚") << lines(u"戊甲丙庚")
            << lines(u"戊甲丙庚辛") << lines(u"乙甲丙庚辛");
        QTest::newRow("remove moved entry")
            << removeEntry(1) << lines(u"庚甲乙丙") << lines(u"庚甲丙") << lines(u"庚甲丙辛")
            << lines(u"庚甲乙丙辛");
        // Nothing to remove from the list, so nothing to put back.
        QTest::newRow("remove entry gone meanwhile")
            << removeEntry(2) << lines(u"甲乙") << lines(u"甲乙") << lines(u"甲乙辛")
            << lines(u"甲乙辛");
        // Taking the entry back out of a list another program removed leaves it removed, rather
        // than bringing the category back empty.
        QTest::newRow("add, list removed before undo")
            << addEntry(u"丁") << lines(u"甲乙丙庚") << lines(u"甲乙丙庚丁") << Removed << Removed;
    }
    void changesMergeWithAnotherProgramsLines()
    {
        QFETCH(EntryCommand, command);
        QFETCH(QByteArray, meanwhile);
        QFETCH(QByteArray, after);
        QFETCH(QByteArray, beforeUndo);
        QFETCH(QByteArray, afterUndo);
        Doc d;
        const QString path = u"元素/人物.l"_qs;
        const ShownList list = shown(d.doc, at(u"元素/人物.l"));
        d.lib.writeBytes(path, meanwhile);
        const EntryResult result = command(d.doc, list);
        QVERIFY(result);
        QCOMPARE(d.lib.readBytes(path), after);
        QCOMPARE(joinLines(result.entries).toGbk(), after);
        if (beforeUndo == Removed)
            QVERIFY(QFile::remove(d.lib.path(path)));
        else
            d.lib.writeBytes(path, beforeUndo);
        QVERIFY(d.doc.undo());
        // The content files went back whole all the same.
        QCOMPARE(d.files(), listing(changed(library(), {{path, afterUndo}})));
    }

    void secondViewHearsEveryChange_data()
    {
        QTest::addColumn<Action>("action");
        QTest::addColumn<QStringList>("done");
        QTest::addColumn<QStringList>("undone");
        QTest::newRow("create") << create(u"模板/起因.l") << QStringList{u"created 模板/起因.l"_qs}
                                << QStringList{u"removed 模板/起因.l"_qs};
        QTest::newRow("rename") << rename(u"元素/人物.l", u"角色")
                                << QStringList{u"renamed 元素/角色.l from 元素/人物.l"_qs}
                                << QStringList{u"renamed 元素/人物.l from 元素/角色.l"_qs};
        QTest::newRow("add entry")
            << onList(u"元素/人物.l", addEntry(u"丁"))
            << QStringList{u"created 元素/丁.txt"_qs, u"written 元素/人物.l"_qs}
            << QStringList{u"written 元素/人物.l"_qs, u"removed 元素/丁.txt"_qs};
        QTest::newRow("remove entry")
            << onList(u"元素/人物.l", removeEntry(1))
            << QStringList{u"written 元素/人物.l"_qs, u"removed 元素/乙.txt"_qs}
            << QStringList{u"created 元素/乙.txt"_qs, u"written 元素/人物.l"_qs};
    }
    void secondViewHearsEveryChange()
    {
        QFETCH(Action, action);
        QFETCH(QStringList, done);
        QFETCH(QStringList, undone);
        Doc d;
        QSignalSpy view(&d.doc, &LibraryDocument::changed);
        QVERIFY(action(d.doc));
        QCOMPARE(heard(view), done);
        QVERIFY(d.doc.undo());
        QCOMPARE(heard(view), undone);
        QVERIFY(d.doc.redo());
        QCOMPARE(heard(view), done);
        // A refused command is not heard of.
        QVERIFY(!d.doc.remove(at(u"元素/无.txt")));
        QCOMPARE(heard(view), QStringList());
    }

    void libraryNameFromFileName_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<bool>("found");
        QTest::addColumn<bool>("list");
        QTest::addColumn<QString>("name");
        QTest::newRow("list") << u"天气.l"_qs << true << true << u"天气"_qs;
        QTest::newRow("content") << u"天.气.txt"_qs << true << false << u"天.气"_qs;
        QTest::newRow("empty name") << u".txt"_qs << true << false << QString();
        QTest::newRow("last extension counts")
            << u"天气.txt.l"_qs << true << true << u"天气.txt"_qs;
        QTest::newRow("capitals") << u"天气.TXT"_qs << false << false << QString();
        QTest::newRow("other extension") << u"天气.l.bak"_qs << false << false << QString();
        QTest::newRow("no extension") << u"天气"_qs << false << false << QString();
    }
    void libraryNameFromFileName()
    {
        QFETCH(QString, fileName);
        QFETCH(bool, found);
        QFETCH(bool, list);
        QFETCH(QString, name);
        const auto named = LibraryName::fromFileName(Folder::Projects, gbk(fileName));
        QCOMPARE(named.has_value(), found);
        if (!named)
            return;
        QCOMPARE(named->isList(), list);
        QCOMPARE(named->folder(), Folder::Projects);
        QCOMPARE(named->name(), gbk(name));
        QCOMPARE(named->fileName(), gbk(fileName));
        QCOMPARE(named->renamed(Text()).fileName(), list ? Text(".l") : Text(".txt"));
    }

    void readOnlyOpeningCreatesNothing()
    {
        for (const QString &folder : {u"模板"_qs, u"元素"_qs, u"项目"_qs}) {
            TempLibrary lib(false);
            const auto entries = [&] {
                return QDir(lib.root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
            };
            LibraryDocument reader(lib.files, LibraryDocument::Opening::ReadOnly);
            QVERIFY(!reader.holdsLibrary());
            QCOMPARE(entries(), QStringList());
            QVERIFY(QDir().mkdir(lib.path(folder)));
            QVERIFY(reader.holdsLibrary());
            LibraryDocument window(lib.files, LibraryDocument::Opening::CreateFolders);
            QCOMPARE(entries().size(), 3);
        }
    }
};

QTEST_GUILESS_MAIN(TestLibraryDocument)
#include "tst_librarydocument.moc"
