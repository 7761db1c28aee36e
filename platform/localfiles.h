#pragma once

#include "platform/files.h"

#include <QHash>
#include <QSet>

#include <memory>

namespace quorvel {

// The real file system.
class LocalFiles : public Files
{
public:
    // Deleted files go to the desktop's trash of the data home the environment names now, or,
    // where it cannot take them, into KeepFolder in the run directory.
    explicit LocalFiles(QString runDirectory);
    LocalFiles(QString runDirectory, std::unique_ptr<Trash> trash);
    ~LocalFiles() override;

    QString runDirectory() const override;
    bool exists(const QString &path) const override;
    FileResult createFolder(const QString &path) override;
    using Files::key;
    using Files::read;
    Loaded<QByteArray> read(const NativePath &path) const override;
    FileResult write(const QString &path, const QByteArray &bytes) override;
    FileResult create(const QString &path) override;
    FileResult rename(const QString &from, const QString &to) override;
    FileResult remove(const QString &path) override;
    TrashResult moveToTrash(const QString &path) override;
    FileResult restoreFromTrash(const TrashedFile &file, const QString &path) override;
    QStringList enumerate(const QString &folder, const QString &pattern) const override;
    std::optional<FileKey> key(const NativePath &path) const override;

    // A save writes its new bytes into a temporary file beside the target, named with this
    // prefix and six letters or digits (TemporaryLetters). No library file can have that form:
    // every list and content file ends in ".l" or ".txt", and the six hold no ".". That form,
    // and nothing looser, is what an interrupted save leaves behind: the first save into a folder
    // removes such files older than an hour, never a file of any other name. (A character that
    // names refuse would prove more, but FAT and other systems without unnamed files, which need
    // the named temporary most, refuse the same characters.)
    static constexpr char TemporaryPrefix[] = ".quorvel-save-";
    static constexpr char TemporaryLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static constexpr qint64 LeftoverAgeSeconds = 3600;
    // The hidden folder that keeps deleted files where the desktop's trash cannot take them. No
    // library list shows it: it is a folder, and its name ends in neither ".l" nor ".txt".
    static constexpr char16_t KeepFolder[] = u".quorvel-trash";

    static bool isTemporaryName(QByteArrayView name);

private:
    void removeLeftovers(const QByteArray &folder);

    bool keepsTimes(quint64 device, const QByteArray &fileOnIt) const;

    QString m_runDirectory;
    std::unique_ptr<Trash> m_trash;
    QSet<QByteArray> m_tidiedFolders;
    mutable QHash<quint64, bool> m_timesKept; // by device
};

} // namespace quorvel
