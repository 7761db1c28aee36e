#include "platform/localfiles.h"

#include "platform/atomicwrite.h"
#include "platform/desktoptrash.h"
#include "platform/posixfile.h"
#include "platform/utf8.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace quorvel {

namespace {

using namespace posix;

qint64 nanoseconds(const timespec &time)
{
    return qint64(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

} // namespace

LocalFiles::LocalFiles(QString runDirectory)
    : LocalFiles(runDirectory, std::make_unique<DesktopTrash>(
                                   DesktopTrash::dataHomeFromEnvironment(),
                                   runDirectory + u'/' + QString::fromUtf16(KeepFolder)))
{
}

LocalFiles::LocalFiles(QString runDirectory, std::unique_ptr<Trash> trash)
    : m_runDirectory(std::move(runDirectory)), m_trash(std::move(trash))
{
}

LocalFiles::~LocalFiles() = default;

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

TrashResult LocalFiles::moveToTrash(const QString &path)
{
    if (path.isEmpty())
        return {FileResult::systemError(ENOENT), {}};
    return m_trash->moveToTrash(path);
}

FileResult LocalFiles::restoreFromTrash(const TrashedFile &file, const QString &path)
{
    return m_trash->restore(file, path);
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

bool LocalFiles::isTemporaryName(QByteArrayView name)
{
    const QByteArrayView prefix(TemporaryPrefix);
    if (!name.startsWith(prefix) || name.size() != prefix.size() + 6)
        return false;
    const QByteArrayView letters(TemporaryLetters);
    return std::all_of(name.cbegin() + prefix.size(), name.cend(),
                       [&letters](char c) { return letters.contains(c); });
}

void LocalFiles::removeLeftovers(const QByteArray &folder)
{
    // Only our own temporary files, and only old ones: a young one may be a save of another
    // instance of the program that is still under way.
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return;
    const time_t now = std::time(nullptr);
    while (const dirent *entry = ::readdir(dir)) {
        if (!isTemporaryName(QByteArrayView(entry->d_name)))
            continue;
        struct stat info;
        if (::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode) && now - info.st_mtime > LeftoverAgeSeconds)
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

} // namespace quorvel
