// The bracket expansion against the plain one kept with the tests, which searches the whole line
// from its start at every pass: for any pattern and any set of elements both ask for the same
// references in the same order, end the same way with the same line, and never draw more often
// than the limit allows. The generator (element files read through the library, messages shown)
// is held against the same plain expansion.
//
// Input: byte 0 is the limit on draws, byte 1 the limit on length (in 16-byte steps), byte 2
// steers which line each draw takes; the rest, cut at CR LF, is the pattern and then one element
// per piece, its name up to the first tab and its content after it, each further tab standing for
// a line break.
#include "engine/expansion.h"
#include "engine/generator.h"
#include "engine/messages.h"
#include "fuzz/fuzzcheck.h"
#include "fuzz/memoryfiles.h"
#include "library/library.h"
#include "library/lines.h"
#include "platform/random.h"
#include "tests/support/referenceexpansion.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/shownmessages.h"

#include <QHash>

#include <cstddef>
#include <cstdint>

using namespace quorvel;

namespace {

struct Case
{
    ExpansionLimits limits;
    unsigned steer = 0;
    Text pattern;
    QHash<Text, Text> elements; // name -> content
};

Case readCase(const QByteArray &input)
{
    Case c;
    c.limits.maxDraws = input.size() > 0 ? uchar(input.at(0)) : 0;
    c.limits.maxLength = input.size() > 1 ? 16 * qsizetype(uchar(input.at(1))) : 0;
    c.steer = input.size() > 2 ? uchar(input.at(2)) : 0;
    // The high bits of the steering byte set a small bound on depth, so that it is reached.
    c.limits.maxDepth = 1 + int(c.steer >> 5);
    const TextList pieces =
        splitLines(Text::fromGbk(input.size() > 3 ? input.mid(3) : QByteArray()));
    c.pattern = pieces.value(0);
    for (qsizetype i = 1; i < pieces.size(); ++i) {
        const QByteArray piece = pieces.at(i).toGbk();
        const qsizetype tab = piece.indexOf('\t');
        QByteArray content = tab < 0 ? QByteArray() : piece.mid(tab + 1);
        c.elements.insert(Text::fromGbk(piece.left(tab < 0 ? piece.size() : tab)),
                          Text::fromGbk(content.replace('\t', "\r\n")));
    }
    return c;
}

// Which line the k-th draw of an element with n lines takes (from 0).
int lineIndex(unsigned steer, int k, int n)
{
    return int((unsigned(k) * 31u + steer) % unsigned(n));
}

// The element's name is the reference without its brackets.
Text nameOf(QByteArrayView reference)
{
    return reference.size() > 2 ? Text::fromGbk(reference.sliced(1, reference.size() - 2)) : Text();
}

// The plain expansion with the same limits and the same draws; the references it asked for are
// appended to asked, and each element without lines adds its message to shown. Where messages
// are shown, the same element met empty too often ends the expansion, as in the generator.
test::ReferenceResult expandPlainly(const Case &c,
                                    const std::function<TextList(const Text &name)> &linesOf,
                                    TextList &asked, QStringList *shown)
{
    int draws = 0;
    QHash<Text, int> metEmpty;
    return test::expandFromStart(
        c.pattern,
        [&](const Text &reference) -> std::optional<Text> {
            asked.append(reference);
            const TextList lines = linesOf(nameOf(reference.view()));
            if (lines.isEmpty()) {
                if (shown) {
                    const Text name = nameOf(reference.view());
                    if (metEmpty[name]++ >= c.limits.maxSameDiagnostic)
                        return std::nullopt;
                    shown->append(name.toUnicode() + QString::fromUtf16(messages::EmptyElement));
                }
                return Text();
            }
            return lines.at(lineIndex(c.steer, draws++, int(lines.size())));
        },
        c.limits.maxDraws, c.limits.maxLength, c.limits.maxDepth);
}

bool sameEnd(ExpansionEnd end, test::ReferenceEnd plain)
{
    switch (end) {
    case ExpansionEnd::Complete:
        return plain == test::ReferenceEnd::Complete;
    case ExpansionEnd::EmptyReference:
        return plain == test::ReferenceEnd::EmptyReference;
    case ExpansionEnd::Endless:
        return plain == test::ReferenceEnd::Endless;
    }
    return false;
}

void checkExpansion(const Case &c)
{
    TextList asked;
    Text drawn;
    int draws = 0;
    const Expansion expansion = expandReferences(
        c.pattern,
        [&](QByteArrayView reference) {
            asked.append(Text::fromGbk(reference));
            const TextList lines = splitLines(c.elements.value(nameOf(reference)));
            drawn =
                lines.isEmpty() ? Text() : lines.at(lineIndex(c.steer, draws++, int(lines.size())));
            return drawn.view();
        },
        c.limits);

    TextList plainAsked;
    const test::ReferenceResult plain = expandPlainly(
        c, [&](const Text &name) { return splitLines(c.elements.value(name)); }, plainAsked,
        nullptr);
    QUORVEL_FUZZ_CHECK(asked.size() <= c.limits.maxDraws);
    QUORVEL_FUZZ_CHECK(asked == plainAsked);
    QUORVEL_FUZZ_CHECK(sameEnd(expansion.end, plain.end));
    QUORVEL_FUZZ_CHECK(expansion.line == plain.line);
    QUORVEL_FUZZ_CHECK(expansion.end != ExpansionEnd::Endless || expansion.chain == plain.chain);
}

// Draws the k-th line as lineIndex() says, whatever the seed.
class SteeredRandom : public RandomSource
{
public:
    explicit SteeredRandom(unsigned steer) : m_steer(steer) {}
    void reseed() override {}
    int between1And(int n) override { return lineIndex(m_steer, m_draws++, n) + 1; }

private:
    unsigned m_steer;
    int m_draws = 0;
};

void checkGenerator(const Case &c)
{
    fuzz::MemoryFiles files;
    Library library(files, LibraryFolders::beside(files));
    for (auto it = c.elements.cbegin(); it != c.elements.cend(); ++it)
        (void)library.writeContent(Folder::Elements, it.key() + Text(".txt"), it.value());
    SteeredRandom random(c.steer);
    test::ScriptedDialogs dialogs;
    Generator generator(library, random, test::shownIn(dialogs), c.limits);
    const Text line = generator.expand(c.pattern);

    TextList asked;
    QStringList shown;
    const test::ReferenceResult plain = expandPlainly(
        c,
        [&](const Text &name) {
            return splitLines(library.readContent(Folder::Elements, name + Text(".txt")));
        },
        asked, &shown);
    if (plain.end == test::ReferenceEnd::EmptyReference)
        shown.append(QString::fromUtf16(messages::EmptyReference));
    else if (plain.end == test::ReferenceEnd::Endless)
        shown.append(messages::endlessExpansion(plain.chain));
    QUORVEL_FUZZ_CHECK(line == plain.line);
    QUORVEL_FUZZ_CHECK(dialogs.shown == shown);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const Case c = readCase(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    checkExpansion(c);
    checkGenerator(c);
    return 0;
}
