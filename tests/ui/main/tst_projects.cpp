#include "engine/messages.h"
#include "tests/support/mainworkspace.h"
#include "tests/support/templibrary.h"
#include "tests/support/widgetdriver.h"
#include "ui/main/mainwindow.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <cerrno>
#include <functional>
#include <memory>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// Passes everything through to the real files, but refuses writes when asked to.
class RefusingFiles : public LocalFiles
{
public:
    using LocalFiles::LocalFiles;
    FileResult write(const QString &path, const QByteArray &bytes) override
    {
        return refuseWrites ? FileResult::systemError(EACCES) : LocalFiles::write(path, bytes);
    }
    FileResult create(const QString &path) override
    {
        if (beforeCreate)
            beforeCreate(); // another program, a moment before
        return refuseWrites ? FileResult::systemError(EACCES) : LocalFiles::create(path);
    }
    FileResult rename(const QString &from, const QString &to) override
    {
        return refuseWrites ? FileResult::systemError(EACCES) : LocalFiles::rename(from, to);
    }
    FileResult remove(const QString &path) override
    {
        return refuseWrites ? FileResult::systemError(EACCES) : LocalFiles::remove(path);
    }
    TrashResult moveToTrash(const QString &path) override
    {
        if (refuseWrites)
            return {FileResult::systemError(EACCES), {}};
        return LocalFiles::moveToTrash(path);
    }
    bool refuseWrites = false;
    std::function<void()> beforeCreate;
};

// The main window on files that can be told to refuse writes.
struct RefusingFilesHolder
{
    explicit RefusingFilesHolder(const QString &root) : files(root) {}
    RefusingFiles files;
};

struct Workspace : RefusingFilesHolder, MainWorkspace
{
    explicit Workspace(TempLibrary &lib) : RefusingFilesHolder(lib.root()), MainWorkspace(files) {}
};

} // namespace

class TestProjects : public QObject
{
    Q_OBJECT

private slots:
    void newProjectCreatesAnEmptyFileNamedAsTyped()
    {
        TempLibrary lib;
        Workspace ws(lib);
        for (const QString &typed : {QStringLiteral("abc"), QString(), QStringLiteral("abc.l"),
                                     QStringLiteral(" 空 格 ")}) {
            ws.typeName(typed);
            ws.click(u"按钮2");
            QVERIFY2(lib.exists(QStringLiteral("项目/") + typed + QStringLiteral(".l")),
                     qPrintable(typed));
            QCOMPARE(lib.readBytes(QStringLiteral("项目/") + typed + QStringLiteral(".l")).size(),
                     0);
            QVERIFY(!ws.projectFiles()
                         ->findItems(typed + QStringLiteral(".l"), Qt::MatchExactly)
                         .isEmpty());
        }
        QVERIFY(ws.dialogs.shown.isEmpty());
        QCOMPARE(ws.projectList()->count(), 0); // nothing loaded
        // The project made last is the one selected.
        QCOMPARE(ws.projectFiles()->currentItem()->text(), QStringLiteral(" 空 格 .l"));
    }

    void newProjectNeverEmptiesAnExistingOne()
    {
        TempLibrary lib;
        lib.writeBytes(QStringLiteral("项目/故事.l"), "a\r\nb\r\n");
        Workspace ws(lib);
        ws.selectProject(QStringLiteral("故事.l"));
        ws.typeName(QStringLiteral("故事"));
        ws.click(u"按钮2");
        QCOMPARE(ws.dialogs.shown, QStringList{QStringLiteral("该文件已经存在，请重新命名！")});
        QCOMPARE(lib.readBytes(QStringLiteral("项目/故事.l")), QByteArray("a\r\nb\r\n"));
        // The selected project stays selected across the re-listing.
        QCOMPARE(ws.projectFiles()->currentItem()->text(), QStringLiteral("故事.l"));
    }

    void selectingAProjectReplacesTheList()
    {
        TempLibrary lib;
        lib.writeBytes(QStringLiteral("项目/一.l"),
                       gbk(QStringLiteral("开场白\r\n对话\r\n尾声\r\n")));
        lib.writeBytes(QStringLiteral("项目/二.l"), "x\r\n");
        Workspace ws(lib);
        ws.selectProject(QStringLiteral("二.l"));
        QCOMPARE(rows(ws.projectList()), QStringList{QStringLiteral("x")});
        ws.selectProject(QStringLiteral("一.l"));
        QCOMPARE(rows(ws.projectList()),
                 QStringList(
                     {QStringLiteral("开场白"), QStringLiteral("对话"), QStringLiteral("尾声")}));
        QVERIFY(ws.find<QLineEdit>(u"编辑框项目名")->text().isEmpty());
    }

