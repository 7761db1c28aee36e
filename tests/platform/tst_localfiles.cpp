#include "platform/localfiles.h"
#include "tests/support/templibrary.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <unistd.h>

using namespace quorvel;
using quorvel::test::TempLibrary;

class TestLocalFiles : public QObject
{
    Q_OBJECT

private slots:
    void readGivesEveryByteAndNothingForAMissingFile()
    {
        TempLibrary lib;
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        lib.writeBytes(QStringLiteral("x.bin"), all);
        QCOMPARE(lib.files.read(lib.path(QStringLiteral("x.bin"))), all);
        QVERIFY(lib.files.read(lib.path(QStringLiteral("missing.txt"))).isEmpty());
    }

    // Small files are read in one go, larger ones in several: every size around the seams.
    void readGivesWholeFilesOfEverySize()
    {
        TempLibrary lib;
        for (const qsizetype size : {1, 16383, 16384, 16385, 32768, 32769, 1000000}) {
            QByteArray bytes(size, Qt::Uninitialized);
            for (qsizetype i = 0; i < size; ++i)
                bytes[i] = char((i * 7919) >> 3);
            lib.writeBytes(QStringLiteral("big.bin"), bytes);
            QCOMPARE(lib.files.read(lib.path(QStringLiteral("big.bin"))), bytes);
        }
        QVERIFY(lib.files.read(lib.folders.templates).isEmpty()); // a folder reads as nothing
    }

    void writeCreatesAndReplacesWhole()
    {
        TempLibrary lib;
        const QString path = lib.path(QStringLiteral("a.txt"));
        QVERIFY(lib.files.write(path, "long old content\r\n"));
        QVERIFY(lib.files.write(path, "new"));
        QCOMPARE(lib.readBytes(QStringLiteral("a.txt")), QByteArray("new"));
        QVERIFY(lib.files.write(path, QByteArray()));
        QVERIFY(lib.exists(QStringLiteral("a.txt")));
        QCOMPARE(lib.readBytes(QStringLiteral("a.txt")).size(), 0);
    }

    // A write that cannot finish must leave the old file as it was, with no temporary file left.
    void failedWriteLeavesTheOldFile()
    {
        if (::geteuid() == 0)
            QSKIP("root ignores folder permissions");
        TempLibrary lib;
        lib.writeBytes(QStringLiteral("keep.txt"), "old");
        QFile::setPermissions(lib.root(), QFile::ReadOwner | QFile::ExeOwner);
        const bool written = !!lib.files.write(lib.path(QStringLiteral("keep.txt")), "new");
        QFile::setPermissions(lib.root(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!written);
        QCOMPARE(lib.readBytes(QStringLiteral("keep.txt")), QByteArray("old"));
    }

    void writeIntoAMissingFolderFails()
    {
        TempLibrary lib;
        QVERIFY(!lib.files.write(lib.path(QStringLiteral("nowhere/a.txt")), "x"));
    }

    void renameNeverReplacesAnExistingFile()
    {
        TempLibrary lib;
        lib.writeBytes(QStringLiteral("a.l"), "a\r\n");
        lib.writeBytes(QStringLiteral("b.l"), "b\r\n");
        QVERIFY(
            !lib.files.rename(lib.path(QStringLiteral("a.l")), lib.path(QStringLiteral("b.l"))));
        QCOMPARE(lib.readBytes(QStringLiteral("a.l")), QByteArray("a\r\n"));
        QCOMPARE(lib.readBytes(QStringLiteral("b.l")), QByteArray("b\r\n"));

        QVERIFY(lib.files.rename(lib.path(QStringLiteral("a.l")), lib.path(QStringLiteral("c.l"))));
        QVERIFY(!lib.exists(QStringLiteral("a.l")));
        QCOMPARE(lib.readBytes(QStringLiteral("c.l")), QByteArray("a\r\n"));
        QVERIFY(
            !lib.files.rename(lib.path(QStringLiteral("gone.l")), lib.path(QStringLiteral("d.l"))));
    }

    void existsSeesFilesAndFoldersWithTrailingSeparator()
    {
        TempLibrary lib;
        QVERIFY(lib.files.exists(lib.folders.templates));
        QVERIFY(lib.folders.templates.endsWith(u'/'));
        QVERIFY(lib.files.exists(lib.root()));
        QVERIFY(!lib.files.exists(lib.path(QStringLiteral("none.txt"))));
    }

    void removeDeletesFilesButNeverFolders()
    {
        TempLibrary lib;
        lib.writeBytes(QStringLiteral("a.txt"), "a");
        QVERIFY(lib.files.remove(lib.path(QStringLiteral("a.txt"))));
        QVERIFY(!lib.exists(QStringLiteral("a.txt")));
        QVERIFY(!lib.files.remove(lib.folders.templates));
        QVERIFY(QDir(lib.folders.templates).exists());
    }

    void enumerateListsMatchingFilesOnly()
    {
        TempLibrary lib;
        lib.writeBytes(QStringLiteral("模板/一.l"), "");
        lib.writeBytes(QStringLiteral("模板/二.l"), "");
        lib.writeBytes(QStringLiteral("模板/二.txt"), "");
        QDir().mkpath(lib.path(QStringLiteral("模板/folder.l")));
        QStringList names = lib.files.enumerate(lib.folders.templates, QStringLiteral("*.l"));
        names.sort();
        QCOMPARE(names, QStringList({QStringLiteral("一.l"), QStringLiteral("二.l")}));
    }
};

QTEST_GUILESS_MAIN(TestLocalFiles)
#include "tst_localfiles.moc"
