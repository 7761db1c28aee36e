#pragma once

#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/random.h"

namespace quorvel {

// The runtime services every handler works through.
struct Services
{
    Files &files;
    RandomSource &random;
    Dialogs &dialogs;
};

} // namespace quorvel
