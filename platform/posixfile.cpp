#include "platform/posixfile.h"

#include "platform/utf8.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>

namespace quorvel::posix {

namespace {

ssize_t readRetrying(int fd, char *into, size_t size)
{
    for (;;) {
        const ssize_t got = ::read(fd, into, std::min(size, LargestCall));
        if (got >= 0 || errno != EINTR)
            return got;
    }
}

} // namespace

PathParts partsOf(QByteArray native)
{
    PathParts parts;
    parts.whole = std::move(native);
    const qsizetype slash = parts.whole.lastIndexOf('/');
    parts.folder = slash < 0 ? QByteArray(".") : parts.whole.left(qMax<qsizetype>(slash, 1));
    parts.name = parts.whole.mid(slash + 1);
    return parts;
}

PathParts partsOf(const QString &path)
{
    return partsOf(utf8::encode(path));
}

// The file systems whose times the kernel keeps itself, to the nanosecond.
bool isKernelKeptFileSystem(decltype(statfs::f_type) type)
{
    constexpr decltype(type) Ext4 = 0xEF53, Xfs = 0x58465342, Btrfs = 0x9123683E,
                             Tmpfs = 0x01021994, F2fs = 0xF2F52010;
    return type == Ext4 || type == Xfs || type == Btrfs || type == Tmpfs || type == F2fs;
}

FileResult lastError()
{
    return FileResult::systemError(errno);
}

// The path with every link resolved, or nothing when it leads nowhere.
std::optional<QByteArray> resolved(const QByteArray &path)
{
    char *real = ::realpath(path.constData(), nullptr);
    if (!real)
        return std::nullopt;
    QByteArray result(real);
    std::free(real);
    return result;
}

// Where a symbolic link leads, when that is a file or folder inside the folder that holds the
// link; nothing for a link that leads outside it, or nowhere.
std::optional<QByteArray> linkTargetInside(const PathParts &path)
{
    const auto folder = resolved(path.folder);
    const auto target = resolved(path.whole);
    if (!folder || !target || !target->startsWith(*folder + '/'))
        return std::nullopt;
    return target;
}

bool isLink(const QByteArray &path)
{
    struct stat info;
    return ::lstat(path.constData(), &info) == 0 && S_ISLNK(info.st_mode);
}

// Opens the file that the path names, never following a link out of its folder: openat2's
// RESOLVE_BENEATH keeps the whole resolution inside the folder. An absolute link, which it
// refuses, and kernels without it fall back to resolving the path and checking where it leads.
int openInside(const PathParts &path, int flags, FileResult &failure)
{
    const Descriptor folder(::open(path.folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!folder.isOpen()) {
        failure = lastError();
        return -1;
    }
    open_how how{};
    how.flags = quint64(flags | O_CLOEXEC);
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
    int fd = int(::syscall(SYS_openat2, folder.get(), path.name.constData(), &how, sizeof how));
    if (fd < 0 && (errno == ENOSYS || errno == EPERM))
        fd = ::openat(folder.get(), path.name.constData(), flags | O_CLOEXEC | O_NOFOLLOW);
    if (fd >= 0)
        return fd;
    const int error = errno;
    if (error == EXDEV || error == ELOOP || (error == ENOENT && isLink(path.whole))) {
        const auto target = linkTargetInside(path);
        if (!target) {
            failure = FileResult::outsideFolder();
            return -1;
        }
        fd = ::open(target->constData(), flags | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            failure = lastError();
        return fd;
    }
    failure = FileResult::systemError(error);
    return -1;
}

// The whole content of an open file. Most library files are small: one read into a buffer on
// the stack then holds all of it. A longer file must be a plain file (a device such as /dev/zero
// never ends); it is read in growing chunks to its end, and refused once it passes the largest
// size the program reads. The size the file claims only sets the first chunk, so a sparse file
// of a terabyte costs nothing. A file that grows meanwhile is read to its new end, one that
// shrinks gives what is left. An error reads as nothing, never as part of the file.
Loaded<QByteArray> readOpenFile(int fd)
{
    char first[16384];
    const ssize_t firstGot = readRetrying(fd, first, sizeof first);
    if (firstGot < 0)
        return {{}, lastError()};
    if (size_t(firstGot) < sizeof first)
        return {QByteArray(first, firstGot), {}}; // a plain file reads short only at its end
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return {};
    if (info.st_size > Files::LargestReadable)
        return {{}, FileResult::tooLarge()};
    qsizetype capacity = qMax(qsizetype(info.st_size) + 1, qsizetype(2 * sizeof first));
    qsizetype size = firstGot;
    QByteArray bytes(capacity, Qt::Uninitialized);
    std::memcpy(bytes.data(), first, sizeof first);
    for (;;) {
        const ssize_t got = readRetrying(fd, bytes.data() + size, size_t(capacity - size));
        if (got < 0)
            return {{}, lastError()};
        if (got == 0)
            break;
        size += got;
        if (size > Files::LargestReadable)
            return {{}, FileResult::tooLarge()};
        if (size == capacity) {
            capacity = std::min(capacity * 2, qsizetype(Files::LargestReadable) + 1);
            bytes.resize(capacity);
        }
    }
    bytes.resize(size);
    return {std::move(bytes), {}};
}

bool writeAll(int fd, const QByteArray &bytes)
{
    const char *from = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t put = ::write(fd, from, std::min(size_t(left), LargestCall));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        from += put;
        left -= put;
    }
    return true;
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
        return lastError();
#endif
    if (::link(from.constData(), to.constData()) != 0)
        return lastError();
    if (::unlink(from.constData()) != 0) {
        const FileResult failure = lastError();
        ::unlink(to.constData());
        return failure;
    }
    return FileResult::done();
}

// A name that is a link must lead to something inside its folder for the name to be used.
FileResult checkLink(const PathParts &path)
{
    if (isLink(path.whole) && !linkTargetInside(path))
        return FileResult::outsideFolder();
    return FileResult::done();
}

mode_t currentUmask()
{
    // Reading the mask means setting it; the program has one thread that touches files.
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

} // namespace quorvel::posix
