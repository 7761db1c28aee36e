#include "library/library.h"

#include "library/lines.h"
#include "platform/files.h"
#include "platform/gbkcodec.h"

namespace quorvel {

namespace {

// A file name may only name a file directly inside its folder.
bool staysInFolder(const QString &fileName)
{
    if (fileName.isEmpty() || fileName == u"." || fileName == u"..")
        return false;
    return !fileName.contains(u'/') && !fileName.contains(u'\\') && !fileName.contains(QChar(0));
}

} // namespace

Library::Library(Files &files, LibraryFolders folders)
    : m_files(files), m_folders(std::move(folders))
{
}

QString Library::folderPath(Folder folder) const
{
    switch (folder) {
    case Folder::Templates:
        return m_folders.templates;
    case Folder::Elements:
        return m_folders.elements;
    case Folder::Projects:
        return m_folders.projects;
    }
    return {};
}

std::optional<QString> Library::pathOf(Folder folder, const Text &fileName) const
{
    const QString name = gbk::decode(fileName);
    if (!staysInFolder(name))
        return std::nullopt;
    return folderPath(folder) + name;
}

bool Library::exists(Folder folder, const Text &fileName) const
{
    if (fileName.isEmpty())
        return m_files.exists(folderPath(folder));
    const auto path = pathOf(folder, fileName);
    return path && m_files.exists(*path);
}

TextList Library::readList(Folder folder, const Text &fileName) const
{
    return splitLines(readContent(folder, fileName));
}

bool Library::writeList(Folder folder, const Text &fileName, const TextList &entries)
{
    return writeContent(folder, fileName, joinLines(entries));
}

Text Library::readContent(Folder folder, const Text &fileName) const
{
    const auto path = pathOf(folder, fileName);
    return path ? m_files.read(*path) : Text();
}

bool Library::writeContent(Folder folder, const Text &fileName, const Text &content)
{
    const auto path = pathOf(folder, fileName);
    return path && m_files.write(*path, content);
}

bool Library::createEmpty(Folder folder, const Text &fileName)
{
    return writeContent(folder, fileName, Text());
}

bool Library::rename(Folder folder, const Text &from, const Text &to)
{
    const auto fromPath = pathOf(folder, from);
    const auto toPath = pathOf(folder, to);
    return fromPath && toPath && m_files.rename(*fromPath, *toPath);
}

bool Library::remove(Folder folder, const Text &fileName)
{
    const auto path = pathOf(folder, fileName);
    return path && m_files.remove(*path);
}

TextList Library::categories(Folder folder) const
{
    TextList names;
    const QStringList found = m_files.enumerate(folderPath(folder), QStringLiteral("*.l"));
    for (const QString &name : found)
        names.append(gbk::encode(name));
    return names;
}

} // namespace quorvel
