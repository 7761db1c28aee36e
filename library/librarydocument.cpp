#include "library/librarydocument.h"

#include "library/folders.h"
#include "library/librarycommand.h"
#include "library/lines.h"
#include "platform/files.h"

#include <cerrno>

namespace quorvel {

namespace {

// How many commands can be undone; the oldest go first.
constexpr int UndoDepth = 200;

LibraryFolders openFolders(Files &files, LibraryDocument::Opening opening)
{
    return opening == LibraryDocument::Opening::CreateFolders ? setUpLibraryFolders(files)
                                                              : LibraryFolders::beside(files);
}

} // namespace

LibraryDocument::LibraryDocument(Files &files, Opening opening, ContentCache::Options cache,
                                 QObject *parent)
    : QObject(parent), m_library(files, openFolders(files, opening)), m_content(m_library, cache)
{
    m_undo.setUndoLimit(UndoDepth);
}

LibraryDocument::~LibraryDocument() = default;

bool LibraryDocument::holdsLibrary() const
{
    for (const Folder folder : {Folder::Templates, Folder::Elements, Folder::Projects}) {
        if (m_library.exists(folder, Text()))
            return true;
    }
    return false;
}

bool LibraryDocument::exists(const LibraryName &name) const
{
    return m_library.exists(name.folder(), name.fileName());
}

std::optional<FileKey> LibraryDocument::keyOf(const LibraryName &name) const
{
    return m_library.keyOf(name.folder(), name.fileName());
}

QList<LibraryName> LibraryDocument::lists(Folder folder) const
{
    QList<LibraryName> names;
    const TextList files = m_library.listFiles(folder);
    for (const Text &file : files) {
        if (std::optional<LibraryName> name = LibraryName::fromFileName(folder, file))
            names.append(*name);
    }
    return names;
}

Shown<TextList> LibraryDocument::readList(const LibraryName &name) const
{
    // The key is taken first: a change made after it, even during the read, shows later.
    std::optional<FileKey> key = keyOf(name);
    Loaded<TextList> read = m_library.loadList(name.folder(), name.fileName());
    return {std::move(read.value), read.result, key};
}

Shown<Text> LibraryDocument::readContent(const LibraryName &name) const
{
    std::optional<FileKey> key = keyOf(name);
    Loaded<Text> read = m_library.loadContent(name.folder(), name.fileName());
    return {std::move(read.value), read.result, key};
}

FileResult LibraryDocument::perform(std::unique_ptr<LibraryCommand> command)
{
    if (const FileResult done = command->apply(*this); !done)
        return done;
    m_undo.push(command.release());
    return FileResult::done();
}

FileResult LibraryDocument::create(const LibraryName &name)
{
    // Only while nothing has the name: the library's create fails on a taken name, even one
    // taken by another program a moment ago. A list is a new category or project, named now; a
    // content file is the text of an entry that a list already names.
    if (name.isList() && !Library::acceptsNewName(name.name()))
        return FileResult::refusedName();
    return perform(std::make_unique<LibraryCommand>(
        commandText(name.isList() ? u"添加" : u"创建", name),
        std::make_unique<ReplaceStep>(name, std::nullopt, Text())));
}

FileResult LibraryDocument::rename(const LibraryName &from, const Text &to)
{
    if (!Library::acceptsNewName(to))
        return FileResult::refusedName();
    return perform(std::make_unique<LibraryCommand>(
        renameText(from, to), std::make_unique<RenameStep>(from, from.renamed(to))));
}

FileResult LibraryDocument::remove(const LibraryName &name)
{
    // To the trash, from where an undo brings the file back exactly.
    if (!m_library.pathOf(name.folder(), name.fileName()))
        return FileResult::refusedName();
    return perform(std::make_unique<LibraryCommand>(commandText(u"删除", name),
                                                    std::make_unique<TrashStep>(name)));
}

FileResult LibraryDocument::writeContent(const LibraryName &name, const Text &content)
{
    if (!m_library.pathOf(name.folder(), name.fileName()))
        return FileResult::refusedName();
    FileBytes before;
    if (const FileResult read = readBytes(m_library, name, before);
        read.cause() == FileResult::Cause::TooLarge) {
        // What the file held cannot be kept: it is replaced as asked, and no undo step remembers
        // it.
        const FileResult written = m_library.writeContent(name.folder(), name.fileName(), content);
        if (written)
            announce({LibraryChange::Kind::Written, name, {}});
        return written;
    } else if (!read) {
        return read;
    }
    if (before == content)
        return FileResult::done(); // nothing to save, and no step to undo
    return perform(std::make_unique<LibraryCommand>(
        commandText(u"保存", name), std::make_unique<ReplaceStep>(name, before, content)));
}

FileResult LibraryDocument::writeList(const LibraryName &name, const TextList &entries)
{
    return writeContent(name, joinLines(entries));
}

void LibraryDocument::announce(const LibraryChange &change)
{
    emit changed(change);
}

// The stack hands its commands out as const; every one of them is a LibraryCommand this document
// made and owns through the stack, so it may change it.
FileResult LibraryDocument::undo()
{
    const int index = m_undo.index();
    if (index == 0)
        return FileResult::done();
    auto *command = const_cast<LibraryCommand *>(
        static_cast<const LibraryCommand *>(m_undo.command(index - 1)));
    if (const FileResult undone = command->revert(*this); !undone)
        return undone;
    m_undo.undo();
    return FileResult::done();
}

FileResult LibraryDocument::redo()
{
    const int index = m_undo.index();
    if (index == m_undo.count())
        return FileResult::done();
    auto *command =
        const_cast<LibraryCommand *>(static_cast<const LibraryCommand *>(m_undo.command(index)));
    if (const FileResult redone = command->apply(*this); !redone)
        return redone;
    m_undo.redo();
    return FileResult::done();
}

FileResult LibraryDocument::openProject(const LibraryName &file)
{
    Loaded<TextList> read = m_library.loadList(file.folder(), file.fileName());
    m_project = {file, std::move(read.value)};
    emit projectChanged();
    return read.result;
}

void LibraryDocument::setProject(CurrentProject project)
{
    m_project = std::move(project);
    emit projectChanged();
}

void LibraryDocument::appendToProject(const Text &templateName)
{
    m_project.templates.append(templateName);
    emit projectChanged();
}

void LibraryDocument::removeFromProject(int row)
{
    if (row < 0 || row >= m_project.templates.size())
        return;
    m_project.templates.removeAt(row);
    emit projectChanged();
}

FileResult LibraryDocument::saveProject(const LibraryName &file)
{
    return writeList(file, m_project.templates);
}

} // namespace quorvel