    void saveWritesTheListIntoTheSelectedProject()
    {
        TempLibrary lib;
        lib.writeBytes(QStringLiteral("项目/p.l"), "a\r\nb\r\nc\r\n");
        lib.writeBytes(QStringLiteral("项目/q.l"), "");
        for (const char *name : {"a", "b", "c"})
            lib.writeBytes(QStringLiteral("模板/%1.txt").arg(QLatin1StringView(name)), name);
        Workspace ws(lib);
        ws.selectProject(QStringLiteral("p.l"));
        clickRow(ws.projectList(), 1);
        ws.click(u"按钮7");               // remove b
        ws.typeName(QStringLiteral("q")); // the typed name plays no part
        ws.click(u"按钮5");
        QCOMPARE(lib.readBytes(QStringLiteral("项目/p.l")), QByteArray("a\r\nc\r\n"));
        QCOMPARE(lib.readBytes(QStringLiteral("项目/q.l")), QByteArray());

        clickRow(ws.projectList(), 0);
        ws.click(u"按钮7");
        clickRow(ws.projectList(), 0);
        ws.click(u"按钮7");
        ws.click(u"按钮7"); // nothing selected any more: nothing happens
        ws.click(u"按钮5");
        QVERIFY(lib.exists(QStringLiteral("项目/p.l")));
        QCOMPARE(lib.readBytes(QStringLiteral("项目/p.l")).size(), 0);
        QVERIFY(ws.dialogs.shown.isEmpty());
    }

