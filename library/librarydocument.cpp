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
    // The project keeps its file under the file's new name, so that it is saved where it is.
    if (change.kind == LibraryChange::Kind::Renamed && change.from == m_project.file &&
        change.from.folder() == Folder::Projects)
        m_project.file = change.name;
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
    Shown<TextList> read = readList(file);
    m_project = {file, read.value, false, read.key, read.value};
    emit projectChanged();
    return read.result;
}

void LibraryDocument::setProject(CurrentProject project)
{
    // A new list for the project file already read, given without what was read: the file is
    // still known as read, and the list is changed where it differs from it.
    if (project.file == m_project.file && !project.key && project.loaded.isEmpty()) {
        project.key = m_project.key;
        project.loaded = m_project.loaded;
        project.modified = project.modified || project.templates != project.loaded;
    }
    m_project = std::move(project);
    emit projectChanged();
}

void LibraryDocument::appendToProject(const Text &templateName)
{
    m_project.templates.append(templateName);
    m_project.modified = true;
    emit projectChanged();
}

void LibraryDocument::removeFromProject(int row)
{
    if (row < 0 || row >= m_project.templates.size())
        return;
    m_project.templates.removeAt(row);
    m_project.modified = true;
    emit projectChanged();
}

namespace {

// What another program appended to the project file as it was read, when that is all it did and
// none of it is a template the project names or named: then both changes can stand. Nothing
// otherwise.
std::optional<TextList> addedAtTheEnd(const TextList &now, const CurrentProject &project)
{
    if (now.size() <= project.loaded.size() ||
        !std::equal(project.loaded.cbegin(), project.loaded.cend(), now.cbegin()))
        return std::nullopt;
    const TextList added = now.mid(project.loaded.size());
    for (const Text &name : added) {
        if (project.loaded.contains(name) || project.templates.contains(name))
            return std::nullopt;
    }
    return added;
}

} // namespace

FileResult LibraryDocument::saveProject(const LibraryName &file, bool overwrite)
{
    TextList templates = m_project.templates;
    if (file == m_project.file && keyOf(file) != m_project.key) {
        const Shown<TextList> now = readList(file);
        if (!now.result && !now.result.isMissing())
            return now.result;
        if (const std::optional<TextList> added = addedAtTheEnd(now.value, m_project))
            templates += *added;
        else if (now.value != m_project.loaded && !overwrite)
            return FileResult::changedOnDisk();
    }
    if (const FileResult written = writeList(file, templates); !written)
        return written;
    const bool merged = templates != m_project.templates;
    m_project = {file, templates, false, keyOf(file), templates};
    if (merged)
        emit projectChanged();
    return FileResult::done();
}

} // namespace quorvel
