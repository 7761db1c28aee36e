#pragma once

#include "platform/files.h"

#include <QHash>
#include <QRegularExpression>

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
    QByteArray read(const QString &path) const override { return m_files.value(path); }
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
    QStringList enumerate(const QString &folder, const QString &pattern) const override
    {
        const QRegularExpression match(QRegularExpression::wildcardToRegularExpression(pattern));
        QStringList names;
        for (auto it = m_files.cbegin(); it != m_files.cend(); ++it) {
            if (!it.key().startsWith(folder))
                continue;
            const QString name = it.key().mid(folder.size());
            if (!name.contains(u'/') && match.match(name).hasMatch())
                names.append(name);
        }
        return names;
    }

private:
    QHash<QString, QByteArray> m_files;
};

} // namespace quorvel::fuzz
