#pragma once

#include "tools/gen/opening.h"
#include "tools/gen/options.h"

namespace quorvel::gen {

// quorvel-gen PROJECT: runs the project as the Run button does, the story lines on standard
// output (or into the file -o names), the messages on standard error. The exit status tells how
// it went (see ExitStatus).
int runProject(const Options &options, OpenLibrary &opened);

// quorvel-gen --check [PROJECT]: the findings of the library check on standard output, then the
// summary. 0 when there is no error and no always endless circle, 1 otherwise.
int printCheck(const OpenLibrary &opened, ReportFormat format);

// quorvel-gen --count PROJECT: how many stories the project can make, then each template's.
int printCount(const OpenLibrary &opened, ReportFormat format);

} // namespace quorvel::gen
