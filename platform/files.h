#pragma once

#include "platform/fileresult.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quorvel {

// Whole-file access to the file system. Paths are native ("/"-separated) absolute paths; the
// library decides which paths may be formed (see library/library.h). Every change reports what
// became of it, with the cause of a failure; contents are bytes, whatever they encode.
class Files
{
public:
    virtual ~Files() = default;

    // The folder that holds the program, without a trailing separator.
    virtual QString runDirectory() const = 0;
    // True for an existing file, and for an existing folder (with or without a trailing "/").
    virtual bool exists(const QString &path) const = 0;
    virtual FileResult createFolder(const QString &path) = 0;
    // All bytes of the file; a missing or unreadable file gives no bytes.
    virtual QByteArray read(const QString &path) const = 0;
    // Creates or wholly replaces the file, atomically: either the old or the new content is left.
    virtual FileResult write(const QString &path, const QByteArray &bytes) = 0;
    // Fails, changing nothing, when a file or folder already has the new name.
    virtual FileResult rename(const QString &from, const QString &to) = 0;
    virtual FileResult remove(const QString &path) = 0;
    // The names (with extension, without folder) of the files in folder whose names match the
    // wildcard pattern, in the order the file system lists them.
    virtual QStringList enumerate(const QString &folder, const QString &pattern) const = 0;
};

} // namespace quorvel
