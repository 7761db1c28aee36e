#pragma once

#include "library/folders.h"
#include "platform/text.h"

#include <QString>
#include <optional>

namespace quorvel {

class Files;

enum class Folder
{
    Templates,
    Elements,
    Projects
};

// The content library: list files (".l") and content files (".txt") in the three folders. Every
// operation reads or writes a whole file at once and caches nothing.
//
// A file is named by its folder and its file name (stem and extension, as GBK bytes). A file name
// that would reach outside its folder (empty, "." or "..", or holding "/", "\" or NUL) is refused:
// the operation fails as if the file system had refused the name, and a read finds nothing.
class Library
{
public:
    Library(Files &files, LibraryFolders folders);

    const LibraryFolders &folders() const { return m_folders; }
    QString folderPath(Folder folder) const;
    Files &files() const { return m_files; }

    // The path of a file in the folder, or nothing when the name is refused.
    std::optional<QString> pathOf(Folder folder, const Text &fileName) const;

    // An empty file name asks about the folder itself, which exists.
    bool exists(Folder folder, const Text &fileName) const;
    TextList readList(Folder folder, const Text &fileName) const;
    bool writeList(Folder folder, const Text &fileName, const TextList &entries);
    Text readContent(Folder folder, const Text &fileName) const;
    bool writeContent(Folder folder, const Text &fileName, const Text &content);
    bool createEmpty(Folder folder, const Text &fileName);
    // Never replaces an existing file: fails, changing nothing, when the new name is taken.
    bool rename(Folder folder, const Text &from, const Text &to);
    bool remove(Folder folder, const Text &fileName);
    // The category files ("*.l") of the folder, with extension, in the order the file system
    // lists them.
    TextList categories(Folder folder) const;

private:
    Files &m_files;
    LibraryFolders m_folders;
};

} // namespace quorvel
