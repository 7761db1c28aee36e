// quorvel-gen --check: the engine's LibraryCheck, printed.
#include "tools/gen/commands.h"

#include "engine/check.h"
#include "engine/checkjson.h"
#include "tools/gen/console.h"

namespace quorvel::gen {

int printCheck(const OpenLibrary &opened, ReportFormat format)
{
    LibraryCheck check(opened.document.library());
    const CheckReport &report =
        opened.project ? check.checkProject(opened.project->fileName()) : check.checkAll();
    for (const Finding &finding : report.findings) {
        if (format == ReportFormat::Json)
            printJson(findingToJson(finding));
        else
            printLine(finding.compilerLine());
    }
    if (format == ReportFormat::Json)
        printJson(checkSummaryToJson(report));
    else
        printLine(report.summary());
    return report.passed() ? Success : CheckFailed;
}

} // namespace quorvel::gen
