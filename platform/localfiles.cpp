#include "platform/localfiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {

namespace {

// Linux hands over at most about 2 GiB per read; below this a short read means the end.
constexpr size_t LargestWholeRead = size_t(1) << 30;

ssize_t readRetrying(int fd, char *into, size_t size)
{
    for (;;) {
        const ssize_t got = ::read(fd, into, size);
        if (got >= 0 || errno != EINTR)
            return got;
    }
}

// The whole content of an open file. Most library files are small: one read into a buffer on
// the stack then holds all of it. A file that fills the buffer must be a plain file (a device
// such as /dev/zero never ends) and is read on to its end; a file that grows meanwhile is read
// to its new end, one that shrinks gives what is left. An error reads as nothing, never as part
// of the file.
QByteArray readOpenFile(int fd)
{
    char first[16384];
    const ssize_t firstGot = readRetrying(fd, first, sizeof first);
    if (firstGot <= 0)
        return {};
    if (size_t(firstGot) < sizeof first)
        return QByteArray(first, firstGot); // a plain file reads short only at its end
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return {};
    qsizetype capacity = qMax(qsizetype(info.st_size) + 1, qsizetype(2 * sizeof first));
    qsizetype size = firstGot;
    QByteArray bytes(capacity, Qt::Uninitialized);
    std::memcpy(bytes.data(), first, sizeof first);
    for (;;) {
        const size_t wanted = size_t(capacity - size);
        const ssize_t got = readRetrying(fd, bytes.data() + size, wanted);
        if (got < 0)
            return {};
        if (got == 0)
            break;
        size += got;
        if (size == capacity) {
            capacity *= 2;
            bytes.resize(capacity);
        } else if (wanted <= LargestWholeRead) {
            break;
        }
    }
    bytes.resize(size);
    return bytes;
}

// Moves a file to a name that must not exist yet. rename(2) would silently replace the target,
// so ask the kernel for a rename that refuses to (renameat2 with RENAME_NOREPLACE); where the file
// system cannot do that, a hard link (which also refuses an existing name) followed by removing
// the old name gives the same result.
FileResult renameNoReplace(const QByteArray &from, const QByteArray &to)
{
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return FileResult::done();
    if (errno != EINVAL && errno != ENOSYS)
        return FileResult::systemError(errno);
#endif
    if (::link(from.constData(), to.constData()) != 0)
        return FileResult::systemError(errno);
    if (::unlink(from.constData()) != 0) {
        const int error = errno;
        ::unlink(to.constData());
        return FileResult::systemError(error);
    }
    return FileResult::done();
}

bool writeAll(int fd, const QByteArray &bytes)
{
    const char *from = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t put = ::write(fd, from, size_t(std::min<qsizetype>(left, LargestWholeRead)));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        from += put;
        left -= put;
    }
    return true;
}

// The folder and the name of a path, as the file system takes them.
struct PathParts
{
    QByteArray folder;
    QByteArray name;
    QByteArray whole;
};

PathParts partsOf(const QString &path)
{
    PathParts parts;
    parts.whole = QFile::encodeName(path);
    const qsizetype slash = parts.whole.lastIndexOf('/');
    parts.folder = slash < 0 ? QByteArray(".") : parts.whole.left(qMax<qsizetype>(slash, 1));
    parts.name = parts.whole.mid(slash + 1);
    return parts;
}

// Temporary files of a save are named with this prefix and six random characters, whatever the
// target's name, so that a name of 255 bytes can still be saved, and so that what an interrupted
// save leaves is known for what it is.
constexpr char SaveTemplate[] = ".quorvel-save-XXXXXX";

// Writes bytes into a new file beside the target, then puts it in the target's place in one step,
// so that the target holds either its old bytes or all the new ones, whenever the process dies.
// The new file has no name until it is complete where the file system allows (O_TMPFILE).
class AtomicWrite
{
public:
    explicit AtomicWrite(const QString &path) : m_path(partsOf(path)) {}
    ~AtomicWrite()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_tempName.isEmpty())
            ::unlink(m_tempName.constData());
    }

    FileResult run(const QByteArray &bytes)
    {
        struct stat old;
        const bool replacing = ::stat(m_path.whole.constData(), &old) == 0;
        if (replacing && !S_ISREG(old.st_mode))
            return FileResult::systemError(S_ISDIR(old.st_mode) ? EISDIR : EINVAL);
        if (!open())
            return failure();
        // A replaced file keeps who may read and write it.
        if (replacing)
            ::fchmod(m_fd, old.st_mode & 07777);
        if (!writeAll(m_fd, bytes) || ::fdatasync(m_fd) != 0)
            return failure();
        return putInPlace(replacing);
    }

