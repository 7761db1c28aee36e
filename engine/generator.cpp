#include "engine/generator.h"

#include "engine/messages.h"
#include "library/library.h"
#include "platform/dialogs.h"
#include "platform/gbkcodec.h"
#include "platform/random.h"

#include <cstring>

namespace quorvel {

namespace {

// Lines are cut at CR LF, as splitLines() cuts them, but counted and found in place: a draw needs
// only one line, so no list of all of them is built.
const char *findCrLf(const char *from, const char *end)
{
    while (from < end) {
        const auto *lf = static_cast<const char *>(std::memchr(from, '\n', size_t(end - from)));
        if (!lf)
            return nullptr;
        if (lf > from && lf[-1] == '\r')
            return lf - 1;
        from = lf + 1;
    }
    return nullptr;
}

// Every CR LF ends a line; text after the last one is one more line.
int countLines(QByteArrayView text)
{
    const char *end = text.data() + text.size();
    int count = 0;
    const char *from = text.data();
    while (const char *crlf = findCrLf(from, end)) {
        ++count;
        from = crlf + 2;
    }
    return from < end ? count + 1 : count;
}

// Line index (from 0) of text, which has more lines than that.
QByteArrayView lineAt(QByteArrayView text, int index)
{
    const char *end = text.data() + text.size();
    const char *from = text.data();
    for (int i = 0; i < index; ++i)
        from = findCrLf(from, end) + 2;
    const char *crlf = findCrLf(from, end);
    return QByteArrayView(from, (crlf ? crlf : end) - from);
}

Text contentFileName(QByteArrayView stem)
{
    Text name;
    name.reserve(stem.size() + 4);
    name.append(stem).append(".txt");
    return name;
}

} // namespace

Generator::Generator(const Library &library, RandomSource &random, Dialogs &dialogs,
                     ExpansionLimits limits)
    : m_library(library), m_random(random), m_dialogs(dialogs), m_limits(limits)
{
}

std::optional<Text> Generator::storyLine(const Text &templateName)
{
    const Text patterns = m_library.readContent(Folder::Templates, contentFileName(templateName));
    const int count = countLines(patterns);
    if (count == 0)
        return std::nullopt;
    // The pattern draw goes on from where the last element draw left the generator.
    const QByteArrayView pattern = lineAt(patterns, m_random.between1And(count) - 1);
    return expand(pattern.toByteArray());
}

Text Generator::expand(const Text &pattern)
{
    Expansion expansion = expandReferences(
        pattern, [this](QByteArrayView reference) { return drawLine(reference); }, m_limits);
    if (expansion.end == ExpansionEnd::EmptyReference)
        m_dialogs.message(QString::fromUtf16(messages::EmptyReference));
    else if (expansion.end == ExpansionEnd::Endless)
        m_dialogs.message(QString::fromUtf16(messages::EndlessExpansion));
    return std::move(expansion.line);
}

Text Generator::drawElement(QByteArrayView reference)
{
    return drawLine(reference).toByteArray();
}

QByteArrayView Generator::drawLine(QByteArrayView reference)
{
    // Every element draw starts from a fresh seed, whatever follows.
    m_random.reseed();
    const QByteArrayView name =
        reference.size() > 2 ? reference.sliced(1, reference.size() - 2) : QByteArrayView();
    m_elementBytes = m_library.readContent(Folder::Elements, contentFileName(name));
    const int count = countLines(m_elementBytes);
    if (count == 0) {
        m_dialogs.message(gbk::decode(name) + QString::fromUtf16(messages::EmptyElement));
        return {};
    }
    return lineAt(m_elementBytes, m_random.between1And(count) - 1);
}

} // namespace quorvel
