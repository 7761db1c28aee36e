#pragma once

#include "library/folders.h"
#include "library/libraryname.h"
#include "platform/filekey.h"
#include "platform/fileresult.h"
#include "platform/text.h"
#include "platform/trash.h"

#include <QString>
#include <optional>

namespace quorvel {

class Files;

// The content library: list files (".l") and content files (".txt") in the three folders. Every
// operation reads or writes a whole file at once.
//
// A file is named by its folder and its file name (stem and extension, as GBK text). A file name
// that would reach outside its folder (empty, "." or "..", or holding "/", "\" or NUL), or that
// holds a line break or another control character (a tab excepted), is refused: a change fails
// with FileResult::Cause::RefusedName, and a read finds nothing. A change that fails because the
// folder itself is gone says so (FileResult::Cause::FolderMissing). A name that is a symbolic
// link is used only when the link leads to a file inside the folder (see platform/files.h).
class Library
{
public:
    Library(Files &files, LibraryFolders folders);

    const LibraryFolders &folders() const { return m_folders; }
    QString folderPath(Folder folder) const;
    Files &files() const { return m_files; }

    // Whether a name may be given to a file now: a new category, project or entry, or the new
    // name of a rename. Names that start with "." are hidden in file managers and are kept from
    // the program's own hidden files; files that already have such a name are read, written and
    // removed as any other.
    static bool acceptsNewName(const Text &name);

    // The path of a file in the folder, or nothing when the name is refused.
    std::optional<QString> pathOf(Folder folder, const Text &fileName) const;

    // An empty file name asks about the folder itself, which exists.
    bool exists(Folder folder, const Text &fileName) const;
    // A read gives what the file holds, and what became of the read: a missing file reads as
    // empty (and says it is missing), as does a file the program does not read (too large, or
    // a link out of the folder; see unreadableMessage()).
    Loaded<TextList> loadList(Folder folder, const Text &fileName) const;
    Loaded<Text> loadContent(Folder folder, const Text &fileName) const;
    // The same, for callers that treat every file they cannot read as empty.
    TextList readList(Folder folder, const Text &fileName) const;
    Text readContent(Folder folder, const Text &fileName) const;
    FileResult writeList(Folder folder, const Text &fileName, const TextList &entries);
    FileResult writeContent(Folder folder, const Text &fileName, const Text &content);
    // Creates an empty file, only if nothing has the name yet: a name taken meanwhile, even by
    // another program a moment ago, fails with EEXIST and keeps what is there.
    FileResult createNew(Folder folder, const Text &fileName);
    // Never replaces an existing file: fails, changing nothing, when the new name is taken.
    FileResult rename(Folder folder, const Text &from, const Text &to);
    FileResult remove(Folder folder, const Text &fileName);
    // Moves the file to the trash, from where restoreFromTrash() brings it back under a name that
    // is free (never over a file: a taken name fails with EEXIST).
    TrashResult moveToTrash(Folder folder, const Text &fileName);
    FileResult restoreFromTrash(const TrashedFile &file, Folder folder, const Text &fileName);
    // The list files ("*.l") of the folder, extension included: the categories of the templates
    // or elements folder, the projects of the projects folder. In the order the file system
    // lists them.
    TextList listFiles(Folder folder) const;
    // The content files ("*.txt") of the folder, extension included, in the same way.
    TextList listContentFiles(Folder folder) const;
    // The key of the file as it is now (see platform/filekey.h); nothing when it is missing.
    std::optional<FileKey> keyOf(Folder folder, const Text &fileName) const;

private:
    // A failure of the file system inside the folder, told apart from the folder being gone.
    FileResult inFolder(Folder folder, FileResult result) const;
    TextList listMatching(Folder folder, const QString &pattern) const;

    Files &m_files;
    LibraryFolders m_folders;
};

} // namespace quorvel
