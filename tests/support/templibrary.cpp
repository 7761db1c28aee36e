#include "tests/support/templibrary.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace quorvel::test {

namespace {
QString makeRoot(QTemporaryDir &dir)
{
    if (!dir.isValid())
        qFatal("cannot create a temporary folder");
    return dir.path();
}

bool setDataHome(QTemporaryDir &dir)
{
    return qputenv("XDG_DATA_HOME", makeRoot(dir).toUtf8());
}
} // namespace

TempLibrary::TempLibrary(bool createFolders)
    : m_dataHomeSet(setDataHome(m_dataHome)), files(makeRoot(m_dir)),
      folders(LibraryFolders::beside(files)), library(files, folders)
{
    if (createFolders) {
        QDir().mkpath(folders.templates);
        QDir().mkpath(folders.elements);
        QDir().mkpath(folders.projects);
    }
}

QString TempLibrary::path(const QString &relative) const
{
    return m_dir.path() + u'/' + relative;
}

void TempLibrary::writeBytes(const QString &relative, const QByteArray &bytes) const
{
    QFile file(path(relative));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write a test file");
}

QByteArray TempLibrary::readBytes(const QString &relative) const
{
    QFile file(path(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool TempLibrary::exists(const QString &relative) const
{
    return QFile::exists(path(relative));
}

Text gbk(const QString &text)
{
    return Text::fromUnicode(text);
}

} // namespace quorvel::test
