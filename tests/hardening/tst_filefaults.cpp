// Faults of the file system under the library, arranged for real wherever this machine allows:
// a folder the user may not write, a full disk, a process killed half-way through a save, and
// files that change, vanish or are not files at all while they are read. Whatever happens, the
// old bytes stay as they were and nothing crashes or hangs.
#include "library/library.h"
#include "library/lines.h"
#include "tests/hardening/childprocess.h"
#include "tests/hardening/sanitized.h"
#include "tests/support/templibrary.h"
#include "tests/support/testtext.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/user.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace quorvel;
using namespace quorvel::test;

namespace {

QStringList filesIn(const QString &folder)
{
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    names.sort();
    return names;
}

// A list file of count entries, each naming its number.
QByteArray numberedList(int count, const char *prefix)
{
    QByteArray list;
    for (int i = 0; i < count; ++i)
        list += prefix + QByteArray::number(i) + "\r\n";
    return list;
}

// In a child: arranges a disk that takes only a few KiB more (a file system of 64 KiB, nearly
// full, or a limit on the size of the process's files), tries to replace a file there with
// size bytes, and checks that the old file is untouched. 0 when all held, CannotArrange when the
// disk cannot be arranged, another code naming the check that failed.
int replaceOnFullDisk(const QString &folder, bool smallFileSystem, qsizetype size)
{
    LocalFiles files(folder);
    const QString path = folder + QStringLiteral("/a.txt");
    const QByteArray old = numberedList(100, "old ");
    if (smallFileSystem) {
        // A mount of our own, in a mount namespace of our own, so nobody else ever sees it.
        const QByteArray where = QFile::encodeName(folder);
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", where.constData(), "tmpfs", 0, "size=64k") != 0)
            return CannotArrange;
        if (!files.write(path, old) ||
            !files.write(folder + QStringLiteral("/filler"), QByteArray(56 * 1024, 'f')))
            return 10;
    } else {
        if (!files.write(path, old))
            return 10;
        std::signal(SIGXFSZ, SIG_IGN); // the write must fail, not kill the process
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 4096;
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return CannotArrange;
    }
    const QStringList before = filesIn(folder);
    const FileResult failed = files.write(path, QByteArray(size, 'n'));
    if (failed)
        return 11; // a write that did not happen was reported as done
    // The cause is told: a full disk, or the file size limit in the system's words.
    if (failed.describe() != (smallFileSystem ? QStringLiteral("磁盘空间不足")
                                              : QString::fromLocal8Bit(std::strerror(EFBIG))))
        return 15;
    if (files.read(path).value != old)
        return 12;
    if (filesIn(folder) != before)
        return 13; // a temporary file was left behind
    // A write that fits still works: the failure left the folder in order.
    if (!files.write(path, "new\r\n") || files.read(path).value != "new\r\n")
        return 14;
    return 0;
}

// The size of the file that the child process has open in folder (the new file of a save, which
// may have no name yet), or -1 while it has none open there.
qint64 sizeBeingWritten(pid_t child, const QString &folder)
{
    const QString fds = QStringLiteral("/proc/%1/fd/").arg(child);
    const QByteArray inFolder = QFile::encodeName(folder + u'/');
    const QStringList entries =
        QDir(fds).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &fd : entries) {
        const QByteArray link = QFile::encodeName(fds + fd);
        char target[4096];
        const ssize_t length = ::readlink(link.constData(), target, sizeof target);
        struct stat status
        {
        };
        if (length > 0 && QByteArrayView(target, length).startsWith(inFolder) &&
            ::stat(link.constData(), &status) == 0)
            return status.st_size;
    }
    return -1;
}

// Runs work in a child traced like a debugger would, and kills the child the moment it asks the
// kernel to rename a file: for a save, that is after the new bytes got their temporary name and
// before they replace the old file. True when the child was caught there.
bool killAtRename(const std::function<void()> &work)
{
#if defined(__x86_64__)
    const pid_t child = ::fork();
    if (child == 0) {
        ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
        ::raise(SIGSTOP);
        work();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ::ptrace(PTRACE_SETOPTIONS, child, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL);
    for (;;) {
        ::ptrace(PTRACE_SYSCALL, child, nullptr, nullptr);
        if (::waitpid(child, &status, 0) < 0 || !WIFSTOPPED(status))
            return false;
        if (WSTOPSIG(status) != (SIGTRAP | 0x80))
            continue;
        user_regs_struct registers{};
        ::ptrace(PTRACE_GETREGS, child, nullptr, &registers);
        const auto call = long(registers.orig_rax);
        if (call == SYS_rename || call == SYS_renameat || call == SYS_renameat2) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return true;
        }
    }
#else
    Q_UNUSED(work);
    return false;
#endif
}

} // namespace