    // A project file that cannot be created is not passed over in silence: the message says why.
    void newProjectThatCannotBeCreatedSaysWhy_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("cause");
        QTest::newRow("name with a separator")
            << QStringLiteral("a/b") << QString() << QStringLiteral("名称不可用");
        QTest::newRow("name with a line break")
            << QStringLiteral("a\r\nb") << QString() << QStringLiteral("名称不可用");
        QTest::newRow("hidden name")
            << QStringLiteral(".新") << QString() << QStringLiteral("名称不可用");
        QTest::newRow("writes refused")
            << QStringLiteral("新") << QStringLiteral("refuse") << QStringLiteral("没有写入权限");
        QTest::newRow("projects folder gone")
            << QStringLiteral("新") << QStringLiteral("remove") << QStringLiteral("文件夹不存在");
    }
    void newProjectThatCannotBeCreatedSaysWhy()
    {
        QFETCH(QString, typed);
        QFETCH(QString, fault);
        QFETCH(QString, cause);
        TempLibrary lib;
        Workspace ws(lib);
        ws.files.refuseWrites = fault == u"refuse";
        if (fault == u"remove")
            QVERIFY(QDir(lib.path(QStringLiteral("项目"))).removeRecursively());
        ws.typeName(typed);
        ws.click(u"按钮2");
        QCOMPARE(ws.dialogs.shown,
                 QStringList{QStringLiteral("创建失败！请检查名称是否可用！\r\n") + cause});
        QVERIFY(!lib.exists(QStringLiteral("项目/新.l")));
        QCOMPARE(ws.projectFiles()->count(), 0);
    }

    // A save that did not write must say so, and keep the list.
    void saveThatCannotWriteSaysSo()
    {
        TempLibrary lib;
        lib.writeBytes(QStringLiteral("项目/p.l"), "a\r\n");
        lib.writeBytes(QStringLiteral("模板/a.txt"), "a");
        Workspace ws(lib);
        ws.click(u"按钮5"); // no project selected
        QCOMPARE(ws.dialogs.shown.size(), 1);
        ws.selectProject(QStringLiteral("p.l"));
        clickRow(ws.projectList(), 0);
        ws.click(u"按钮7");
        ws.files.refuseWrites = true;
        ws.click(u"按钮5");
        QCOMPARE(ws.dialogs.shown.size(), 2);
        QVERIFY(ws.dialogs.shown.at(1) != ws.dialogs.shown.at(0));
        QCOMPARE(lib.readBytes(QStringLiteral("项目/p.l")), QByteArray("a\r\n"));
        QCOMPARE(ws.projectList()->count(), 0);
    }

    void renameMovesTheSelectedProjectButNeverOntoAnother()
    {
        TempLibrary lib;
        lib.writeBytes(QStringLiteral("项目/a.l"), "x\r\n");
        lib.writeBytes(QStringLiteral("项目/b.l"), "y\r\n");
        Workspace ws(lib);
        ws.selectProject(QStringLiteral("a.l"));
        ws.typeName(QStringLiteral("b"));
        ws.click(u"按钮3");
        QCOMPARE(lib.readBytes(QStringLiteral("项目/a.l")), QByteArray("x\r\n"));
        QCOMPARE(lib.readBytes(QStringLiteral("项目/b.l")), QByteArray("y\r\n"));
        QCOMPARE(ws.projectFiles()->currentItem()->text(), QStringLiteral("a.l"));

        ws.typeName(QStringLiteral("c"));
        ws.click(u"按钮3");
        QVERIFY(!lib.exists(QStringLiteral("项目/a.l")));
        QCOMPARE(lib.readBytes(QStringLiteral("项目/c.l")), QByteArray("x\r\n"));
        QCOMPARE(rows(ws.projectList()), QStringList{QStringLiteral("x")});
        QVERIFY(ws.dialogs.shown.isEmpty());
    }

    // Another project's list comes with nothing selected, even where it starts like the last.
    void selectingAProjectSelectsNoneOfItsTemplates()
    {
        TempLibrary lib;
        lib.writeBytes(QStringLiteral("项目/a.l"), "x\r\ny\r\n");
        lib.writeBytes(QStringLiteral("项目/b.l"), "x\r\ny\r\nz\r\n");
        Workspace ws(lib);
        ws.selectProject(QStringLiteral("a.l"));
        clickRow(ws.projectList(), 1);
        ws.selectProject(QStringLiteral("b.l"));
        QCOMPARE(rows(ws.projectList()),
                 QStringList({QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z")}));
        QCOMPARE(ws.projectList()->currentRow(), -1);
    }

    // A rename or delete the file system refuses is told with its cause; the project stays.
    void refusedRenameAndDeleteAreTold_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("question"); // asked first, and answered 是
        QTest::newRow("修改") << u"按钮3"_qs << u"修改失败！请检查名称是否可用！\r\n没有写入权限"_qs
                              << QString();
        QTest::newRow("删项目") << u"按钮4"_qs
                                << u"删除失败！请检查文件是否可写！\r\n没有写入权限"_qs
                                << u"删除项目「a」？"_qs;
    }
    void refusedRenameAndDeleteAreTold()
    {
        QFETCH(QString, button);
        QFETCH(QString, message);
        QFETCH(QString, question);
        TempLibrary lib;
        lib.writeBytes(QStringLiteral("项目/a.l"), "x\r\n");
        Workspace ws(lib);
        ws.selectProject(QStringLiteral("a.l"));
        ws.typeName(QStringLiteral("b"));
        ws.files.refuseWrites = true;
        ws.dialogs.answers = {true};
        QTest::mouseClick(ws.window->findChild<QPushButton *>(button), Qt::LeftButton);
        const QStringList shown =
            question.isEmpty() ? QStringList{message} : QStringList{question, message};
        QCOMPARE(ws.dialogs.shown, shown);
        QCOMPARE(rows(ws.projectFiles()), QStringList{QStringLiteral("a.l")});
        QCOMPARE(lib.readBytes(QStringLiteral("项目/a.l")), QByteArray("x\r\n"));
    }

    void deleteRemovesTheFileButKeepsTheList()
    {
        TempLibrary lib;
        lib.writeBytes(QStringLiteral("项目/a.l"), "x\r\ny\r\n");
        lib.writeBytes(QStringLiteral("项目/b.l"), "");
        Workspace ws(lib);
        ws.click(u"按钮4"); // nothing selected: nothing deleted
        QVERIFY(lib.exists(QStringLiteral("项目/a.l")) && lib.exists(QStringLiteral("项目/b.l")));
        ws.selectProject(QStringLiteral("a.l"));
        ws.dialogs.answers = {true};
        ws.click(u"按钮4");
        QVERIFY(!lib.exists(QStringLiteral("项目/a.l")));
        QCOMPARE(rows(ws.projectFiles()), QStringList{QStringLiteral("b.l")});
        QCOMPARE(rows(ws.projectList()), QStringList({QStringLiteral("x"), QStringLiteral("y")}));
        ws.selectProject(QStringLiteral("b.l"));
        QCOMPARE(ws.projectList()->count(), 0);
    }

    void categoryFillsTheCatalogue()
    {
        TempLibrary lib;
        lib.writeBytes(QStringLiteral("模板/开端.l"),
                       gbk(QStringLiteral("开场白\r\n景物\r\n相遇\r\n")));
        Workspace ws(lib);
        // The only category is selected at start and its templates are shown.
        QCOMPARE(rows(ws.catalogue()),
                 QStringList(
                     {QStringLiteral("开场白"), QStringLiteral("景物"), QStringLiteral("相遇")}));
    }

    void previewShowsTheTemplateOrSaysItIsEmpty()
    {
        TempLibrary lib;
        lib.writeBytes(QStringLiteral("模板/类.l"), "two\r\nempty\r\n");
        lib.writeBytes(QStringLiteral("模板/two.txt"), gbk(QStringLiteral("第一行\r\n第二行")));
        lib.writeBytes(QStringLiteral("模板/empty.txt"), "");
        Workspace ws(lib);
        clickRow(ws.catalogue(), 0);
        QCOMPARE(ws.preview()->toPlainText(), QStringLiteral("第一行\n第二行"));
        clickRow(ws.catalogue(), 1);
        QCOMPARE(ws.preview()->toPlainText(), QStringLiteral("内容为空，请添加！"));
        QVERIFY(ws.dialogs.shown.isEmpty());
    }

    // The catalogue asks with seven spaces, the project list with eight; Yes creates the file.
    void missingTemplateOffersToCreateIt()
    {
        TempLibrary lib;
        lib.writeBytes(QStringLiteral("模板/类.l"), "gone\r\n");
        lib.writeBytes(QStringLiteral("项目/p.l"), "lost\r\n");
        Workspace ws(lib);
        ws.dialogs.answers = {false, true};
        clickRow(ws.catalogue(), 0);
        QTRY_COMPARE(ws.dialogs.shown.size(), 1);
        QCOMPARE(ws.dialogs.shown.at(0),
                 QStringLiteral(
                     "该模板不存在，是否需要创建该模板文件？\r\n       是，创建    否，取消！"));
        QVERIFY(!lib.exists(QStringLiteral("模板/gone.txt")));
        clickRow(ws.catalogue(), 0);
        QTRY_COMPARE(ws.dialogs.shown.size(), 2);
        QCOMPARE(lib.readBytes(QStringLiteral("模板/gone.txt")).size(), 0);
        QVERIFY(lib.exists(QStringLiteral("模板/gone.txt")));
        QVERIFY(ws.preview()->toPlainText().isEmpty());
        clickRow(ws.catalogue(), 0);
        QCOMPARE(ws.preview()->toPlainText(), QStringLiteral("内容为空，请添加！"));

        ws.selectProject(QStringLiteral("p.l"));
        ws.dialogs.answers = {true};
        clickRow(ws.projectList(), 0);
        QCOMPARE(ws.dialogs.shown.size(), 3);
        QCOMPARE(ws.dialogs.shown.at(2),
                 QStringLiteral(
                     "该模板不存在，是否需要创建该模板文件？\r\n        是，创建    否，取消！"));
        QVERIFY(lib.exists(QStringLiteral("模板/lost.txt")));
    }

    // 是 creates the template only while it is still missing: one that another program wrote
    // while the question was open is kept, and shown as the preview shows a template.
    void yesKeepsATemplateWrittenWhileTheQuestionWasOpen()
    {
        TempLibrary lib;
        lib.writeBytes(QStringLiteral("项目/p.l"), "late\r\n");
        Workspace ws(lib);
        ws.files.beforeCreate = [&] {
            lib.writeBytes(QStringLiteral("模板/late.txt"), "written meanwhile");
        };
        ws.selectProject(QStringLiteral("p.l"));
        ws.dialogs.answers = {true};
        clickRow(ws.projectList(), 0);
        QCOMPARE(ws.dialogs.shown.size(), 1);
        QCOMPARE(lib.readBytes(QStringLiteral("模板/late.txt")), QByteArray("written meanwhile"));
        QCOMPARE(ws.preview()->toPlainText(), QStringLiteral("written meanwhile"));
    }

    // A list the window cannot read is named in a message, shows as empty, and stops nothing:
    // the program starts even when its last template category is a sparse terabyte.
    void unreadableListsAreTold_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::newRow("template category too large")
            << QStringLiteral("模板/大.l") << QStringLiteral("文件过大，无法读取：大.l");
        QTest::newRow("project that is a link out of the folder")
            << QStringLiteral("项目/p.l")
            << QStringLiteral("该文件无法读取：链接指向素材文件夹之外");
    }
    void unreadableListsAreTold()
    {
        QFETCH(QString, file);
        QFETCH(QString, message);
        TempLibrary lib;
        lib.writeBytes(QStringLiteral("outside.l"), "t\r\n");
        if (file.endsWith(QStringLiteral("p.l"))) {
            QVERIFY(QFile::link(lib.path(QStringLiteral("outside.l")), lib.path(file)));
        } else {
            QFile huge(lib.path(file));
            QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(1) << 40));
        }
        Workspace ws(lib);
        if (ws.projectFiles()->count() > 0)
            ws.selectProject(QStringLiteral("p.l"));
        QCOMPARE(ws.dialogs.shown, QStringList{message});
        QCOMPARE(ws.catalogue()->count() + ws.projectList()->count(), 0);
        QCOMPARE(lib.readBytes(QStringLiteral("outside.l")), QByteArray("t\r\n"));
        // 运行 takes the list as it shows, empty, whatever the file it came from held.
        ws.click(u"按钮6");
        QCOMPARE(ws.dialogs.shown,
                 (QStringList{message, QString::fromUtf16(messages::EmptyProject)}));
        QVERIFY(ws.story()->content().isEmpty());
    }

    void doubleClickAppendsOncePerDoubleClick()
    {
        TempLibrary lib;
        lib.writeBytes(QStringLiteral("模板/类.l"), "here\r\nmissing\r\n");
        lib.writeBytes(QStringLiteral("模板/here.txt"), "x");
        Workspace ws(lib);
        doubleClickRow(ws.catalogue(), 0);
        doubleClickRow(ws.catalogue(), 0);
        QCOMPARE(rows(ws.projectList()),
                 QStringList({QStringLiteral("here"), QStringLiteral("here")}));
        // A missing template: its question waits for the double-click, which appends it once.
        doubleClickRow(ws.catalogue(), 1);
        QCOMPARE(ws.projectList()->count(), 3);
        QCOMPARE(ws.projectList()->item(2)->text(), QStringLiteral("missing"));
        QTRY_COMPARE(ws.dialogs.shown.size(), 1);
        QCOMPARE(ws.projectList()->count(), 3);
    }

    // The whole cycle: new project, select it, add three templates, remove one, save, reselect.
    void projectCycle()
    {
        TempLibrary lib;
        lib.writeBytes(QStringLiteral("模板/类.l"), gbk(QStringLiteral("甲\r\n乙\r\n丙\r\n")));
        for (const char16_t *name : {u"甲", u"乙", u"丙"})
            lib.writeBytes(
                QStringLiteral("模板/") + QString::fromUtf16(name) + QStringLiteral(".txt"), "x");
        Workspace ws(lib);
        ws.typeName(QStringLiteral("新故事"));
        ws.click(u"按钮2");
        ws.selectProject(QStringLiteral("新故事.l"));
        for (int row : {0, 1, 2})
            doubleClickRow(ws.catalogue(), row);
        clickRow(ws.projectList(), 1);
        ws.click(u"按钮7");
        doubleClickRow(ws.catalogue(), 0); // unsaved: dropped by reselecting below, when told
        clickRow(ws.projectList(), 2);
        ws.click(u"按钮7");
        ws.click(u"按钮5");
        QCOMPARE(lib.readBytes(QStringLiteral("项目/新故事.l")),
                 gbk(QStringLiteral("甲\r\n丙\r\n")).toGbk());
        doubleClickRow(ws.catalogue(), 1);
        ws.dialogs.choices = {Dialogs::Choice::No};
        ws.selectProject(QStringLiteral("新故事.l"));
        QCOMPARE(rows(ws.projectList()), QStringList({QStringLiteral("甲"), QStringLiteral("丙")}));
        QCOMPARE(ws.dialogs.shown, QStringList{QStringLiteral("内容已修改，是否保存？")});
    }
};

QTEST_MAIN(TestProjects)
#include "tst_projects.moc"
