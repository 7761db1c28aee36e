#include "engine/generator.h"

#include "library/contentcache.h"
#include "library/library.h"
#include "platform/gbkcodec.h"
#include "platform/random.h"

namespace quorvel {

namespace {

Text elementFileName(QByteArrayView stem)
{
    return LibraryName::content(Folder::Elements, Text::fromGbk(stem)).fileName();
}

// An endless line goes into the story cut to this, so that a circle that grows the line cannot
// flood the story box; the cut falls between characters and is marked.
constexpr qsizetype LongestEndlessLine = 64 * 1024;

// The draws as far as they lie in the first length bytes of the line; a list at a time, since
// the draws of an endless line nest thousands deep.
void keepDrawsWithin(QList<DrawTrace> &draws, qsizetype length)
{
    QList<QList<DrawTrace> *> pending{&draws};
    while (!pending.isEmpty()) {
        QList<DrawTrace> &list = *pending.takeLast();
        list.removeIf([length](const DrawTrace &draw) { return draw.start >= length; });
        for (DrawTrace &draw : list) {
            draw.end = std::min(draw.end, length);
            pending.append(&draw.inner);
        }
    }
}

Text cutToFit(Text line, QList<DrawTrace> &draws)
{
    if (line.size() <= LongestEndlessLine)
        return line;
    const Text mark = Text::fromUnicode(u"……");
    const QByteArrayView bytes = line.view();
    const qsizetype end = gbk::wholeCharactersWithin(bytes, LongestEndlessLine - mark.size());
    keepDrawsWithin(draws, end);
    return Text::fromGbk(bytes.first(end)) + mark;
}

} // namespace

Generator::Generator(ContentCache &files, RandomSource &random, DiagnosticSink diagnostics,
                     ExpansionLimits limits)
    : m_files(files), m_random(random), m_diagnostics(std::move(diagnostics)), m_limits(limits)
{
}

Generator::Generator(const Library &library, RandomSource &random, DiagnosticSink diagnostics,
                     ExpansionLimits limits)
    : m_ownFiles(std::make_unique<ContentCache>(library)), m_files(*m_ownFiles), m_random(random),
      m_diagnostics(std::move(diagnostics)), m_limits(limits)
{
}

Generator::~Generator() = default;

std::optional<StoryLine> Generator::tracedStoryLine(const Text &templateName, bool trace)
{
    const Text fileName = LibraryName::content(Folder::Templates, templateName).fileName();
    const std::shared_ptr<const ContentLines> patterns = m_files.load(Folder::Templates, fileName);
    m_templateName = templateName;
    m_patternLine = 0;
    if (patterns->result().cause() == FileResult::Cause::TooLarge)
        report({.kind = Diagnostic::Kind::UnreadableFile, .cause = patterns->result().cause()});
    if (patterns->count() == 0) {
        m_templateName = Text();
        return std::nullopt;
    }
    // The pattern draw goes on from where the last element draw left the generator.
    const int patternLine = m_random.between1And(patterns->count());
    m_patternLine = patternLine;
    StoryLine line;
    line.text =
        expand(Text::fromGbk(patterns->line(patternLine - 1)), trace ? &line.trace.draws : nullptr);
    m_templateName = Text();
    m_patternLine = 0;
    if (m_stopped)
        return std::nullopt;
    line.trace.templateName = templateName;
    line.trace.patternLine = patternLine;
    return line;
}

Text Generator::expand(const Text &pattern, QList<DrawTrace> *draws)
{
    m_met.clear();
    m_bytesRead = 0;
    Expansion expansion = expandReferences(
        pattern, [this](QByteArrayView reference) { return drawLine(reference); }, m_limits,
        draws != nullptr);
    if (m_stopped)
        return Text();
    if (expansion.end == ExpansionEnd::EmptyReference) {
        report({.kind = Diagnostic::Kind::EmptyReference});
    } else if (expansion.end == ExpansionEnd::Endless) {
        ++m_linesAtBound;
        const Text stoppedAt = expansion.chain.isEmpty() ? Text() : expansion.chain.last();
        report({.kind = Diagnostic::Kind::EndlessExpansion,
                .element = stoppedAt,
                .chain = std::move(expansion.chain)});
        expansion.line = cutToFit(std::move(expansion.line), expansion.draws);
    }
    if (draws)
        *draws = std::move(expansion.draws);
    return std::move(expansion.line);
}

void Generator::setStopCheck(std::function<bool()> stopRequested)
{
    m_stopRequested = std::move(stopRequested);
    m_stopped = false;
    m_drawsSinceAsked = 0;
}

Text Generator::drawElement(const Text &reference)
{
    m_met.clear();
    m_bytesRead = 0;
    const std::optional<DrawnLine> line = drawLine(reference.view());
    return line ? Text::fromGbk(line->text) : Text();
}

std::optional<DrawnLine> Generator::drawLine(QByteArrayView reference)
{
    // A long expansion asks now and then whether the user stopped the run; asking at every draw
    // would cost more than the draw.
    if (m_stopRequested && ++m_drawsSinceAsked >= DrawsBetweenStopChecks) {
        m_drawsSinceAsked = 0;
        m_stopped = m_stopRequested();
    }
    if (m_stopped)
        return std::nullopt;
    // Every element draw starts from a fresh seed, whatever follows.
    m_random.reseed();
    const QByteArrayView name =
        reference.size() > 2 ? reference.sliced(1, reference.size() - 2) : QByteArrayView();
    const ElementNames &names = elementNames(name);
    const Text &fileName = names.fileName;
    m_element = m_files.load(Folder::Elements, fileName);
    m_bytesRead += m_element->text().size();
    if (m_bytesRead > m_limits.maxBytesRead)
        return std::nullopt;
    const int count = m_element->count();
    if (count == 0) {
        const FileResult::Cause cause = m_element->result().cause();
        const bool tooLarge = cause == FileResult::Cause::TooLarge;
        if (!reportBounded({.kind = tooLarge ? Diagnostic::Kind::UnreadableFile
                                             : Diagnostic::Kind::EmptyElement,
                            .element = names.name,
                            .cause = tooLarge ? cause : FileResult::Cause::None}))
            return std::nullopt;
        return QByteArrayView();
    }
    const int drawn = m_random.between1And(count);
    return DrawnLine(m_element->line(drawn - 1), drawn, names.name);
}

const Generator::ElementNames &Generator::elementNames(QByteArrayView name)
{
    // Looked up without copying the name; a run naming more elements than any library holds
    // (a pattern made of made-up names) starts the table afresh rather than growing it.
    constexpr qsizetype MostNames = 10'000;
    const auto found = m_elementNames.constFind(QByteArray::fromRawData(name.data(), name.size()));
    if (found != m_elementNames.cend())
        return *found;
    if (m_elementNames.size() >= MostNames)
        m_elementNames.clear();
    const Text element = Text::fromGbk(name);
    return *m_elementNames.insert(element.toGbk(), {element, elementFileName(name)});
}

void Generator::report(Diagnostic diagnostic)
{
    if (!m_diagnostics)
        return;
    diagnostic.templateName = m_templateName;
    diagnostic.patternLine = m_patternLine;
    m_diagnostics(diagnostic);
}

bool Generator::reportBounded(Diagnostic diagnostic)
{
    // The same element met empty over and over is a circle through it (an element whose line
    // names itself and a missing one, say): it ends the expansion instead of flooding the user
    // with boxes.
    int &met = m_met[{int(diagnostic.kind), diagnostic.element}];
    if (met >= m_limits.maxSameDiagnostic)
        return false;
    ++met;
    report(std::move(diagnostic));
    return true;
}

} // namespace quorvel
