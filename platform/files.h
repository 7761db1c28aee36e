#pragma once

#include "platform/filekey.h"
#include "platform/fileresult.h"
#include "platform/trash.h"
#include "platform/utf8.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace quorvel {

// Whole-file access to the file system. Paths are native ("/"-separated) absolute paths; the
// library decides which paths may be formed (see library/library.h). A file is used only where
// it lies inside the folder that holds its name: a symbolic link that leads out of that folder,
// or nowhere, is refused (FileResult::Cause::OutsideFolder), so that no read or write reaches
// beyond it. Every operation reports what became of it, with the cause of a failure; contents
// are bytes, whatever they encode.
// A path already in the file system's own encoding, for a file that is used again and again.
struct NativePath
{
    QByteArray bytes;
};

class Files
{
public:
    virtual ~Files() = default;

    // The largest file read: a larger one is refused as too large, without reading it.
    static constexpr qint64 LargestReadable = qint64(1) << 30;

    // The folder that holds the program, without a trailing separator.
    virtual QString runDirectory() const = 0;
    // True when something has the name: a file, a folder (with or without a trailing "/"), or a
    // symbolic link, wherever it leads.
    virtual bool exists(const QString &path) const = 0;
    virtual FileResult createFolder(const QString &path) = 0;
    // All bytes of the file. A missing file gives no bytes and a missing-file result; a folder or
    // a special file (a pipe, a device) gives no bytes.
    virtual Loaded<QByteArray> read(const NativePath &path) const = 0;
    Loaded<QByteArray> read(const QString &path) const { return read(nativePath(path)); }
    // Creates or wholly replaces the file, atomically: either the old or the new content is left.
    virtual FileResult write(const QString &path, const QByteArray &bytes) = 0;
    // Creates an empty file only if nothing has the name yet; EEXIST otherwise.
    virtual FileResult create(const QString &path) = 0;
    // Fails, changing nothing, when a file or folder already has the new name.
    virtual FileResult rename(const QString &from, const QString &to) = 0;
    virtual FileResult remove(const QString &path) = 0;
    // Moves the file to the trash (see platform/trash.h), from where restoreFromTrash() brings it
    // back to a name that is free.
    virtual TrashResult moveToTrash(const QString &path) = 0;
    virtual FileResult restoreFromTrash(const TrashedFile &file, const QString &path) = 0;
    // The names (with extension, without folder) of the files in folder whose names match the
    // wildcard pattern, in the order the file system lists them.
    virtual QStringList enumerate(const QString &folder, const QString &pattern) const = 0;
    // The key of the file as it is now; nothing when there is no file it may use.
    virtual std::optional<FileKey> key(const NativePath &path) const = 0;
    std::optional<FileKey> key(const QString &path) const { return key(nativePath(path)); }

    static NativePath nativePath(const QString &path) { return {utf8::encode(path)}; }
};

} // namespace quorvel
