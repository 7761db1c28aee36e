#pragma once

#include "engine/diagnostic.h"
#include "platform/dialogs.h"

namespace quorvel::test {

// Each diagnostic shown as a message, as the Run button shows it: tests of the engine read the
// messages the user would see in the dialogs' record.
inline DiagnosticSink shownIn(Dialogs &dialogs)
{
    return [&dialogs](const Diagnostic &diagnostic) { dialogs.message(diagnostic.message()); };
}

} // namespace quorvel::test
