#pragma once

#include "platform/files.h"

namespace quorvel {

// The real file system.
class LocalFiles : public Files
{
public:
    explicit LocalFiles(QString runDirectory);

    QString runDirectory() const override;
    bool exists(const QString &path) const override;
    bool createFolder(const QString &path) override;
    QByteArray read(const QString &path) const override;
    bool write(const QString &path, const QByteArray &bytes) override;
    bool rename(const QString &from, const QString &to) override;
    bool remove(const QString &path) override;
    QStringList enumerate(const QString &folder, const QString &pattern) const override;

private:
    QString m_runDirectory;
};

} // namespace quorvel
