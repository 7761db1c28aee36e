// quorvel-gen PROJECT: the Run of the main window without the window, through the same project
// run: the story lines to standard output, the messages to standard error.
#include "tools/gen/commands.h"

#include "engine/messages.h"
#include "engine/projectrun.h"
#include "engine/tracejson.h"
#include "library/contentcache.h"
#include "library/story.h"
#include "platform/random.h"
#include "tools/gen/console.h"

#include <QJsonDocument>

#include <csignal>
#include <cstdio>
#include <random>

namespace quorvel::gen {

namespace {

bool writeToStandardOutput(const QByteArray &bytes)
{
    return std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size());
}

// The signal that asked the run to stop, or 0.
volatile std::sig_atomic_t stopSignal = 0;

void askToStop(int signal)
{
    stopSignal = signal;
}

// SIGINT and SIGTERM end the run after the current line; the story made so far is written.
class SignalWatch : public TaskObserver
{
public:
    SignalWatch()
    {
        struct sigaction action = {};
        action.sa_handler = askToStop;
        ::sigemptyset(&action.sa_mask);
        ::sigaction(SIGINT, &action, nullptr);
        ::sigaction(SIGTERM, &action, nullptr);
    }
    bool stopRequested() override { return stopSignal != 0; }
};

quint64 freshSeed()
{
    std::random_device device;
    return quint64(device()) << 32 ^ device();
}

} // namespace

int runProject(const Options &options, OpenLibrary &opened)
{
    LibraryDocument &document = opened.document;
    // Every run is reproducible: without a seed given, one is chosen and told afterwards.
    const quint64 seed = options.seed.value_or(freshSeed());
    SystemRandom random;
    random.seedWith(seed);
    random.setReproducible(true);
    ProjectRun projectRun(document.content(), random);
    SignalWatch watch;

    // Lines go to standard output as they come, or into the story for the file.
    Text story;
    bool written = true;
    // With --trace each line goes out as a JSON object (UTF-8, one per line, to a file too).
    projectRun.setTracing(options.trace);
    const StoryEncoding encoding = options.trace ? StoryEncoding::Utf8 : options.encoding;
    RunSink sink;
    sink.line = [&](const StoryLine &line) {
        const Text out = options.trace
                             ? Text::fromUnicode(QString::fromUtf8(
                                   QJsonDocument(traceToJson(line)).toJson(QJsonDocument::Compact)))
                             : line.text;
        if (!options.outputFile.isEmpty()) {
            story += out + "\r\n";
            return;
        }
        written = writeToStandardOutput(wellFormedStoryBytes(out + "\r\n", encoding)) && written;
    };
    // The messages come after the story, each once, however many lines met it.
    MessageTally messages;
    sink.diagnostic = [&messages](const Diagnostic &diagnostic) {
        messages.add(diagnostic.message());
    };
    bool atBound = false;
    QString unreadable;
    for (qint64 run = 0; run < options.times && !stopSignal; ++run) {
        // Like the window, each run takes the project as it is now. A project file that is there
        // but cannot be read is no empty project: the run ends, saying why.
        unreadable = unreadableProject(document.openProject(*opened.project), *opened.project);
        if (!unreadable.isEmpty())
            break;
        const RunReport report = projectRun.run(document.project().templates, sink, &watch);
        atBound = atBound || report.linesAtBound > 0;
    }
    messages.print();
    if (!unreadable.isEmpty()) {
        printError(unreadable);
        return NotFound;
    }
    // A story for a file is written whole or not at all; one failure, one message.
    QString failure;
    if (!options.outputFile.isEmpty()) {
        const FileResult saved =
            opened.files.write(options.outputFile, wellFormedStoryBytes(story, encoding));
        if (!saved)
            failure = withCause(QString::fromUtf16(messages::StoryNotSaved), saved)
                          .replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    }
    if ((std::fflush(stdout) != 0 || !written) && failure.isEmpty())
        failure = QStringLiteral("无法写出故事");
    if (!failure.isEmpty())
        printError(failure);
    if (!options.seed && !options.quiet)
        std::fputs(QStringLiteral("种子：%1\n").arg(seed).toUtf8().constData(), stderr);
    if (stopSignal)
        return 128 + stopSignal;
    if (!failure.isEmpty())
        return OutputFailed;
    return atBound ? LineAtBound : Success;
}

} // namespace quorvel::gen
