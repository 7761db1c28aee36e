#pragma once

#include "engine/diagnostic.h"
#include "engine/expansion.h"
#include "platform/text.h"

#include <QByteArrayView>
#include <QHash>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace quorvel {

// Where a story line came from: its template, the pattern's line (from 1), and the draws.
struct LineTrace
{
    Text templateName;
    int patternLine = 0;
    QList<DrawTrace> draws;
};

struct StoryLine
{
    Text text;
    LineTrace trace;
};

class ContentCache;
class ContentLines;
class Library;
class RandomSource;

// Turns templates into story lines: picks a pattern of the template, then replaces each element
// reference in it by a random line of that element. Every template and every element is taken
// as it is on disk at the moment it is needed (see library/contentcache.h), so a file saved a
// moment ago is what the next draw sees. What the expansion meets on the way (an element without
// lines, a "[]", a circle) goes to the diagnostic sink the moment it is met, before the line.
class Generator
{
public:
    Generator(ContentCache &files, RandomSource &random, DiagnosticSink diagnostics = {},
              ExpansionLimits limits = {});
    // With a content cache of its own, for one-off use.
    Generator(const Library &library, RandomSource &random, DiagnosticSink diagnostics = {},
              ExpansionLimits limits = {});
    ~Generator();

    // The story line of one template: a random pattern of it, expanded; its diagnostics name the
    // template and the pattern's line. Nothing, and no diagnostic, when the template has no
    // pattern (its file is missing or empty). With trace set the line says where it came from
    // (else its trace has no draws).
    std::optional<StoryLine> tracedStoryLine(const Text &templateName, bool trace);

    // The pattern with every reference replaced, handing on the diagnostics the expansion meets.
    // With draws given, they are filled with where each part of the line came from.
    Text expand(const Text &pattern, QList<DrawTrace> *draws = nullptr);

    // A random line of the element that reference ("[" name "]") names. An element without any
    // line gives the empty text after a diagnostic.
    Text drawElement(const Text &reference);

    // Asked now and then during an expansion: true stops it, and every expansion after it, at
    // once and without a diagnostic; tracedStoryLine() then gives nothing.
    void setStopCheck(std::function<bool()> stopRequested);
    bool stopped() const { return m_stopped; }
    // How many lines ended at a limit (see ExpansionLimits): each is named in a diagnostic and
    // goes into the story cut to 64 KiB at most.
    int linesAtBound() const { return m_linesAtBound; }

private:
    // The line for one reference; nothing when the expansion must stop (see ExpansionLimits).
    std::optional<DrawnLine> drawLine(QByteArrayView reference);
    // Hands the diagnostic on, with the template and pattern line of the expansion under way.
    void report(Diagnostic diagnostic);
    // The same, unless this expansion met it (its kind, for its element) too often already: then
    // false.
    bool reportBounded(Diagnostic diagnostic);
    // The element named in a reference, and its file's name: made once and shared by every draw
    // of that element, so that a draw allocates nothing for them.
    struct ElementNames
    {
        Text name;
        Text fileName;
    };
    const ElementNames &elementNames(QByteArrayView name);

    std::unique_ptr<ContentCache> m_ownFiles;
    ContentCache &m_files;
    RandomSource &m_random;
    DiagnosticSink m_diagnostics;
    ExpansionLimits m_limits;
    // The element file of the latest draw: the line it drew points into it.
    std::shared_ptr<const ContentLines> m_element;
    // Of the expansion under way: its template and pattern line when known, how often each
    // diagnostic was met (by kind and element), how many bytes were read.
    Text m_templateName;
    int m_patternLine = 0;
    QHash<std::pair<int, Text>, int> m_met;
    QHash<QByteArray, ElementNames> m_elementNames;
    qint64 m_bytesRead = 0;

    static constexpr int DrawsBetweenStopChecks = 1024;
    std::function<bool()> m_stopRequested;
    int m_drawsSinceAsked = 0;
    bool m_stopped = false;
    int m_linesAtBound = 0;
};

} // namespace quorvel
