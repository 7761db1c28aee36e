#pragma once

#include "library/folders.h"

#include <QStringList>
#include <optional>

namespace quorvel {

// The four folder texts that both windows read: set once at start-up and released by the exit
// routine, projects first and base last. A text that was never set is not released.
class ProgramFolders
{
public:
    static void set(const LibraryFolders &folders);
    static bool isSet();
    static LibraryFolders get();
    // Releases the texts that are set, in the order projects, templates, elements, base, and
    // returns the names of those released ("projects", "templates", "elements", "base").
    static QStringList release();

private:
    static std::optional<QString> s_base, s_templates, s_elements, s_projects;
};

} // namespace quorvel
