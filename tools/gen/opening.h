#pragma once

#include "library/librarydocument.h"
#include "platform/localfiles.h"
#include "platform/text.h"
#include "tools/gen/options.h"

#include <memory>
#include <optional>

namespace quorvel::gen {

// What every command works on: the library document, read only, on the files of its folder, and
// the project named on the command line, if one was.
struct OpenLibrary
{
    OpenLibrary(const QString &folder, ContentCache::Options cache);

    LocalFiles files;
    LibraryDocument document;
    std::optional<LibraryName> project;
};

// Opens the library the options name, or the one the window would use, and finds the project
// named. Nothing when the folder holds no library or that project does not exist, after saying
// so on standard error. Nothing is created.
std::unique_ptr<OpenLibrary> openLibrary(const Options &options);

// What the user is told about a project file that is there but was not read (a link out of the
// library, a file too large, one the system refuses), with its cause. Empty when it was read, or
// when it is not there: that is an empty project.
QString unreadableProject(const FileResult &read, const LibraryName &project);

} // namespace quorvel::gen
