#pragma once

#include "platform/files.h"

#include <QHash>

#include <cerrno>

namespace quorvel::fuzz {

// Files kept in memory, so that a fuzz input costs no disk traffic. Only what the fuzz targets
// need: whole-file read and write, existence, rename without overwrite, removal, and listing.
class MemoryFiles : public Files
{
public:
    QString runDirectory() const override { return QStringLiteral("/fuzz"); }
    bool exists(const QString &path) const override { return m_files.contains(path); }
    FileResult createFolder(const QString &) override { return FileResult::done(); }
    using Files::key;
    using Files::read;
    Loaded<QByteArray> read(const NativePath &native) const override
    {
        const QString path = utf8::decode(native.bytes);
        if (!m_files.contains(path))
            return {{}, FileResult::systemError(ENOENT)};
        return {m_files.value(path), {}};
    }
    FileResult create(const QString &path) override
    {
        if (m_files.contains(path))
            return FileResult::systemError(EEXIST);
        m_files.insert(path, {});
        return FileResult::done();
    }
    // Memory keeps no times: nothing read from it may be held.
    std::optional<FileKey> key(const NativePath &native) const override
    {
        const QString path = utf8::decode(native.bytes);
        if (!m_files.contains(path))
            return std::nullopt;
        return FileKey{0, quint64(qHash(path)), m_files.value(path).size(), 0, 0, false};
    }
    FileResult write(const QString &path, const QByteArray &bytes) override
    {
        m_files.insert(path, bytes);
        return FileResult::done();
    }
    FileResult rename(const QString &from, const QString &to) override
    {
        if (!m_files.contains(from))
            return FileResult::systemError(ENOENT);
        if (m_files.contains(to))
            return FileResult::systemError(EEXIST);
        m_files.insert(to, m_files.take(from));
        return FileResult::done();
    }
    FileResult remove(const QString &path) override
    {
        return m_files.remove(path) > 0 ? FileResult::done() : FileResult::systemError(ENOENT);
    }
    // The trash is another name in memory, outside every folder the library lists.
    TrashResult moveToTrash(const QString &path) override
    {
        const QString trashed = QStringLiteral("/trash/%1").arg(++m_trashed);
        const FileResult moved = rename(path, trashed);
        return {moved, moved ? TrashedFile{trashed, {}} : TrashedFile{}};
    }
    FileResult restoreFromTrash(const TrashedFile &file, const QString &path) override
    {
        return rename(file.path, path);
    }
    // Only the patterns the library asks for, "*" and a suffix ("*.l"): a regular expression
    // would refuse the lone surrogates that carry raw bytes in names.
    QStringList enumerate(const QString &folder, const QString &pattern) const override
    {
        const QString suffix = pattern.startsWith(u'*') ? pattern.mid(1) : pattern;
        QStringList names;
        for (auto it = m_files.cbegin(); it != m_files.cend(); ++it) {
            if (!it.key().startsWith(folder))
                continue;
            const QString name = it.key().mid(folder.size());
            if (!name.contains(u'/') && name.endsWith(suffix))
                names.append(name);
        }
        return names;
    }

private:
    int m_trashed = 0;
    QHash<QString, QByteArray> m_files;
};

} // namespace quorvel::fuzz
