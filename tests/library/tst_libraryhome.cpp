// Where the library lives: beside a program in a folder it can write, else the user's own,
// created once from the sample library and never over anything already there.

#include "library/libraryhome.h"
#include "platform/localfiles.h"
#include "tests/support/templibrary.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// Files whose rename first lets "another start" make the library, as a second instance started
// at the same moment would.
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
        sample.writeBytes(QStringLiteral("模板/开头.txt"), gbk(QStringLiteral("从前有个[人]。")));
        sample.writeBytes(QStringLiteral("项目/故事.l"), gbk(QStringLiteral("开头\r\n")));
        places.programFolder = program.path();
        places.programFolderWritable = false;
        places.userDataFolder = data.path() + QStringLiteral("/a/b");
        places.sampleLibrary = sample.root();
    }
    QString user() const { return places.userDataFolder + QStringLiteral("/quorvel"); }
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

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

} // namespace

class TestLibraryHome : public QObject
{
    Q_OBJECT

private slots:
    void writableProgramFolderKeepsLibraryBeside()
    {
        Fixture f;
        f.places.programFolderWritable = true;
        const LibraryHome home = findLibraryHome(f.files, f.places);
        QCOMPARE(home.folder, f.program.path());
        QVERIFY(!home.created);
        QCOMPARE(home.problem, QString());
        QVERIFY(!QFile::exists(f.places.userDataFolder));
    }

    void firstStartCopiesSampleOnceAndNeverAgain()
    {
        Fixture f;
        LibraryHome home = findLibraryHome(f.files, f.places);
        QCOMPARE(home.folder, f.user());
        QVERIFY(home.created);
        QCOMPARE(home.problem, QString());
        for (const char *name : {"元素/人.txt", "模板/开头.txt", "项目/故事.l"}) {
            const QString relative = QString::fromUtf8(name);
            QCOMPARE(readAll(f.user() + u'/' + relative), f.sample.readBytes(relative));
        }
        QCOMPARE(f.dataEntries(), QStringList{QStringLiteral("quorvel")}); // nothing left over

        // The user's changes stay, whatever the sample library holds now.
        QFile::remove(f.user() + QStringLiteral("/元素/人.txt"));
        f.sample.writeBytes(QStringLiteral("元素/新.txt"), QByteArray("x"));
        home = findLibraryHome(f.files, f.places);
        QCOMPARE(home.folder, f.user());
        QVERIFY(!home.created);
        QVERIFY(!QFile::exists(f.user() + QStringLiteral("/元素/人.txt")));
        QVERIFY(!QFile::exists(f.user() + QStringLiteral("/元素/新.txt")));
    }

    // Anything of the library's name is the user's: an empty folder, a file, a dangling link.
    void neverCopiesOverWhatHasTheName_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("empty folder") << QStringLiteral("folder");
        QTest::newRow("file") << QStringLiteral("file");
        QTest::newRow("dangling link") << QStringLiteral("link");
    }
    void neverCopiesOverWhatHasTheName()
    {
        QFETCH(QString, kind);
        Fixture f;
        QVERIFY(QDir().mkpath(f.places.userDataFolder));
        if (kind == u"folder")
            QVERIFY(QDir().mkdir(f.user()));
        else if (kind == u"file")
            QVERIFY(QFile(f.user()).open(QIODevice::WriteOnly));
        else
            QVERIFY(QFile::link(QStringLiteral("nowhere"), f.user()));
        const LibraryHome home = findLibraryHome(f.files, f.places);
        QCOMPARE(home.folder, f.user());
        QVERIFY(!home.created);
        QCOMPARE(home.problem, QString());
        QCOMPARE(f.dataEntries(), QStringList{QStringLiteral("quorvel")});
        if (kind == u"folder")
            QVERIFY(QDir(f.user()).isEmpty());
    }

    // The library appears between the look and the rename: the rename must refuse, even over an
    // empty folder, which a plain rename would replace.
    void libraryMadeMeanwhileIsKept()
    {
        Fixture f;
        RacedFiles files(f.program.path());
        const LibraryHome home = findLibraryHome(files, f.places);
        QCOMPARE(home.folder, f.user());
        QVERIFY(!home.created);
        QCOMPARE(home.problem, QString());
        QVERIFY(QDir(f.user()).isEmpty());
        QCOMPARE(f.dataEntries(), QStringList{QStringLiteral("quorvel")});
    }

    void failureIsToldWithItsCause()
    {
        Fixture f;
        // A file where the data folder should be: no folder can be made under it, even by root.
        QVERIFY(QFile(f.data.path() + QStringLiteral("/a")).open(QIODevice::WriteOnly));
        const LibraryHome home = findLibraryHome(f.files, f.places);
        QCOMPARE(home.folder, f.user());
        QVERIFY(!home.created);
        QVERIFY2(home.problem.startsWith(
                     QStringLiteral("无法建立素材库“%1”（从示例素材库“%2”复制）。\r\n")
                         .arg(f.user(), f.sample.root())),
                 qPrintable(home.problem));
        QVERIFY(home.problem.size() > home.problem.indexOf(u'\n') + 1); // the cause follows
    }

    void missingSampleGivesEmptyLibraryAndSaysSo()
    {
        Fixture f;
        f.places.sampleLibrary = f.data.path() + QStringLiteral("/none");
        const LibraryHome home = findLibraryHome(f.files, f.places);
        QVERIFY(home.created);
        QCOMPARE(home.problem, QStringLiteral("找不到示例素材库“%1”，新建的素材库“%2”是空的。")
                                   .arg(f.places.sampleLibrary, f.user()));
        for (const char *folder : {"模板", "元素", "项目"}) {
            const QString path = f.user() + u'/' + QString::fromUtf8(folder);
            QVERIFY(QFileInfo(path).isDir() && QDir(path).isEmpty());
        }
    }

    void placesComeFromTheEnvironment_data()
    {
        QTest::addColumn<QByteArray>("dataHome");
        QTest::addColumn<QString>("expected"); // "~" stands for HOME
        QTest::newRow("set") << QByteArray("/srv/data/") << QStringLiteral("/srv/data");
        QTest::newRow("unset") << QByteArray() << QStringLiteral("~/.local/share");
        QTest::newRow("relative") << QByteArray("data") << QStringLiteral("~/.local/share");
    }
    void placesComeFromTheEnvironment()
    {
        QFETCH(QByteArray, dataHome);
        QFETCH(QString, expected);
        QTemporaryDir home;
        qputenv("HOME", home.path().toUtf8());
        if (dataHome.isEmpty())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", dataHome);
        const LibraryPlaces places =
            LibraryPlaces::forProgram(home.path() + QStringLiteral("/lib/quorvel"),
                                      QStringLiteral("../../share/quorvel/examples"));
        QCOMPARE(places.userDataFolder, expected.replace(u'~', home.path()));
        QCOMPARE(places.sampleLibrary, home.path() + QStringLiteral("/share/quorvel/examples"));
        QVERIFY(!places.programFolderWritable); // it does not exist
        QVERIFY(LibraryPlaces::forProgram(home.path(), QString()).programFolderWritable);
    }
};

QTEST_GUILESS_MAIN(TestLibraryHome)
#include "tst_libraryhome.moc"
