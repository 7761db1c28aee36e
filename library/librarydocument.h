#pragma once

#include "library/contentcache.h"
#include "library/library.h"
#include "library/libraryname.h"
#include "library/listedit.h"

#include <QObject>
#include <QUndoStack>

#include <memory>
#include <optional>

namespace quorvel {

class LibraryCommand;

// A read as a view shows it: the value, what became of the read, and the key the file had just
// before it (nothing: missing), so that the view can tell later whether another program has
// changed the file since.
template <typename T> struct Shown
{
    T value;
    FileResult result;
    std::optional<FileKey> key;
};

// One change the document made to the library, for the views to follow.
struct LibraryChange
{
    enum class Kind
    {
        Created,
        Written,
        Renamed, // from the name in from
        Removed,
    };
    Kind kind = Kind::Written;
    LibraryName name;
    LibraryName from;
};

// The entry list a command changes: the category (a list file; an empty name when none is
// selected, and then only the list on screen changes), the entries as the view shows them, the
// key the file had when the view read it, and whether the view keeps them sorted.
struct ShownList
{
    LibraryName category;
    TextList entries;
    std::optional<FileKey> key;
    bool sorted = false;
};

// What became of an entry command, which changes a content file and the list that names it.
struct EntryResult
{
    enum class Step
    {
        Done,
        File,     // the content file could not be changed: nothing changed
        List,     // the list file could not be written: nothing changed
        FileKept, // one of the two could not be changed, nor the other put back
    };
    Step failed = Step::Done;
    FileResult result;
    // The entries the view shows afterwards: the list as written (with what another program
    // wrote meanwhile), or the shown list with the change when no category is selected.
    TextList entries;

    explicit operator bool() const { return failed == Step::Done; }
};

// The project the main window builds and runs: the project file it was read from (an empty name
// while none was read) and its templates as they stand, saved or not.
struct CurrentProject
{
    LibraryName file;
    TextList templates;
    // Changed since it was read from its file or saved into it.
    bool modified = false;
    // The file as it was read or last saved: its key just before, and its templates, so that a
    // save can tell what another program changed meanwhile.
    std::optional<FileKey> key = {};
    TextList loaded = {};
};

// The library that both windows and quorvel-gen work on: its folders, its files and the content
// cache the runs read through. Every change to the library goes through here: each is one step on
// the undo stack, changes its files wholly or not at all, and is announced by changed(), which
// the views follow. The document also holds the current project, which a run reads.
class LibraryDocument : public QObject
{
    Q_OBJECT

public:
    enum class Opening
    {
        CreateFolders, // the window: folders that are missing are created
        ReadOnly,      // quorvel-gen: nothing is created
    };

    LibraryDocument(Files &files, Opening opening, ContentCache::Options cache = {},
                    QObject *parent = nullptr);
    ~LibraryDocument() override;

    // Whether the folder holds a library: at least one of its three folders is there.
    bool holdsLibrary() const;
    const Library &library() const { return m_library; }
    ContentCache &content() { return m_content; }

    // Reading.
    bool exists(const LibraryName &name) const;
    std::optional<FileKey> keyOf(const LibraryName &name) const;
    // The list files of the folder (categories or projects), in the order the system lists them.
    QList<LibraryName> lists(Folder folder) const;
    Shown<TextList> readList(const LibraryName &name) const;
    Shown<Text> readContent(const LibraryName &name) const;

    // Files of their own: a category or project (list) or a content file without a list entry.
    // create fails with EEXIST while anything has the name, and keeps what is there. A new
    // category or project, a new name and a new entry are refused a name that
    // Library::acceptsNewName() refuses (FileResult::refusedName()).
    [[nodiscard]] FileResult create(const LibraryName &name);
    // Never over an existing file: fails, changing nothing, when the new name is taken.
    [[nodiscard]] FileResult rename(const LibraryName &from, const Text &to);
    // To the desktop's trash (see platform/trash.h), from where an undo brings the file back.
    [[nodiscard]] FileResult remove(const LibraryName &name);
    [[nodiscard]] FileResult writeContent(const LibraryName &name, const Text &content);
    [[nodiscard]] FileResult writeList(const LibraryName &name, const TextList &entries);

    // Entries: a content file and its line in a category's list, both changed or neither. When
    // another program changed the list file since the view read it, the change is made to the
    // file as it is now, keeping what the other program wrote. A list that can be written but
    // gains nothing (a name already taken) is still written, so that it matches the view.
    [[nodiscard]] EntryResult addEntry(const ShownList &list, const Text &name);
    // Renames the content file when it is there; the list names the new name either way.
    [[nodiscard]] EntryResult renameEntry(const ShownList &list, int row, const Text &to);
    // The list first, then the content file, which goes to the trash.
    [[nodiscard]] EntryResult removeEntry(const ShownList &list, int row);
    // Writes the view's list into its file when the file holds something else.
    [[nodiscard]] EntryResult syncList(const ShownList &list);

    // The undo stack, with a command's text naming it ("删除元素「天气」").
    QUndoStack &undoStack() { return m_undo; }
    // Undoes or redoes one step; a step the disk refuses (a file changed meanwhile, a name
    // taken) stays where it is, with nothing half done, and says why.
    [[nodiscard]] FileResult undo();
    [[nodiscard]] FileResult redo();

    // The current project.
    const CurrentProject &project() const { return m_project; }
    // Reads the project file into the current project (a file that cannot be read gives an
    // empty project, with the result saying why).
    FileResult openProject(const LibraryName &file);
    // Makes the project this one, as if read from its file. Given for the project file already
    // read, without a key, it keeps what was read of the file.
    void setProject(CurrentProject project);
    void appendToProject(const Text &templateName);
    void removeFromProject(int row);
    // Saves the current project's templates into the file, which then is the project's. Into
    // the file the project was read from, after another program changed it: what that program
    // only added at the end (templates the project names nowhere, nor did when it was read) is
    // kept, after the project's own templates; any other change is not overwritten unless
    // overwrite is set, and the result is ChangedOnDisk.
    [[nodiscard]] FileResult saveProject(const LibraryName &file, bool overwrite = false);

    // For the commands alone: the files they change, and the announcement of each change they
    // made to the disk.
    Library &libraryToChange() { return m_library; }
    void announce(const LibraryChange &change);

signals:
    void changed(const quorvel::LibraryChange &change);
    void projectChanged();

private:
    // Does the command; pushes it on the undo stack when it changed the disk.
    FileResult perform(std::unique_ptr<LibraryCommand> command);

    Library m_library;
    ContentCache m_content;
    QUndoStack m_undo;
    CurrentProject m_project;
};

} // namespace quorvel
