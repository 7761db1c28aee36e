#pragma once

#include "platform/posixfile.h"

#include <QByteArray>
#include <QString>

#include <sys/types.h>

namespace quorvel::posix {

// Writes bytes into a new file beside the target, then puts it in the target's place in one step,
// so that the target holds either its old bytes or all the new ones, whenever the process dies.
// The new file has no name until it is complete where the file system allows (O_TMPFILE). A
// target that is a link inside its folder has the file it leads to replaced; a link out of the
// folder is refused, and a name that became a link meanwhile is replaced itself, never followed.
class AtomicWrite
{
public:
    explicit AtomicWrite(const QString &path);
    ~AtomicWrite();
    AtomicWrite(const AtomicWrite &) = delete;
    AtomicWrite &operator=(const AtomicWrite &) = delete;

    const QByteArray &targetFolder() const { return m_target.folder; }

    FileResult chooseTarget();
    FileResult run(const QByteArray &bytes);

private:
    bool open();
    FileResult putInPlace();

    PathParts m_path;
    PathParts m_target; // the file replaced: the path's own, or where its link leads
    int m_fd = -1;
    bool m_unnamed = false;
    bool m_replacing = false;
    mode_t m_oldMode = 0;
    QByteArray m_tempName; // a named temporary file to remove unless it was put in place
};

} // namespace quorvel::posix
