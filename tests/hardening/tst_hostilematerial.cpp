// Large and hostile material in the library and the generator, on a real folder: huge files and
// lines, long lists, names the file system refuses or that try to leave their folder, and
// references nested or circling deep. Nothing crashes, every failure is a clean one, and the
// times of the large cases are reported (qInfo) so that a slow path shows.
#include "engine/generator.h"
#include "engine/messages.h"
#include "library/lines.h"
#include "tests/support/fixedrandom.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/shownmessages.h"
#include "tests/support/templibrary.h"
#include "tests/support/testtext.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <climits>
#include <fcntl.h>
#include <unistd.h>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// Every file and folder under root, with its size, so that a test can see that nothing at all
// changed anywhere in the program's folder.
QStringList everythingUnder(const QString &root)
{
    QStringList found;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        found.append(it.filePath() + u' ' + QString::number(it.fileInfo().size()));
    }
    found.sort();
    return found;
}

// Runs work and reports how long it took.
template <typename Work> auto timed(const char *what, Work work)
{
    QElapsedTimer timer;
    timer.start();
    struct Report
    {
        const char *what;
        QElapsedTimer &timer;
        ~Report() { qInfo("%s: %lld ms", what, timer.elapsed()); }
    } report{what, timer};
    return work();
}

QString emptyElement(const Text &name)
{
    return name.toUnicode() + QString::fromUtf16(messages::EmptyElement);
}

struct Generation
{
    TempLibrary lib;
    FixedRandom random;
    ScriptedDialogs dialogs;
    Generator generator{lib.library, random, shownIn(dialogs)};

    // Written directly: a save through the library waits for the disk, ten thousand times over.
    void element(const Text &name, const Text &content)
    {
        lib.writeBytes(QStringLiteral("元素/") + (name + ".txt").toUnicode(), content);
    }
};

} // namespace

class TestHostileMaterial : public QObject
{
    Q_OBJECT

private slots:
    // An element file of 100 MiB (nine million lines) is saved, read back byte for byte and drawn
    // from; the draw finds its last line.
    void elementOf100MiB()
    {
        Generation g;
        QByteArray bytes;
        bytes.reserve(100 << 20);
        int lines = 0;
        while (bytes.size() < (100 << 20) - 16)
            bytes += "line " + QByteArray::number(lines++) + "\r\n";
        const Text content = Text::fromGbk(std::move(bytes));
        QVERIFY(timed("100 MiB element: save", [&] {
            return g.lib.library.writeContent(Folder::Elements, Text("big.txt"), content);
        }));
        QCOMPARE(
            timed("100 MiB element: read",
                  [&] { return g.lib.library.readContent(Folder::Elements, Text("big.txt")); }),
            content);
        g.random.setDraws({INT_MAX});
        QCOMPARE(timed("100 MiB element: draw the last line",
                       [&] { return g.generator.drawElement(Text("[big]")); }),
                 "line " + numberText(lines - 1));
        QCOMPARE(g.random.ranges, QList<int>{lines});
    }

