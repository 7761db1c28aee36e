#pragma once

#include "platform/posixfile.h"

#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace quorvel::posix {

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

} // namespace quorvel::posix
