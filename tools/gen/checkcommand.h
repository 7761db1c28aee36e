#pragma once

#include "platform/text.h"

#include <optional>

namespace quorvel {

class Library;

enum class ReportFormat
{
    Text, // for people: one finding per line, as compilers write them
    Json, // for scripts: one JSON object per line
};

// quorvel-gen --check [PROJECT]: the findings of the library check on standard output, then the
// summary. 0 when there is no error and no always endless circle, 1 otherwise. A project given
// must exist (the caller has said so when it does not).
int printCheck(const Library &library, const std::optional<Text> &projectFile, ReportFormat format);

// quorvel-gen --count PROJECT: how many stories the project can make, then each template's.
int printCount(const Library &library, const Text &projectFile, ReportFormat format);

} // namespace quorvel
