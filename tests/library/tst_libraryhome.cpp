// Where the library lives: beside a program in a folder it can write, else the user's own,
// created once from the sample library and never over anything already there.

#include "library/libraryhome.h"
#include "platform/localfiles.h"
#include "tests/support/templibrary.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// Files whose rename first lets "another start" make the library, as one started at the same
// moment would: an empty folder, which a plain rename would replace.
class RacedFiles : public LocalFiles
{
public:
    using LocalFiles::LocalFiles;
    FileResult rename(const QString &from, const QString &to) override
    {
        QDir().mkpath(to);
        return LocalFiles::rename(from, to);
    }
};

struct Fixture
{
    Fixture()
    {
        sample.writeBytes(QStringLiteral("元素/人.txt"), gbk(QStringLiteral("老人\r\n孩子")));
        sample.writeBytes(QStringLiteral("项目/故事.l"), gbk(QStringLiteral("开头\r\n")));
        places = {program.path(), false, data.path() + QStringLiteral("/a/b"), sample.root()};
    }
    QString user() const { return places.userDataFolder + QStringLiteral("/quorvel"); }
    // What the data folder holds, hidden and dangling entries too: nothing may be left over.
    QStringList dataEntries() const
    {
        return QDir(places.userDataFolder)
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    TempLibrary sample;
    QTemporaryDir program;
    QTemporaryDir data;
    LocalFiles files{program.path()};
    LibraryPlaces places;
};

} // namespace

class TestLibraryHome : public QObject
{
    Q_OBJECT

private slots:
    void writableProgramFolderKeepsLibraryBeside()
    {
        Fixture f;
        f.places.programFolderWritable = true;
        QCOMPARE(findLibraryHome(f.files, f.places).folder, f.program.path());
        QVERIFY(!QFile::exists(f.places.userDataFolder));
    }

    void firstStartCopiesSampleOnceAndNeverAgain()
    {
        Fixture f;
        LibraryHome home = findLibraryHome(f.files, f.places);
        QCOMPARE(home.folder, f.user());
        QVERIFY(home.created);
        QCOMPARE(home.problem, QString());
        QFile copied(f.user() + QStringLiteral("/元素/人.txt"));
        QVERIFY(copied.open(QIODevice::ReadOnly));
        QCOMPARE(copied.readAll(), f.sample.readBytes(QStringLiteral("元素/人.txt")));
        QVERIFY(QFile::exists(f.user() + QStringLiteral("/项目/故事.l")));
        QCOMPARE(f.dataEntries(), QStringList{QStringLiteral("quorvel")});

        // The user's changes stay, whatever the sample library holds now.
        QVERIFY(copied.remove());
        home = findLibraryHome(f.files, f.places);
        QVERIFY(!home.created);
        QVERIFY(!QFile::exists(copied.fileName()));
    }

