#include "library/library.h"

#include "library/lines.h"
#include "platform/files.h"

#include <algorithm>
#include <cerrno>

namespace quorvel {

namespace {

// A file name may only name a file directly inside its folder, and only with characters that a
// list file can hold as one entry and a user can see: no line break, no other control character
// (DEL among them).
bool isUsableName(const QString &fileName)
{
    if (fileName.isEmpty() || fileName == u"." || fileName == u"..")
        return false;
    return std::none_of(fileName.cbegin(), fileName.cend(), [](QChar c) {
        return c == u'/' || c == u'\\' || (c.unicode() < 0x20 && c != u'\t') || c == u'\x7f';
    });
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

bool Library::acceptsNewName(const Text &name)
{
    return !name.view().startsWith('.');
}

std::optional<QString> Library::pathOf(Folder folder, const Text &fileName) const
{
    // File names are the one place where library texts meet the file system's Unicode names.
    const QString name = fileName.toUnicode();
    if (!isUsableName(name))
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

Loaded<TextList> Library::loadList(Folder folder, const Text &fileName) const
{
    Loaded<Text> content = loadContent(folder, fileName);
    return {splitLines(content.value), content.result};
}

Loaded<Text> Library::loadContent(Folder folder, const Text &fileName) const
{
    const auto path = pathOf(folder, fileName);
    if (!path)
        return {Text(), FileResult::refusedName()};
    Loaded<QByteArray> read = m_files.read(*path);
    return {Text::fromGbk(std::move(read.value)), inFolder(folder, read.result)};
}

TextList Library::readList(Folder folder, const Text &fileName) const
{
    return loadList(folder, fileName).value;
}

FileResult Library::writeList(Folder folder, const Text &fileName, const TextList &entries)
{
    return writeContent(folder, fileName, joinLines(entries));
}

Text Library::readContent(Folder folder, const Text &fileName) const
{
    return loadContent(folder, fileName).value;
}

FileResult Library::writeContent(Folder folder, const Text &fileName, const Text &content)
{
    const auto path = pathOf(folder, fileName);
    if (!path)
        return FileResult::refusedName();
    return inFolder(folder, m_files.write(*path, content.toGbk()));
}

FileResult Library::createNew(Folder folder, const Text &fileName)
{
    const auto path = pathOf(folder, fileName);
    if (!path)
        return FileResult::refusedName();
    return inFolder(folder, m_files.create(*path));
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

TrashResult Library::moveToTrash(Folder folder, const Text &fileName)
{
    const auto path = pathOf(folder, fileName);
    if (!path)
        return {FileResult::refusedName(), {}};
    TrashResult moved = m_files.moveToTrash(*path);
    moved.result = inFolder(folder, moved.result);
    return moved;
}

FileResult Library::restoreFromTrash(const TrashedFile &file, Folder folder, const Text &fileName)
{
    const auto path = pathOf(folder, fileName);
    if (!path)
        return FileResult::refusedName();
    return inFolder(folder, m_files.restoreFromTrash(file, *path));
}

TextList Library::listFiles(Folder folder) const
{
    return listMatching(folder, LibraryName::pattern(LibraryName::Kind::List));
}

TextList Library::listContentFiles(Folder folder) const
{
    return listMatching(folder, LibraryName::pattern(LibraryName::Kind::Content));
}

TextList Library::listMatching(Folder folder, const QString &pattern) const
{
    // A name on disk that no library text turns back into (one written in another encoding, say)
    // cannot be named by the program: it is left out rather than shown as another file's name.
    TextList names;
    const QStringList found = m_files.enumerate(folderPath(folder), pattern);
    for (const QString &name : found) {
        Text text = Text::fromUnicode(name);
        if (text.toUnicode() == name)
            names.append(std::move(text));
    }
    return names;
}

std::optional<FileKey> Library::keyOf(Folder folder, const Text &fileName) const
{
    const auto path = pathOf(folder, fileName);
    return path ? m_files.key(*path) : std::nullopt;
}

} // namespace quorvel
