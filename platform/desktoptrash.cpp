#include "platform/desktoptrash.h"

#include "platform/posixfile.h"
#include "platform/utf8.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {

namespace {

using namespace posix;

// The most names tried in one trash before it is taken as full.
constexpr int MostNames = 10000;

QByteArray absolute(const QByteArray &path)
{
    if (path.startsWith('/'))
        return path;
    char *cwd = ::getcwd(nullptr, 0);
    const QByteArray whole = QByteArray(cwd ? cwd : "") + '/' + path;
    std::free(cwd);
    return whole;
}

// A folder for the trash alone: made when missing, and used only when it is a folder.
bool ensureFolder(const QByteArray &path)
{
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat info;
    if (::lstat(path.constData(), &info) != 0)
        return false;
    errno = ENOTDIR;
    return S_ISDIR(info.st_mode);
}

// The trash folder with its files/ and info/, or nothing when they cannot be had.
std::optional<QByteArray> readyTrash(const QByteArray &trash)
{
    if (ensureFolder(trash) && ensureFolder(trash + "/files") && ensureFolder(trash + "/info"))
        return trash;
    return std::nullopt;
}

// Every folder of the path, from the root down, made when missing, as `mkdir -p` does.
bool ensurePath(const QByteArray &path)
{
    for (qsizetype slash = path.indexOf('/', 1); slash > 0; slash = path.indexOf('/', slash + 1))
        (void)::mkdir(path.left(slash).constData(), 0700);
    (void)::mkdir(path.constData(), 0700);
    struct stat info;
    return ::stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

QByteArray infoText(const QByteArray &origin)
{
    char date[32];
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    return "[Trash Info]\nPath=" + origin.toPercentEncoding("/") + "\nDeletionDate=" + date + '\n';
}

FileResult writeNew(int folder, const QByteArray &name, const QByteArray &bytes)
{
    const Descriptor fd(
        ::openat(folder, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!fd.isOpen())
        return lastError();
    if (!writeAll(fd.get(), bytes)) {
        const FileResult failure = lastError();
        ::unlinkat(folder, name.constData(), 0);
        return failure;
    }
    return FileResult::done();
}

// Moves the file into the trash under the first name whose info file can be made and that
// files/ does not hold yet.
TrashResult moveInto(const QByteArray &trash, const QByteArray &file)
{
    const PathParts parts = partsOf(file);
    const Descriptor info(::open((trash + "/info").constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!info.isOpen())
        return {lastError(), {}};
    const QByteArray text = infoText(file);
    for (int n = 1; n <= MostNames; ++n) {
        const QByteArray name = n == 1 ? parts.name : parts.name + '.' + QByteArray::number(n);
        const QByteArray infoName = name + ".trashinfo";
        if (const FileResult reserved = writeNew(info.get(), infoName, text); !reserved) {
            if (reserved.isSystemError(EEXIST))
                continue;
            return {reserved, {}};
        }
        const QByteArray target = trash + "/files/" + name;
        const FileResult moved = renameNoReplace(file, target);
        if (moved)
            return {moved, {utf8::decode(target), utf8::decode(trash + "/info/" + infoName)}};
        ::unlinkat(info.get(), infoName.constData(), 0);
        if (!moved.isSystemError(EEXIST))
            return {moved, {}};
    }
    return {FileResult::systemError(EEXIST), {}};
}

} // namespace

DesktopTrash::DesktopTrash(QString dataHome, QString keepFolder)
    : m_dataHome(absolute(utf8::encode(dataHome))), m_keepFolder(utf8::encode(keepFolder))
{
}

QString DesktopTrash::dataHomeFromEnvironment()
{
    // The XDG base folders count $XDG_DATA_HOME only when it is an absolute path.
    const QByteArray set = qgetenv("XDG_DATA_HOME");
    if (set.startsWith('/'))
        return utf8::decode(set);
    return utf8::decode(qgetenv("HOME")) + QStringLiteral("/.local/share");
}

TrashResult DesktopTrash::moveToTrash(const QString &path)
{
    const QByteArray file = absolute(utf8::encode(path));
    const PathParts parts = partsOf(file);
    if (const FileResult link = checkLink(parts); !link)
        return {link, {}};
    struct stat info;
    if (::lstat(file.constData(), &info) != 0)
        return {lastError(), {}};
    // The desktop's trash for the file's file system; the keeping folder where that trash cannot
    // be made or cannot take the file. When neither takes it, the first failure tells why.
    const std::optional<QByteArray> trash =
        onHomeDevice(info.st_dev) ? homeTrash() : topTrash(parts.folder, info.st_dev);
    std::optional<TrashResult> failed;
    if (trash) {
        TrashResult moved = moveInto(*trash, file);
        if (moved.result)
            return moved;
        failed = std::move(moved);
    }
    const std::optional<QByteArray> keeping = keepingTrash();
    if (!keeping)
        return failed ? *failed : TrashResult{lastError(), {}};
    TrashResult kept = moveInto(*keeping, file);
    return kept.result || !failed ? kept : *failed;
}

FileResult DesktopTrash::restore(const TrashedFile &file, const QString &path)
{
    const QByteArray from = utf8::encode(file.path);
    struct stat info;
    if (::lstat(from.constData(), &info) != 0)
        return lastError(); // gone from the trash
    if (const FileResult back = renameNoReplace(from, utf8::encode(path)); !back)
        return back;
    if (!file.infoPath.isEmpty())
        ::unlink(utf8::encode(file.infoPath).constData());
    return FileResult::done();
}

bool DesktopTrash::onHomeDevice(dev_t device) const
{
    // A data home that is not there yet is made, as a file manager's first delete does.
    struct stat info;
    return !m_dataHome.isEmpty() && ensurePath(m_dataHome) &&
           ::stat(m_dataHome.constData(), &info) == 0 && info.st_dev == device;
}

std::optional<QByteArray> DesktopTrash::homeTrash() const
{
    return readyTrash(m_dataHome + "/Trash");
}

std::optional<QByteArray> DesktopTrash::topTrash(const QByteArray &folder, dev_t device) const
{
    // The top of the file system: the highest folder above the file still on its device.
    const std::optional<QByteArray> start = resolved(folder);
    if (!start)
        return std::nullopt;
    QByteArray top = *start;
    while (top != "/") {
        const qsizetype slash = top.lastIndexOf('/');
        const QByteArray parent = slash <= 0 ? QByteArray("/") : top.left(slash);
        struct stat info;
        if (::stat(parent.constData(), &info) != 0 || info.st_dev != device)
            break;
        top = parent;
    }
    const QByteArray base = top == "/" ? QByteArray() : top;
    const QByteArray uid = QByteArray::number(::getuid());
    // $topdir/.Trash is shared by every user: only a real folder with the sticky bit will do.
    struct stat shared;
    const QByteArray sharedTrash = base + "/.Trash";
    if (::lstat(sharedTrash.constData(), &shared) == 0 && S_ISDIR(shared.st_mode) &&
        (shared.st_mode & S_ISVTX)) {
        if (auto trash = readyTrash(sharedTrash + '/' + uid))
            return trash;
    }
    const QByteArray own = base + "/.Trash-" + uid;
    struct stat info;
    if (!ensureFolder(own) || ::lstat(own.constData(), &info) != 0 || info.st_uid != ::getuid())
        return std::nullopt;
    return readyTrash(own);
}

std::optional<QByteArray> DesktopTrash::keepingTrash() const
{
    if (m_keepFolder.isEmpty()) {
        errno = ENOENT;
        return std::nullopt;
    }
    return readyTrash(m_keepFolder);
}

} // namespace quorvel
