#pragma once

#include "library/libraryname.h"
#include "library/listedit.h"
#include "platform/fileresult.h"
#include "platform/text.h"
#include "platform/trash.h"

#include <QUndoCommand>

#include <memory>
#include <optional>

namespace quorvel {

class Library;
class LibraryDocument;

// What a file holds: its bytes, or nothing when it is missing.
using FileBytes = std::optional<Text>;

// One change to the files of the library that can be taken back. apply() makes it and revert()
// takes it back; each changes its files wholly or not at all, and fails, changing nothing, when
// the disk no longer holds what the change expects (another program changed a file meanwhile, or
// took a name).
class FileStep
{
public:
    virtual ~FileStep() = default;
    [[nodiscard]] virtual FileResult apply(LibraryDocument &document) = 0;
    [[nodiscard]] virtual FileResult revert(LibraryDocument &document) = 0;
};

// A file goes from one content to another: created (from missing), written, or removed (to
// missing). Files the user deletes go to the trash instead (TrashStep).
class ReplaceStep : public FileStep
{
public:
    ReplaceStep(LibraryName name, FileBytes before, FileBytes after);
    FileResult apply(LibraryDocument &document) override;
    FileResult revert(LibraryDocument &document) override;

private:
    LibraryName m_name;
    FileBytes m_before;
    FileBytes m_after;
};

// A file goes to the trash, and its undo brings it back from there under its name: its very bytes,
// never over a file that took the name meanwhile (EEXIST), and only while the trash still holds
// it. A redo trashes it again.
class TrashStep : public FileStep
{
public:
    explicit TrashStep(LibraryName name) : m_name(std::move(name)) {}
    FileResult apply(LibraryDocument &document) override;
    FileResult revert(LibraryDocument &document) override;

private:
    LibraryName m_name;
    TrashedFile m_trashed;
};

// A file takes another name, never over an existing file.
class RenameStep : public FileStep
{
public:
    RenameStep(LibraryName from, LibraryName to) : m_from(std::move(from)), m_to(std::move(to)) {}
    FileResult apply(LibraryDocument &document) override;
    FileResult revert(LibraryDocument &document) override;

private:
    LibraryName m_from;
    LibraryName m_to;
};

// One edit of a list file's entries. The file goes back to its exact bytes when nobody changed it
// since; otherwise the edit (or its inverse) is made to the entries as they are now, keeping what
// the other program wrote.
class ListStep : public FileStep
{
public:
    // The file held before, and the entries written by the first apply().
    ListStep(LibraryName list, ListEdit edit, bool sorted, FileBytes before, Text after);
    FileResult apply(LibraryDocument &document) override;
    FileResult revert(LibraryDocument &document) override;

private:
    FileResult change(LibraryDocument &document, const FileBytes &expected, const FileBytes &target,
                      const ListEdit &edit);

    LibraryName m_list;
    ListEdit m_edit;
    bool m_sorted;
    FileBytes m_before;
    FileBytes m_after;
};

// A step on the document's undo stack: one or two file steps, both made or neither. The second
// is undone first. The document makes and takes back the steps itself, so that it can tell what
// the disk refused; QUndoStack's own calls only move its index.
class LibraryCommand : public QUndoCommand
{
public:
    LibraryCommand(const QString &text, std::unique_ptr<FileStep> first,
                   std::unique_ptr<FileStep> second = nullptr);
    ~LibraryCommand() override;

    [[nodiscard]] FileResult apply(LibraryDocument &document);
    [[nodiscard]] FileResult revert(LibraryDocument &document);
    // Whether the first step failed, or the second (after which the first was taken back, or, when
    // that failed too, left done).
    enum class Failed
    {
        Nothing,
        First,
        Second,
        SecondAndUndoOfFirst
    };
    Failed failed() const { return m_failed; }

    void redo() override {}
    void undo() override {}

private:
    std::unique_ptr<FileStep> m_first;
    std::unique_ptr<FileStep> m_second;
    Failed m_failed = Failed::Nothing;
};

// Reads what the file holds now: its bytes, nothing when it is missing, or the failure.
[[nodiscard]] FileResult readBytes(const Library &library, const LibraryName &name,
                                   FileBytes &bytes);

// The command's name for the undo menu: "删除元素「天气」", "修改项目「甲」为「乙」".
QString commandText(const char16_t *verb, const LibraryName &name);
QString renameText(const LibraryName &from, const Text &to);
// The question a delete asks first: "删除元素「天气」？".
QString deleteQuestion(const LibraryName &name);

} // namespace quorvel
