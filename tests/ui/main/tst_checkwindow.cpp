// 检查素材 and its window: the table of findings with the summary and the story counts of the
// selected project, sorting, 重新检查, and a double-click landing on the finding's entry and line.

#include "tests/support/mainworkspace.h"
#include "tests/support/templibrary.h"
#include "ui/editor/editorwindow.h"
#include "ui/main/checkwindow.h"

#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTableWidget>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// A missing element on line 2 of a template, a "[]" on line 1 of an element, an element in no
// category and nothing refers to, a project entry without its template.
struct Fixture
{
    Fixture()
    {
        write(u"模板/开头.txt"_qs, u"[天气]好\r\n[风]\r\n"_qs);
        write(u"模板/全部.l"_qs, u"开头\r\n"_qs);
        write(u"元素/天气.txt"_qs, u"阴[]\r\n晴"_qs);
        write(u"元素/孤.txt"_qs, u"独"_qs);
        write(u"元素/其他.l"_qs, u"雪\r\n"_qs);
        write(u"元素/常用.l"_qs, u"天气\r\n"_qs);
        write(u"项目/故事.l"_qs, u"开头\r\n没有\r\n开头\r\n"_qs);
        write(u"项目/短.l"_qs, u"开头\r\n"_qs);
        workspace = std::make_unique<MainWorkspace>(lib.files);
    }
    void write(const QString &path, const QString &content) { lib.writeBytes(path, gbk(content)); }

    CheckWindow *open()
    {
        workspace->click(u"按钮9");
        auto *window = workspace->window->findChild<CheckWindow *>();
        if (!window || !window->isVisible())
            qFatal("no check window");
        return window;
    }
    template <typename W> W *in(QWidget *window, const char16_t *name) const
    {
        auto *w = window->findChild<W *>(QString::fromUtf16(name));
        if (!w)
            qFatal("missing control");
        return w;
    }
    static QStringList rows(const QTableWidget *table)
    {
        QStringList all;
        for (int row = 0; row < table->rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < table->columnCount(); ++column)
                cells.append(table->item(row, column)->text());
            all.append(cells.join(u" | "));
        }
        return all;
    }
    static void doubleClick(QTableWidget *table, const QString &file, const QString &line)
    {
        for (int row = 0; row < table->rowCount(); ++row) {
            if (table->item(row, 1)->text() == file && table->item(row, 2)->text() == line) {
                const QPoint at = table->visualItemRect(table->item(row, 4)).center();
                QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, at);
                QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, at);
                return;
            }
        }
        qFatal("no such finding");
    }

    TempLibrary lib;
    std::unique_ptr<MainWorkspace> workspace;
};

} // namespace

class TestCheckWindow : public QObject
{
    Q_OBJECT

private slots:
    void buttonSitsBelowSaveStory()
    {
        Fixture f;
        auto *button = f.workspace->find<QPushButton>(u"按钮9");
        QCOMPARE(button->text(), u"检查素材"_qs);
        QCOMPARE(button->parentWidget()->objectName(), u"分组框3"_qs);
        QCOMPARE(button->geometry(), QRect(3, 97, 93, 24));
    }

    void tableSummaryAndCounts()
    {
        Fixture f;
        f.workspace->selectProject(u"故事.l"_qs);
        CheckWindow *window = f.open();
        QCOMPARE(window->windowTitle(), u"素材检查"_qs);
        QVERIFY(!window->isModal());
        auto *table = f.in<QTableWidget>(window, u"表格问题");
        const QStringList found{
            u"错误 | 模板/开头.txt | 2 | [风] | 引用的元素「风」不存在"_qs,
            u"提示 | 元素/孤.txt |  |  | 没有模板或其他元素引用这个元素"_qs,
            u"错误 | 元素/其他.l | 1 | 雪 | 分类中的元素「雪」不存在"_qs,
            u"错误 | 元素/天气.txt | 1 | 阴[] | 空引用「[]」：用到这一行时，所在的行展开到此为止"_qs,
            u"错误 | 项目/故事.l | 2 | 没有 | 项目中的模板「没有」不存在"_qs,
        };
        QCOMPARE(Fixture::rows(table), found);
        QCOMPARE(f.in<QLabel>(window, u"标签汇总")->text(), u"错误 4 个，循环 0 个，提示 1 个"_qs);
        // 天气 draws 2 lines, so 开头 makes 2 + 1; the missing template makes no line.
        QCOMPARE(f.in<QLabel>(window, u"标签故事数")->text(), u"项目「故事」可生成 9 种故事"_qs);
        QCOMPARE(Fixture::rows(f.in<QTableWidget>(window, u"表格故事数")),
                 (QStringList{u"开头 | 3"_qs, u"没有 | 0"_qs, u"开头 | 3"_qs}));

        // By line number, the whole file (no line) first; ties keep the report's order.
        table->horizontalHeader()->setSortIndicator(2, Qt::AscendingOrder);
        QCOMPARE(Fixture::rows(table),
                 (QStringList{found.at(1), found.at(2), found.at(3), found.at(0), found.at(4)}));
        table->horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
        QCOMPARE(Fixture::rows(table),
                 (QStringList{found.at(0), found.at(2), found.at(3), found.at(4), found.at(1)}));
    }

