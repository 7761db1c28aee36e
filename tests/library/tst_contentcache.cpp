// The content cache against the file system: whatever changes a file between two uses, and by
// whatever means, the next use gives exactly what reading the file afresh gives.
#include "library/contentcache.h"
#include "library/lines.h"
#include "tests/support/templibrary.h"
#include "tests/support/testtext.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <QThread>

#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

using namespace quorvel;
using namespace quorvel::test;

namespace {

enum class Change
{
    ReplaceAndRename, // a new file put in place of the old, as the editor saves
    InPlaceSameSize,  // other bytes written over the old ones, the size kept
    TruncateAndWrite, // emptied and written again
    DeleteAndCreate,  // removed, then made anew under the same name
    TimesSetBack,     // written in place, then its times set back to what they were
    ThroughHardLink,  // written in place through a hard link in another folder
};

QByteArray contentFor(std::mt19937 &random, qsizetype size)
{
    static constexpr char Pieces[] = "ab\r\n";
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &b : bytes)
        b = Pieces[random() % 4];
    return bytes;
}

void writeInPlace(const QByteArray &path, const QByteArray &bytes, bool truncate)
{
    const int fd = ::open(path.constData(), O_WRONLY | (truncate ? O_TRUNC : 0));
    if (fd < 0 || ::pwrite(fd, bytes.constData(), size_t(bytes.size()), 0) != bytes.size())
        qFatal("cannot write a test file in place");
    ::close(fd);
}

} // namespace

Q_DECLARE_METATYPE(Change)

class TestContentCache : public QObject
{
    Q_OBJECT

private slots:
    void everyUseSeesTheFileAsItIsNow_data()
    {
        QTest::addColumn<Change>("change");
        QTest::newRow("replace and rename") << Change::ReplaceAndRename;
        QTest::newRow("in place, same size") << Change::InPlaceSameSize;
        QTest::newRow("truncate and write") << Change::TruncateAndWrite;
        QTest::newRow("delete and create") << Change::DeleteAndCreate;
        QTest::newRow("times set back") << Change::TimesSetBack;
        QTest::newRow("through a hard link") << Change::ThroughHardLink;
    }
    // Each change is made right after a use, the moment a cache is most easily fooled; every
    // few rounds the files are left alone long enough to be trusted, so that held bytes are
    // really used (and seen to be, as the same object).
    void everyUseSeesTheFileAsItIsNow()
    {
        QFETCH(Change, change);
        TempLibrary lib;
        QVERIFY(QDir().mkpath(lib.path(QStringLiteral("other"))));
        std::mt19937 random(20261209);
        constexpr int Files = 3;
        const auto relative = [](int i) { return QStringLiteral("元素/e%1.txt").arg(i); };
        // Each file has a second name, a hard link in a folder outside the library.
        for (int i = 0; i < Files; ++i) {
            lib.writeBytes(relative(i), contentFor(random, 64));
            QCOMPARE(
                ::link(QFile::encodeName(lib.path(relative(i))).constData(),
                       QFile::encodeName(lib.path(QStringLiteral("other/e%1").arg(i))).constData()),
                0);
        }
        ContentCache cache(lib.library);
        std::shared_ptr<const ContentLines> previous[Files];
        int reused = 0;
        for (int round = 0; round < 120; ++round) {
            if (round % 8 == 0)
                QThread::msleep(30);
            const int used = int(random() % Files);
            const Text fileName = Text::fromUnicode(QStringLiteral("e%1.txt").arg(used));
            const std::shared_ptr<const ContentLines> content =
                cache.load(Folder::Elements, fileName);
            const QByteArray fresh = lib.readBytes(relative(used));
            QCOMPARE(content->text().toGbk(), fresh);
            const TextList lines = splitLines(Text::fromGbk(fresh));
            QCOMPARE(content->count(), int(lines.size()));
            for (int i = 0; i < content->count(); ++i)
                QCOMPARE(Text::fromGbk(content->line(i)), lines.at(i));
            reused += content == previous[used];
            previous[used] = content;

            const int changed = int(random() % Files);
            const QByteArray path = QFile::encodeName(lib.path(relative(changed)));
            const QByteArray old = lib.readBytes(relative(changed));
            switch (change) {
            case Change::ReplaceAndRename:
                QVERIFY(lib.files.write(lib.path(relative(changed)),
                                        contentFor(random, 1 + random() % 128)));
                break;
            case Change::InPlaceSameSize:
                writeInPlace(path, contentFor(random, old.size()), false);
                break;
            case Change::TruncateAndWrite:
                writeInPlace(path, contentFor(random, 1 + random() % 128), true);
                break;
            case Change::DeleteAndCreate:
                QCOMPARE(::unlink(path.constData()), 0);
                lib.writeBytes(relative(changed), contentFor(random, 1 + random() % 128));
                break;
            case Change::TimesSetBack: {
                struct stat before;
                QCOMPARE(::stat(path.constData(), &before), 0);
                writeInPlace(path, contentFor(random, old.size()), false);
                const timespec times[2] = {before.st_atim, before.st_mtim};
                QCOMPARE(::utimensat(AT_FDCWD, path.constData(), times, 0), 0);
                break;
            }
            case Change::ThroughHardLink:
                writeInPlace(QFile::encodeName(lib.path(QStringLiteral("other/e%1").arg(changed))),
                             contentFor(random, old.size()), false);
                break;
            }
        }
        QVERIFY2(reused > 0, "no held bytes were ever used");
    }

    // Held bytes are bounded, the least recently used going first; a file larger than the bound
    // is read and used, but not held; without the cache nothing is held at all.
    void heldBytesAreBounded()
    {
        TempLibrary lib;
        for (int i = 0; i < 4; ++i)
            lib.writeBytes(QStringLiteral("元素/e%1.txt").arg(i), QByteArray(1000, 'a' + i));
        lib.writeBytes(QStringLiteral("元素/big.txt"), QByteArray(5000, 'b'));
        QThread::msleep(30); // old enough to be trusted
        ContentCache::Options options;
        options.budget = 2500; // room for two of the small files and their line index
        ContentCache cache(lib.library, options);
        const auto load = [&](const char *name) {
            return cache.load(Folder::Elements, Text::fromUnicode(QString::fromLatin1(name)));
        };
        const auto first = load("e0.txt");
        load("e1.txt");
        QVERIFY(load("e0.txt") == first); // held
        load("e2.txt");                   // e1, used longest ago, goes
        QVERIFY(cache.heldBytes() <= options.budget);
        QVERIFY(load("e0.txt") == first);
        QCOMPARE(load("big.txt")->text().size(), qsizetype(5000));
        QVERIFY(cache.heldBytes() <= options.budget);
        QVERIFY(load("big.txt") != load("big.txt"));

        ContentCache::Options off;
        off.enabled = false;
        ContentCache reading(lib.library, off);
        const auto once = reading.load(Folder::Elements, Text("e0.txt"));
        QVERIFY(reading.load(Folder::Elements, Text("e0.txt")) != once);
        QCOMPARE(reading.heldBytes(), qint64(0));
    }
};

QTEST_GUILESS_MAIN(TestContentCache)
#include "tst_contentcache.moc"
