#pragma once

#include "platform/fileresult.h"
#include "platform/text.h"

#include <QString>

#include <functional>

namespace quorvel {

// Something a run met that the user is told about, as a value: what it is and where. The engine
// hands each one on the moment it meets it; the caller decides what the user sees of it (a
// message box, a line in a list, a line on standard error), in the words message() gives.
struct Diagnostic
{
    enum class Kind
    {
        EmptyProject,     // the project names no template
        EmptyReference,   // a "[]" ended the expansion
        EmptyElement,     // a reference to an element without any line (its file missing or empty)
        UnreadableFile,   // a template or element file that is there but not read
        EndlessExpansion, // the expansion stopped at a limit (see ExpansionLimits)
    };

    Kind kind = Kind::EmptyProject;
    // EmptyElement: the name in the reference. UnreadableFile: the element whose file it is, empty
    // when it is the template's own file. EndlessExpansion: the name in the reference the
    // expansion stopped at (the last of the chain).
    Text element = {};
    // EndlessExpansion: the elements it stopped in, as Expansion::chain.
    TextList chain = {};
    // UnreadableFile: why the file is not read (see unreadableMessage()).
    FileResult::Cause cause = FileResult::Cause::None;
    // The template being run and the line of its pattern (from 1), where known: a pattern
    // expanded by itself has neither, a template's own file no line.
    Text templateName = {};
    int patternLine = 0;

    // What the user is told, exactly as the program always said it.
    QString message() const;

    friend bool operator==(const Diagnostic &, const Diagnostic &) = default;
};

// Where the engine hands each diagnostic, in the order it meets them.
using DiagnosticSink = std::function<void(const Diagnostic &diagnostic)>;

} // namespace quorvel
