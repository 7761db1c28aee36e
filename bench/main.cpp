// quorvel-bench (make bench): how fast the generator and the story box are, on a library it makes
// up. Each figure is printed on its own line.

#include "bench/benchlibrary.h"
#include "bench/peer.h"
#include "bench/report.h"
#include "engine/check.h"
#include "engine/expansion.h"
#include "engine/generator.h"
#include "engine/projectrun.h"
#include "library/contentcache.h"
#include "library/folders.h"
#include "library/library.h"
#include "platform/dialogs.h"
#include "platform/localfiles.h"
#include "platform/random.h"
#include "ui/main/mainwindow.h"
#include "ui/widgets/contentbox.h"
#include "ui/widgets/namelist.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quorvel;
using namespace quorvel::bench;

namespace {

class SilentDialogs : public Dialogs
{
public:
    void message(const QString &) override { ++shown; }
    bool question(const QString &) override { return ++shown, false; }
    Choice questionWithCancel(const QString &) override { return ++shown, Choice::Cancel; }
    bool input(QString &) override { return false; }
    // The engine's diagnostics, counted as messages.
    DiagnosticSink counted()
    {
        return [this](const Diagnostic &) { ++shown; };
    }
    int shown = 0;
};

void measureDraws(const BenchLibrary &lib, const Library &library)
{
    constexpr int Draws = 200'000;
    TextList references;
    QList<QByteArray> paths;
    for (int e = 0; e < BenchLibrary::Elements; ++e) {
        references.append("[" + BenchLibrary::elementName(e) + "]");
        paths.append(QFile::encodeName(lib.elementPath(e)));
    }
    SystemRandom random;
    SilentDialogs dialogs;
    Generator generator(library, random, dialogs.counted());
    ContentCache::Options noCache;
    noCache.enabled = false;
    ContentCache uncached(library, noCache);
    Generator reading(uncached, random, dialogs.counted());

    qsizetype sink = 0;
    const auto draws = [&] {
        for (int i = 0; i < Draws; ++i)
            sink += generator.drawElement(references.at(i % references.size())).size();
    };
    const auto readingDraws = [&] {
        for (int i = 0; i < Draws; ++i)
            sink += reading.drawElement(references.at(i % references.size())).size();
    };
    const auto stats = [&] {
        struct stat info;
        for (int i = 0; i < Draws; ++i)
            sink += ::lstat(paths.at(i % paths.size()).constData(), &info) == 0;
    };
    // The floors: the same files, by paths made beforehand, with the system calls alone.
    const auto bare = [&] {
        char buffer[4096];
        for (int i = 0; i < Draws; ++i) {
            const int fd = ::open(paths.at(i % paths.size()).constData(), O_RDONLY);
            sink += ::read(fd, buffer, sizeof buffer);
            ::close(fd);
        }
    };
    double drawTime = 1e100, readingTime = 1e100, bareTime = 1e100, statTime = 1e100;
    for (int round = 0; round < 3; ++round) {
        bareTime = std::min(bareTime, bestOf(1, bare));
        statTime = std::min(statTime, bestOf(1, stats));
        drawTime = std::min(drawTime, bestOf(1, draws));
        readingTime = std::min(readingTime, bestOf(1, readingDraws));
    }
    print("element draws per second (each checking its file)", Draws / drawTime);
    print("element draws per second, --no-cache (each reading it)", Draws / readingTime);
    print("floor: bare open+read+close of the same files per second", Draws / bareTime);
    print("floor: bare lstat of the same files per second", Draws / statTime);
    if (sink == 0 || dialogs.shown != 0)
        std::printf("unexpected: nothing read or a message shown\n");
}

// The Run button into a real story box, against quorvel-gen's rate (when measured).
void measureRun(LocalFiles &files, const Library &library, double genLinesPerSecond)
{
    SystemRandom random;
    SilentDialogs dialogs;
    const TextList project = library.readList(Folder::Projects, BenchLibrary::projectName() + ".l");

    ProjectRun projectRun(library, random);
    qsizetype sink = 0;
    const RunSink lines{[&sink](const StoryLine &line) { sink += line.text.size(); },
                        dialogs.counted()};
    const double engineTime = bestOf(5, [&] { projectRun.run(project, lines); });
    print("story lines per second, the run in this process", project.size() / engineTime);

    // As many lines a click as quorvel-gen makes a process (the project 30 times over), so
    // that the click's run lasts long enough to be timed as steadily, repaints included.
    LibraryDocument document(files, LibraryDocument::Opening::CreateFolders);
    MainWindow window(document, Services{files, random, dialogs});
    window.show();
    QApplication::processEvents();
    TextList longProject;
    for (int i = 0; i < 30; ++i)
        longProject += project;
    document.setProject({LibraryName(), longProject});
    auto *run = window.findChild<QPushButton *>(QStringLiteral("按钮6"));
    const double windowTime = bestOf(3, [&] {
        run->click();
        QApplication::processEvents();
    });
    const double windowRate = longProject.size() / windowTime;
    print("story lines per second, Run button into the story box", windowRate);
    if (genLinesPerSecond > 0)
        print("ratio Run button / quorvel-gen", windowRate / genLinesPerSecond);
}

void measureExpansion(const Library &library)
{
    SystemRandom random;
    SilentDialogs dialogs;
    Generator generator(library, random, dialogs.counted());
    const Text line("ABC");
    const ReferenceDraw inMemory = [&line](QByteArrayView) { return line.view(); };

    double withFiles[3] = {}, alone[3] = {};
    const int sizes[3] = {1'000, 10'000, 100'000};
    for (int i = 0; i < 3; ++i) {
        const Text pattern = BenchLibrary::pattern(sizes[i]);
        withFiles[i] = bestOf(3, [&] { generator.expand(pattern); });
        alone[i] = bestOf(3, [&] { expandReferences(pattern, inMemory); });
        char label[100];
        std::snprintf(label, sizeof label, "one expansion of %d references", sizes[i]);
        print(label, withFiles[i] * 1e3, "ms");
    }
    print("ratio 100,000 / 10,000 references", withFiles[2] / withFiles[1]);
    for (int i = 0; i < 3; ++i) {
        char label[100];
        std::snprintf(label, sizeof label, "  the same without file reads, %d references",
                      sizes[i]);
        print(label, alone[i] * 1e3, "ms");
    }
    print("  ratio 100,000 / 10,000 without file reads", alone[2] / alone[1]);
}

// The whole check behind 检查素材 and quorvel-gen --check, reading included, with the counts of
// the bench project; to stay under 200 ms.
void measureCheck(const Library &library)
{
    int findings = -1;
    QString count;
    const double time = bestOf(5, [&] {
        LibraryCheck check(library);
        findings = int(check.checkAll().findings.size());
        count = check.projectCount(BenchLibrary::projectName() + ".l").shown();
    });
    print("check of the whole library, with the project's count", time * 1e3, "ms");
    std::printf("  (%d findings; the project makes %s stories)\n", findings,
                count.toUtf8().constData());
}

void measureStoryBox()
{
    constexpr int Lines = 1'000'000;
    const Text storyLine =
        Text::fromGbk("\xb5\xda\x31\xbe\xe4\xa3\xba\xc9\xbd\xcb\xae\xb7\xe7\xd4\xc2\xa3\xac"
                      "\xbb\xa8\xc4\xf1\xd4\xc6\xd3\xea\xa3\xac\xbd\xad\xba\xd3\xa1\xa3\r\n");
    const Text story = Text::fromGbk(storyLine.toGbk().repeated(Lines));

    ContentBox box;
    box.resize(559, 228);
    box.show();
    QElapsedTimer timer;
    timer.start();
    box.setContent(story);
    QApplication::processEvents();
    print("  (filling a story box with 1,000,000 lines)", double(timer.nsecsElapsed()) * 1e-9, "s");

    QList<double> times;
    for (int i = 0; i < 101; ++i) {
        timer.restart();
        box.appendContent(storyLine);
        times.append(double(timer.nsecsElapsed()) * 1e-6);
        QApplication::processEvents();
    }
    std::sort(times.begin(), times.end());
    print("append one line to a story box of 1,000,000 lines (median)", times.at(50), "ms");
    print("  the same, slowest of 101", times.last(), "ms");
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    BenchLibrary lib;
    LocalFiles files(lib.root());
    const Library library(files, LibraryFolders::beside(files));
    std::printf("library: %d elements of %d lines, %d templates of %d patterns with %d references, "
                "a project of %d templates\n",
                BenchLibrary::Elements, BenchLibrary::LinesPerElement, BenchLibrary::Templates,
                BenchLibrary::PatternsPerTemplate, BenchLibrary::ReferencesPerPattern,
                BenchLibrary::ProjectLength);

    // Sections may be named on the command line to run only those; --peer DIR names the folder
    // where make bench installed Tracery.
    QStringList wanted = QApplication::arguments().mid(1);
    QString peerFolder;
    if (const qsizetype at = wanted.indexOf(QStringLiteral("--peer")); at >= 0) {
        peerFolder = wanted.value(at + 1);
        wanted.remove(at, std::min<qsizetype>(2, wanted.size() - at));
    }
    const auto section = [&wanted](const char16_t *name) {
        return wanted.isEmpty() || wanted.contains(QString::fromUtf16(name));
    };
    PeerFigures peer;
    if (section(u"peer"))
        peer = measurePeer(lib, peerFolder,
                           QApplication::applicationDirPath() + QStringLiteral("/quorvel-gen"));
    if (section(u"draws"))
        measureDraws(lib, library);
    if (section(u"run"))
        measureRun(files, library, peer.linesPerSecond);
    if (section(u"expansion"))
        measureExpansion(library);
    if (section(u"check"))
        measureCheck(library);
    if (section(u"storybox"))
        measureStoryBox();
    return 0;
}
