// quorvel-gen: the Run of the main window without the window, and the library check. Here the
// command line is read and handed to its command (tools/gen/commands.h).

#include "tools/gen/commands.h"
#include "tools/gen/console.h"
#include "tools/gen/options.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <algorithm>
#include <cstdio>
#include <variant>

using namespace quorvel;
using namespace quorvel::gen;

namespace {

constexpr char16_t HelpText[] =
    u"用法：quorvel-gen [--library 目录] [--times 次数] [--seed 种子] [-o 文件]\n"
    u"                  [--encoding gbk|utf-8] [--quiet] [--trace] [--no-cache] 项目\n"
    u"      quorvel-gen [--library 目录] --check [项目] [--format text|json]\n"
    u"      quorvel-gen [--library 目录] --count 项目 [--format text|json]\n"
    u"\n"
    u"不打开窗口，运行已保存的项目，与主窗口的“运行”按钮相同：按项目中模板的顺序，\n"
    u"为每个模板随机选取一个句式，把其中每个元素引用换成该元素随机的一行，得到一行故事。\n"
    u"故事逐行写到标准输出（UTF-8），提示信息在故事之后写到标准错误，\n"
    u"同一条提示只写一行，出现多次时注明次数，如“（共 3 次）”。\n"
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
    u"退出状态：0 完成；1 找不到素材库或项目，或项目无法读取；2 参数有误；3 无法写出故事；4 "
    u"有元素引用无法展开完毕；\n"
    u"130 / 143 被 SIGINT / SIGTERM 停止。\n"
    u"--check：0 没有错误，也没有必定展开不完的循环；1 有，或找不到素材库或项目；2 参数有误。\n"
    u"--count：0 完成；1 找不到素材库或项目，或项目无法读取；2 参数有误。\n";

// The converters also take a sign and spaces around the digits; a count or a seed is digits
// alone.
bool digitsAlone(const QString &value)
{
    return std::all_of(value.cbegin(), value.cend(),
                       [](QChar c) { return c >= u'0' && c <= u'9'; });
}

int badArguments(const QString &problem)
{
    printError(problem + QStringLiteral("（用法见 quorvel-gen --help）"));
    return BadArguments;
}

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
    if (parser.isSet(output)) {
        // An empty name would be the current folder itself.
        if (parser.value(output).isEmpty())
            return badArguments(QStringLiteral("-o 要求文件名"));
        options.outputFile = QDir(parser.value(output)).absolutePath();
    }
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
        const QString value = parser.value(times);
        options.times = value.toLongLong(&ok);
        if (!ok || options.times < 0 || !digitsAlone(value))
            return badArguments(QStringLiteral("--times 要求非负整数：") + parser.value(times));
    }
    if (parser.isSet(seed)) {
        bool ok = false;
        const QString value = parser.value(seed);
        options.seed = value.toULongLong(&ok);
        if (!ok || !digitsAlone(value))
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
    const Options options = std::get<Options>(parsed);
    const std::unique_ptr<OpenLibrary> opened = openLibrary(options);
    if (!opened)
        return NotFound;
    if (options.command == Command::Run)
        return runProject(options, *opened);
    const int status = options.command == Command::Check ? printCheck(*opened, options.format)
                                                         : printCount(*opened, options.format);
    std::fflush(stdout);
    return status;
}