    // The files are the only store: 重新检查 reads them again, and the project selected now.
    void recheckReadsTheFilesAgain()
    {
        Fixture f;
        CheckWindow *window = f.open();
        QCOMPARE(f.in<QLabel>(window, u"标签故事数")->text(),
                 u"主窗口中没有选中项目，故事数无从计算"_qs);
        f.write(u"元素/风.txt"_qs, u"东\r\n西\r\n南"_qs);
        f.write(u"元素/天气.txt"_qs, u"晴"_qs);
        f.workspace->selectProject(u"短.l"_qs);
        QTest::mouseClick(f.in<QPushButton>(window, u"按钮重新检查"), Qt::LeftButton);
        QCOMPARE(f.in<QLabel>(window, u"标签汇总")->text(), u"错误 2 个，循环 0 个，提示 1 个"_qs);
        QCOMPARE(f.in<QLabel>(window, u"标签故事数")->text(), u"项目「短」可生成 4 种故事"_qs);
        QVERIFY(f.workspace->dialogs.shown.isEmpty());
    }

    // The first category that lists the file, its entry, the cursor on the line.
    void doubleClickOpensTheEditorOnTheLine_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("categories");
        QTest::addColumn<QString>("entries");
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("block");
        QTest::newRow("template") << u"模板/开头.txt"_qs << u"2"_qs << u"文件框m"_qs
                                  << u"列表框m"_qs << u"编辑框mx"_qs << u"全部.l"_qs << u"开头"_qs
                                  << 1;
        QTest::newRow("element") << u"元素/天气.txt"_qs << u"1"_qs << u"文件框"_qs << u"列表框"_qs
                                 << u"编辑框内容"_qs << u"常用.l"_qs << u"天气"_qs << 0;
        QTest::newRow("category") << u"元素/其他.l"_qs << u"1"_qs << u"文件框"_qs << u"列表框"_qs
                                  << u"编辑框内容"_qs << u"其他.l"_qs << u"雪"_qs << 0;
    }
    void doubleClickOpensTheEditorOnTheLine()
    {
        QFETCH(QString, file);
        QFETCH(QString, line);
        QFETCH(QString, categories);
        QFETCH(QString, entries);
        QFETCH(QString, content);
        Fixture f;
        CheckWindow *window = f.open();
        Fixture::doubleClick(f.in<QTableWidget>(window, u"表格问题"), file, line);
        EditorWindow *editor = f.workspace->window->editor();
        QVERIFY(editor && editor->isVisible());
        auto *categoryBox = editor->findChild<QListWidget *>(categories);
        auto *entryList = editor->findChild<QListWidget *>(entries);
        QVERIFY(categoryBox->currentItem() && entryList->currentItem());
        QTEST(categoryBox->currentItem()->text(), "category");
        QTEST(entryList->currentItem()->text(), "entry");
        auto *box = editor->findChild<QPlainTextEdit *>(content);
        if (file.endsWith(u".txt")) {
            QCOMPARE(
                box->toPlainText(),
                Text::fromGbk(f.lib.readBytes(file)).toUnicode().replace(u"\r\n"_qs, u"\n"_qs));
            QTEST(box->textCursor().blockNumber(), "block");
        }
        QCOMPARE(f.in<QLabel>(window, u"标签说明")->text(), QString());
    }

    void findingInNoCategoryIsToldInTheWindow()
    {
        Fixture f;
        CheckWindow *window = f.open();
        Fixture::doubleClick(f.in<QTableWidget>(window, u"表格问题"), u"元素/孤.txt"_qs, QString());
        QCOMPARE(f.in<QLabel>(window, u"标签说明")->text(),
                 u"没有分类列出“孤.txt”，编辑器无法打开它：请先把它加入一个分类"_qs);
    }

    void projectFindingSelectsTheProjectEntry()
    {
        Fixture f;
        CheckWindow *window = f.open();
        Fixture::doubleClick(f.in<QTableWidget>(window, u"表格问题"), u"项目/故事.l"_qs, u"2"_qs);
        QCOMPARE(f.workspace->projectFiles()->currentItem()->text(), u"故事.l"_qs);
        QCOMPARE(rows(f.workspace->projectList()),
                 (QStringList{u"开头"_qs, u"没有"_qs, u"开头"_qs}));
        QCOMPARE(f.workspace->projectList()->currentRow(), 1);
    }
};

QTEST_MAIN(TestCheckWindow)
#include "tst_checkwindow.moc"
