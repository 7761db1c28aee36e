// The two windows under faults and large material. A save that the file system refuses (a
// read-only folder, a full disk) says so and keeps the old file byte for byte; long lists, long
// projects and huge texts load and run in reasonable time (reported with qInfo) and nothing
// crashes.
#include "library/lines.h"
#include "tests/hardening/sanitized.h"
#include "tests/support/fixedrandom.h"
#include "tests/support/mainworkspace.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/templibrary.h"
#include "tests/support/testtext.h"
#include "tests/support/widgetdriver.h"
#include "tests/ui/editor/editordriver.h"
#include "ui/main/mainwindow.h"
#include "ui/widgets/contentbox.h"
#include "ui/widgets/namelist.h"
#include "ui/widgets/qtdialogs.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>

using namespace quorvel;
using namespace quorvel::test;

namespace {

const QString ProjectNotSaved = QStringLiteral("项目保存失败！请检查文件是否可写！");
const QString EntryNotSaved = QStringLiteral("保存失败！请检查文件是否可写！");

// A file system fault that holds while the object lives, arranged for real in this process.
class FileSystemFault
{
public:
    enum Kind
    {
        ReadOnlyFolder, // the folder may not be written (root gives up its rights meanwhile)
        FullDisk,       // no file may grow beyond 1 KiB
    };

    FileSystemFault(Kind kind, const TempLibrary &lib, const QString &folder)
        : m_kind(kind), m_folder(lib.path(folder))
    {
        if (kind == ReadOnlyFolder) {
            QFile::setPermissions(lib.root(), ReadAndEnter | QFile::WriteOwner);
            QFile::setPermissions(m_folder, ReadAndEnter);
            // The effective user only, so that it can be taken back.
            m_wasRoot = ::geteuid() == 0;
            if (m_wasRoot && ::seteuid(65534) != 0)
                qFatal("cannot give up root's rights");
        } else {
            m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
            ::getrlimit(RLIMIT_FSIZE, &m_oldLimit);
            rlimit limit = m_oldLimit;
            limit.rlim_cur = 1024;
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
    }
    ~FileSystemFault()
    {
        if (m_kind == ReadOnlyFolder) {
            if (m_wasRoot && ::seteuid(0) != 0)
                qFatal("cannot take root's rights back");
            QFile::setPermissions(m_folder, ReadAndEnter | QFile::WriteOwner);
        } else {
            ::setrlimit(RLIMIT_FSIZE, &m_oldLimit);
            std::signal(SIGXFSZ, m_oldHandler);
        }
    }
    FileSystemFault(const FileSystemFault &) = delete;
    FileSystemFault &operator=(const FileSystemFault &) = delete;

private:
    static constexpr auto ReadAndEnter = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                         QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    Kind m_kind;
    QString m_folder;
    bool m_wasRoot = false;
    rlimit m_oldLimit{};
    void (*m_oldHandler)(int) = nullptr;
};

// A list file of count entries naming templates t0, t1, ... in turn, distinct ones of them.
QByteArray projectOf(int count, int distinct)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes += 't' + QByteArray::number(i % distinct) + "\r\n";
    return bytes;
}

// The main window on a library, with the controls at hand.
struct Workspace : MainWorkspace
{
    explicit Workspace(TempLibrary &lib) : MainWorkspace(lib.files) {}
};

// Milliseconds that work takes, including the events it leaves for the window (layout, paint).
template <typename Work> qint64 millisecondsFor(const char *what, Work work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    QCoreApplication::processEvents();
    const qint64 took = timer.elapsed();
    qInfo("%s: %lld ms", what, took);
    return took;
}

} // namespace

Q_DECLARE_METATYPE(FileSystemFault::Kind)

class TestHostileWindows : public QObject
{
    Q_OBJECT

private slots:
    void refusedSaves_data()
    {
        QTest::addColumn<FileSystemFault::Kind>("fault");
        QTest::addColumn<QString>("cause"); // the second line of the message
        QTest::newRow("read-only folder")
            << FileSystemFault::ReadOnlyFolder << QStringLiteral("\r\n没有写入权限");
        // The file size limit stands in for the full disk here (EFBIG, worded by the system).
        QTest::newRow("full disk")
            << FileSystemFault::FullDisk << QStringLiteral("\r\n") + systemCause(EFBIG);
    }

