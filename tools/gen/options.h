#pragma once

#include "library/story.h"

#include <QString>

#include <optional>

namespace quorvel::gen {

enum ExitStatus
{
    Success = 0,
    NotFound = 1,    // no library in the folder, no such project, or one that cannot be read
    CheckFailed = 1, // --check: an error, or a circle that is always endless
    BadArguments = 2,
    OutputFailed = 3,
    LineAtBound = 4,
    // A signal that stopped the run gives 128 + its number, as the shell reports it: 130 for
    // SIGINT, 143 for SIGTERM.
};

enum class Command
{
    Run,
    Check,
    Count,
};

enum class ReportFormat
{
    Text, // for people: one finding per line, as compilers write them
    Json, // for scripts: one JSON object per line
};

// What the command line asked for.
struct Options
{
    Command command = Command::Run;
    ReportFormat format = ReportFormat::Text;
    QString libraryFolder; // empty: the program's own library
    qint64 times = 1;
    std::optional<quint64> seed;
    bool cache = true;
    QString outputFile; // empty: standard output
    StoryEncoding encoding = StoryEncoding::Utf8;
    bool quiet = false;
    bool trace = false;
    QString project; // empty only for --check without a project
};

} // namespace quorvel::gen
