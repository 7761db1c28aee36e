#pragma once

#include <QtGlobal>

namespace quorvel {

// What tells one state of a file from another without reading it: which file it is (device and
// inode, so a file put in place of another differs) and its size and times of change, to the
// nanosecond. Any write through the file system changes at least the change time.
struct FileKey
{
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modified = 0; // nanoseconds since the epoch
    qint64 changed = 0;  // nanoseconds since the epoch
    // A regular file on a local file system whose times the kernel itself keeps (ext4, xfs,
    // btrfs, tmpfs, f2fs), so that every change through the file system moves them: only such a
    // file's bytes may be kept and reused while its key stays the same.
    bool keepsTimes = false;

    friend bool operator==(const FileKey &, const FileKey &) = default;
};

} // namespace quorvel
