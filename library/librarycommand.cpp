#include "library/librarycommand.h"

#include "library/library.h"
#include "library/librarydocument.h"
#include "library/lines.h"

#include <cerrno>

namespace quorvel {

namespace {

using Change = LibraryChange::Kind;

// Makes the file hold target, provided it holds expected now. A name that should be free but is
// taken fails as taken; a file that should be there but is gone fails as missing; other bytes
// fail as changed by another program.
FileResult replace(LibraryDocument &document, const LibraryName &name, const FileBytes &expected,
                   const FileBytes &target)
{
    const Library &library = document.library();
    FileBytes now;
    if (const FileResult read = readBytes(library, name, now); !read)
        return read;
    if (now != expected) {
        if (!expected)
            return FileResult::systemError(EEXIST);
        return now ? FileResult::changedOnDisk() : FileResult::systemError(ENOENT);
    }
    if (now == target)
        return FileResult::done();
    Library &files = document.libraryToChange();
    const Folder folder = name.folder();
    const Text fileName = name.fileName();
    if (!target) {
        if (const FileResult removed = files.remove(folder, fileName); !removed)
            return removed;
        document.announce({Change::Removed, name, {}});
        return FileResult::done();
    }
    if (!now) {
        // Created only while the name is free, so that a file another program made a moment
        // ago is never written over.
        if (const FileResult created = files.createNew(folder, fileName); !created)
            return created;
        if (!target->isEmpty()) {
            if (const FileResult written = files.writeContent(folder, fileName, *target);
                !written) {
                (void)files.remove(folder, fileName); // no half-made file stays behind
                return written;
            }
        }
        document.announce({Change::Created, name, {}});
        return FileResult::done();
    }
    if (const FileResult written = files.writeContent(folder, fileName, *target); !written)
        return written;
    document.announce({Change::Written, name, {}});
    return FileResult::done();
}

FileResult renameFile(LibraryDocument &document, const LibraryName &from, const LibraryName &to)
{
    Library &files = document.libraryToChange();
    if (const FileResult renamed = files.rename(from.folder(), from.fileName(), to.fileName());
        !renamed)
        return renamed;
    document.announce({Change::Renamed, to, from});
    return FileResult::done();
}

QString noun(const LibraryName &name)
{
    switch (name.folder()) {
    case Folder::Elements:
        return name.isList() ? QStringLiteral("元素类") : QStringLiteral("元素");
    case Folder::Templates:
        return name.isList() ? QStringLiteral("模板类") : QStringLiteral("模板");
    case Folder::Projects:
        return QStringLiteral("项目");
    }
    return {};
}

QString quoted(const Text &name)
{
    return QStringLiteral("「") + name.toUnicode() + QStringLiteral("」");
}

} // namespace

FileResult readBytes(const Library &library, const LibraryName &name, FileBytes &bytes)
{
    Loaded<Text> read = library.loadContent(name.folder(), name.fileName());
    if (read.result.isMissing()) {
        bytes.reset();
        return FileResult::done();
    }
    if (!read.result)
        return read.result;
    bytes = std::move(read.value);
    return FileResult::done();
}

ReplaceStep::ReplaceStep(LibraryName name, FileBytes before, FileBytes after)
    : m_name(std::move(name)), m_before(std::move(before)), m_after(std::move(after))
{
}

FileResult ReplaceStep::apply(LibraryDocument &document)
{
    return replace(document, m_name, m_before, m_after);
}

FileResult ReplaceStep::revert(LibraryDocument &document)
{
    return replace(document, m_name, m_after, m_before);
}

FileResult TrashStep::apply(LibraryDocument &document)
{
    TrashResult moved = document.libraryToChange().moveToTrash(m_name.folder(), m_name.fileName());
    if (!moved.result)
        return moved.result;
    m_trashed = std::move(moved.file);
    document.announce({Change::Removed, m_name, {}});
    return FileResult::done();
}

FileResult TrashStep::revert(LibraryDocument &document)
{
    if (const FileResult back = document.libraryToChange().restoreFromTrash(
            m_trashed, m_name.folder(), m_name.fileName());
        !back)
        return back;
    document.announce({Change::Created, m_name, {}});
    return FileResult::done();
}

FileResult RenameStep::apply(LibraryDocument &document)
{
    return renameFile(document, m_from, m_to);
}

FileResult RenameStep::revert(LibraryDocument &document)
{
    return renameFile(document, m_to, m_from);
}

ListStep::ListStep(LibraryName list, ListEdit edit, bool sorted, FileBytes before, Text after)
    : m_list(std::move(list)), m_edit(std::move(edit)), m_sorted(sorted),
      m_before(std::move(before)), m_after(std::move(after))
{
}

FileResult ListStep::apply(LibraryDocument &document)
{
    return change(document, m_before, m_after, m_edit);
}

FileResult ListStep::revert(LibraryDocument &document)
{
    return change(document, m_after, m_before, m_edit.inverse());
}

FileResult ListStep::change(LibraryDocument &document, const FileBytes &expected,
                            const FileBytes &target, const ListEdit &edit)
{
    FileBytes now;
    if (const FileResult read = readBytes(document.library(), m_list, now); !read)
        return read;
    if (now == expected)
        return replace(document, m_list, expected, target);
    // Another program changed the list since: the one edit is made to what it holds now. A list
    // it removed stays removed, unless the edit puts an entry back into it.
    const TextList merged = edit.applyTo(splitLines(now.value_or(Text())), m_sorted);
    if (!now && merged.isEmpty())
        return FileResult::done();
    return replace(document, m_list, now, joinLines(merged));
}

LibraryCommand::LibraryCommand(const QString &text, std::unique_ptr<FileStep> first,
                               std::unique_ptr<FileStep> second)
    : QUndoCommand(text), m_first(std::move(first)), m_second(std::move(second))
{
}

LibraryCommand::~LibraryCommand() = default;

FileResult LibraryCommand::apply(LibraryDocument &document)
{
    m_failed = Failed::Nothing;
    if (const FileResult first = m_first->apply(document); !first) {
        m_failed = Failed::First;
        return first;
    }
    if (!m_second)
        return FileResult::done();
    const FileResult second = m_second->apply(document);
    if (!second)
        m_failed = m_first->revert(document) ? Failed::Second : Failed::SecondAndUndoOfFirst;
    return second;
}

FileResult LibraryCommand::revert(LibraryDocument &document)
{
    m_failed = Failed::Nothing;
    FileStep *first = m_second ? m_second.get() : m_first.get();
    FileStep *second = m_second ? m_first.get() : nullptr;
    if (const FileResult undone = first->revert(document); !undone) {
        m_failed = Failed::First;
        return undone;
    }
    if (!second)
        return FileResult::done();
    const FileResult undone = second->revert(document);
    if (!undone)
        m_failed = first->apply(document) ? Failed::Second : Failed::SecondAndUndoOfFirst;
    return undone;
}

QString commandText(const char16_t *verb, const LibraryName &name)
{
    return QString::fromUtf16(verb) + noun(name) + quoted(name.name());
}

QString deleteQuestion(const LibraryName &name)
{
    return commandText(u"删除", name) + QStringLiteral("？");
}

QString renameText(const LibraryName &from, const Text &to)
{
    return QStringLiteral("修改") + noun(from) + quoted(from.name()) + QStringLiteral("为") +
           quoted(to);
}

} // namespace quorvel
