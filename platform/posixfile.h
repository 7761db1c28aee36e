#pragma once

// The system calls under LocalFiles, each with its retries and its care for links: shared by the
// file service and its atomic writer, and by nothing else.

#include "platform/fileresult.h"
#include "platform/files.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <sys/statfs.h>
#include <sys/types.h>
#include <unistd.h>

namespace quorvel::posix {

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

PathParts partsOf(QByteArray native);
PathParts partsOf(const QString &path);

// The file systems whose times the kernel keeps itself, to the nanosecond.
bool isKernelKeptFileSystem(decltype(statfs::f_type) type);
// The failure errno names now.
FileResult lastError();
// The path with every link resolved, or nothing when it leads nowhere.
std::optional<QByteArray> resolved(const QByteArray &path);
// Where a symbolic link leads, when that is a file or folder inside the folder that holds the
// link; nothing for a link that leads outside it, or nowhere.
std::optional<QByteArray> linkTargetInside(const PathParts &path);
bool isLink(const QByteArray &path);
// Opens the file that the path names, never following a link out of its folder; -1 and the
// cause when it cannot.
int openInside(const PathParts &path, int flags, FileResult &failure);
// The whole content of an open file, or the cause it could not be read.
Loaded<QByteArray> readOpenFile(int fd);
// Writes all the bytes, going on after interruptions; false on any failure.
bool writeAll(int fd, const QByteArray &bytes);
// Moves a file to a name that must not exist yet, never replacing one.
FileResult renameNoReplace(const QByteArray &from, const QByteArray &to);
// A name that is a link must lead to something inside its folder for the name to be used.
FileResult checkLink(const PathParts &path);
mode_t currentUmask();

} // namespace quorvel::posix
