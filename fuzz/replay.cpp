// Replays kept fuzz inputs through a target's input function, without libFuzzer, so that the
// ordinary build and the sanitizer build run every seed and every crash input found so far.
// Usage: replay <file or folder>...; a folder is read recursively, in name order.
#include <QByteArray>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace {

QStringList inputsUnder(const QString &path)
{
    if (!QFileInfo(path).isDir())
        return {path};
    QStringList files;
    QDirIterator it(path, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(it.next());
    files.sort();
    return files;
}

} // namespace

int main(int argc, char **argv)
{
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        for (const QString &path : inputsUnder(QFile::decodeName(argv[i]))) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
                return 1;
            }
            const QByteArray input = file.readAll();
            // A copy of exactly the input's size, so that AddressSanitizer sees any read past it.
            auto *data = new std::uint8_t[size_t(input.size())];
            std::copy(input.cbegin(), input.cend(), data);
            std::fprintf(stderr, "%s\n", qPrintable(path));
            LLVMFuzzerTestOneInput(data, size_t(input.size()));
            delete[] data;
            ++replayed;
        }
    }
    std::printf("replayed %d inputs\n", replayed);
    // A folder without inputs means the corpus went missing: that must not pass unnoticed.
    return replayed > 0 ? 0 : 1;
}
