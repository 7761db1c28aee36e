// List files: reading any bytes and writing the entries back gives the same bytes (for a file
// that ends in CR LF or is empty; any other file gains exactly one final CR LF), and a category
// named by any bytes is written under that name, listed under it, and read back intact.
#include "fuzz/fuzzcheck.h"
#include "fuzz/memoryfiles.h"
#include "library/library.h"
#include "library/lines.h"

#include <cstddef>
#include <cstdint>

using namespace quorvel;

namespace {

void checkRoundTrip(const Text &input)
{
    const TextList lines = splitLines(input);
    for (const Text &line : lines)
        QUORVEL_FUZZ_CHECK(!line.view().contains("\r\n"));
    const Text written = joinLines(lines);
    if (input.isEmpty() || input.view().endsWith("\r\n"))
        QUORVEL_FUZZ_CHECK(written == input);
    else
        QUORVEL_FUZZ_CHECK(written == input + "\r\n");
    QUORVEL_FUZZ_CHECK(splitLines(written) == lines);
}

// The first entry names a category. A name the library accepts must map to a file directly in
// the folder, and two different names must never share a file: a name that came back different
// from the file system would let one category overwrite another.
void checkNamedCategory(const Text &input)
{
    const TextList lines = splitLines(input);
    const Text fileName = (lines.isEmpty() ? Text() : lines.first()) + ".l";

    fuzz::MemoryFiles files;
    const LibraryFolders folders = LibraryFolders::beside(files);
    Library library(files, folders);
    const auto path = library.pathOf(Folder::Elements, fileName);
    if (!path) {
        QUORVEL_FUZZ_CHECK(!library.writeList(Folder::Elements, fileName, lines));
        QUORVEL_FUZZ_CHECK(library.readList(Folder::Elements, fileName).isEmpty());
        QUORVEL_FUZZ_CHECK(library.listFiles(Folder::Elements).isEmpty());
        return;
    }
    QUORVEL_FUZZ_CHECK(path->startsWith(folders.elements));
    const QString onDisk = path->mid(folders.elements.size());
    QUORVEL_FUZZ_CHECK(!onDisk.contains(u'/') && !onDisk.contains(QChar(0)));
    QUORVEL_FUZZ_CHECK(onDisk != u"." && onDisk != u"..");
    QUORVEL_FUZZ_CHECK(Text::fromUnicode(onDisk) == fileName);

    QUORVEL_FUZZ_CHECK(library.writeList(Folder::Elements, fileName, lines));
    QUORVEL_FUZZ_CHECK(files.read(*path).value == joinLines(lines).toGbk());
    QUORVEL_FUZZ_CHECK(library.readList(Folder::Elements, fileName) == lines);
    QUORVEL_FUZZ_CHECK(library.listFiles(Folder::Elements) == TextList{fileName});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const Text input = Text::fromGbk(QByteArrayView(data, qsizetype(size)));
    checkRoundTrip(input);
    checkNamedCategory(input);
    return 0;
}
