#pragma once

#include "platform/fileresult.h"

#include <QString>

namespace quorvel {

// A file in a trash folder: where it lies now, and the info file that says where it came from
// (empty when it has none).
struct TrashedFile
{
    QString path;
    QString infoPath;
};

// What became of a move to the trash, and where the file went when it was done.
struct TrashResult
{
    FileResult result;
    TrashedFile file;
};

// Where deleted files go, to be taken back later. A move never writes over a file of the trash,
// and a restore never writes over a file at the name it restores to: a taken name fails as
// EEXIST, changing nothing.
class Trash
{
public:
    virtual ~Trash() = default;
    [[nodiscard]] virtual TrashResult moveToTrash(const QString &path) = 0;
    // Moves the trashed file back to path and removes its info file.
    [[nodiscard]] virtual FileResult restore(const TrashedFile &file, const QString &path) = 0;
};

} // namespace quorvel
