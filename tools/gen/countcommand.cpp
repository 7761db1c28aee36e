// quorvel-gen --count: the story counts of the engine's LibraryCheck, printed.
#include "tools/gen/commands.h"

#include "engine/check.h"
#include "engine/checkjson.h"
#include "engine/messages.h"
#include "tools/gen/console.h"

namespace quorvel::gen {

int printCount(const OpenLibrary &opened, ReportFormat format)
{
    const Text projectFile = opened.project->fileName();
    // A project file that cannot be read is told as such, not counted as an empty project.
    const QString unreadable = unreadableProject(
        opened.document.library().loadList(Folder::Projects, projectFile).result, *opened.project);
    if (!unreadable.isEmpty()) {
        printError(unreadable);
        return NotFound;
    }
    LibraryCheck check(opened.document.library());
    check.checkProject(projectFile);
    const QString project = opened.project->name().toUnicode();
    const StoryCount total = check.projectCount(projectFile);
    if (format == ReportFormat::Json)
        printJson(projectCountToJson(project, total));
    else
        printLine(messages::projectStoryCount(project, total.shown()));
    for (const Text &name : check.projectTemplates(projectFile)) {
        const StoryCount count = check.templateCount(name);
        if (format == ReportFormat::Json)
            printJson(templateCountToJson(name, count));
        else
            printLine(QStringLiteral("  模板「%1」：%2 种").arg(name.toUnicode(), count.shown()));
    }
    return Success;
}

} // namespace quorvel::gen