class TestFileFaults : public QObject
{
    Q_OBJECT

private slots:
    // The user may not write in the folder: every change fails and every file stays as it was.
    // Root may write anywhere, so the work runs in a child that has given up root's rights.
    void readOnlyFolderRefusesEveryChangeAndKeepsEveryFile()
    {
        TempLibrary lib;
        const QByteArray content = numberedList(10, "line ");
        const QByteArray list = numberedList(10, "name ");
        lib.writeBytes(QStringLiteral("元素/a.txt"), content);
        lib.writeBytes(QStringLiteral("元素/a.l"), list);
        const QString folder = lib.path(QStringLiteral("元素"));
        const auto readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                              QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
        QVERIFY(QFile::setPermissions(lib.root(), readOnly | QFile::WriteOwner));
        QVERIFY(QFile::setPermissions(folder, readOnly));

        const int code = runInChild([&] {
            if (!dropRootRights())
                return CannotArrange;
            Library &library = lib.library;
            // Each change fails, saying why.
            const QString noRights = QStringLiteral("没有写入权限");
            if (library.writeContent(Folder::Elements, Text("a.txt"), Text("new")).describe() !=
                noRights)
                return 10;
            if (library.writeList(Folder::Elements, Text("a.l"), {Text("x")}).describe() !=
                noRights)
                return 11;
            if (library.createNew(Folder::Elements, Text("b.txt")).describe() != noRights)
                return 12;
            if (library.rename(Folder::Elements, Text("a.txt"), Text("c.txt")).describe() !=
                noRights)
                return 13;
            if (library.remove(Folder::Elements, Text("a.l")).describe() != noRights)
                return 14;
            // Reading still works: the material is there, only not writable.
            if (library.readContent(Folder::Elements, Text("a.txt")).toGbk() != content)
                return 15;
            return 0;
        });
        QFile::setPermissions(folder, readOnly | QFile::WriteOwner);
        QCOMPARE(code, 0);
        QCOMPARE(lib.readBytes(QStringLiteral("元素/a.txt")), content);
        QCOMPARE(lib.readBytes(QStringLiteral("元素/a.l")), list);
        QCOMPARE(filesIn(folder), QStringList({QStringLiteral("a.l"), QStringLiteral("a.txt")}));
    }

    // The disk fills up during a save. The last bytes of a small save sit in a buffer until the
    // file is committed, so both a save that fails at once and one that fails only on its last
    // bytes are tried.
    void fullDiskKeepsTheOldFile_data()
    {
        QTest::addColumn<bool>("smallFileSystem");
        QTest::addColumn<qsizetype>("size");
        QTest::newRow("full file system, small save") << true << qsizetype(16000);
        QTest::newRow("full file system, large save") << true << qsizetype(1 << 20);
        QTest::newRow("file size limit, small save") << false << qsizetype(16000);
        QTest::newRow("file size limit, large save") << false << qsizetype(1 << 20);
    }
    void fullDiskKeepsTheOldFile()
    {
        QFETCH(bool, smallFileSystem);
        QFETCH(qsizetype, size);
        TempLibrary lib;
        const QString folder = lib.path(QStringLiteral("元素"));
        const int code =
            runInChild([&] { return replaceOnFullDisk(folder, smallFileSystem, size); });
        if (code == CannotArrange)
            QSKIP("no small file system can be mounted here; the file size limit rows stand in");
        QCOMPARE(code, 0);
    }

    // The process dies between writing the new bytes and putting them in place of the old file:
    // the old file must be there, byte for byte, and the library must go on working. The child is
    // stopped at the chosen point (watched through the files it has open, since the new file may
    // have no name until it is put in place), checked, then killed.
    void processKilledWhileSavingLeavesTheOldFile_data()
    {
        QTest::addColumn<int>("percentWritten");
        QTest::newRow("new file just created") << 0;
        QTest::newRow("half written") << 50;
        QTest::newRow("fully written, not yet in place") << 100;
    }
    void processKilledWhileSavingLeavesTheOldFile()
    {
        QFETCH(int, percentWritten);
        TempLibrary lib;
        const QString folder = lib.path(QStringLiteral("元素"));
        const QString name = QStringLiteral("人物.l");
        const QByteArray old = numberedList(1000, "old ");
        lib.writeBytes(QStringLiteral("元素/") + name, old);
        const qsizetype size = qsizetype(64) << 20;

        const pid_t child = startChild(
            [&] { return lib.files.write(folder + u'/' + name, QByteArray(size, 'n')) ? 0 : 1; });
        bool caughtBetween = false;
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 30'000) {
            const qint64 written = sizeBeingWritten(child, folder);
            if (written >= size * percentWritten / 100) {
                ::kill(child, SIGSTOP);
                caughtBetween = sizeBeingWritten(child, folder) >= 0 &&
                                lib.readBytes(QStringLiteral("元素/") + name) == old;
                break;
            }
            if (lib.readBytes(QStringLiteral("元素/") + name) != old)
                break; // already in place
            ::usleep(200);
        }
        ::kill(child, SIGKILL);
        waitForChild(child);

