#include "platform/localfiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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
bool renameNoReplace(const QByteArray &from, const QByteArray &to)
{
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
#endif
    if (::link(from.constData(), to.constData()) != 0)
        return false;
    if (::unlink(from.constData()) != 0) {
        ::unlink(to.constData());
        return false;
    }
    return true;
}

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

bool LocalFiles::createFolder(const QString &path)
{
    return QDir().mkdir(path);
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

bool LocalFiles::write(const QString &path, const QByteArray &bytes)
{
    // QSaveFile writes beside the target and replaces it only once every byte is on disk.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // The last bytes wait in a buffer until commit(), which does not report a failure to write
    // them (a full disk): flush them first, so that such a save keeps the old file and says so.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool LocalFiles::rename(const QString &from, const QString &to)
{
    if (from.isEmpty() || to.isEmpty())
        return false;
    return renameNoReplace(QFile::encodeName(from), QFile::encodeName(to));
}

bool LocalFiles::remove(const QString &path)
{
    if (QFileInfo(path).isDir())
        return false;
    return QFile::remove(path);
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
