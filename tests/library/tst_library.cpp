#include "library/library.h"
#include "library/lines.h"
#include "tests/support/templibrary.h"
#include "tests/support/testtext.h"

#include <QTest>

#include <algorithm>

using namespace quorvel;
using quorvel::test::gbk;
using quorvel::test::TempLibrary;

class TestLibrary : public QObject
{
    Q_OBJECT

private slots:
    void splitLines_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<TextList>("lines");
        QTest::newRow("two entries") << QByteArray("a\r\nb\r\n") << TextList{Text("a"), Text("b")};
        QTest::newRow("empty entry kept")
            << QByteArray("a\r\n\r\nb") << TextList{Text("a"), Text(), Text("b")};
        QTest::newRow("no final CR LF") << QByteArray("a\r\nb") << TextList{Text("a"), Text("b")};
        QTest::newRow("empty text") << QByteArray() << TextList{};
        QTest::newRow("only CR LF") << QByteArray("\r\n") << TextList{Text()};
        QTest::newRow("lone CR and LF stay")
            << QByteArray("a\rb\nc\r\nd") << TextList{Text("a\rb\nc"), Text("d")};
        QTest::newRow("CR CR LF") << QByteArray("a\r\r\nb") << TextList{Text("a\r"), Text("b")};
        QTest::newRow("trailing lone CR") << QByteArray("a\r") << TextList{Text("a\r")};
    }
    void splitLines()
    {
        QFETCH(QByteArray, text);
        QFETCH(TextList, lines);
        QCOMPARE(quorvel::splitLines(Text::fromGbk(text)), lines);
    }

    void joinLinesEndsEveryEntryWithCrLf()
    {
        QCOMPARE(joinLines({Text("a"), Text("b")}), Text("a\r\nb\r\n"));
        QCOMPARE(joinLines({}), Text());
        QCOMPARE(joinLines({Text()}), Text("\r\n"));
    }

    void listFilesRoundTripByteForByte()
    {
        TempLibrary lib;
        const QByteArray bytes = "a\r\n\r\n\xC4\xA3\xB0\xE5\r\n\x81\x30\r\nx\ry\r\n";
        lib.writeBytes(QStringLiteral("项目/p.l"), bytes);
        const TextList entries = lib.library.readList(Folder::Projects, Text("p.l"));
        QCOMPARE(entries.size(), 5);
        QVERIFY(lib.library.writeList(Folder::Projects, Text("q.l"), entries));
        QCOMPARE(lib.readBytes(QStringLiteral("项目/q.l")), bytes);
    }

    void emptyListIsAZeroLengthFile()
    {
        TempLibrary lib;
        QVERIFY(lib.library.writeList(Folder::Projects, Text("e.l"), {}));
        QVERIFY(lib.exists(QStringLiteral("项目/e.l")));
        QCOMPARE(lib.readBytes(QStringLiteral("项目/e.l")).size(), 0);
        QVERIFY(lib.library.readList(Folder::Projects, Text("e.l")).isEmpty());
        QVERIFY(lib.library.readList(Folder::Projects, Text("missing.l")).isEmpty());
        QVERIFY(lib.library.readContent(Folder::Elements, Text("missing.txt")).isEmpty());
    }

    void contentIsWrittenVerbatim()
    {
        TempLibrary lib;
        const Text text = Text::fromGbk("a\r\nb\n\xFF");
        QVERIFY(lib.library.writeContent(Folder::Elements, gbk(QStringLiteral("人物.txt")), text));
        QCOMPARE(lib.readBytes(QStringLiteral("元素/人物.txt")), text.toGbk());
        QCOMPARE(lib.library.readContent(Folder::Elements, gbk(QStringLiteral("人物.txt"))), text);
    }

    void categoryAndContentOfOneNameCoexist()
    {
        TempLibrary lib;
        QVERIFY(lib.library.createNew(Folder::Templates, Text("t.l")));
        QVERIFY(lib.library.writeContent(Folder::Templates, Text("t.txt"), Text("x")));
        QVERIFY(lib.exists(QStringLiteral("模板/t.l")));
        QCOMPARE(lib.readBytes(QStringLiteral("模板/t.txt")), QByteArray("x"));
    }

    void namesAreUsedVerbatim()
    {
        TempLibrary lib;
        QVERIFY(lib.library.createNew(Folder::Projects, Text(" a b .l")));
        QVERIFY(lib.exists(QStringLiteral("项目/ a b .l")));
        QVERIFY(lib.library.createNew(Folder::Projects, Text(".l")));
        QVERIFY(lib.exists(QStringLiteral("项目/.l")));
    }

    // No name may reach a file outside its folder, whatever the user typed.
    void namesThatLeaveTheFolderAreRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("slash") << QByteArray("../escape.txt");
        QTest::newRow("inner slash") << QByteArray("a/b.txt");
        QTest::newRow("backslash") << QByteArray("..\\escape.txt");
        QTest::newRow("dot") << QByteArray(".");
        QTest::newRow("dot dot") << QByteArray("..");
        QTest::newRow("nul") << QByteArray("a\0b.txt", 7);
        QTest::newRow("delete") << QByteArray("a\x7f"
                                              "b.txt");
        QTest::newRow("empty") << QByteArray();
    }
    void namesThatLeaveTheFolderAreRefused()
    {
        QFETCH(QByteArray, bytes);
        const Text name = Text::fromGbk(bytes);
        TempLibrary lib;
        lib.writeBytes(QStringLiteral("escape.txt"), "outside");
        lib.writeBytes(QStringLiteral("元素/a.txt"), "inside");
        QVERIFY(!lib.library.writeContent(Folder::Elements, name, Text("x")));
        QVERIFY(!lib.library.createNew(Folder::Elements, name));
        QVERIFY(lib.library.readContent(Folder::Elements, name).isEmpty());
        QVERIFY(!lib.library.remove(Folder::Elements, name));
        QVERIFY(!lib.library.rename(Folder::Elements, Text("a.txt"), name));
        QVERIFY(!lib.library.rename(Folder::Elements, name, Text("b.txt")));
        QCOMPARE(lib.readBytes(QStringLiteral("escape.txt")), QByteArray("outside"));
        QCOMPARE(lib.readBytes(QStringLiteral("元素/a.txt")), QByteArray("inside"));
        QVERIFY(QFile::exists(lib.folders.elements));
    }

    void renameKeepsBytesAndRefusesATakenName()
    {
        TempLibrary lib;
        lib.writeBytes(QStringLiteral("元素/人物.l"), "x\r\n");
        lib.writeBytes(QStringLiteral("元素/地点.l"), "y\r\n");
        QVERIFY(!lib.library.rename(Folder::Elements, gbk(QStringLiteral("人物.l")),
                                    gbk(QStringLiteral("地点.l"))));
        QCOMPARE(lib.readBytes(QStringLiteral("元素/地点.l")), QByteArray("y\r\n"));
        QVERIFY(lib.library.rename(Folder::Elements, gbk(QStringLiteral("人物.l")),
                                   gbk(QStringLiteral("角色.l"))));
        QCOMPARE(lib.readBytes(QStringLiteral("元素/角色.l")), QByteArray("x\r\n"));
        QVERIFY(!lib.exists(QStringLiteral("元素/人物.l")));
    }

    void setUpCreatesTheMissingFolders()
    {
        TempLibrary lib(false);
        QVERIFY(!lib.exists(QStringLiteral("模板")));
        const LibraryFolders folders = setUpLibraryFolders(lib.files);
        QCOMPARE(folders.templates, lib.root() + QStringLiteral("/模板/"));
        QCOMPARE(folders.elements, lib.root() + QStringLiteral("/元素/"));
        QCOMPARE(folders.projects, lib.root() + QStringLiteral("/项目/"));
        for (const char16_t *name : {u"模板", u"元素", u"项目"})
            QVERIFY(QFileInfo(lib.path(QString::fromUtf16(name))).isDir());
        // A second start changes nothing.
        lib.writeBytes(QStringLiteral("模板/a.l"), "a\r\n");
        setUpLibraryFolders(lib.files);
        QCOMPARE(lib.readBytes(QStringLiteral("模板/a.l")), QByteArray("a\r\n"));
    }

    void categoriesListOnlyListFilesWithExtension()
    {
        TempLibrary lib;
        lib.writeBytes(QStringLiteral("模板/开端.l"), "");
        lib.writeBytes(QStringLiteral("模板/开场白.txt"), "");
        QCOMPARE(lib.library.listFiles(Folder::Templates), TextList{gbk(QStringLiteral("开端.l"))});
    }

    // A character of plane 15 in a name on disk is a character like any other: the name is
    // listed, read, written and removed as itself, never as the ASCII name it once stood for.
    void namesWithPlane15CharactersAreTheirOwn()
    {
        TempLibrary lib;
        const char32_t privateUse[] = {0xF0061};
        const QString onDisk = QString::fromUcs4(privateUse, 1) + QStringLiteral(".l");
        lib.writeBytes(QStringLiteral("元素/") + onDisk, "x\r\n");
        lib.writeBytes(QStringLiteral("元素/a.l"), "a\r\n");
        const Text name = Text::fromUnicode(onDisk);
        QVERIFY(name != Text("a.l"));
        TextList listed = lib.library.listFiles(Folder::Elements);
        std::sort(listed.begin(), listed.end());
        QCOMPARE(listed, (TextList{Text("a.l"), name}));
        QCOMPARE(lib.library.readList(Folder::Elements, name), TextList{Text("x")});
        QVERIFY(lib.library.writeList(Folder::Elements, name, {Text("y")}));
        QCOMPARE(lib.readBytes(QStringLiteral("元素/") + onDisk), QByteArray("y\r\n"));
        QVERIFY(lib.library.remove(Folder::Elements, name));
        QVERIFY(!lib.exists(QStringLiteral("元素/") + onDisk));
        QCOMPARE(lib.readBytes(QStringLiteral("元素/a.l")), QByteArray("a\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestLibrary)
#include "tst_library.moc"
