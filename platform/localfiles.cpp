#include "platform/localfiles.h"

#include "platform/utf8.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace quorvel {

namespace {

// Linux hands over at most about 2 GiB per read or write call.
constexpr size_t LargestCall = size_t(1) << 30;

// A file descriptor that closes itself.
class Descriptor
{
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }

private:
    int m_fd;
};

// A path as the file system takes it: the folder that holds the name, the name, and the whole.
struct PathParts
{
    QByteArray folder;
    QByteArray name;
    QByteArray whole;
};

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

ssize_t readRetrying(int fd, char *into, size_t size)
{
    for (;;) {
        const ssize_t got = ::read(fd, into, std::min(size, LargestCall));
        if (got >= 0 || errno != EINTR)
            return got;
    }
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

// Writes bytes into a new file beside the target, then puts it in the target's place in one step,
// so that the target holds either its old bytes or all the new ones, whenever the process dies.
// The new file has no name until it is complete where the file system allows (O_TMPFILE). A
// target that is a link inside its folder has the file it leads to replaced; a link out of the
// folder is refused, and a name that became a link meanwhile is replaced itself, never followed.
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
    AtomicWrite(const AtomicWrite &) = delete;
    AtomicWrite &operator=(const AtomicWrite &) = delete;

    const QByteArray &targetFolder() const { return m_target.folder; }

    FileResult chooseTarget()
    {
        m_target = m_path;
        struct stat old;
        if (::lstat(m_path.whole.constData(), &old) != 0)
            return errno == ENOENT ? FileResult::done() : lastError();
        if (S_ISLNK(old.st_mode)) {
            const auto target = linkTargetInside(m_path);
            if (!target)
                return FileResult::outsideFolder();
            m_target = partsOf(*target);
            if (::stat(target->constData(), &old) != 0)
                return lastError();
        }
        if (!S_ISREG(old.st_mode))
            return FileResult::systemError(S_ISDIR(old.st_mode) ? EISDIR : EINVAL);
        // A file the user made read-only stays as it is, although its folder would let us
        // replace it.
        if (::faccessat(AT_FDCWD, m_target.whole.constData(), W_OK, AT_EACCESS) != 0)
            return lastError();
        m_replacing = true;
        m_oldMode = old.st_mode & 07777;
        return FileResult::done();
    }

    FileResult run(const QByteArray &bytes)
    {
        if (!open())
            return lastError();
        // A replaced file keeps who may read and write it.
        if (m_replacing)
            ::fchmod(m_fd, m_oldMode);
        if (!writeAll(m_fd, bytes) || ::fdatasync(m_fd) != 0)
            return lastError();
        return putInPlace();
    }

private:
    bool open()
    {
#ifdef O_TMPFILE
        m_fd = ::open(m_target.folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (m_fd >= 0) {
            m_unnamed = true;
            return true;
        }
        // Only a file system without unnamed files falls back; any other error is the answer.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return false;
#endif
        QByteArray name = temporaryTemplate();
        m_fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (m_fd < 0)
            return false;
        m_tempName = name;
        ::fchmod(m_fd, 0666 & ~currentUmask());
        return true;
    }

    QByteArray temporaryTemplate() const
    {
        return m_target.folder + '/' + LocalFiles::TemporaryPrefix + "XXXXXX";
    }

    FileResult putInPlace()
    {
        if (m_unnamed && !m_replacing) {
            // A new file: give the complete file its name directly. Refused when the name was
            // taken meanwhile; then it replaces that file like any other save.
            if (linkUnnamed(m_target.whole))
                return FileResult::done();
            if (errno != EEXIST)
                return lastError();
        }
        if (m_unnamed) {
            QByteArray name = temporaryTemplate();
            if (!linkUnnamedAtRandomName(name))
                return lastError();
            m_tempName = name;
        }
        if (::rename(m_tempName.constData(), m_target.whole.constData()) != 0)
            return lastError();
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

    PathParts m_path;
    PathParts m_target; // the file replaced: the path's own, or where its link leads
    int m_fd = -1;
    bool m_unnamed = false;
    bool m_replacing = false;
    mode_t m_oldMode = 0;
    QByteArray m_tempName; // a named temporary file to remove unless it was put in place
};

qint64 nanoseconds(const timespec &time)
{
    return qint64(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

} // namespace

LocalFiles::LocalFiles(QString runDirectory) : m_runDirectory(std::move(runDirectory)) {}

QString LocalFiles::runDirectory() const
{
    return m_runDirectory;
}

bool LocalFiles::exists(const QString &path) const
{
    // A trailing "/" asks for a folder, which a link to a folder is too.
    const QByteArray name = utf8::encode(path);
    struct stat info;
    return name.endsWith('/') ? ::stat(name.constData(), &info) == 0
                              : ::lstat(name.constData(), &info) == 0;
}

FileResult LocalFiles::createFolder(const QString &path)
{
    const QByteArray name = utf8::encode(path);
    return ::mkdir(name.constData(), 0777) == 0 ? FileResult::done() : lastError();
}

Loaded<QByteArray> LocalFiles::read(const NativePath &path) const
{
    // A draw that finds its file changed reads it, so this stays as lean as open, read, close.
    // The open does not block, so a pipe without a writer reads as nothing instead of waiting.
    FileResult failure;
    const Descriptor fd(openInside(partsOf(path.bytes), O_RDONLY | O_NONBLOCK, failure));
    if (!fd.isOpen())
        return {{}, failure};
    return readOpenFile(fd.get());
}

FileResult LocalFiles::write(const QString &path, const QByteArray &bytes)
{
    AtomicWrite save(path);
    if (const FileResult chosen = save.chooseTarget(); !chosen)
        return chosen;
    if (!m_tidiedFolders.contains(save.targetFolder())) {
        m_tidiedFolders.insert(save.targetFolder());
        removeLeftovers(save.targetFolder());
    }
    return save.run(bytes);
}

FileResult LocalFiles::create(const QString &path)
{
    // O_EXCL refuses any name already there, a link included, wherever it leads.
    const PathParts parts = partsOf(path);
    const Descriptor folder(::open(parts.folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!folder.isOpen())
        return lastError();
    const Descriptor fd(::openat(folder.get(), parts.name.constData(),
                                 O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    return fd.isOpen() ? FileResult::done() : lastError();
}

FileResult LocalFiles::rename(const QString &from, const QString &to)
{
    if (from.isEmpty() || to.isEmpty())
        return FileResult::systemError(ENOENT);
    const PathParts fromParts = partsOf(from);
    if (const FileResult link = checkLink(fromParts); !link)
        return link;
    return renameNoReplace(fromParts.whole, utf8::encode(to));
}

FileResult LocalFiles::remove(const QString &path)
{
    // unlink(2) never removes a folder; Linux says EISDIR, which is what this is.
    const PathParts parts = partsOf(path);
    if (const FileResult link = checkLink(parts); !link)
        return link;
    return ::unlink(parts.whole.constData()) == 0 ? FileResult::done() : lastError();
}

QStringList LocalFiles::enumerate(const QString &folder, const QString &pattern) const
{
    // In the order the file system lists them, unsorted; folders are left out.
    QStringList names;
    const QByteArray folderName = utf8::encode(folder);
    const QByteArray wildcard = utf8::encode(pattern);
    DIR *dir = ::opendir(folderName.constData());
    if (!dir)
        return names;
    while (const dirent *entry = ::readdir(dir)) {
        if (::fnmatch(wildcard.constData(), entry->d_name, 0) != 0)
            continue;
        struct stat info;
        const bool isFolder =
            entry->d_type == DT_DIR ||
            ((entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) &&
             ::fstatat(::dirfd(dir), entry->d_name, &info, 0) == 0 && S_ISDIR(info.st_mode));
        if (!isFolder)
            names.append(utf8::decode(entry->d_name));
    }
    ::closedir(dir);
    return names;
}

std::optional<FileKey> LocalFiles::key(const NativePath &path) const
{
    // Asked before every use of a held file: one lstat for a plain file, which is what it
    // nearly always is.
    struct stat info;
    if (::lstat(path.bytes.constData(), &info) != 0)
        return std::nullopt;
    if (S_ISLNK(info.st_mode)) {
        const auto target = linkTargetInside(partsOf(path.bytes));
        if (!target || ::stat(target->constData(), &info) != 0)
            return std::nullopt;
    }
    const bool regular = S_ISREG(info.st_mode);
    return FileKey{quint64(info.st_dev),      quint64(info.st_ino),
                   qint64(info.st_size),      nanoseconds(info.st_mtim),
                   nanoseconds(info.st_ctim), regular && keepsTimes(info.st_dev, path.bytes)};
}

bool LocalFiles::keepsTimes(quint64 device, const QByteArray &fileOnIt) const
{
    // Network and FUSE file systems may change a file without the kernel seeing it, and unknown
    // ones may keep coarse times of their own: only these are trusted, asked once per device.
    const auto known = m_timesKept.constFind(device);
    if (known != m_timesKept.cend())
        return *known;
    struct statfs system;
    const bool kept =
        ::statfs(fileOnIt.constData(), &system) == 0 && isKernelKeptFileSystem(system.f_type);
    m_timesKept.insert(device, kept);
    return kept;
}

void LocalFiles::removeLeftovers(const QByteArray &folder)
{
    // Only our own temporary files, and only old ones: a young one may be a save of another
    // instance of the program that is still under way.
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return;
    const QByteArray prefix(TemporaryPrefix);
    const time_t now = std::time(nullptr);
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArrayView name(entry->d_name);
        if (!name.startsWith(prefix) || name.size() != prefix.size() + 6)
            continue;
        struct stat info;
        if (::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode) && now - info.st_mtime > LeftoverAgeSeconds)
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

} // namespace quorvel
