// The entry commands of the library document: each changes an entry's content file (".txt") and
// its line in the category's list file, both or neither.
#include "library/librarycommand.h"
#include "library/librarydocument.h"
#include "library/lines.h"

#include <cerrno>

namespace quorvel {

namespace {

// The list as the command will write it: the edit made to the entries the view shows, or, when
// another program changed the file since the view read it, to the entries the file holds now.
struct PlannedList
{
    FileResult result;
    FileBytes before;
    TextList entries;
    // None when no category is selected, or when the file already holds the entries: a step
    // that changes nothing is none to undo.
    std::unique_ptr<ListStep> step;
};

PlannedList planList(const LibraryDocument &document, const ShownList &list, const ListEdit &edit)
{
    PlannedList planned;
    if (list.category.name().isEmpty()) {
        planned.entries = edit.applyTo(list.entries, list.sorted);
        return planned;
    }
    planned.result = readBytes(document.library(), list.category, planned.before);
    if (!planned.result)
        return planned; // a file that cannot be read is not written over either
    const bool changedMeanwhile = document.keyOf(list.category) != list.key;
    const TextList base =
        changedMeanwhile ? splitLines(planned.before.value_or(Text())) : list.entries;
    // The step keeps the edit as made to these entries, which may hold the entry at another row
    // than the view, or not at all: its undo then puts back only what it took, where it was.
    const ListEdit placed = edit.placedIn(base);
    planned.entries = placed.applyTo(base, list.sorted);
    Text after = joinLines(planned.entries);
    if (planned.before != after)
        planned.step = std::make_unique<ListStep>(list.category, placed, list.sorted,
                                                  planned.before, std::move(after));
    return planned;
}

EntryResult failedAt(EntryResult::Step step, const FileResult &result, TextList entries)
{
    EntryResult failed;
    failed.failed = step;
    failed.result = result;
    failed.entries = std::move(entries);
    return failed;
}

} // namespace

EntryResult LibraryDocument::addEntry(const ShownList &list, const Text &name)
{
    const LibraryName file = LibraryName::content(list.category.folder(), name);
    auto create = std::make_unique<ReplaceStep>(file, std::nullopt, Text());
    if (const FileResult created =
            Library::acceptsNewName(name) ? create->apply(*this) : FileResult::refusedName();
        !created) {
        // The list is written all the same, as the view shows it, so that the two match.
        const EntryResult synced = syncList(list);
        return failedAt(EntryResult::Step::File, created, synced.entries);
    }
    // The file was made above; the command takes it back when the list cannot be written.
    PlannedList planned = planList(*this, list, ListEdit::add(name));
    FileResult written = planned.result;
    if (written && planned.step)
        written = planned.step->apply(*this);
    if (!written) {
        const bool removed = bool(create->revert(*this));
        return failedAt(removed ? EntryResult::Step::List : EntryResult::Step::FileKept, written,
                        list.entries);
    }
    m_undo.push(
        new LibraryCommand(commandText(u"添加", file), std::move(create), std::move(planned.step)));
    EntryResult done;
    done.entries = planned.entries;
    return done;
}

EntryResult LibraryDocument::renameEntry(const ShownList &list, int row, const Text &to)
{
    const Folder folder = list.category.folder();
    const Text from = list.entries.value(row);
    const LibraryName oldFile = LibraryName::content(folder, from);
    const LibraryName newFile = LibraryName::content(folder, to);
    if (!Library::acceptsNewName(to))
        return failedAt(EntryResult::Step::File, FileResult::refusedName(), list.entries);
    if (exists(newFile))
        return failedAt(EntryResult::Step::File, FileResult::systemError(EEXIST), list.entries);
    // The entry follows its file. An entry whose file is missing only changes its name, provided
    // the name could ever be a file.
    std::unique_ptr<FileStep> move;
    if (exists(oldFile)) {
        move = std::make_unique<RenameStep>(oldFile, newFile);
        if (const FileResult renamed = move->apply(*this); !renamed)
            return failedAt(EntryResult::Step::File, renamed, list.entries);
    } else if (!library().pathOf(folder, newFile.fileName())) {
        return failedAt(EntryResult::Step::File, FileResult::refusedName(), list.entries);
    }
    PlannedList planned =
        planList(*this, list, row >= 0 ? ListEdit::rename(row, from, to) : ListEdit::none());
    FileResult written = planned.result;
    if (written && planned.step)
        written = planned.step->apply(*this);
    if (!written) {
        // The list still names the old name: the text goes back under it.
        if (!move || move->revert(*this))
            return failedAt(EntryResult::Step::List, written, list.entries);
        TextList shown = list.entries;
        if (row >= 0 && row < shown.size())
            shown[row] = to; // the list shows the file as it is
        return failedAt(EntryResult::Step::FileKept, written, shown);
    }
    if (move || planned.step) {
        std::unique_ptr<FileStep> first = move ? std::move(move) : std::move(planned.step);
        m_undo.push(
            new LibraryCommand(renameText(oldFile, to), std::move(first), std::move(planned.step)));
    }
    EntryResult done;
    done.entries = planned.entries;
    return done;
}

EntryResult LibraryDocument::removeEntry(const ShownList &list, int row)
{
    // The list goes first, so that a list file that cannot be written keeps naming a text that
    // is still there; the content file then goes to the trash, from where an undo takes it back.
    const LibraryName file = LibraryName::content(list.category.folder(), list.entries.value(row));
    const bool present = exists(file);
    PlannedList planned =
        planList(*this, list, row >= 0 ? ListEdit::remove(row, file.name()) : ListEdit::none());
    FileResult written = planned.result;
    if (written && planned.step)
        written = planned.step->apply(*this);
    if (!written)
        return failedAt(EntryResult::Step::List, written, list.entries);
    std::unique_ptr<FileStep> drop;
    if (present) {
        drop = std::make_unique<TrashStep>(file);
        if (const FileResult removed = drop->apply(*this); !removed) {
            // A content file no list names must not stay behind: the entry goes back.
            const bool listBack = !planned.step || planned.step->revert(*this);
            return failedAt(listBack ? EntryResult::Step::File : EntryResult::Step::FileKept,
                            removed, listBack ? list.entries : planned.entries);
        }
    }
    if (planned.step || drop) {
        std::unique_ptr<FileStep> first = planned.step ? std::move(planned.step) : std::move(drop);
        m_undo.push(
            new LibraryCommand(commandText(u"删除", file), std::move(first), std::move(drop)));
    }
    EntryResult done;
    done.entries = planned.entries;
    return done;
}

EntryResult LibraryDocument::syncList(const ShownList &list)
{
    // The view's list into its file, when the file holds something else (the view sorts it, or
    // the file is missing); what another program wrote since stays.
    PlannedList planned = planList(*this, list, ListEdit::none());
    if (!planned.result)
        return failedAt(EntryResult::Step::List, planned.result, list.entries);
    if (planned.step) {
        if (const FileResult written = planned.step->apply(*this); !written)
            return failedAt(EntryResult::Step::List, written, list.entries);
        m_undo.push(
            new LibraryCommand(commandText(u"保存", list.category), std::move(planned.step)));
    }
    EntryResult done;
    done.entries = planned.entries;
    return done;
}

} // namespace quorvel
