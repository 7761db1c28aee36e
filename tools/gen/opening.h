#pragma once

#include "library/library.h"
#include "platform/localfiles.h"
#include "platform/text.h"
#include "tools/gen/options.h"

#include <memory>
#include <optional>

namespace quorvel::gen {

// What every command works on: the library, on the files of its folder, and the project named
// on the command line (its file, with ".l"), if one was.
struct OpenLibrary
{
    explicit OpenLibrary(const QString &folder);

    LocalFiles files;
    Library library;
    std::optional<Text> projectFile;
};

// Opens the library the options name, or the one the window would use, and finds the project
// named. Nothing when that project does not exist, after saying so on standard error.
std::unique_ptr<OpenLibrary> openLibrary(const Options &options);

} // namespace quorvel::gen