    // One line of 10 MiB: as an element line it goes into the story line whole; as a pattern
    // with a hundred thousand references it expands completely.
    void lineOf10MiB()
    {
        Generation g;
        const Text line = repeated(10 << 20, 'x');
        g.element(Text("long"), line);
        QCOMPARE(timed("10 MiB element line: expand",
                       [&] { return g.generator.expand(Text("<[long]>")); }),
                 "<" + line + ">");

        g.element(Text("a"), Text("A"));
        Text pattern;
        Text expected;
        for (int i = 0; pattern.size() < (10 << 20); ++i) {
            const Text filler = repeated(i % 1000 == 0 ? 10'000 : 90, 'y');
            pattern += filler + "[a]";
            expected += filler + "A";
        }
        QCOMPARE(timed("10 MiB pattern with 10^5 references: expand",
                       [&] { return g.generator.expand(pattern); }),
                 expected);
        QVERIFY(g.dialogs.shown.isEmpty());
    }

    // A category of 100,000 entries is saved and read back in order.
    void categoryOf100000Entries()
    {
        TempLibrary lib;
        TextList names;
        for (int i = 0; i < 100'000; ++i)
            names.append(gbk(QStringLiteral("元素名")) + numberText(i));
        QVERIFY(timed("100,000 entries: save", [&] {
            return lib.library.writeList(Folder::Elements, Text("many.l"), names);
        }));
        QCOMPARE(timed("100,000 entries: read",
                       [&] { return lib.library.readList(Folder::Elements, Text("many.l")); }),
                 names);
    }

    // File names up to the file system's 255 bytes work like any other.
    void namesOf255Bytes()
    {
        TempLibrary lib;
        const Text longest = repeated(253, 'n') + ".l"; // 255 bytes on disk
        const Text other = repeated(253, 'm') + ".l";
        QVERIFY(lib.library.writeList(Folder::Elements, longest, {Text("a"), Text("b")}));
        QVERIFY(lib.library.exists(Folder::Elements, longest));
        QCOMPARE(lib.library.readList(Folder::Elements, longest), TextList({Text("a"), Text("b")}));
        QCOMPARE(lib.library.listFiles(Folder::Elements), TextList{longest});
        QVERIFY(lib.library.rename(Folder::Elements, longest, other));
        QCOMPARE(lib.library.listFiles(Folder::Elements), TextList{other});
        QVERIFY(lib.library.remove(Folder::Elements, other));
    }

    // Longer names are refused by the file system (a GBK name of 255 bytes is longer on disk,
    // where each Chinese character takes three bytes): every operation fails, changing nothing.
    void namesBeyondTheFileSystemFailCleanly_data()
    {
        QTest::addColumn<Text>("stem");
        QTest::newRow("256 bytes") << repeated(256, 'n');
        QTest::newRow("255 GBK bytes, 386 on disk") << Text::fromUnicode(QString(127, u'字')) + "n";
        QTest::newRow("10,000 bytes") << repeated(10'000, 'n');
        QTest::newRow("1,000,000 bytes") << repeated(1'000'000, 'n');
    }
    void namesBeyondTheFileSystemFailCleanly()
    {
        QFETCH(Text, stem);
        TempLibrary lib;
        lib.writeBytes(QStringLiteral("元素/a.txt"), "keep");
        const QStringList before = everythingUnder(lib.root());
        Library &library = lib.library;
        const Text name = stem + ".txt";
        QVERIFY(!library.writeContent(Folder::Elements, name, Text("x")));
        QVERIFY(!library.createNew(Folder::Elements, name));
        QVERIFY(!library.writeList(Folder::Elements, stem + Text(".l"), {Text("x")}));
        QVERIFY(!library.exists(Folder::Elements, name));
        QVERIFY(library.readContent(Folder::Elements, name).isEmpty());
        QVERIFY(library.readList(Folder::Elements, name).isEmpty());
        QVERIFY(!library.rename(Folder::Elements, Text("a.txt"), name));
        QVERIFY(!library.rename(Folder::Elements, name, Text("b.txt")));
        QVERIFY(!library.remove(Folder::Elements, name));
        QCOMPARE(everythingUnder(lib.root()), before);
    }

    // Names are the user's bytes. Those that would reach outside the folder are refused without
    // touching anything; all others, however odd, are kept exactly: saved, listed, read, renamed
    // and removed under the very bytes given.
    void oddNames_data()
    {
        QTest::addColumn<Text>("stem");
        QTest::addColumn<bool>("refused");
        QTest::newRow("slash") << Text("/") << true;
        QTest::newRow("path") << gbk(QStringLiteral("../模板/a")) << true;
        QTest::newRow("backslash") << Text("a\\b") << true;
        QTest::newRow("NUL") << Text::fromGbk("a\0b") << true;
        QTest::newRow("dot dot") << Text("..") << false; // the file is "...l", inside the folder
        QTest::newRow("dot") << Text(".") << false;
        // A line break would split the name in its list file, and control characters cannot be
        // seen: both are refused, DEL among the control characters; tab is kept.
        QTest::newRow("control characters") << Text("a\x01\x1f") << true;
        QTest::newRow("line breaks") << Text("a\rb\nc") << true;
        QTest::newRow("CR LF") << Text("a\r\nb") << true;
        QTest::newRow("DEL") << Text("a\x7f") << true;
        QTest::newRow("tab") << Text("\ta") << false;
        QTest::newRow("invalid GBK bytes") << Text::fromGbk("\x80\xff") << false;
        QTest::newRow("lead byte at the end") << Text::fromGbk("a\x81") << false;
        QTest::newRow("second byte is a backslash") << Text::fromGbk("\x81\x5c") << false;
        QTest::newRow("second byte is a bracket") << Text::fromGbk("\x81\x5b\x81\x5d") << false;
        QTest::newRow("wildcards") << Text("*?[a]") << false;
        QTest::newRow("leading dash and blanks") << Text("-rf  ") << false;
        QTest::newRow("four-byte character") << Text::fromGbk("\x90\x30\x81\x30") << false;
    }
    void oddNames()
    {
        QFETCH(Text, stem);
        QFETCH(bool, refused);
        TempLibrary lib;
        Library &library = lib.library;
        const Text name = stem + ".l";
        const QStringList before = everythingUnder(lib.root());
        if (refused) {
            QVERIFY(!library.writeList(Folder::Elements, name, {Text("x")}));
            QVERIFY(!library.writeContent(Folder::Elements, stem + Text(".txt"), Text("x")));
            QVERIFY(!library.exists(Folder::Elements, name));
            QCOMPARE(everythingUnder(lib.root()), before);
            return;
        }
        QVERIFY(library.writeList(Folder::Elements, name, {stem}));
        QVERIFY(library.writeContent(Folder::Elements, stem + Text(".txt"), stem));
        QCOMPARE(library.listFiles(Folder::Elements), TextList{name});
        QCOMPARE(library.readList(Folder::Elements, name), TextList{stem});
        QCOMPARE(library.readContent(Folder::Elements, stem + Text(".txt")), stem);
        QVERIFY(library.rename(Folder::Elements, name, Text("plain.l")));
        QVERIFY(library.rename(Folder::Elements, Text("plain.l"), name));
        QCOMPARE(library.listFiles(Folder::Elements), TextList{name});
        QVERIFY(library.remove(Folder::Elements, name));
        QVERIFY(library.remove(Folder::Elements, stem + Text(".txt")));
        QCOMPARE(everythingUnder(lib.root()), before);
    }

    // A file that another program named with bytes that are not UTF-8 (the file system's
    // encoding here) cannot be named by the program at all: it is left out of the categories,
    // left alone, and the library's own files are unaffected.
    void fileNamedInAForeignEncoding_data()
    {
        QTest::addColumn<QByteArray>("stem");
        QTest::addColumn<bool>("listed");
        // 天气 in GBK, as an archive made on Windows holds it: the program's name 天气 is
        // another file on disk, so this one cannot be named and is left out.
        QTest::newRow("GBK bytes") << QByteArray("\xcc\xec\xc6\xf8") << false;
        // Bytes that are no character in GBK either are the program's own name for them.
        QTest::newRow("no character in either") << QByteArray("\xe9\xff") << true;
    }
    void fileNamedInAForeignEncoding()
    {
        QFETCH(QByteArray, stem);
        QFETCH(bool, listed);
        TempLibrary lib;
        const QByteArray foreign =
            QFile::encodeName(lib.path(QStringLiteral("元素/"))) + stem + ".l";
        const int fd = ::open(foreign.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, "x\r\n", 3), 3);
        ::close(fd);
        QVERIFY(lib.library.writeList(Folder::Elements, Text("ok.l"), {Text("y")}));
        const Text name = Text::fromGbk(stem + ".l");
        QCOMPARE(lib.library.listFiles(Folder::Elements).contains(name), listed);
        QCOMPARE(lib.library.listFiles(Folder::Elements).size(), listed ? 2 : 1);
        QCOMPARE(lib.library.readList(Folder::Elements, Text("ok.l")), TextList{Text("y")});
        if (listed)
            QCOMPARE(lib.library.readList(Folder::Elements, name), TextList{Text("x")});
        QVERIFY(::access(foreign.constData(), F_OK) == 0);
    }

    // A reference whose name leaves the elements folder finds nothing, even where a file of that
    // name exists outside it.
    void referencesNeverReadOutsideTheElementsFolder()
    {
        Generation g;
        g.lib.writeBytes(QStringLiteral("secret.txt"), "secret");
        g.lib.writeBytes(QStringLiteral("模板/t.txt"), "secret");
        QCOMPARE(g.generator.expand(Text("<[../secret][..\\secret][/etc/hostname]>")), Text("<>"));
        QCOMPARE(g.dialogs.shown,
                 QStringList({emptyElement(Text("../secret")), emptyElement(Text("..\\secret")),
                              emptyElement(Text("/etc/hostname"))}));
    }

    // Element e0 refers to e1, e1 to e2, and so on 10,000 deep: the chain expands to its end.
    void referencesNested10000Deep()
    {
        Generation g;
        constexpr int Depth = 10'000;
        for (int i = 0; i < Depth; ++i)
            g.element("e" + numberText(i), "[e" + numberText(i + 1) + "]");
        g.element("e" + numberText(Depth), Text("end"));
        QCOMPARE(timed("references nested 10,000 deep: expand",
                       [&] { return g.generator.expand(Text("<[e0]>")); }),
                 Text("<end>"));
        QCOMPARE(g.random.reseeds, Depth + 1);
        QVERIFY(g.dialogs.shown.isEmpty());
    }

    // Brackets nested 10,000 deep name one element of 9,999 "[" and an "a": a name longer than
    // any file name, so the element is empty, and the "]" left over stay.
    void brackets10000Deep()
    {
        Generation g;
        const Text pattern = repeated(10'000, '[') + "a" + repeated(10'000, ']');
        QCOMPARE(g.generator.expand(pattern), repeated(9'999, ']'));
        QCOMPARE(g.dialogs.shown, QStringList{emptyElement(repeated(9'999, '[') + "a")});
    }

    // Elements that refer to each other in a circle stop at the program's limit on draws with one
    // message; a line that grows at every draw stops at the limit on length, long before memory
    // runs out.
    // Elements that refer to each other in a circle nest one level deeper with every draw: the
    // bound on depth stops them at once, with one message naming the circle, and the line goes
    // into the story as far as it got, but never longer than 64 KiB (the cut marked).
    void circlesStopAtTheDepthBound_data()
    {
        QTest::addColumn<Text>("a");
        QTest::addColumn<Text>("b");
        QTest::addColumn<QString>("message");
        const QString self = QStringLiteral("元素「a」引用自身，无法展开完毕！请检查！");
        QTest::newRow("self-reference") << Text("[a]") << Text() << self;
        QTest::newRow("two elements in a circle")
            << Text("x[b]") << Text("[a]")
            << QStringLiteral("元素「a」→「b」→「a」层层嵌套，无法展开完毕！请检查！");
        QTest::newRow("a line that grows") << Text("[a]" + repeated(40, 'x')) << Text() << self;
        QTest::newRow("a growing circle") << gbk(QStringLiteral("啊[a][a]")) << Text() << self;
    }
    void circlesStopAtTheDepthBound()
    {
        QFETCH(Text, a);
        QFETCH(Text, b);
        QFETCH(QString, message);
        Generation g;
        g.element(Text("a"), a);
        g.element(Text("b"), b);
        QElapsedTimer timer;
        timer.start();
        const Text line =
            timed("circle: expand to the limit", [&] { return g.generator.expand(Text("[a]")); });
        QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(g.dialogs.shown, QStringList{message});
        QVERIFY(line.size() <= 64 * 1024);
        if (line.size() > 60 * 1024)
            QVERIFY(line.view().endsWith(gbk(QStringLiteral("……")).view()));
    }
};

QTEST_GUILESS_MAIN(TestHostileMaterial)
#include "tst_hostilematerial.moc"