    // 保存 in the main window: the project file keeps its bytes and the user is told.
    void refusedSaves()
    {
        QFETCH(FileSystemFault::Kind, fault);
        QFETCH(QString, cause);
        TempLibrary lib;
        const QByteArray old = projectOf(100, 100);
        lib.writeBytes(QStringLiteral("项目/p.l"), old);
        Workspace ws(lib);
        ws.selectProject(QStringLiteral("p.l"));
        ws.document->setProject(
            {ws.document->project().file,
             ws.document->project().templates + splitLines(Text::fromGbk(projectOf(200, 200)))});
        {
            FileSystemFault broken(fault, lib, QStringLiteral("项目"));
            ws.click(u"按钮5");
        }
        QCOMPARE(ws.dialogs.shown, QStringList{ProjectNotSaved + cause});
        QCOMPARE(lib.readBytes(QStringLiteral("项目/p.l")), old);
        QCOMPARE(ws.projectList()->count(), 300); // nothing lost on screen either
    }

    // The editor's save buttons and its list saves, under the same faults.
    void refusedEditorSaves_data() { refusedSaves_data(); }
    void refusedEditorSaves()
    {
        QFETCH(FileSystemFault::Kind, fault);
        QFETCH(QString, cause);
        EditorDriver d;
        const QByteArray oldList = projectOf(400, 400); // longer than the full disk takes
        const QByteArray oldText(2000, 'o');
        d.lib.writeBytes(QStringLiteral("模板/类.l"), oldList);
        d.lib.writeBytes(QStringLiteral("模板/t0.txt"), oldText);
        d.lib.writeBytes(QStringLiteral("模板/t1.txt"), oldText);
        QVERIFY(d.open());
        QVERIFY(d.select(QStringLiteral("文件框m"), QStringLiteral("类.l")));
        QVERIFY(d.select(QStringLiteral("列表框m"), QStringLiteral("t0")));
        const QString typed = QString(3000, u'新');
        d.child<ContentBox>(QStringLiteral("编辑框mx"))->setPlainText(typed);
        {
            FileSystemFault broken(fault, d.lib, QStringLiteral("模板"));
            d.clickButton(QStringLiteral("按钮2"));
            QCOMPARE(d.child<ContentBox>(QStringLiteral("编辑框mx"))->toPlainText(), typed);
            // Deleting an entry rewrites the category file, which fails the same way.
            QVERIFY(d.select(QStringLiteral("列表框m"), QStringLiteral("t1")));
            d.dialogs.answers = {true};
            QVERIFY(d.choose(QStringLiteral("模板菜单"), QStringLiteral("templateDeleteEntry")));
        }
        QCOMPARE(d.dialogs.shown,
                 QStringList({EntryNotSaved + cause, QStringLiteral("删除模板「t1」？"),
                              EntryNotSaved + cause}));
        QCOMPARE(d.lib.readBytes(QStringLiteral("模板/t0.txt")), oldText);
        QCOMPARE(d.lib.readBytes(QStringLiteral("模板/类.l")), oldList);
    }

    // Names the file system cannot hold, typed into the editor: each is refused with the
    // editor's message, and nothing changes on disk or in the list.
    void editorRefusesNamesTheFileSystemCannotHold_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("cause");
        const QString tooLong = QStringLiteral("名称过长");
        const QString refused = QStringLiteral("名称不可用");
        QTest::newRow("256 bytes") << QString(256, u'n') << tooLong;
        QTest::newRow("255 GBK bytes") << QString(127, u'字') + u'n' << tooLong;
        QTest::newRow("100,000 characters") << QString(100'000, u'n') << tooLong;
        QTest::newRow("NUL") << QStringLiteral("a") + QChar(0) + QStringLiteral("b") << refused;
        QTest::newRow("separator") << QStringLiteral("../元素") << refused;
        QTest::newRow("line break, pasted") << QStringLiteral("a\r\nb") << refused;
    }
    void editorRefusesNamesTheFileSystemCannotHold()
    {
        QFETCH(QString, name);
        QFETCH(QString, cause);
        EditorDriver d;
        d.lib.writeBytes(QStringLiteral("元素/类.l"), "a\r\n");
        d.lib.writeBytes(QStringLiteral("元素/a.txt"), "A");
        QVERIFY(d.open());
        QVERIFY(d.select(QStringLiteral("文件框"), QStringLiteral("类.l")));
        QVERIFY(d.select(QStringLiteral("列表框"), QStringLiteral("a")));
        d.dialogs.inputs = {name, name};
        QVERIFY(d.choose(QStringLiteral("列表菜单"), QStringLiteral("elementAddEntry")));
        QVERIFY(d.choose(QStringLiteral("列表菜单"), QStringLiteral("elementRenameEntry")));
        QCOMPARE(d.dialogs.shown,
                 QStringList({QStringLiteral("创建失败！请检查名称是否可用！\r\n") + cause,
                              QStringLiteral("修改失败！请检查名称是否可用！\r\n") + cause}));
        QCOMPARE(EditorDriver::texts(d.list(QStringLiteral("列表框"))),
                 QStringList{QStringLiteral("a")});
        QCOMPARE(d.lib.readBytes(QStringLiteral("元素/类.l")), QByteArray("a\r\n"));
        QCOMPARE(d.lib.readBytes(QStringLiteral("元素/a.txt")), QByteArray("A"));
    }

