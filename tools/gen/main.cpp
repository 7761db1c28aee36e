// quorvel-gen: the Run of the main window without the window. Runs a saved project through the
// same project run, writing the story lines to standard output and the messages to standard
// error.

#include "engine/projectrun.h"
#include "engine/tracejson.h"
#include "library/contentcache.h"
#include "library/folders.h"
#include "library/library.h"
#include "library/libraryhome.h"
#include "library/story.h"
#include "platform/localfiles.h"
#include "platform/random.h"
#include "tools/gen/checkcommand.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QJsonDocument>

#include <csignal>
#include <cstdio>
#include <optional>
#include <random>
#include <variant>

using namespace quorvel;

namespace {

enum ExitStatus
{
    Success = 0,
    ProjectMissing = 1,
    BadArguments = 2,
    OutputFailed = 3,
    LineAtBound = 4,
    // A signal that stopped the run gives 128 + its number, as the shell reports it: 130 for
    // SIGINT, 143 for SIGTERM.
};

constexpr char16_t HelpText[] =
    u"用法：quorvel-gen [--library 目录] [--times 次数] [--seed 种子] [-o 文件]\n"
    u"                  [--encoding gbk|utf-8] [--quiet] [--trace] [--no-cache] 项目\n"
    u"      quorvel-gen [--library 目录] --check [项目] [--format text|json]\n"
    u"      quorvel-gen [--library 目录] --count 项目 [--format text|json]\n"
    u"\n"
    u"不打开窗口，运行已保存的项目，与主窗口的“运行”按钮相同：按项目中模板的顺序，\n"
    u"为每个模板随机选取一个句式，把其中每个元素引用换成该元素随机的一行，得到一行故事。\n"
    u"故事逐行写到标准输出（UTF-8），提示信息写到标准错误，每条一行。\n"
    u"\n"
    u"  项目              项目名：“项目”文件夹中的“项目名.l”\n"
    u"  --library 目录    素材库所在的目录（内有“模板”“元素”“项目”三个文件夹），\n"
    u"                    默认与主程序相同：本程序所在的目录；\n"
    u"                    该目录不可写入时（已安装的程序）为 $XDG_DATA_HOME/quorvel，\n"
    u"                    未设置 XDG_DATA_HOME 时为 ~/.local/share/quorvel，\n"
    u"                    首次使用时从安装的示例素材库复制建立\n"
    u"  --times 次数      连续运行项目的次数，默认为 1\n"
    u"  --seed 种子       随机种子（非负整数）：种子与素材相同，输出就相同\n"
    u"                    不给种子时随机选取，并在故事之后把“种子：N”写到标准错误\n"
    u"  -o 文件           把故事写入文件（整体替换，写完才生效），而不是标准输出\n"
    u"  --encoding 编码   gbk（GBK，CR LF 换行）或 utf-8（LF 换行），默认为 utf-8\n"
    u"  --quiet           不写出所用的种子\n"
    u"  --trace           每行故事写成一个 JSON 对象：文本、模板、句式行号和各次抽取的来源\n"
    u"  --no-cache        每次使用都重新读取文件（用于比较；输出相同）\n"
    u"  --check           不运行，检查素材：每个问题写一行，形如\n"
    u"                    “元素/天气.txt:3: 错误：引用的元素「风向」不存在”（另有“循环”“提示”），\n"
    u"                    最后一行为汇总；给出项目时只检查该项目用得到的素材\n"
    u"  --count           不运行，写出项目可生成多少种不同的故事，以及其中每个模板的\n"
    u"                    可生成的种数\n"
    u"  --format 格式     --check 与 --count 的输出：text（默认）或 json（每行一个 JSON 对象）\n"
    u"  -h, --help        显示本说明\n"
    u"\n"
    u"按 Ctrl+C（SIGINT）或收到 SIGTERM 时，写完当前一行即停止，已生成的故事照常写出。\n"
    u"\n"
    u"退出状态：0 完成；1 找不到项目；2 参数有误；3 无法写出故事；4 有元素引用无法展开完毕；\n"
    u"130 / 143 被 SIGINT / SIGTERM 停止。\n"
    u"--check：0 没有错误，也没有必定展开不完的循环；1 有，或找不到项目；2 参数有误。\n"
    u"--count：0 完成；1 找不到项目；2 参数有误。\n";

void printError(const QString &text)
{
    std::fputs((QStringLiteral("quorvel-gen：") + text + u'\n').toUtf8().constData(), stderr);
}

// A message of the run, as the window would show it in a box: its line breaks become blanks.
// Whatever was written to standard output goes first, so that in a shared terminal or log a
// message stands after the lines made before it.
void printMessage(const QString &text)
{
    std::fflush(stdout);
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.append(u'\n');
    std::fputs(line.toUtf8().constData(), stderr);
    std::fflush(stderr);
}

int badArguments(const QString &problem)
{
    printError(problem + QStringLiteral("（用法见 quorvel-gen --help）"));
    return BadArguments;
}

enum class Command
{
    Run,
    Check,
    Count,
};

struct Options
{
    Command command = Command::Run;
    ReportFormat format = ReportFormat::Text;
    QString libraryFolder; // empty: the program's own library
    qint64 times = 1;
    std::optional<quint64> seed;
    bool cache = true;
    QString outputFile; // empty: standard output
    StoryEncoding encoding = StoryEncoding::Utf8;
    bool quiet = false;
    bool trace = false;
    QString project; // empty only for --check without a project
};

// Reads the command line into options; a message and an exit status when it cannot.
std::variant<Options, int> parseArguments(const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption library(QStringLiteral("library"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption times(QStringLiteral("times"), QString(), QStringLiteral("N"));
    const QCommandLineOption seed(QStringLiteral("seed"), QString(), QStringLiteral("S"));
    const QCommandLineOption noCache(QStringLiteral("no-cache"), QString());
    const QCommandLineOption output(QStringLiteral("o"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption encoding(QStringLiteral("encoding"), QString(), QStringLiteral("E"));
    const QCommandLineOption quiet(QStringLiteral("quiet"), QString());
    const QCommandLineOption trace(QStringLiteral("trace"), QString());
    const QCommandLineOption check(QStringLiteral("check"), QString());
    const QCommandLineOption count(QStringLiteral("count"), QString());
    const QCommandLineOption format(QStringLiteral("format"), QString(), QStringLiteral("F"));
    parser.addOptions({help, library, times, seed, noCache, output, encoding, quiet, trace, check,
                       count, format});
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        return badArguments(unknown.isEmpty() ? QStringLiteral("参数有误：") + parser.errorText()
                                              : QStringLiteral("未知选项：") + unknown.join(u' '));
    }
    if (parser.isSet(help)) {
        std::fputs(QString::fromUtf16(HelpText).toUtf8().constData(), stdout);
        return Success;
    }

    Options options;
    options.cache = !parser.isSet(noCache);
    options.quiet = parser.isSet(quiet);
    options.trace = parser.isSet(trace);
    if (parser.isSet(output))
        options.outputFile = QDir(parser.value(output)).absolutePath();
    if (parser.isSet(encoding)) {
        const QString name = parser.value(encoding).toLower();
        if (name == u"gbk")
            options.encoding = StoryEncoding::Gbk;
        else if (name != u"utf-8" && name != u"utf8")
            return badArguments(QStringLiteral("--encoding 只能是 gbk 或 utf-8：") +
                                parser.value(encoding));
    }
    if (parser.isSet(library))
        options.libraryFolder = QDir(parser.value(library)).absolutePath();
    if (parser.isSet(times)) {
        bool ok = false;
        options.times = parser.value(times).toLongLong(&ok);
        if (!ok || options.times < 0)
            return badArguments(QStringLiteral("--times 要求非负整数：") + parser.value(times));
    }
    if (parser.isSet(seed)) {
        bool ok = false;
        options.seed = parser.value(seed).toULongLong(&ok);
        if (!ok)
            return badArguments(QStringLiteral("--seed 要求非负整数：") + parser.value(seed));
    }
    if (parser.isSet(check) && parser.isSet(count))
        return badArguments(QStringLiteral("--check 与 --count 只能选一个"));
    options.command = parser.isSet(check)   ? Command::Check
                      : parser.isSet(count) ? Command::Count
                                            : Command::Run;
    if (options.trace && options.command != Command::Run)
        return badArguments(QStringLiteral("--trace 只用于运行项目"));
    if (parser.isSet(format)) {
        const QString name = parser.value(format).toLower();
        if (options.command == Command::Run)
            return badArguments(QStringLiteral("--format 只用于 --check 与 --count"));
        if (name == u"json")
            options.format = ReportFormat::Json;
        else if (name != u"text")
            return badArguments(QStringLiteral("--format 只能是 text 或 json：") +
                                parser.value(format));
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1 || (positional.isEmpty() && options.command != Command::Check))
        return badArguments(QStringLiteral("请给出一个项目名"));
    options.project = positional.value(0);
    return options;
}

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

// The library the window would use, by the same rule (library/libraryhome.h): beside the program,
// or the user's own when the program is installed.
QString ownLibrary()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    LocalFiles files(programFolder);
    const LibraryHome home = findLibraryHome(
        files, LibraryPlaces::forProgram(programFolder, QStringLiteral(QUORVEL_SAMPLE_LIBRARY)));
    if (!home.problem.isEmpty())
        printError(QString(home.problem).replace(QStringLiteral("\r\n"), QStringLiteral(" ")));
    return home.folder;
}

quint64 freshSeed()
{
    std::random_device device;
    return quint64(device()) << 32 ^ device();
}

// A project named on the command line must exist, whatever is asked of it.
bool projectExists(const Library &library, const Options &options, const Text &projectFile)
{
    if (library.exists(Folder::Projects, projectFile))
        return true;
    printError(QStringLiteral("找不到项目“%1”：%2 不存在")
                   .arg(options.project,
                        QDir::toNativeSeparators(library.folders().projects + options.project +
                                                 QStringLiteral(".l"))));
    return false;
}

int run(const Options &options, Files &files, const Library &library, const Text &projectFile)
{

    // Every run is reproducible: without a seed given, one is chosen and told afterwards.
    const quint64 seed = options.seed.value_or(freshSeed());
    SystemRandom random;
    random.seedWith(seed);
    random.setReproducible(true);
    ContentCache::Options cacheOptions;
    cacheOptions.enabled = options.cache;
    ContentCache content(library, cacheOptions);
    ProjectRun projectRun(content, random);
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
        written = writeToStandardOutput(storyBytes(out + "\r\n", encoding)) && written;
    };
    sink.diagnostic = [](const Diagnostic &diagnostic) { printMessage(diagnostic.message()); };
    bool atBound = false;
    for (qint64 run = 0; run < options.times && !stopSignal; ++run) {
        // Like the window, each run takes the project as it is now.
        const RunReport report =
            projectRun.run(library.readList(Folder::Projects, projectFile), sink, &watch);
        atBound = atBound || report.linesAtBound > 0;
    }
    // A story for a file is written whole or not at all; one failure, one message.
    QString failure;
    if (!options.outputFile.isEmpty()) {
        const FileResult saved = files.write(options.outputFile, storyBytes(story, encoding));
        if (!saved)
            failure = withCause(QStringLiteral("故事保存失败！"), saved)
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

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quorvel-gen"));
    // Story lines go out in large blocks; messages flush them first (printMessage()).
    static char outputBuffer[1 << 16];
    std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);

    const std::variant<Options, int> parsed = parseArguments(QCoreApplication::arguments());
    if (const int *status = std::get_if<int>(&parsed))
        return *status;
    Options options = std::get<Options>(parsed);
    if (options.libraryFolder.isEmpty())
        options.libraryFolder = ownLibrary();
    LocalFiles files(options.libraryFolder);
    const Library library(files, LibraryFolders::beside(files));
    std::optional<Text> project;
    if (!options.project.isEmpty()) {
        project = Text::fromUnicode(options.project) + ".l";
        if (!projectExists(library, options, *project))
            return ProjectMissing;
    }
    if (options.command == Command::Run)
        return run(options, files, library, *project);
    const int status = options.command == Command::Check
                           ? printCheck(library, project, options.format)
                           : printCount(library, *project, options.format);
    std::fflush(stdout);
    return status;
}