    // Anything of the library's name is the user's, even an empty folder, which a plain rename
    // (as in a start that made it meanwhile) would replace. What is not a folder is left as it
    // is too, and told: no library can be made there.
    void neverCopiesOverWhatHasTheName_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("usable");
        for (const char *kind : {"folder", "link to a folder", "made meanwhile"})
            QTest::newRow(kind) << QString::fromLatin1(kind) << true;
        for (const char *kind : {"file", "dangling link"})
            QTest::newRow(kind) << QString::fromLatin1(kind) << false;
    }
    void neverCopiesOverWhatHasTheName()
    {
        QFETCH(QString, kind);
        QFETCH(bool, usable);
        Fixture f;
        RacedFiles raced(f.program.path());
        QVERIFY(QDir().mkpath(f.places.userDataFolder));
        if (kind == u"folder")
            QVERIFY(QDir().mkdir(f.user()));
        else if (kind == u"link to a folder")
            QVERIFY(QDir().mkdir(f.data.path() + u"/elsewhere"_qs) &&
                    QFile::link(f.data.path() + u"/elsewhere"_qs, f.user()));
        else if (kind == u"file")
            QVERIFY(QFile(f.user()).open(QIODevice::WriteOnly));
        else if (kind == u"dangling link")
            QVERIFY(QFile::link(QStringLiteral("nowhere"), f.user()));
        const LibraryHome home =
            findLibraryHome(kind == u"made meanwhile" ? raced : f.files, f.places);
        QCOMPARE(home.folder, f.user());
        QVERIFY(!home.created);
        QCOMPARE(home.usable, usable);
        QCOMPARE(home.problem,
                 usable ? QString()
                        : u"无法建立素材库“%1”（从示例素材库“%2”复制）。\r\n"
                          u"该位置已有同名的文件，不是文件夹"_qs.arg(f.user(), f.sample.root()));
        QCOMPARE(f.dataEntries(), QStringList{QStringLiteral("quorvel")});
        QVERIFY(!QFileInfo(f.user()).isDir() || QDir(f.user()).isEmpty());
    }

    // What an interrupted first start left beside the library goes at the next start, whether
    // that start copies the library or finds it there; only a folder of exactly that form, with
    // nothing but library folders in it and unchanged for an hour, is taken for one.
    void nextStartRemovesAbandonedCopies_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("inside"); // a file in it, under one of its folders or not
        QTest::addColumn<int>("age");        // seconds since it last changed
        QTest::addColumn<bool>("removed");
        QTest::newRow("abandoned copy")
            << u".quorvel-new-a1b2c3"_qs << u"元素/人.txt"_qs << 7200 << true;
        QTest::newRow("abandoned at its start")
            << u".quorvel-new-a1b2c3"_qs << QString() << 7200 << true;
        QTest::newRow("copy under way")
            << u".quorvel-new-a1b2c3"_qs << u"元素/人.txt"_qs << 60 << false;
        QTest::newRow("holds something else")
            << u".quorvel-new-a1b2c3"_qs << u"笔记.txt"_qs << 7200 << false;
        QTest::newRow("another name")
            << u".quorvel-new-a1b2c3d"_qs << u"元素/人.txt"_qs << 7200 << false;
    }
    void nextStartRemovesAbandonedCopies()
    {
        QFETCH(QString, name);
        QFETCH(QString, inside);
        QFETCH(int, age);
        QFETCH(bool, removed);
        for (const bool libraryThere : {false, true}) {
            Fixture f;
            if (libraryThere)
                QVERIFY(QDir().mkpath(f.user() + u"/元素"_qs));
            const QString left = f.places.userDataFolder + u'/' + name;
            QVERIFY(QDir().mkpath(left));
            QStringList touched{left};
            if (!inside.isEmpty()) {
                QVERIFY(QDir().mkpath(QFileInfo(left + u'/' + inside).path()));
                QVERIFY(QFile(left + u'/' + inside).open(QIODevice::WriteOnly));
                touched.prepend(QFileInfo(left + u'/' + inside).path());
            }
            const timespec then[2] = {{::time(nullptr) - age, 0}, {::time(nullptr) - age, 0}};
            for (const QString &path : touched)
                QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), then, 0), 0);
            QCOMPARE(findLibraryHome(f.files, f.places).folder, f.user());
            QCOMPARE(!QFileInfo::exists(left), removed);
            QVERIFY(QFileInfo(f.user() + u"/元素"_qs).isDir());
        }
    }

    void failureIsToldWithItsCause()
    {
        Fixture f;
        // A file where the data folder should be: no folder can be made under it, even by root.
        QVERIFY(QFile(f.data.path() + QStringLiteral("/a")).open(QIODevice::WriteOnly));
        const LibraryHome home = findLibraryHome(f.files, f.places);
        QCOMPARE(home.folder, f.user());
        QVERIFY(!home.created);
        QVERIFY(!home.usable);
        const QString told = QStringLiteral("无法建立素材库“%1”（从示例素材库“%2”复制）。\r\n")
                                 .arg(f.user(), f.sample.root());
        QVERIFY2(home.problem.startsWith(told) && home.problem.size() > told.size(),
                 qPrintable(home.problem));
    }

    void userDataFolderFollowsXdg_data()
    {
        QTest::addColumn<QByteArray>("dataHome");
        QTest::addColumn<QString>("expected"); // "~" stands for HOME
        QTest::newRow("set") << QByteArray("/srv/data/") << QStringLiteral("/srv/data");
        QTest::newRow("unset") << QByteArray() << QStringLiteral("~/.local/share");
        QTest::newRow("relative") << QByteArray("data") << QStringLiteral("~/.local/share");
    }
    void userDataFolderFollowsXdg()
    {
        QFETCH(QByteArray, dataHome);
        QFETCH(QString, expected);
        QTemporaryDir home;
        qputenv("HOME", home.path().toUtf8());
        if (dataHome.isEmpty())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", dataHome);
        const LibraryPlaces places = LibraryPlaces::forProgram(
            home.path() + QStringLiteral("/lib/quorvel"), QStringLiteral("../../share/examples"));
        QCOMPARE(places.userDataFolder, expected.replace(u'~', home.path()));
        QCOMPARE(places.sampleLibrary, home.path() + QStringLiteral("/share/examples"));
    }
};

QTEST_GUILESS_MAIN(TestLibraryHome)
#include "tst_libraryhome.moc"
