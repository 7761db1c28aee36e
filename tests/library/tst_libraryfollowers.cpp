// The library document and what lies around it: what another program wrote meanwhile is kept, a
// second view hears every change, names know their files, and a read-only opening makes nothing.
#include "tests/library/documentfixture.h"

using namespace quorvel;
using namespace quorvel::test;

class TestLibraryFollowers : public QObject
{
    Q_OBJECT

private slots:
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

QTEST_GUILESS_MAIN(TestLibraryFollowers)
#include "tst_libraryfollowers.moc"
