#include "platform/localfiles.h"
#include "tests/support/templibrary.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
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
        QCOMPARE(lib.files.read(lib.path(QStringLiteral("x.bin"))).value, all);
        QVERIFY(lib.files.read(lib.path(QStringLiteral("missing.txt"))).value.isEmpty());
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
            QCOMPARE(lib.files.read(lib.path(QStringLiteral("big.bin"))).value, bytes);
        }
        QVERIFY(lib.files.read(lib.folders.templates).value.isEmpty()); // a folder reads as nothing
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

    // A name that is a symbolic link is used only when the link leads to a file inside the
    // folder that holds it; any other link is refused by every operation, whatever is at its end,
    // and nothing outside the folder is read or changed.
    void linksAreFollowedOnlyInsideTheirFolder_data()
    {
        QTest::addColumn<QString>("target"); // relative to the folder 元素; "@" makes it absolute
        QTest::addColumn<bool>("inside");
        QTest::newRow("file inside") << QStringLiteral("y.txt") << true;
        QTest::newRow("file inside, absolute") << QStringLiteral("@y.txt") << true;
        QTest::newRow("file outside") << QStringLiteral("../outside.txt") << false;
        QTest::newRow("file outside, absolute") << QStringLiteral("@../outside.txt") << false;
        QTest::newRow("through a folder link") << QStringLiteral("away/outside.txt") << false;
        QTest::newRow("dangling inside") << QStringLiteral("missing.txt") << false;
        QTest::newRow("dangling outside") << QStringLiteral("/nowhere/at/all") << false;
    }
    void linksAreFollowedOnlyInsideTheirFolder()
    {
        QFETCH(QString, target);
        QFETCH(bool, inside);
        TempLibrary lib;
        lib.writeBytes(QStringLiteral("outside.txt"), "outside");
        lib.writeBytes(QStringLiteral("元素/y.txt"), "inside");
        QVERIFY(QFile::link(lib.root(), lib.path(QStringLiteral("元素/away"))));
        if (target.startsWith(u'@'))
            target = lib.path(QStringLiteral("元素/") + target.mid(1));
        QVERIFY(QFile::link(target, lib.path(QStringLiteral("元素/x.txt"))));
        const QString link = lib.path(QStringLiteral("元素/x.txt"));
        Files &files = lib.files;

        const Loaded<QByteArray> read = files.read(link);
        QCOMPARE(read.value, inside ? QByteArray("inside") : QByteArray());
        QCOMPARE(read.result.cause(),
                 inside ? FileResult::Cause::None : FileResult::Cause::OutsideFolder);
        QCOMPARE(files.key(link).has_value(), inside);
        const FileResult written = files.write(link, "new");
        QCOMPARE(written.describe(), inside ? QString() : QStringLiteral("名称不可用"));
        if (inside) {
            // The file the link leads to is replaced; the link stays a link.
            QCOMPARE(lib.readBytes(QStringLiteral("元素/y.txt")), QByteArray("new"));
            QVERIFY(QFileInfo(link).isSymLink());
            QVERIFY(files.rename(link, lib.path(QStringLiteral("元素/z.txt"))));
            return;
        }
        QCOMPARE(files.rename(link, lib.path(QStringLiteral("元素/z.txt"))).cause(),
                 FileResult::Cause::OutsideFolder);
        QCOMPARE(files.remove(link).cause(), FileResult::Cause::OutsideFolder);
        QCOMPARE(files.create(link).systemError(), EEXIST);
        QCOMPARE(lib.readBytes(QStringLiteral("outside.txt")), QByteArray("outside"));
        QVERIFY(!QFile::exists(QStringLiteral("/nowhere/at/all")));
        QVERIFY(QFileInfo(link).isSymLink());
    }

    // The size a file claims is not what is allocated: a sparse file of a terabyte, or just over
    // the largest size read, is refused as too large at once.
    void filesLargerThanTheLimitAreRefusedUnread_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::newRow("1 TiB") << (qint64(1) << 40);
        QTest::newRow("one byte over the limit") << Files::LargestReadable + 1;
    }
    void filesLargerThanTheLimitAreRefusedUnread()
    {
        QFETCH(qint64, size);
        TempLibrary lib;
        const QByteArray path = QFile::encodeName(lib.path(QStringLiteral("元素/big.txt")));
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, QByteArray(20000, 'x').constData(), 20000), 20000);
        QCOMPARE(::ftruncate(fd, size), 0);
        ::close(fd);
        const Loaded<QByteArray> read = lib.files.read(lib.path(QStringLiteral("元素/big.txt")));
        QCOMPARE(read.result.cause(), FileResult::Cause::TooLarge);
        QVERIFY(read.value.isEmpty());
    }

    // create() makes a file only while nothing has the name: what another program put there a
    // moment before stays, and a link is never followed to make a file at its end.
    void createKeepsWhateverHasTheName()
    {
        TempLibrary lib;
        const QString path = lib.path(QStringLiteral("a.txt"));
        QVERIFY(lib.files.create(path));
        QVERIFY(lib.exists(QStringLiteral("a.txt")));
        QCOMPARE(lib.readBytes(QStringLiteral("a.txt")), QByteArray());
        lib.writeBytes(QStringLiteral("a.txt"), "written meanwhile");
        QCOMPARE(lib.files.create(path).systemError(), EEXIST);
        QCOMPARE(lib.readBytes(QStringLiteral("a.txt")), QByteArray("written meanwhile"));
        QVERIFY(QFile::link(lib.path(QStringLiteral("made-outside.txt")),
                            lib.path(QStringLiteral("元素/b.txt"))));
        QCOMPARE(lib.files.create(lib.path(QStringLiteral("元素/b.txt"))).systemError(), EEXIST);
        QVERIFY(!lib.exists(QStringLiteral("made-outside.txt")));
    }

    // What interrupted saves left is ours to find: never listed, and removed by the first save
    // into its folder once it is an hour old (a younger one may be a save still under way).
    void oldLeftoversOfSavesAreRemoved()
    {
        TempLibrary lib;
        const QString prefix = QString::fromLatin1(LocalFiles::TemporaryPrefix);
        lib.writeBytes(QStringLiteral("元素/") + prefix + QStringLiteral("Old123"), "old copy");
        lib.writeBytes(QStringLiteral("元素/") + prefix + QStringLiteral("New123"), "new copy");
        const QByteArray old = QFile::encodeName(
            lib.path(QStringLiteral("元素/") + prefix + QStringLiteral("Old123")));
        const timespec twoHoursAgo[2] = {{::time(nullptr) - 7200, 0}, {::time(nullptr) - 7200, 0}};
        QCOMPARE(::utimensat(AT_FDCWD, old.constData(), twoHoursAgo, 0), 0);
        QVERIFY(lib.files.enumerate(lib.folders.elements, QStringLiteral("*.l")).isEmpty());
        QVERIFY(lib.files.enumerate(lib.folders.elements, QStringLiteral("*.txt")).isEmpty());
        QVERIFY(lib.files.write(lib.path(QStringLiteral("元素/a.txt")), "a"));
        QVERIFY(!lib.exists(QStringLiteral("元素/") + prefix + QStringLiteral("Old123")));
        QVERIFY(lib.exists(QStringLiteral("元素/") + prefix + QStringLiteral("New123")));
    }

    // The clean-up takes only the exact form of its own temporaries: an hour-old file whose name
    // merely starts like one (an element or list a user named so, with its extension) stays.
    void leftoverCleanUpTakesOnlyItsOwnForm_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("removed");
        const QString prefix = QString::fromLatin1(LocalFiles::TemporaryPrefix);
        QTest::newRow("our temporary") << prefix + u"aZ09bY"_qs << true;
        QTest::newRow("element named like one") << prefix + u"ab.txt"_qs << false;
        QTest::newRow("category named like one") << prefix + u"abcd.l"_qs << false;
        QTest::newRow("other characters") << prefix + u"ab-c_d"_qs << false;
        QTest::newRow("five letters") << prefix + u"abcde"_qs << false;
        QTest::newRow("seven letters") << prefix + u"abcdefg"_qs << false;
    }
    void leftoverCleanUpTakesOnlyItsOwnForm()
    {
        QFETCH(QString, name);
        QFETCH(bool, removed);
        TempLibrary lib;
        const QString path = u"元素/"_qs + name;
        lib.writeBytes(path, "kept?");
        const timespec twoHoursAgo[2] = {{::time(nullptr) - 7200, 0}, {::time(nullptr) - 7200, 0}};
        QCOMPARE(
            ::utimensat(AT_FDCWD, QFile::encodeName(lib.path(path)).constData(), twoHoursAgo, 0),
            0);
        QVERIFY(lib.files.write(lib.path(u"元素/a.txt"_qs), "a"));
        QCOMPARE(!lib.exists(path), removed);
        QCOMPARE(LocalFiles::isTemporaryName(QFile::encodeName(name)), removed);
    }
};

QTEST_GUILESS_MAIN(TestLocalFiles)
#include "tst_localfiles.moc"
