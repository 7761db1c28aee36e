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
    FileResult createFolder(const QString &path) override;
    QByteArray read(const QString &path) const override;
    FileResult write(const QString &path, const QByteArray &bytes) override;
    FileResult rename(const QString &from, const QString &to) override;
    FileResult remove(const QString &path) override;
    QStringList enumerate(const QString &folder, const QString &pattern) const override;

private:
    QString m_runDirectory;
};

} // namespace quorvel
