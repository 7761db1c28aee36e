#include "library/folders.h"

#include "platform/files.h"

namespace quorvel {

LibraryFolders LibraryFolders::beside(const Files &files)
{
    LibraryFolders folders;
    folders.base = files.runDirectory() + u'/';
    folders.templates = folders.base + QString::fromUtf16(TemplatesFolderName) + u'/';
    folders.elements = folders.base + QString::fromUtf16(ElementsFolderName) + u'/';
    folders.projects = folders.base + QString::fromUtf16(ProjectsFolderName) + u'/';
    return folders;
}

LibraryFolders setUpLibraryFolders(Files &files)
{
    const LibraryFolders folders = LibraryFolders::beside(files);
    for (const QString &folder : {folders.templates, folders.elements, folders.projects}) {
        // A folder that cannot be made shows later: every operation in it fails with
        // FileResult::Cause::FolderMissing, which the window tells.
        if (!files.exists(folder))
            (void)files.createFolder(folder);
    }
    return folders;
}

} // namespace quorvel
