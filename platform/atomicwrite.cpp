#include "platform/atomicwrite.h"

#include "platform/localfiles.h"

#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel::posix {

namespace {

QByteArray temporaryTemplate(const QByteArray &folder)
{
    return folder + '/' + LocalFiles::TemporaryPrefix + "XXXXXX";
}

bool linkUnnamed(int fd, const QByteArray &name)
{
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    return ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) == 0;
}

// Fills in the X of the template until a free name is found.
bool linkUnnamedAtRandomName(int fd, QByteArray &name)
{
    // The letters mkostemp(3) takes too, so that both kinds of temporary have the one form the
    // clean-up of interrupted saves knows (see LocalFiles::isTemporaryName).
    const QByteArrayView letters(LocalFiles::TemporaryLetters);
    const qsizetype at = name.size() - 6;
    for (int attempt = 0; attempt < 100; ++attempt) {
        quint64 bits = QRandomGenerator::system()->generate64();
        for (qsizetype i = at; i < name.size(); ++i, bits /= quint64(letters.size()))
            name[i] = letters[qsizetype(bits % quint64(letters.size()))];
        if (linkUnnamed(fd, name))
            return true;
        if (errno != EEXIST)
            return false;
    }
    return false;
}

} // namespace

AtomicWrite::AtomicWrite(const QString &path) : m_path(partsOf(path)) {}

AtomicWrite::~AtomicWrite()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_tempName.isEmpty())
        ::unlink(m_tempName.constData());
}

FileResult AtomicWrite::chooseTarget()
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

FileResult AtomicWrite::run(const QByteArray &bytes)
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

bool AtomicWrite::open()
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
    QByteArray name = temporaryTemplate(m_target.folder);
    m_fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (m_fd < 0)
        return false;
    m_tempName = name;
    ::fchmod(m_fd, 0666 & ~currentUmask());
    return true;
}

FileResult AtomicWrite::putInPlace()
{
    if (m_unnamed && !m_replacing) {
        // A new file: give the complete file its name directly. Refused when the name was
        // taken meanwhile; then it replaces that file like any other save.
        if (linkUnnamed(m_fd, m_target.whole))
            return FileResult::done();
        if (errno != EEXIST)
            return lastError();
    }
    if (m_unnamed) {
        QByteArray name = temporaryTemplate(m_target.folder);
        if (!linkUnnamedAtRandomName(m_fd, name))
            return lastError();
        m_tempName = name;
    }
    if (::rename(m_tempName.constData(), m_target.whole.constData()) != 0)
        return lastError();
    m_tempName.clear();
    return FileResult::done();
}

} // namespace quorvel::posix
