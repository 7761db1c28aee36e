#include "engine/generator.h"

#include "engine/messages.h"
#include "library/library.h"
#include "library/lines.h"
#include "platform/dialogs.h"
#include "platform/random.h"

namespace quorvel {

namespace {

Text contentFileName(QByteArrayView stem)
{
    return Text::fromGbk(stem) + ".txt";
}

} // namespace

Generator::Generator(const Library &library, RandomSource &random, Dialogs &dialogs,
                     ExpansionLimits limits)
    : m_library(library), m_random(random), m_dialogs(dialogs), m_limits(limits)
{
}

std::optional<Text> Generator::storyLine(const Text &templateName)
{
    const Text patterns =
        m_library.readContent(Folder::Templates, contentFileName(templateName.view()));
    const int count = countLines(patterns.view());
    if (count == 0)
        return std::nullopt;
    // The pattern draw goes on from where the last element draw left the generator.
    const QByteArrayView pattern = lineAt(patterns.view(), m_random.between1And(count) - 1);
    return expand(Text::fromGbk(pattern));
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

Text Generator::drawElement(const Text &reference)
{
    return Text::fromGbk(drawLine(reference.view()));
}

QByteArrayView Generator::drawLine(QByteArrayView reference)
{
    // Every element draw starts from a fresh seed, whatever follows.
    m_random.reseed();
    const QByteArrayView name =
        reference.size() > 2 ? reference.sliced(1, reference.size() - 2) : QByteArrayView();
    m_elementBytes = m_library.readContent(Folder::Elements, contentFileName(name));
    const int count = countLines(m_elementBytes.view());
    if (count == 0) {
        m_dialogs.message(Text::fromGbk(name).toUnicode() +
                          QString::fromUtf16(messages::EmptyElement));
        return {};
    }
    return lineAt(m_elementBytes.view(), m_random.between1And(count) - 1);
}

} // namespace quorvel