        const QByteArray now = lib.readBytes(QStringLiteral("元素/") + name);
        if (caughtBetween) {
            QCOMPARE(now, old);
            QCOMPARE(lib.library.readList(Folder::Elements, gbk(name)),
                     splitLines(Text::fromGbk(old)));
        } else {
            // The save finished before the child could be stopped: then the new file is whole.
            QVERIFY2(percentWritten == 100, "a save of 64 MiB cannot finish that fast");
            QCOMPARE(now, QByteArray(size, 'n'));
            qWarning("the save was in place before the child could be stopped");
        }
        // Whatever the killed save left behind is never taken for a category, and saving works.
        QCOMPARE(lib.library.listFiles(Folder::Elements), TextList{gbk(name)});
        QVERIFY(lib.library.writeList(Folder::Elements, gbk(name), {Text("a")}));
        QCOMPARE(lib.readBytes(QStringLiteral("元素/") + name), QByteArray("a\r\n"));
    }

    // A save killed between giving its new bytes a temporary name and putting them in place leaves
    // the old file whole and a complete copy under a name of ours: never taken for a library
    // file, and removed by the first save into the folder once it is an hour old.
    void leftoverOfASaveKilledBeforeItsRenameIsRemovedLater()
    {
        TempLibrary lib;
        const QByteArray old = numberedList(1000, "old ");
        lib.writeBytes(QStringLiteral("元素/a.l"), old);
        const QString path = lib.path(QStringLiteral("元素/a.l"));
        if (!killAtRename([&] { (void)LocalFiles(lib.root()).write(path, "new\r\n"); }))
            QSKIP("a child cannot be traced here");
        QCOMPARE(lib.readBytes(QStringLiteral("元素/a.l")), old);
        const QStringList left =
            filesIn(lib.folders.elements).filter(QString::fromLatin1(LocalFiles::TemporaryPrefix));
        QCOMPARE(left.size(), 1);
        QCOMPARE(lib.readBytes(QStringLiteral("元素/") + left.first()), QByteArray("new\r\n"));
        QCOMPARE(lib.library.listFiles(Folder::Elements), TextList{Text("a.l")});

        // An hour later, the next start's first save there tidies up.
        const QByteArray leftover = QFile::encodeName(lib.folders.elements + left.first());
        const timespec anHourAgo[2] = {{::time(nullptr) - 3601, 0}, {::time(nullptr) - 3601, 0}};
        QCOMPARE(::utimensat(AT_FDCWD, leftover.constData(), anHourAgo, 0), 0);
        QVERIFY(LocalFiles(lib.root()).write(lib.path(QStringLiteral("元素/b.txt")), "b"));
        QCOMPARE(filesIn(lib.folders.elements),
                 QStringList({QStringLiteral("a.l"), QStringLiteral("b.txt")}));
    }

    // Another program replaces the file again and again (as our own saves do: a new file put in
    // place of the old) while the library reads it: every read gives one version whole.
    void fileReplacedWhileReadGivesOneVersionWhole()
    {
        TempLibrary lib;
        const QByteArray first = numberedList(100'000, "first ");
        const QByteArray second = numberedList(1000, "second ");
        lib.writeBytes(QStringLiteral("元素/a.txt"), first);
        std::atomic<bool> stop = false;
        std::atomic<int> saves = 0;
        std::thread writer([&] {
            LocalFiles files(lib.root());
            for (bool flip = false; !stop; flip = !flip, ++saves)
                (void)files.write(lib.path(QStringLiteral("元素/a.txt")), flip ? first : second);
        });
        int mixed = 0;
        for (int i = 0; i < 300 || saves < 50; ++i) {
            const QByteArray read =
                lib.library.readContent(Folder::Elements, Text("a.txt")).toGbk();
            mixed += read != first && read != second;
        }
        stop = true;
        writer.join();
        QCOMPARE(mixed, 0);
    }

    // The file is deleted and written again while it is read: a read gives it whole or nothing.
    void fileRemovedWhileReadGivesItWholeOrNothing()
    {
        TempLibrary lib;
        const QByteArray content = numberedList(100'000, "line ");
        const QString path = lib.path(QStringLiteral("元素/a.txt"));
        std::atomic<bool> stop = false;
        std::atomic<int> saves = 0;
        std::thread writer([&] {
            LocalFiles files(lib.root());
            for (; !stop; ++saves) {
                (void)files.write(path, content);
                (void)files.remove(path);
            }
        });
        int broken = 0;
        for (int i = 0; i < 300 || saves < 50; ++i) {
            const QByteArray read =
                lib.library.readContent(Folder::Elements, Text("a.txt")).toGbk();
            broken += !read.isEmpty() && read != content;
            broken += lib.library.readList(Folder::Elements, Text("a.txt")).size() % 100'000 != 0;
        }
        stop = true;
        writer.join();
        QCOMPARE(broken, 0);
    }

    // Another program changes the file in place while it is read: appends to it, or empties and
    // rewrites it. No read can promise a whole version then, but each gives bytes that the file
    // held, in their order, and never crashes.
    void fileChangedInPlaceWhileReadGivesWhatItHeld_data()
    {
        QTest::addColumn<bool>("truncate");
        QTest::newRow("growing") << false;
        QTest::newRow("emptied and rewritten") << true;
    }
    void fileChangedInPlaceWhileReadGivesWhatItHeld()
    {
        QFETCH(bool, truncate);
        TempLibrary lib;
        const QByteArray initial = numberedList(1000, "line ");
        const QByteArray full = numberedList(100'000, "line ");
        lib.writeBytes(QStringLiteral("元素/a.txt"), initial);
        std::atomic<bool> stop = false;
        std::thread writer([&] {
            while (!stop) {
                QFile file(lib.path(QStringLiteral("元素/a.txt")));
                if (!file.open(truncate ? QIODevice::WriteOnly | QIODevice::Truncate
                                        : QIODevice::WriteOnly | QIODevice::Append))
                    return;
                for (qsizetype at = truncate ? 0 : initial.size(); at < full.size() && !stop;
                     at += 4096) {
                    file.write(full.mid(at, 4096));
                    file.flush();
                }
                if (!truncate)
                    return;
            }
        });
        int foreign = 0;
        for (int i = 0; i < 300; ++i) {
            const QByteArray read =
                lib.library.readContent(Folder::Elements, Text("a.txt")).toGbk();
            foreign += !full.startsWith(read) || (!truncate && read.size() < initial.size());
        }
        stop = true;
        writer.join();
        QCOMPARE(foreign, 0);
    }

    // A name in the library that is not a plain file: a pipe would wait for a writer for ever, a
    // device such as /dev/zero never ends. Each reads as empty, at once. The read runs in a child
    // so that a hang fails the test instead of stopping it.
    void specialFilesReadAsEmptyAtOnce_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("pipe") << QStringLiteral("pipe");
        QTest::newRow("folder") << QStringLiteral("folder");
        QTest::newRow("endless device") << QStringLiteral("device");
        QTest::newRow("dangling link") << QStringLiteral("dangling");
    }
    void specialFilesReadAsEmptyAtOnce()
    {
        QFETCH(QString, kind);
        TempLibrary lib;
        const QString path = lib.path(QStringLiteral("元素/a.txt"));
        const QByteArray native = QFile::encodeName(path);
        if (kind == u"pipe")
            QCOMPARE(::mkfifo(native.constData(), 0644), 0);
        else if (kind == u"folder")
            QVERIFY(QDir().mkdir(path));
        else if (kind == u"device")
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
        else
            QVERIFY(QFile::link(lib.path(QStringLiteral("missing")), path));

        const pid_t child = startChild([&] {
            // Should the read run away with memory, it must not take the machine with it. (The
            // address sanitizer reserves more address space than any such limit allows.)
            if (!Sanitized) {
                const rlimit memory{rlim_t(1) << 31, rlim_t(1) << 31};
                ::setrlimit(RLIMIT_AS, &memory);
            }
            const bool empty = lib.library.readContent(Folder::Elements, Text("a.txt")).isEmpty() &&
                               lib.library.readList(Folder::Elements, Text("a.txt")).isEmpty();
            return empty ? 0 : 1;
        });
        const int code = waitForChild(child, 10'000);
        QVERIFY2(code != TimedOut, "reading the file hangs");
        QCOMPARE(code, 0);
    }
};

QTEST_GUILESS_MAIN(TestFileFaults)
#include "tst_filefaults.moc"
