// The desktop's trash: a deleted file lies in Trash/files beside a valid info file, comes back to
// its name with its very bytes, and never takes or gives a name that is taken. Where the trash
// cannot be made, the library's hidden folder keeps the file.
#include "platform/desktoptrash.h"
#include "platform/localfiles.h"
#include "tests/support/templibrary.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include <cerrno>

using namespace quorvel;
using quorvel::test::TempLibrary;

namespace {

// Bytes no text codec would keep.
const QByteArray Odd = QByteArrayLiteral("\xff\xfe\r\nno end\x80");

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

QStringList namesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

class TestTrash : public QObject
{
    Q_OBJECT

private slots:
    // Where the file goes, by what stands in the trash already, and how it comes back.
    void deleteAndRestore_data()
    {
        QTest::addColumn<QString>("file");      // in the library folder
        QTest::addColumn<QString>("trashedAs"); // the name in files/
        QTest::addColumn<bool>("trashIsAFile"); // $XDG_DATA_HOME/Trash is a plain file
        QTest::addColumn<bool>("taken");        // a file of the name is in the trash already
        QTest::newRow("home trash") << u"天气.txt"_qs << u"天气.txt"_qs << false << false;
        QTest::newRow("name taken in the trash")
            << u"天气.txt"_qs << u"天气.txt.2"_qs << false << true;
        QTest::newRow("spaces and percent") << u"a b%.l"_qs << u"a b%.l"_qs << false << false;
        QTest::newRow("no trash: the library keeps it")
            << u"人物.l"_qs << u"人物.l"_qs << true << false;
    }
    void deleteAndRestore()
    {
        QFETCH(QString, file);
        QFETCH(QString, trashedAs);
        QFETCH(bool, trashIsAFile);
        QFETCH(bool, taken);
        TempLibrary lib;
        const QString home = QFileInfo(lib.trash()).path();
        if (trashIsAFile)
            QVERIFY(QFile(lib.trash()).open(QIODevice::WriteOnly));
        if (taken) {
            QVERIFY(QDir().mkpath(lib.trash() + u"/files"_qs) &&
                    QDir().mkpath(lib.trash() + u"/info"_qs));
            QFile other(lib.trash() + u"/files/"_qs + file);
            QVERIFY(other.open(QIODevice::WriteOnly) && other.write("other") == 5);
            QFile info(lib.trash() + u"/info/"_qs + file + u".trashinfo"_qs);
            QVERIFY(info.open(QIODevice::WriteOnly));
        }
        const QString trash = trashIsAFile ? lib.root() + u"/.quorvel-trash"_qs : lib.trash();
        lib.writeBytes(file, Odd);
        const QString path = lib.path(file);

        LocalFiles files(lib.root()); // the data home as the environment names it now
        const TrashResult moved = files.moveToTrash(path);
        QVERIFY(moved.result);
        QVERIFY(!lib.exists(file));
        QCOMPARE(moved.file.path, trash + u"/files/"_qs + trashedAs);
        QCOMPARE(readAll(moved.file.path), Odd);
        QCOMPARE(moved.file.infoPath, trash + u"/info/"_qs + trashedAs + u".trashinfo"_qs);
        const QByteArray info = readAll(moved.file.infoPath);
        const QRegularExpression form(
            u"^\\[Trash Info\\]\\nPath=([!-~]+)\\n"
            u"DeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\n$"_qs);
        const QRegularExpressionMatch match = form.match(QString::fromLatin1(info));
        QVERIFY2(match.hasMatch(), info.constData());
        QCOMPARE(QString::fromUtf8(QByteArray::fromPercentEncoding(match.captured(1).toLatin1())),
                 path);
        QVERIFY(!match.captured(1).contains(u' '));
        if (trashIsAFile)
            QCOMPARE(readAll(lib.trash()), QByteArray()); // left as it was
        QVERIFY(QFileInfo(home).isDir());

        // Back to its name, its info file gone; what else the trash held stays.
        QVERIFY(files.restoreFromTrash(moved.file, path));
        QCOMPARE(readAll(path), Odd);
        QCOMPARE(namesIn(trash + u"/files"_qs), taken ? QStringList{file} : QStringList{});
        QCOMPARE(namesIn(trash + u"/info"_qs),
                 taken ? QStringList{file + u".trashinfo"_qs} : QStringList{});
    }

    // A restore never writes over a file that took the name, and a file gone from the trash
    // says so: either way nothing changes.
    void restoreChangesNothingItCannotFinish()
    {
        TempLibrary lib;
        lib.writeBytes(u"x.txt"_qs, Odd);
        LocalFiles files(lib.root());
        const TrashResult moved = files.moveToTrash(lib.path(u"x.txt"_qs));
        QVERIFY(moved.result);
        lib.writeBytes(u"x.txt"_qs, "new");
        QVERIFY(files.restoreFromTrash(moved.file, lib.path(u"x.txt"_qs)).isSystemError(EEXIST));
        QCOMPARE(readAll(lib.path(u"x.txt"_qs)), QByteArray("new"));
        QCOMPARE(readAll(moved.file.path), Odd);
        QVERIFY(QFile::exists(moved.file.infoPath));

        QVERIFY(QFile::remove(lib.path(u"x.txt"_qs)) && QFile::remove(moved.file.path));
        QVERIFY(files.restoreFromTrash(moved.file, lib.path(u"x.txt"_qs)).isSystemError(ENOENT));
        QVERIFY(!lib.exists(u"x.txt"_qs));
        QVERIFY(QFile::exists(moved.file.infoPath));
    }

    // A missing file is no delete; nor is one the trash refuses, which stays where it was.
    void aFileThatCannotGoStays()
    {
        TempLibrary lib;
        LocalFiles files(lib.root());
        QVERIFY(files.moveToTrash(lib.path(u"gone.txt"_qs)).result.isSystemError(ENOENT));
        // Neither the trash nor the keeping folder can be made: both names are plain files.
        lib.writeBytes(u"y.txt"_qs, "Y");
        lib.writeBytes(u".quorvel-trash"_qs, "");
        QVERIFY(QFile(lib.trash()).open(QIODevice::WriteOnly));
        QVERIFY(!files.moveToTrash(lib.path(u"y.txt"_qs)).result);
        QCOMPARE(readAll(lib.path(u"y.txt"_qs)), QByteArray("Y"));
    }
};

QTEST_GUILESS_MAIN(TestTrash)
#include "tst_trash.moc"
