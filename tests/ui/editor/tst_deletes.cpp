// The deletes of both windows ask first, naming what goes; 否 changes nothing, 是 moves the file
// to the desktop's trash, and one Ctrl+Z in the window brings it back to the byte.
#include "tests/support/widgetdriver.h"
#include "tests/ui/editor/editordriver.h"
#include "ui/main/mainwindow.h"

#include <QAction>
#include <QDir>
#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// Bytes that are no GBK, without a final line break: they come back as they were.
const QByteArray Odd = QByteArrayLiteral("\xff\x80 ") + g(u"晴\r\n雨");

// A library with something to delete in each area and a project, the main window on it with its
// editor open.
struct Windows
{
    explicit Windows(EditorDriver &d)
    {
        d.lib.writeBytes(s(u"元素/人物.l"), g(u"甲\r\n天气\r\n"));
        d.lib.writeBytes(s(u"元素/天气.txt"), Odd);
        d.lib.writeBytes(s(u"模板/开端.l"), g(u"开场\r\n"));
        d.lib.writeBytes(s(u"模板/开场.txt"), Odd + g(u"[天气]"));
        d.lib.writeBytes(s(u"项目/故事.l"), g(u"开场\r\n开场\r\n"));
        document =
            std::make_unique<LibraryDocument>(d.lib.files, LibraryDocument::Opening::CreateFolders);
        main = std::make_unique<MainWindow>(*document, Services{d.lib.files, d.random, d.dialogs});
        main->show();
        QTest::mouseClick(main->findChild<QWidget *>(s(u"按钮1")), Qt::LeftButton);
        d.attach(main->editor());
    }
    std::unique_ptr<LibraryDocument> document;
    std::unique_ptr<MainWindow> main;
};

// Every file of the three folders with its bytes.
QStringList tree(const TempLibrary &lib)
{
    QStringList files;
    for (const QString &folder : {s(u"模板"), s(u"元素"), s(u"项目")}) {
        for (const QString &name : QDir(lib.path(folder)).entryList(QDir::Files | QDir::Hidden))
            files << folder + u'/' + name + u'=' +
                         QString::fromLatin1(lib.readBytes(folder + u'/' + name).toHex());
    }
    return files;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

} // namespace

class TestDeletes : public QObject
{
    Q_OBJECT

private slots:
    void askTrashAndUndo_data()
    {
        QTest::addColumn<QStringList>("selection"); // list, row text, list, row text...
        QTest::addColumn<QString>("menu");          // empty: the main window's button
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("shownIn"); // the list that shows it, and its text there
        QTest::addColumn<QString>("shownAs");
        QTest::newRow("删除项") << QStringList{s(u"文件框"), s(u"人物.l"), s(u"列表框"), s(u"天气")}
                                << s(u"列表菜单") << s(u"elementDeleteEntry")
                                << s(u"删除元素「天气」？") << s(u"元素/天气.txt") << s(u"列表框")
                                << s(u"天气");
        QTest::newRow("删除模板") << QStringList{s(u"文件框m"), s(u"开端.l"), s(u"列表框m"),
                                                 s(u"开场")}
                                  << s(u"模板菜单") << s(u"templateDeleteEntry")
                                  << s(u"删除模板「开场」？") << s(u"模板/开场.txt")
                                  << s(u"列表框m") << s(u"开场");
        QTest::newRow("删除类") << QStringList{s(u"文件框"), s(u"人物.l")} << s(u"类别菜单")
                                << s(u"elementDeleteCategory") << s(u"删除元素类「人物」？")
                                << s(u"元素/人物.l") << s(u"文件框") << s(u"人物.l");
        QTest::newRow("删模板类") << QStringList{s(u"文件框m"), s(u"开端.l")} << s(u"模板类别菜单")
                                  << s(u"templateDeleteCategory") << s(u"删除模板类「开端」？")
                                  << s(u"模板/开端.l") << s(u"文件框m") << s(u"开端.l");
        QTest::newRow("删项目") << QStringList{s(u"文件框1"), s(u"故事.l")} << QString()
                                << s(u"按钮4") << s(u"删除项目「故事」？") << s(u"项目/故事.l")
                                << s(u"文件框1") << s(u"故事.l");
    }
    void askTrashAndUndo()
    {
        QFETCH(QStringList, selection);
        QFETCH(QString, menu);
        QFETCH(QString, command);
        QFETCH(QString, question);
        QFETCH(QString, file);
        QFETCH(QString, shownIn);
        QFETCH(QString, shownAs);
        EditorDriver d;
        Windows w(d);
        QWidget *window = menu.isEmpty() ? static_cast<QWidget *>(w.main.get()) : d.window();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        const auto list = [&](const QString &name) {
            return window->findChild<QListWidget *>(name);
        };
        for (int i = 0; i < selection.size(); i += 2) {
            const QList<QListWidgetItem *> found =
                list(selection[i])->findItems(selection[i + 1], Qt::MatchExactly);
            QCOMPARE(found.size(), 1);
            clickRow(list(selection[i]), list(selection[i])->row(found.first()));
        }
        const auto run = [&] {
            if (menu.isEmpty())
                QTest::mouseClick(window->findChild<QWidget *>(command), Qt::LeftButton);
            else
                QVERIFY(d.choose(menu, command));
        };
        const QStringList before = tree(d.lib);
        const QString name = file.section(u'/', 1);
        const QString trashed = d.lib.trash() + s(u"/files/") + name;
        const QString info = d.lib.trash() + s(u"/info/") + name + s(u".trashinfo");

        // 否: nothing changes.
        d.dialogs.answers = {false};
        run();
        QCOMPARE(d.dialogs.shown, QStringList{question});
        QCOMPARE(tree(d.lib), before);
        QVERIFY(rows(list(shownIn)).contains(shownAs));

        // 是: to the trash, with an info file that names where it was.
        d.dialogs.answers = {true};
        run();
        QCOMPARE(d.dialogs.shown, (QStringList{question, question}));
        QVERIFY(!d.lib.exists(file));
        QCOMPARE(readAll(trashed).toHex(),
                 before.filter(file + u'=').first().section(u'=', 1).toLatin1());
        QVERIFY(readAll(info).contains(QFile::encodeName(d.lib.path(file)).toPercentEncoding("/")));
        QVERIFY(!rows(list(shownIn)).contains(shownAs));

        // One Ctrl+Z in the window: the file and the list as they were, the trash empty again.
        QWidget *focus = list(shownIn);
        focus->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        focus->setFocus();
        QTest::keyClick(focus, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(tree(d.lib), before);
        QVERIFY(!QFile::exists(trashed) && !QFile::exists(info));
        QVERIFY(rows(list(shownIn)).contains(shownAs));
        QCOMPARE(d.dialogs.shown.size(), 2);
    }
};

QTEST_MAIN(TestDeletes)
#include "tst_deletes.moc"
