#include "library/library.h"

#include "library/lines.h"
#include "platform/files.h"

#include <cerrno>

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
    // File names are the one place where library texts meet the file system's Unicode names.
    const QString name = fileName.toUnicode();
    if (!staysInFolder(name))
        return std::nullopt;
    return folderPath(folder) + name;
}

FileResult Library::inFolder(Folder folder, FileResult result) const
{
    if (result.cause() == FileResult::Cause::System && result.systemError() == ENOENT &&
        !m_files.exists(folderPath(folder)))
        return FileResult::folderMissing();
    return result;
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

FileResult Library::writeList(Folder folder, const Text &fileName, const TextList &entries)
{
    return writeContent(folder, fileName, joinLines(entries));
}

Text Library::readContent(Folder folder, const Text &fileName) const
{
    const auto path = pathOf(folder, fileName);
    return path ? Text::fromGbk(m_files.read(*path)) : Text();
}

FileResult Library::writeContent(Folder folder, const Text &fileName, const Text &content)
{
    const auto path = pathOf(folder, fileName);
    if (!path)
        return FileResult::refusedName();
    return inFolder(folder, m_files.write(*path, content.toGbk()));
}

FileResult Library::createEmpty(Folder folder, const Text &fileName)
{
    return writeContent(folder, fileName, Text());
}

FileResult Library::rename(Folder folder, const Text &from, const Text &to)
{
    const auto fromPath = pathOf(folder, from);
    const auto toPath = pathOf(folder, to);
    if (!fromPath || !toPath)
        return FileResult::refusedName();
    return inFolder(folder, m_files.rename(*fromPath, *toPath));
}

FileResult Library::remove(Folder folder, const Text &fileName)
{
    const auto path = pathOf(folder, fileName);
    if (!path)
        return FileResult::refusedName();
    return inFolder(folder, m_files.remove(*path));
}

TextList Library::listFiles(Folder folder) const
{
    TextList names;
    const QStringList found = m_files.enumerate(folderPath(folder), QStringLiteral("*.l"));
    for (const QString &name : found)
        names.append(Text::fromUnicode(name));
    return names;
}

} // namespace quorvel