private:
    FileResult failure() const { return FileResult::systemError(errno); }

    bool open()
    {
#ifdef O_TMPFILE
        m_fd = ::open(m_path.folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (m_fd >= 0) {
            m_unnamed = true;
            return true;
        }
        // Only a file system without unnamed files falls back; any other error is the answer.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return false;
#endif
        QByteArray name = m_path.folder + '/' + SaveTemplate;
        m_fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (m_fd < 0)
            return false;
        m_tempName = name;
        ::fchmod(m_fd, 0666 & ~currentUmask());
        return true;
    }

    FileResult putInPlace(bool replacing)
    {
        if (m_unnamed && !replacing) {
            // A new file: give the complete file its name directly. Refused when the name was
            // taken meanwhile; then it replaces that file like any other save.
            if (linkUnnamed(m_path.whole))
                return FileResult::done();
            if (errno != EEXIST)
                return failure();
        }
        if (m_unnamed) {
            QByteArray name = m_path.folder + '/' + SaveTemplate;
            if (!linkUnnamedAtRandomName(name))
                return failure();
            m_tempName = name;
        }
        if (::rename(m_tempName.constData(), m_path.whole.constData()) != 0)
            return failure();
        m_tempName.clear();
        return FileResult::done();
    }

    bool linkUnnamed(const QByteArray &name) const
    {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(m_fd);
        return ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(),
                        AT_SYMLINK_FOLLOW) == 0;
    }

    // Fills in the X of the template until a free name is found.
    bool linkUnnamedAtRandomName(QByteArray &name) const
    {
        static constexpr char Letters[] =
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
        const qsizetype at = name.size() - 6;
        for (int attempt = 0; attempt < 100; ++attempt) {
            quint64 bits = QRandomGenerator::system()->generate64();
            for (qsizetype i = at; i < name.size(); ++i, bits /= 62)
                name[i] = Letters[bits % 62];
            if (linkUnnamed(name))
                return true;
            if (errno != EEXIST)
                return false;
        }
        return false;
    }

    static mode_t currentUmask()
    {
        // Reading the mask means setting it; the program has one thread that touches files.
        const mode_t mask = ::umask(022);
        ::umask(mask);
        return mask;
    }

    PathParts m_path;
    int m_fd = -1;
    bool m_unnamed = false;
    QByteArray m_tempName; // a named temporary file to remove unless it was put in place
};

} // namespace

LocalFiles::LocalFiles(QString runDirectory) : m_runDirectory(std::move(runDirectory)) {}

QString LocalFiles::runDirectory() const
{
    return m_runDirectory;
}

bool LocalFiles::exists(const QString &path) const
{
    return QFileInfo::exists(path);
}

FileResult LocalFiles::createFolder(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    return ::mkdir(name.constData(), 0777) == 0 ? FileResult::done()
                                                : FileResult::systemError(errno);
}

QByteArray LocalFiles::read(const QString &path) const
{
    // Every element draw reads its file, so this stays as lean as open, read, close. The open
    // does not block, so a pipe without a writer reads as nothing instead of waiting for one.
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    const QByteArray bytes = readOpenFile(fd);
    ::close(fd);
    return bytes;
}

FileResult LocalFiles::write(const QString &path, const QByteArray &bytes)
{
    return AtomicWrite(path).run(bytes);
}

FileResult LocalFiles::rename(const QString &from, const QString &to)
{
    if (from.isEmpty() || to.isEmpty())
        return FileResult::systemError(ENOENT);
    return renameNoReplace(QFile::encodeName(from), QFile::encodeName(to));
}

FileResult LocalFiles::remove(const QString &path)
{
    // unlink(2) never removes a folder; Linux says EISDIR, which is what this is.
    const QByteArray name = QFile::encodeName(path);
    return ::unlink(name.constData()) == 0 ? FileResult::done() : FileResult::systemError(errno);
}

QStringList LocalFiles::enumerate(const QString &folder, const QString &pattern) const
{
    // QDirIterator hands the names over in the order the file system lists them, unsorted.
    QStringList names;
    QDirIterator it(folder, {pattern}, QDir::Files | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        it.next();
        names.append(it.fileName());
    }
    return names;
}

} // namespace quorvel