    // 100,000 names go into a list box in well under the few seconds a user waits without being
    // shown progress, sorted or not.
    void listOf100000Names_data()
    {
        QTest::addColumn<bool>("sorted");
        QTest::newRow("in file order") << false;
        QTest::newRow("sorted") << true;
    }
    void listOf100000Names()
    {
        QFETCH(bool, sorted);
        TextList names;
        for (int i = 0; i < 100'000; ++i)
            names.append(gbk(QStringLiteral("名")) + numberText((i * 7919) % 100'000));
        NameList list;
        list.resize(150, 200);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        if (sorted)
            list.setSorted();
        const qint64 took = millisecondsFor(sorted ? "100,000 names into a sorted list"
                                                   : "100,000 names into a list",
                                            [&] { list.addNames(names); });
        QCOMPARE(list.count(), 100'000);
        if (sorted)
            QCOMPARE(list.nameAt(99'999), gbk(QStringLiteral("名99999")));
        QVERIFY2(took < allowedMilliseconds(10'000), "the window would stand still for long");
        millisecondsFor("scroll to the end", [&] { list.scrollToBottom(); });
    }

    // A project file with a line of 10 MiB: the name is listed (shown cut short), run (there is
    // no such template) and saved back byte for byte, without the window standing still.
    void projectWithALineOf10MiB()
    {
        TempLibrary lib;
        const Text project = "a\r\n" + repeated(10 << 20, 'x') + "\r\nb\r\n";
        lib.writeBytes(QStringLiteral("项目/p.l"), project);
        lib.writeBytes(QStringLiteral("模板/a.txt"), "A");
        lib.writeBytes(QStringLiteral("模板/b.txt"), "B");
        Workspace ws(lib);
        QVERIFY(millisecondsFor("project with a line of 10 MiB: load", [&] {
                    ws.selectProject(QStringLiteral("p.l"));
                }) < allowedMilliseconds(10'000));
        QVERIFY(millisecondsFor("project with a line of 10 MiB: select it", [&] {
                    clickRow(ws.projectList(), 1);
                }) < allowedMilliseconds(10'000));
        QCOMPARE(ws.projectList()->nameAt(1), repeated(10 << 20, 'x'));
        ws.click(u"按钮6");
        QCOMPARE(ws.story()->content(), Text("A\r\nB\r\n"));
        ws.click(u"按钮5");
        QCOMPARE(lib.readBytes(QStringLiteral("项目/p.l")), project.toGbk());
    }

    // A message that names an element of 10 MiB (a reference in a hostile template) comes up at
    // once and still says what is wrong; the real message box is opened and closed.
    void messageNamingA10MiBElement()
    {
        const QString name(10 << 20, u'x');
        const QString text = name + QStringLiteral("内容为空！请检查！");
        QString label;
        QTimer::singleShot(0, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                label = box->text();
                box->accept();
            }
        });
        QtDialogs dialogs;
        QVERIFY(millisecondsFor("message naming 10 MiB", [&] { dialogs.message(text); }) <
                allowedMilliseconds(5000));
        QVERIFY(label.size() < 2000);
        QVERIFY(label.startsWith(QStringLiteral("xxx")));
        QVERIFY(label.endsWith(QStringLiteral("x内容为空！请检查！")));
    }

    // A category of 100,000 entries in the editor: loaded, then one entry deleted, which writes
    // the whole list back.
    void editorCategoryOf100000Entries()
    {
        EditorDriver d;
        const QByteArray list = projectOf(100'000, 100'000);
        d.lib.writeBytes(QStringLiteral("元素/大.l"), list);
        QVERIFY(d.open());
        millisecondsFor("editor: load 100,000 entries", [&] {
            QVERIFY(d.select(QStringLiteral("文件框"), QStringLiteral("大.l")));
        });
        QCOMPARE(d.list(QStringLiteral("列表框"))->count(), 100'000);
        QVERIFY(d.select(QStringLiteral("列表框"), QStringLiteral("t0")));
        d.dialogs.answers = {true};
        millisecondsFor("editor: delete an entry of 100,000", [&] {
            QVERIFY(d.choose(QStringLiteral("列表菜单"), QStringLiteral("elementDeleteEntry")));
        });
        QCOMPARE(d.lib.readBytes(QStringLiteral("元素/大.l")), list.mid(4));
    }

    // A project of 100,000 templates is loaded and run: 100,000 story lines.
    void projectOf100000Templates()
    {
        TempLibrary lib;
        constexpr int Distinct = 1000;
        for (int i = 0; i < Distinct; ++i)
            lib.writeBytes(QStringLiteral("模板/t%1.txt").arg(i), "[a]" + numberText(i));
        lib.writeBytes(QStringLiteral("元素/a.txt"), "A");
        lib.writeBytes(QStringLiteral("项目/p.l"), projectOf(100'000, Distinct));
        Workspace ws(lib);
        millisecondsFor("project of 100,000 templates: load",
                        [&] { ws.selectProject(QStringLiteral("p.l")); });
        QCOMPARE(ws.projectList()->count(), 100'000);
        // The window goes on being served while the run lasts, and shows the lines made so far.
        QList<int> shownWhileRunning;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout,
                         [&] { shownWhileRunning.append(ws.story()->document()->blockCount()); });
        watch.start(50);
        const qint64 took =
            millisecondsFor("project of 100,000 templates: run", [&] { ws.click(u"按钮6"); });
        watch.stop();
        QVERIFY(took < 2000 || shownWhileRunning.size() >= took / 500);
        QVERIFY(took < 2000 ||
                (!shownWhileRunning.isEmpty() && shownWhileRunning.first() < 100'000));
        QVERIFY(ws.dialogs.shown.isEmpty());
        const QByteArray story = ws.story()->content().toGbk();
        QCOMPARE(story.count("\r\n"), 100'000);
        QVERIFY(story.startsWith("A0\r\nA1\r\n"));
        QVERIFY(story.endsWith("A999\r\n"));
        millisecondsFor("project of 100,000 templates: save", [&] { ws.click(u"按钮5"); });
        QCOMPARE(lib.readBytes(QStringLiteral("项目/p.l")), projectOf(100'000, Distinct));
    }

    // Huge texts in the content boxes: shown, and given back byte for byte.
    void hugeTextsInContentBoxes_data()
    {
        QTest::addColumn<Text>("text");
        QTest::newRow("one line of 10 MiB") << repeated(10 << 20, 'x');
        Text lines;
        while (lines.size() < (10 << 20))
            lines += gbk(QStringLiteral("第%1行\r\n").arg(lines.size()));
        QTest::newRow("10 MiB of short lines") << lines;
    }
    void hugeTextsInContentBoxes()
    {
        QFETCH(Text, text);
        ContentBox box;
        box.resize(300, 200);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        // Laying out a long line must take time in proportion to its length: a word-wrapped line
        // of 10 MiB without a blank took hours.
        QVERIFY(millisecondsFor("content box: show", [&] { box.setContent(text); }) <
                allowedMilliseconds(30'000));
        QCOMPARE(box.content(), text);
        millisecondsFor("content box: append", [&] { box.appendContent(Text("end\r\n")); });

        // The story box gets such a line by appending it.
        ContentBox story;
        story.resize(300, 200);
        story.show();
        QVERIFY(QTest::qWaitForWindowExposed(&story));
        story.appendContent(Text("first\r\n"));
        QVERIFY(millisecondsFor("content box: append it", [&] { story.appendContent(text); }) <
                allowedMilliseconds(30'000));
        QCOMPARE(story.content(), "first\r\n" + text);
    }
};

QTEST_MAIN(TestHostileWindows)
#include "tst_hostilewindows.moc"
